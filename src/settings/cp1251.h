#pragma once
// Conversion between the UTF-8 text held in memory and the Windows-1251 bytes
// of settings files.
#include <string>
#include <string_view>

namespace orn {

// A character that Windows-1251 cannot hold, or a malformed UTF-8 byte,
// becomes "?" (as Windows writes it).
std::string utf8_to_cp1251(std::string_view utf8);

// The one byte that Windows-1251 leaves undefined (0x98) becomes "?".
std::string cp1251_to_utf8(std::string_view cp1251);

// Case folding of one Windows-1251 byte: Latin and Cyrillic capitals become
// small letters, every other byte stays.
unsigned char cp1251_fold(unsigned char c);

}  // namespace orn
