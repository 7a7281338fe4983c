#include "text/cp1251.h"

#include <iconv.h>

#include <array>
#include <utility>
#include <cerrno>

namespace orn {
namespace {

// Owns one conversion descriptor for the length of a call.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  // glibc always carries both code pages; without them text passes unchanged.
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts in, calling on_bad(in, left) at an unconvertible or incomplete
  // sequence; on_bad returns how many input bytes to skip and appends its stand-in.
  template <typename OnBad>
  std::string run(std::string_view in, OnBad on_bad) {
    if (!ok()) return std::string(in);
    std::string out;
    char buf[256];
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    while (left > 0) {
      char* dst = buf;
      size_t room = sizeof buf;
      size_t rc = iconv(cd_, &src, &left, &dst, &room);
      out.append(buf, static_cast<size_t>(dst - buf));
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
        size_t skip = on_bad(out, std::string_view(src, left));
        src += skip;
        left -= skip;
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

// Length of the UTF-8 sequence led by c, 1 for a stray byte.
size_t utf8_sequence_length(unsigned char c) {
  if (c >= 0xF0 && c < 0xF8) return 4;
  if (c >= 0xE0) return c < 0xF0 ? 3 : 1;
  if (c >= 0xC0) return 2;
  return 1;
}

constexpr std::array<unsigned char, 256> make_fold_table() {
  std::array<unsigned char, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  for (int i = 'A'; i <= 'Z'; ++i) t[i] = static_cast<unsigned char>(i + 32);
  for (int i = 0xC0; i <= 0xDF; ++i) t[i] = static_cast<unsigned char>(i + 32);  // А..Я
  // Capitals outside the А..Я block and their small letters: Ё Ђ Ѓ Љ Њ Ќ Ћ Џ Ў Ј Ґ Є Ї І Ѕ.
  constexpr unsigned char pairs[][2] = {
      {0xA8, 0xB8}, {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C},
      {0x8D, 0x9D}, {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC},
      {0xA5, 0xB4}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
  for (const auto& p : pairs) t[p[0]] = p[1];
  return t;
}

constexpr std::array<unsigned char, 256> kFold = make_fold_table();

// The one byte Windows-1251 leaves undefined travels as U+0098, the C1
// control of the same number, so that it comes back as the same byte.
constexpr unsigned char kUndefinedByte = 0x98;
constexpr std::string_view kUndefinedUtf8 = "\xC2\x98";

}  // namespace

std::string cp1251_to_utf8(std::string_view bytes) {
  Converter conv("UTF-8", "WINDOWS-1251");
  return conv.run(bytes, [](std::string& out, std::string_view) {
    out += kUndefinedUtf8;
    return size_t{1};
  });
}

std::string utf8_to_cp1251(std::string_view utf8) {
  Converter conv("WINDOWS-1251", "UTF-8");
  return conv.run(utf8, [](std::string& out, std::string_view rest) {
    if (rest.starts_with(kUndefinedUtf8)) {
      out += static_cast<char>(kUndefinedByte);
      return kUndefinedUtf8.size();
    }
    out += '?';
    size_t n = utf8_sequence_length(static_cast<unsigned char>(rest.front()));
    return n < rest.size() ? n : rest.size();
  });
}

namespace {

// The code point of a well-formed UTF-8 sequence at the start of s, with its
// length; length 0 when the sequence is malformed or cut short.
std::pair<char32_t, size_t> decode_utf8(std::string_view s) {
  const auto lead = static_cast<unsigned char>(s.front());
  const size_t n = utf8_sequence_length(lead);
  if (n == 1) return {lead < 0x80 ? lead : 0, lead < 0x80 ? 1 : 0};
  if (s.size() < n) return {0, 0};
  char32_t cp = lead & (0x7F >> n);
  for (size_t i = 1; i < n; ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if ((c & 0xC0) != 0x80) return {0, 0};
    cp = cp << 6 | (c & 0x3F);
  }
  constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kShortest[n]) return {0, 0};  // an overlong form is malformed
  return {cp, n};
}

// The character of each byte 0x80..0xFF, taken once from the converter above.
const std::array<char32_t, 128>& upper_half() {
  static const std::array<char32_t, 128> table = [] {
    std::array<char32_t, 128> t{};
    for (size_t b = 0; b < t.size(); ++b) {
      const std::string u = cp1251_to_utf8(std::string(1, static_cast<char>(0x80 + b)));
      t[b] = decode_utf8(u).first;
    }
    return t;
  }();
  return table;
}

}  // namespace

size_t utf8_to_cp1251_into(std::string_view utf8, char* out, size_t capacity) {
  const std::array<char32_t, 128>& upper = upper_half();
  size_t written = 0;
  while (!utf8.empty() && written < capacity) {
    const auto [cp, n] = decode_utf8(utf8);
    char byte = '?';
    if (n != 0 && cp < 0x80) {
      byte = static_cast<char>(cp);
    } else if (n != 0) {
      for (size_t b = 0; b < upper.size(); ++b)
        if (upper[b] == cp) byte = static_cast<char>(0x80 + b);
    }
    out[written++] = byte;
    const size_t skip = n != 0 ? n : utf8_sequence_length(static_cast<unsigned char>(utf8.front()));
    utf8.remove_prefix(skip < utf8.size() ? skip : utf8.size());
  }
  return written;
}

bool fits_cp1251(std::string_view utf8) { return cp1251_to_utf8(utf8_to_cp1251(utf8)) == utf8; }

unsigned char cp1251_fold(unsigned char c) { return kFold[c]; }

}  // namespace orn
