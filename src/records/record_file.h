#pragma once
// The record files calibration.csv and changes.csv: UTF-8, ";" between fields,
// "." as the decimal point, a header row first. A row is appended with one
// write, so a killed program leaves whole rows; a file is never rewritten.
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orn {

// A field as the file holds it: in double quotes, with quotes doubled, when it
// holds ";", a quote or a line break; as it is otherwise.
std::string csv_field(std::string_view text);

// Appends one row (fields in the order of header) to the file, writing the
// header row first when the file is new or empty. Returns nothing on success,
// else the reason in the user's language, naming the file.
std::optional<std::string> append_record(const std::string& path, std::span<const std::string_view> header,
                                         std::span<const std::string> fields);

}  // namespace orn
