#include "measure/measure_log.h"

#include <cstdio>

#include "link/append_file.h"
#include "units/number_format.h"

namespace orn {
namespace {

// A float right-aligned in width with the given decimals, as "%11.4f" or
// "%11.2f" would print it, but with "." whatever the locale: the left-aligned
// number formats give the same digits followed by blanks.
std::string right_aligned(float x, NumberFormat format, size_t width) {
  std::string s = format_number(x, format);
  s.erase(s.find_last_not_of(' ') + 1);
  if (s.size() < width) s.insert(0, width - s.size(), ' ');
  return s;
}

}  // namespace

std::string measure_log_line(const MeasuredValue& record, const LocalTime& t) {
  // Integers and hexadecimal words do not depend on the locale.
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%u.%u.%u %02u:%02u:%02u  ", t.day, t.month, t.year, t.hour,
                t.minute, t.second);
  char izmerr[16], statp[32];
  std::snprintf(izmerr, sizeof izmerr, " IZMERR=%4x", static_cast<unsigned>(record.izmerr));
  std::snprintf(statp, sizeof statp, " STATP=%4x BTN=%4x    \n", static_cast<unsigned>(record.statp),
                static_cast<unsigned>(record.btn));
  return std::string(stamp) + "PIZMF=" + right_aligned(record.pizmf, NumberFormat::Value, 11) +
         izmerr + " TIZMF=" + right_aligned(record.tizmf, NumberFormat::Percent, 11) + statp;
}

int append_measure_log(const MeasureLogSettings& log, const MeasuredValue& record,
                       const LocalTime& t) {
  if (log.write_file != 1) return kMeasureLogOk;
  std::string line = measure_log_line(record, t);
  // The file is a text file of the Windows tool: lines end in CR LF.
  line.insert(line.size() - 1, 1, '\r');
  std::FILE* f = open_for_append(log.izm_name);
  if (f == nullptr) return kMeasureLogUnwritable;
  const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
  const bool closed = std::fclose(f) == 0;
  return written && closed ? kMeasureLogOk : kMeasureLogUnwritable;
}

}  // namespace orn
