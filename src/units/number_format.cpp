#include "units/number_format.h"

#include <clocale>
#include <cstdio>
#include <locale.h>

namespace orn {
namespace {

constexpr const char* format_text(NumberFormat f) {
  switch (f) {
    case NumberFormat::Value: return "%-11.4f";
    case NumberFormat::Trim: return "%-13.6f";
    case NumberFormat::Percent: return "%-5.2f";
    case NumberFormat::Coefficient: return "%-11.9f";
  }
  return "%-11.4f";
}

// The C locale, created once and never changed: "." whatever the process locale.
locale_t c_locale() {
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

// Switches the calling thread to the C locale for one scope.
class CLocaleScope {
 public:
  CLocaleScope() : previous_(uselocale(c_locale())) {}
  ~CLocaleScope() { uselocale(previous_); }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_;
};

}  // namespace

size_t format_number_into(char (&out)[kNumberTextSize], double x, NumberFormat format) {
  out[0] = '\0';
  CLocaleScope scope;
  // snprintf bounds the text to the buffer: a double beyond the float range
  // would otherwise need more than 60 bytes.
  const int n = std::snprintf(out, sizeof out, format_text(format), x);
  if (n < 0) return 0;
  return static_cast<size_t>(n) < sizeof out ? static_cast<size_t>(n) : sizeof out - 1;
}

std::string format_number(double x, NumberFormat format) {
  char buf[kNumberTextSize];
  return std::string(buf, format_number_into(buf, x, format));
}

}  // namespace orn
