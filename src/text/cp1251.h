#pragma once
// Windows-1251 <-> UTF-8 at the file and device text-register boundaries (iconv).
#include <string>
#include <string_view>

namespace orn {

// Every byte maps to one character; the byte Windows-1251 leaves undefined
// (0x98) becomes U+0098 and converts back to 0x98. Zero bytes are kept.
std::string cp1251_to_utf8(std::string_view bytes);
// Characters Windows-1251 cannot hold, and malformed UTF-8, become '?'.
std::string utf8_to_cp1251(std::string_view utf8);
// The same into out without touching the heap (the trace of a polling
// cycle); stops when out is full and returns the bytes written.
size_t utf8_to_cp1251_into(std::string_view utf8, char* out, size_t capacity);
// True when every character of the text has a Windows-1251 byte.
bool fits_cp1251(std::string_view utf8);

// Case folding of one Windows-1251 byte: Latin and Cyrillic capitals become
// small letters, every other byte stays.
unsigned char cp1251_fold(unsigned char c);

}  // namespace orn
