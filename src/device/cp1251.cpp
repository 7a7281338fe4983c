#include "device/cp1251.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace orn {
namespace {

// Owns one conversion descriptor for the length of a call.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts in, calling on_bad(in, left) at an unconvertible or incomplete
  // sequence; on_bad returns how many input bytes to skip and appends its stand-in.
  template <typename OnBad>
  std::string run(std::string_view in, OnBad on_bad) {
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

}  // namespace

std::string cp1251_to_utf8(std::string_view bytes) {
  Converter conv("UTF-8", "WINDOWS-1251");
  return conv.run(bytes, [](std::string& out, std::string_view) {
    out += "\xEF\xBF\xBD";
    return size_t{1};
  });
}

std::string utf8_to_cp1251(std::string_view utf8) {
  Converter conv("WINDOWS-1251", "UTF-8");
  return conv.run(utf8, [](std::string& out, std::string_view rest) {
    out += '?';
    size_t n = utf8_sequence_length(static_cast<unsigned char>(rest.front()));
    return n < rest.size() ? n : rest.size();
  });
}

}  // namespace orn
