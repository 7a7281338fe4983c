#pragma once
// What the two settings pages show for a device image, as plain data: item
// positions, check states and the texts in their fixed formats. The window
// paints it; the command line prints it.
#include <array>
#include <optional>
#include <string>

#include "device/device_image.h"
#include "device/flag_bits.h"
#include "device/sensor_fields.h"

namespace orn {

// A register of kSensorFields as its input shows it: a percent's text or a
// choice's item.
struct FieldView {
  std::string text;
  int item = -1;
};

// Page "Настройки датчика". Item positions are -1 where the value has no item.
struct SensorPageView {
  std::string range_min, range_max;    // Edit6, Edit7: DIAPMINKPA, DIAPMAXKPA
  std::string constr_min, constr_max;  // Edit20, Edit21: CONSTRMINKPA, CONSTRMAXKPA
  int unit_item = -1;                  // ComboBox10
  std::string unit_caption;            // Label238, Label239: the unit combo's caption
  std::array<bool, kFlagCount> flags{};  // the check boxes, one per flag bit
  bool flag(Flag f) const { return flags[static_cast<size_t>(f)]; }
  std::array<FieldView, kSensorFieldCount> fields;  // in the order of kSensorFields
  const FieldView& field(std::string_view reg) const { return fields[sensor_field_index(reg)]; }
  std::string shift_scale, shift_usr;  // Edit114, Edit115: in the unit
  std::string diap_usr;                // Edit116: a factor
  std::string user_text;               // Edit23
  std::string constr_name;             // CONSTRNAME
  std::optional<std::string> sensor_unit;  // SENSUNIT caption; none above 11
  std::string sensor_number;           // SENSNUM
  std::string accuracy_class;          // SENSCLASS
};

SensorPageView sensor_page_view(const DeviceImage& image);

// The two user offsets shown in the unit, "%-13.6f" (the unit choice shows
// them again at once).
std::string trim_in_unit(float kpa, const DeviceImage& image);

// Page "Параметры обмена".
struct ExchangePageView {
  int rate_item = -1;     // ComboBox4
  int address_item = -1;  // ComboBox5
  bool parity_on = false;    // CheckBox3
  bool parity_even = false;  // CheckBox4
  std::string sn_hi, sn_lo;  // Edit1, Edit2
  int day_item = -1, month_item = -1, year_item = -1;  // ComboBox7..ComboBox9, shown by Panel4..Panel6
  std::string ver_soft, ver_hard;  // Edit4, Edit5
  std::string dely;                // Edit89
  int byte_order_item = -1;        // ComboBox20
  std::string model;               // Edit3
  int watchdog_item = -1;          // ComboBox6
};

ExchangePageView exchange_page_view(const DeviceImage& image);

}  // namespace orn
