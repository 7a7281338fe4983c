#include "settings/cp1251.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstddef>

namespace orn {
namespace {

// Length of the UTF-8 sequence that starts with byte c (1 for a stray byte).
size_t utf8_length(unsigned char c) {
  if (c >= 0xF0 && c < 0xF8) return 4;
  if (c >= 0xE0) return 3;
  if (c >= 0xC0) return 2;
  return 1;
}

// Runs iconv over the whole input; an unconvertible or malformed input
// character is replaced by "?" and skipped (skip tells how many bytes).
template <typename Skip>
std::string convert(const char* to, const char* from, std::string_view in, Skip skip) {
  std::string out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);  // glibc always has both
  out.reserve(in.size() * 2);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  std::array<char, 256> buf{};
  while (src_left > 0) {
    char* dst = buf.data();
    size_t dst_left = buf.size();
    const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buf.data(), buf.size() - dst_left);
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: drop the offending character.
    size_t n = skip(static_cast<unsigned char>(*src));
    if (n > src_left) n = src_left;
    src += n;
    src_left -= n;
    out.push_back('?');
  }
  iconv_close(cd);
  return out;
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

}  // namespace

std::string utf8_to_cp1251(std::string_view utf8) {
  return convert("CP1251", "UTF-8", utf8, utf8_length);
}

std::string cp1251_to_utf8(std::string_view cp1251) {
  return convert("UTF-8", "CP1251", cp1251, [](unsigned char) -> size_t { return 1; });
}

unsigned char cp1251_fold(unsigned char c) { return kFold[c]; }

}  // namespace orn
