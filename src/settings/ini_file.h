#pragma once
// An INI settings file with the semantics of the Windows profile functions.
//
// We keep a small layer of our own rather than a general INI library: the
// file is held as its original lines, so a write changes only the one line it
// touches and every other byte (unknown sections and keys, comments, blank
// lines, line ends) stays as it was, and a save is one atomic replacement of
// the whole file; both are hard to guarantee through a library that parses
// into its own model and writes it back out.
//
// On disk the file is Windows-1251 with CR LF line ends (LF-only and CR-only
// lines and a missing final line end are read too and kept as they are); the
// interface speaks UTF-8. A file that starts with a UTF-8 byte order mark, as
// some editors save it, is read and written as UTF-8 and keeps its mark. Section and key names match without regard to case, for Latin
// and Cyrillic letters. The first matching section and, inside it, the first
// matching key win. A line whose first non-blank character is ";" is a comment.
//
// Changes are made in memory and reach the disk only with save(), so a caller
// that writes several keys does one atomic rewrite: if it fails, the file is
// exactly as it was before the first of those keys.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orn {

// The longest value a read returns, as the Windows profile functions with
// their 1024-character buffer.
inline constexpr size_t kIniValueMax = 1023;

// An integer as the settings files write it: optional sign, then decimal
// digits, or hexadecimal digits after "$" or "0x"/"0X". The number must fill
// the text and fit 32 bits; otherwise there is no value.
std::optional<int64_t> parse_ini_integer(std::string_view text);

// Path of a settings file in a folder (the current directory by default at
// the callers): folder + "/" + name.
std::string settings_path(const std::string& folder, std::string_view name);

class IniFile {
 public:
  explicit IniFile(std::string path);

  // Reads the file; a missing file gives an empty document. The error is set
  // when the file exists but cannot be read; the document is then empty and
  // must not be saved over the file.
  std::optional<std::string> load();

  const std::string& path() const { return path_; }
  // Whether the file existed when it was loaded.
  bool existed() const { return existed_; }

  // Value of a key, without surrounding blanks and without one pair of
  // enclosing quotes, at most kIniValueMax characters; none if the section or
  // key is missing.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  std::string read_string(std::string_view section, std::string_view key,
                          std::string_view fallback) const;
  // A missing or unparsable value gives the fallback; a number is kept modulo
  // 65536.
  uint16_t read_u16(std::string_view section, std::string_view key, uint16_t fallback) const;
  // Key and value of every key line of the first matching section, in file order.
  std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;

  // An existing key keeps its line, with the spelling of its name and the
  // blanks around "=" as the file has them; only the value after them is
  // replaced, and a line that already reads as value is left byte for byte
  // (so a value read and written back keeps quotes and bytes that have no
  // character, such as 0x98). New lines take the line end of the file's first line. A new key is added after the last key of its section, a new
  // section "[NAME]" at the end of the file. A line break in the value would
  // start a new line of the file, so it is written as a blank.
  void write_string(std::string_view section, std::string_view key, std::string_view value);
  void write_u16(std::string_view section, std::string_view key, uint16_t value);

  // Writes the document atomically; on failure "Unable to write to <path>".
  std::optional<std::string> save() const;

  // The document as it would be saved, in Windows-1251.
  std::string bytes() const;

 private:
  struct Line {
    std::string text;  // Windows-1251, without its line end
    std::string end;   // "\r\n", "\n" or "" for a last line without one
  };
  struct Found {
    size_t section_line = 0;  // the section's header line
    size_t section_end = 0;   // first line after the section
    std::optional<size_t> key_line;
    size_t last_key_line = 0;  // last key line of the section, or its header
  };

  std::optional<Found> find(std::string_view section, std::string_view key) const;
  void insert_line(size_t at, std::string text);
  // Between the file's encoding and UTF-8.
  std::string to_utf8(std::string_view file_text) const;
  std::string from_utf8(std::string_view utf8) const;
  std::string value_of(const std::string& line) const;

  std::string path_;
  bool existed_ = false;
  bool utf8_ = false;  // the file starts with a UTF-8 byte order mark
  std::string newline_ = "\r\n";
  std::vector<Line> lines_;
};

}  // namespace orn
