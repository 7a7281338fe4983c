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

std::string format_number(double x, NumberFormat format) {
  char buf[60] = {};
  CLocaleScope scope;
  // snprintf bounds the text to the buffer: a double beyond the float range
  // would otherwise need more than 60 bytes.
  std::snprintf(buf, sizeof buf, format_text(format), x);
  return std::string(buf);
}

}  // namespace orn
