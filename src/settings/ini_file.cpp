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

std::string value_text(std::string_view line, size_t value_begin) {
  std::string_view v = trim(line.substr(value_begin));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return cp1251_to_utf8(v.substr(0, kIniValueMax));
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
  FileRead r = read_whole_file(path_);
  existed_ = r.exists;
  if (r.error) return r.error;
  std::string_view rest = r.bytes;
  while (!rest.empty()) {
    const auto nl = rest.find('\n');
    if (nl == std::string_view::npos) {
      lines_.push_back({std::string(rest), ""});
      break;
    }
    const bool crlf = nl > 0 && rest[nl - 1] == '\r';
    lines_.push_back({std::string(rest.substr(0, crlf ? nl - 1 : nl)), crlf ? "\r\n" : "\n"});
    rest.remove_prefix(nl + 1);
  }
  return std::nullopt;
}

std::optional<IniFile::Found> IniFile::find(std::string_view section_1251,
                                            std::string_view key_1251) const {
  size_t i = 0;
  while (i < lines_.size()) {
    const auto name = section_of(lines_[i].text);
    if (name && same_name(*name, section_1251)) break;
    ++i;
  }
  if (i == lines_.size()) return std::nullopt;
  Found f;
  f.section_line = f.last_key_line = i;
  for (++i; i < lines_.size() && !section_of(lines_[i].text); ++i) {
    const auto k = key_of(lines_[i].text);
    if (!k) continue;
    f.last_key_line = i;
    if (!f.key_line && same_name(k->key, key_1251)) f.key_line = i;
  }
  f.section_end = i;
  return f;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
  const auto f = find(utf8_to_cp1251(section), utf8_to_cp1251(key));
  if (!f || !f->key_line) return std::nullopt;
  const std::string& line = lines_[*f->key_line].text;
  return value_text(line, key_of(line)->value_begin);
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
  const auto f = find(utf8_to_cp1251(section), {});
  if (!f) return out;
  for (size_t i = f->section_line + 1; i < f->section_end; ++i) {
    const std::string& line = lines_[i].text;
    if (const auto k = key_of(line)) {
      out.emplace_back(cp1251_to_utf8(k->key), value_text(line, k->value_begin));
    }
  }
  return out;
}

void IniFile::insert_line(size_t at, std::string text) {
  if (at > 0 && lines_[at - 1].end.empty()) lines_[at - 1].end = "\r\n";
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), "\r\n"});
}

void IniFile::write_string(std::string_view section, std::string_view key,
                           std::string_view value) {
  std::string v = utf8_to_cp1251(value);
  for (char& c : v) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  const std::string section_1251 = utf8_to_cp1251(section);
  const std::string key_1251 = utf8_to_cp1251(key);
  const auto f = find(section_1251, key_1251);
  if (!f) {
    insert_line(lines_.size(), "[" + section_1251 + "]");
    insert_line(lines_.size(), key_1251 + "=" + v);
  } else if (f->key_line) {
    std::string& line = lines_[*f->key_line].text;
    line = line.substr(0, key_of(line)->value_begin) + v;
  } else {
    insert_line(f->last_key_line + 1, key_1251 + "=" + v);
  }
}

void IniFile::write_u16(std::string_view section, std::string_view key, uint16_t value) {
  char buf[8];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  write_string(section, key, std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

std::string IniFile::bytes() const {
  std::string out;
  for (const Line& l : lines_) {
    out += l.text;
    out += l.end;
  }
  return out;
}

std::optional<std::string> IniFile::save() const { return write_file_atomically(path_, bytes()); }

}  // namespace orn
