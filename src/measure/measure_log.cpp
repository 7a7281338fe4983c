#include "measure/measure_log.h"

#include <algorithm>
#include <cstdio>

#include "link/append_file.h"
#include "units/number_format.h"

namespace orn {
namespace {

// A float right-aligned in width with the given decimals, as "%11.4f" or
// "%11.2f" would print it, but with "." whatever the locale: the left-aligned
// number formats give the same digits followed by blanks.
int right_aligned(char* out, size_t cap, float x, NumberFormat format, int width) {
  char number[kNumberTextSize];
  size_t n = format_number_into(number, x, format);
  while (n > 0 && number[n - 1] == ' ') --n;
  return std::snprintf(out, cap, "%*.*s", width, static_cast<int>(n), number);
}

}  // namespace

MeasureLogLine measure_log_line(const MeasuredValue& record, const LocalTime& t) {
  MeasureLogLine line;
  char* out = line.text_;
  size_t left = sizeof line.text_;
  // Integers and hexadecimal words do not depend on the locale.
  const auto put = [&](int n) {
    const size_t taken = n < 0 ? 0 : std::min(static_cast<size_t>(n), left - 1);
    out += taken;
    left -= taken;
  };
  put(std::snprintf(out, left, "%u.%u.%u %02u:%02u:%02u  PIZMF=", t.day, t.month, t.year, t.hour, t.minute,
                    t.second));
  put(right_aligned(out, left, record.pizmf, NumberFormat::Value, 11));
  put(std::snprintf(out, left, " IZMERR=%4x TIZMF=", static_cast<unsigned>(record.izmerr)));
  put(right_aligned(out, left, record.tizmf, NumberFormat::Percent, 11));
  put(std::snprintf(out, left, " STATP=%4x BTN=%4x    \n", static_cast<unsigned>(record.statp),
                    static_cast<unsigned>(record.btn)));
  line.size_ = sizeof line.text_ - left;
  return line;
}

int append_measure_log(const MeasureLogSettings& log, const MeasuredValue& record,
                       const LocalTime& t) {
  if (log.write_file != 1) return kMeasureLogOk;
  const MeasureLogLine line = measure_log_line(record, t);
  // The file is a text file of the Windows tool: lines end in CR LF.
  const std::string_view text = line.view();
  const std::string_view parts[] = {text.substr(0, text.size() - 1), "\r\n"};
  return append_to_file(log.izm_name, parts) ? kMeasureLogOk : kMeasureLogUnwritable;
}

}  // namespace orn
