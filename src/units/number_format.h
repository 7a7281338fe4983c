#pragma once
// The fixed number formats of every number shown or written, always with "."
// as the decimal point whatever the process locale.
#include <cstddef>
#include <string>

namespace orn {

enum class NumberFormat {
  Value,        // "%-11.4f": measured values, range limits, correction log values
  Trim,         // "%-13.6f": user trims, adjustment panel, profile values
  Percent,      // "%-5.2f": cut-offs, overrun limits, relative value
  Coefficient,  // "%-11.9f": polynomial coefficients
};

// The 60-byte buffer every number is formatted into.
inline constexpr size_t kNumberTextSize = 60;

// Formats x (a float widened to double by the callers) into a 60-byte buffer:
// longer output is cut to 59 characters; no output gives "".
std::string format_number(double x, NumberFormat format);
// The same into out without touching the heap (the polling cycle's log
// line); returns the length.
size_t format_number_into(char (&out)[kNumberTextSize], double x, NumberFormat format);

}  // namespace orn
