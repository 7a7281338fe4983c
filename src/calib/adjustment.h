#pragma once
// The zero and span adjustment panel: its opening, reads, the two adjustments
// that average the device's intermediate value and compute a new user zero
// or span factor, their writes and the closing. Plain C++: the window and the
// command line each give it a view of the panel.
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "device/device_image.h"
#include "device/progress.h"
#include "device/write_journal.h"
#include "link/faults.h"
#include "link/modbus_master.h"
#include "link/prompt.h"
#include "measure/measured_value.h"

namespace orn {

inline constexpr const char* kCriticalCaption = "Критическое значение";

// The adjustment settings kept in the profile (sections SET_0 and SET_DIAP);
// both required values are in the display unit.
struct AdjustSettings {
  uint16_t zero_samples = 32;  // SET_0_N
  uint16_t span_samples = 32;  // SET_DIAP_N
  float zero_target = 0.0f;    // SET_0_VAL
  float span_target = 250.0f;  // SET_DIAP_VAL
};

// The four fields of the panel, as typed or as shown.
struct PanelTexts {
  std::string user_zero;    // "Пользовательский ноль", in the display unit
  std::string zero_target;  // "Требуемое значение" under it
  std::string user_span;    // "Пользовательская подстройка диапазона"
  std::string span_target;  // "Требуемое значение" under it
};

enum class PanelField : uint8_t { UserZero, ZeroTarget, UserSpan, SpanTarget };
enum class FieldColour : uint8_t { White, Lime };

// The "Измеренное значение" item.
struct ValueItem {
  std::string text;  // "%-11.4f"
  bool error = false;  // error bits 11..0 set: yellow instead of white
  std::string unit;  // unit text of the status word
};
ValueItem value_item(float value, uint16_t error_word, uint16_t statp);

// The panel as the adjustment sees it.
class AdjustmentView {
 public:
  virtual ~AdjustmentView() = default;
  virtual void set_status(std::string_view text) = 0;  // the status line, repainted at once
  virtual void show_fields(const PanelTexts& fields, std::string_view unit_caption) = 0;
  virtual PanelTexts field_texts() const = 0;
  virtual void set_colour(PanelField field, FieldColour colour) = 0;
  virtual void show_value(const ValueItem& value) = 0;
  // One sample of an adjustment: the newest value and the running average.
  virtual void sample(unsigned number, float value, float average) = 0;
  virtual void enable_buttons(bool enabled) = 0;
  // Shows the panel with the settings page's inputs disabled, or hides it
  // with them enabled again.
  virtual void show_panel(bool shown) = 0;
  // The sensor settings were read at the closing: the page shows them.
  virtual void show_sensor_settings() = 0;
};

struct AdjustmentContext {
  ModbusMaster& master;
  Prompt& prompt;
  Progress& settings_panel;       // the settings page's progress line
  uint16_t& settings_never_read;  // cleared by every read of the sensor settings
  DeviceImage& image;
  MeasuredValue& record;          // the measured-value record
  AdjustSettings& settings;
  std::function<void()> stop_polling;
  // Called after a zero or span value was written: which one, the required
  // value and the average of the samples it was computed from (display unit).
  // The caller appends it to the calibration record.
  std::function<void(PanelField value, float required, float average)> written = {};
  // Where the written zero and span values are journaled, or none.
  WriteJournal* journal = nullptr;
};

// The running weighted average with fixed weight 1/n (n <= 1: the sample itself).
float weighted_average(float average, float x, uint16_t n);

// The warnings about the span values; D, the working copy of diap_usr, or
// nothing when a question was answered No.
std::optional<float> check_span_range(const DeviceImage& image, Prompt& prompt);

// Reads the four fields in order; at the first that fails shows its message
// and returns false. A failing user zero keeps shift_usr; a failing field
// further down gets 0. A number that is no finite single-precision value
// (also after the conversion to kPa) fails like text.
bool parse_panel_fields(const PanelTexts& texts, DeviceImage& image, AdjustSettings& settings,
                        Prompt& prompt);

// Reads a required value (ZeroTarget or SpanTarget) as the field parser does;
// nothing after its message was shown.
std::optional<float> parse_required_value(PanelField target, const std::string& text, Prompt& prompt);

// The four fields as shown for the image and the settings.
PanelTexts panel_texts(const DeviceImage& image, const AdjustSettings& settings);

enum class AdjustEnd : uint8_t {
  Computed,   // the new value is in its field
  Left,       // the panel stopped being active: nothing changed
  Failed,     // a fault, a question answered No, or the panel was not active
};

class Adjustment {
 public:
  Adjustment(AdjustmentContext& context, AdjustmentView& view) : c_(context), v_(view) {}

  bool active() const { return active_; }
  // The page was changed: a running adjustment ends at its next sample.
  void leave() { active_ = false; }

  // "Автонастройка": true when the panel became active. Without unlock the
  // device's write protection stays as it is (nothing will be written).
  bool open(bool unlock = true);
  // The opening sent the unlock; nothing here locks again.
  bool unlocked() const { return unlocked_; }
  // "Прочитать": true after a complete read.
  bool read();
  AdjustEnd adjust_zero();  // "Подстроить 0"
  AdjustEnd adjust_span();  // "Подстроить диапазон"
  bool write_zero();        // "Записать" under the zero
  bool write_span();        // "Записать" under the span
  // "Х" and "Выход": true when the sensor settings were read.
  bool close();

 private:
  struct Kind;
  AdjustEnd adjust(PanelField value, PanelField target, AdjustEnd (Adjustment::*run)());
  AdjustEnd run_zero();
  AdjustEnd run_span();
  ExchangeResult read_offset_and_span();
  // The measured value, shown with the fields; false after a reported fault.
  bool read_and_show_value();
  std::optional<AdjustEnd> start_sampling();
  // Samples the intermediate value n times; false when it ended early.
  std::optional<AdjustEnd> accumulate(float& average, uint16_t n, uint32_t pause_ms);
  bool read_and_show_block();
  bool write(const Kind& kind);
  float average_ = NAN;  // of the last adjustment's samples
  DeviceImage read_;     // the trims as last read, the journal's "before"
  void show_all();
  void whiten_fields();
  void fail(const ExchangeResult& r);

  AdjustmentContext& c_;
  AdjustmentView& v_;
  bool active_ = false;
  bool unlocked_ = false;
};

}  // namespace orn
