#include "measure/trend_csv.h"

#include <charconv>
#include <cstdio>
#include <ctime>

#include "units/pressure_units.h"

namespace orn {
namespace {

std::string time_stamp(int64_t time_ms) {
  const time_t seconds = static_cast<time_t>(time_ms / 1000);
  tm local{};
  localtime_r(&seconds, &local);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(time_ms % 1000));
  return text;
}

std::string hex_word(uint16_t w) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(w));
  return text;
}

// The shortest text that reads back as the same float; to_chars ignores the locale.
std::string exact(float v) {
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, v);
  return std::string(text, r.ptr);
}

}  // namespace

std::string trend_csv_line(const TrendSample& s) {
  std::string line = time_stamp(s.time_ms) + ",";
  if (s.good) {
    line += exact(s.value) + "," + std::string(unit_status_caption(statp_unit(s.statp))) + "," + hex_word(s.izmerr) +
            "," + hex_word(s.statp);
  } else {
    line += ",,,";
  }
  return line + "," + hex_word(s.faults);
}

std::optional<std::string> save_trend_csv(const TrendBuffer& buffer, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return "Не удалось записать файл " + path;
  std::string text = std::string(kTrendCsvHeader) + "\n";
  for (size_t i = 0; i < buffer.size(); ++i) text += trend_csv_line(buffer.at(i)) + "\n";
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !written) return "Не удалось записать файл " + path;
  return std::nullopt;
}

}  // namespace orn
