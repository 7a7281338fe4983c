#pragma once
// The trend chart's history as a CSV file (UTF-8, comma separated, "." as the
// decimal point), one line per read: local time stamp with milliseconds,
// PIZMF, its unit, IZMERR, STATP and the exchange fault set. A failed read has
// its time stamp and fault set only, so a gap stays a gap in the file.
#include <optional>
#include <string>

#include "measure/trend_buffer.h"

namespace orn {

inline constexpr const char* kTrendCsvHeader = "время,PIZMF,единица,IZMERR,STATP,ошибки обмена";

// One line without its line end.
std::string trend_csv_line(const TrendSample& s);

// Writes the header and every sample, oldest first, replacing the file.
// Returns an error text when the file cannot be written.
std::optional<std::string> save_trend_csv(const TrendBuffer& buffer, const std::string& path);

}  // namespace orn
