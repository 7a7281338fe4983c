#include "settings/ini_file.h"

#include <charconv>

#include "settings/atomic_file.h"
#include "text/cp1251.h"

namespace orn {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (cp1251_fold(static_cast<unsigned char>(a[i])) !=
        cp1251_fold(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// Name of a section header line "[NAME]"; a header without "]" runs to the
// end of the line.
std::optional<std::string_view> section_of(std::string_view line) {
  const std::string_view t = trim(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  std::string_view name = t.substr(1);
  const auto close = name.find(']');
  if (close != std::string_view::npos) name = name.substr(0, close);
  return trim(name);
}

struct KeyLine {
  std::string_view key;
  size_t value_begin = 0;  // first character of the value, after "=" and blanks
};

std::optional<KeyLine> key_of(std::string_view line) {
  const std::string_view t = trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  KeyLine k{trim(line.substr(0, eq)), eq + 1};
  if (k.key.empty()) return std::nullopt;
  while (k.value_begin < line.size() && is_blank(line[k.value_begin])) ++k.value_begin;
  return k;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The value part of a key line as the file holds it, without surrounding
// blanks and one pair of enclosing quotes.
std::string_view raw_value(std::string_view line, size_t value_begin) {
  std::string_view v = trim(line.substr(value_begin));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return v;
}

// The first n characters of UTF-8 text.
std::string_view utf8_prefix(std::string_view s, size_t n) {
  size_t i = 0;
  for (size_t chars = 0; i < s.size() && chars < n; ++chars) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
  }
  return s.substr(0, i);
}

std::optional<int64_t> parse_digits(std::string_view s, int base) {
  if (s.empty()) return std::nullopt;
  uint64_t v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return static_cast<int64_t>(v);
}

}  // namespace

std::optional<int64_t> parse_ini_integer(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::optional<int64_t> v;
  const size_t hex_prefix = text.starts_with('$')                                   ? 1
                            : (text.starts_with("0x") || text.starts_with("0X")) ? 2
                                                                                   : 0;
  if (hex_prefix > 0) {
    v = parse_digits(text.substr(hex_prefix), 16);
    if (v && *v > 0xFFFFFFFF) return std::nullopt;
    if (v && *v > INT32_MAX) *v -= int64_t{1} << 32;  // eight hex digits are a 32-bit pattern
  } else {
    v = parse_digits(text, 10);
    if (v && *v > int64_t{INT32_MAX} + (negative ? 1 : 0)) return std::nullopt;
  }
  if (v && negative) *v = -*v;
  return v;
}

std::string settings_path(const std::string& folder, std::string_view name) {
  return folder + "/" + std::string(name);
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::optional<std::string> IniFile::load() {
  lines_.clear();
  utf8_ = false;
  newline_ = "\r\n";
  FileRead r = read_whole_file(path_);
  existed_ = r.exists;
  if (r.error) return r.error;
  std::string_view rest = r.bytes;
  if (rest.starts_with(kUtf8Mark)) {
    utf8_ = true;
    rest.remove_prefix(kUtf8Mark.size());
  }
  bool first_end = true;
  while (!rest.empty()) {
    const auto at = rest.find_first_of("\r\n");
    if (at == std::string_view::npos) {
      lines_.push_back({std::string(rest), ""});
      break;
    }
    const size_t end_size = rest.substr(at).starts_with("\r\n") ? 2 : 1;
    lines_.push_back({std::string(rest.substr(0, at)), std::string(rest.substr(at, end_size))});
    if (first_end) newline_ = lines_.back().end;
    first_end = false;
    rest.remove_prefix(at + end_size);
  }
  return std::nullopt;
}

std::string IniFile::to_utf8(std::string_view file_text) const {
  return utf8_ ? std::string(file_text) : cp1251_to_utf8(file_text);
}

std::string IniFile::from_utf8(std::string_view utf8) const {
  return utf8_ ? std::string(utf8) : utf8_to_cp1251(utf8);
}

std::string IniFile::value_of(const std::string& line) const {
  const std::string_view v = raw_value(line, key_of(line)->value_begin);
  return utf8_ ? std::string(utf8_prefix(v, kIniValueMax)) : cp1251_to_utf8(v.substr(0, kIniValueMax));
}

std::optional<IniFile::Found> IniFile::find(std::string_view section, std::string_view key) const {
  // Names are compared as Windows-1251, where the case folding is defined.
  const std::string section_1251 = utf8_to_cp1251(section);
  const std::string key_1251 = utf8_to_cp1251(key);
  auto matches = [this](std::string_view file_name, std::string_view name_1251) {
    return utf8_ ? same_name(utf8_to_cp1251(file_name), name_1251) : same_name(file_name, name_1251);
  };
  size_t i = 0;
  while (i < lines_.size()) {
    const auto name = section_of(lines_[i].text);
    if (name && matches(*name, section_1251)) break;
    ++i;
  }
  if (i == lines_.size()) return std::nullopt;
  Found f;
  f.section_line = f.last_key_line = i;
  for (++i; i < lines_.size() && !section_of(lines_[i].text); ++i) {
    const auto k = key_of(lines_[i].text);
    if (!k) continue;
    f.last_key_line = i;
    if (!f.key_line && matches(k->key, key_1251)) f.key_line = i;
  }
  f.section_end = i;
  return f;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
  const auto f = find(section, key);
  if (!f || !f->key_line) return std::nullopt;
  return value_of(lines_[*f->key_line].text);
}

std::string IniFile::read_string(std::string_view section, std::string_view key,
                                 std::string_view fallback) const {
  auto v = value(section, key);
  return v ? std::move(*v) : std::string(fallback);
}

uint16_t IniFile::read_u16(std::string_view section, std::string_view key,
                           uint16_t fallback) const {
  const auto v = value(section, key);
  if (!v) return fallback;
  const auto n = parse_ini_integer(*v);
  return n ? static_cast<uint16_t>(static_cast<uint64_t>(*n) & 0xFFFF) : fallback;
}

std::vector<std::pair<std::string, std::string>> IniFile::entries(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> out;
  const auto f = find(section, {});
  if (!f) return out;
  for (size_t i = f->section_line + 1; i < f->section_end; ++i) {
    const std::string& line = lines_[i].text;
    if (const auto k = key_of(line)) out.emplace_back(to_utf8(k->key), value_of(line));
  }
  return out;
}

void IniFile::insert_line(size_t at, std::string text) {
  if (at > 0 && lines_[at - 1].end.empty()) lines_[at - 1].end = newline_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), newline_});
}

void IniFile::write_string(std::string_view section, std::string_view key,
                           std::string_view value) {
  std::string one_line(value);
  for (char& c : one_line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  const std::string v = from_utf8(one_line);
  const auto f = find(section, key);
  if (!f) {
    insert_line(lines_.size(), "[" + from_utf8(section) + "]");
    insert_line(lines_.size(), from_utf8(key) + "=" + v);
  } else if (f->key_line) {
    std::string& line = lines_[*f->key_line].text;
    if (value_of(line) != one_line) line = line.substr(0, key_of(line)->value_begin) + v;
  } else {
    insert_line(f->last_key_line + 1, from_utf8(key) + "=" + v);
  }
}

void IniFile::write_u16(std::string_view section, std::string_view key, uint16_t value) {
  char buf[8];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  write_string(section, key, std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

std::string IniFile::bytes() const {
  std::string out(utf8_ ? kUtf8Mark : std::string_view{});
  for (const Line& l : lines_) {
    out += l.text;
    out += l.end;
  }
  return out;
}

std::optional<std::string> IniFile::save() const { return write_file_atomically(path_, bytes()); }

}  // namespace orn
