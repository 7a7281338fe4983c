#pragma once
// The three user trim fields of the settings page: "Сдвиг шкалы" (shift_scale),
// "Польз. ноль" (shift_usr), both shown in the display unit, and "Польз.
// подстр." (diap_usr), a factor; their read, their checks and their write.
#include <cstdint>
#include <string>

#include "device/device_image.h"
#include "device/progress.h"
#include "device/protected_write.h"
#include "link/faults.h"
#include "link/modbus_master.h"
#include "link/prompt.h"

namespace orn {

struct TrimTexts {
  std::string shift_scale;  // Edit114
  std::string shift_usr;    // Edit115
  std::string diap_usr;     // Edit116
};

// The fields and the caption of the two unit labels beside the offsets.
struct TrimView {
  TrimTexts fields;
  std::string unit_caption;
};
TrimView trim_view(const DeviceImage& image);

// Checks the fields in order against the range [DIAPMINKPA, DIAPMAXKPA] and
// stores each value that passes its own checks (offsets converted to kPa with
// image.unit); at the first failure shows its message and returns false.
bool take_trim_fields(const TrimTexts& texts, DeviceImage& image, Prompt& prompt);

// The take at close: no checks, a field that is not a number counts as 0.
void take_trim_fields_unchecked(const TrimTexts& texts, DeviceImage& image);

// "Прочитать": UNIT, the offset group and the span group, with the panel
// shown; a fault is reported. Clears the settings-never-read flag.
ExchangeResult read_user_trims(ModbusMaster& master, Prompt& prompt, Progress& panel, DeviceImage& image,
                               uint16_t& settings_never_read);

// "Записать": the protected write of the three trims, the unit taken from
// the unit choice (unit_item) once the questions are answered.
WriteOutcome write_trim_fields(ProtectedWriteContext& c, DeviceImage& image, const TrimTexts& texts,
                               uint16_t unit_item);

}  // namespace orn
