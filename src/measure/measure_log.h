#pragma once
// The measured-value log: one line per read, appended to a plain text file
// that is opened and closed for every line, so each line is on disk when the
// call returns and other programs can open the file between reads.
#include <cstdint>
#include <string>
#include <string_view>

#include "link/clock.h"
#include "measure/measured_value.h"

namespace orn {

// The switch and file name kept in the profile (section IZM).
struct MeasureLogSettings {
  uint16_t write_file = 0;            // 1: append a line per read
  std::string izm_name = "izm.txt";   // relative to the current directory unless absolute
};

inline constexpr int kMeasureLogOk = 0;
inline constexpr int kMeasureLogUnwritable = 14;

// One log line in a buffer of its own, so a polling cycle never touches the heap.
class MeasureLogLine {
 public:
  std::string_view view() const { return {text_, size_}; }

 private:
  friend MeasureLogLine measure_log_line(const MeasuredValue& record, const LocalTime& t);
  char text_[256];
  size_t size_ = 0;
};

// One log line for the record at time t, ending in "\n", with "." as the
// decimal point whatever the locale:
// "5.3.2026 07:04:09  PIZMF=   101.3250 IZMERR=   0 TIZMF=      23.50 STATP=c200 BTN=  40    \n"
MeasureLogLine measure_log_line(const MeasuredValue& record, const LocalTime& t);

// Appends the line with a CR LF line end when the switch is 1. Returns
// kMeasureLogUnwritable when the file cannot be opened or written (the line is
// lost without a message; the next call tries again), otherwise kMeasureLogOk.
int append_measure_log(const MeasureLogSettings& log, const MeasuredValue& record,
                       const LocalTime& t);

}  // namespace orn
