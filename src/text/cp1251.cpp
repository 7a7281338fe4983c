#include "text/cp1251.h"

#include <iconv.h>

#include <array>
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

bool fits_cp1251(std::string_view utf8) { return cp1251_to_utf8(utf8_to_cp1251(utf8)) == utf8; }

unsigned char cp1251_fold(unsigned char c) { return kFold[c]; }

}  // namespace orn
