#pragma once
// One JSON object on one line, built in a buffer of its own so that a polling
// cycle never touches the heap: keys in order, numbers as numbers, strings
// escaped (UTF-8 kept, control characters and invalid bytes escaped).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "link/clock.h"
#include "link/faults.h"
#include "measure/measured_value.h"

namespace orn {

class JsonLine {
 public:
  JsonLine() { put('{'); }

  JsonLine& number(std::string_view key, uint64_t n);
  JsonLine& number(std::string_view key, float x);  // shortest text that reads back; null when not finite
  JsonLine& literal(std::string_view key, std::string_view json);  // a number or other JSON text as given
  JsonLine& boolean(std::string_view key, bool b);
  JsonLine& string(std::string_view key, std::string_view utf8);
  // "time":"YYYY-MM-DDTHH:MM:SS", local time.
  JsonLine& time(std::string_view key, const LocalTime& t);
  // Of a failed exchange: "faults" (names of the bits), "fault_bits",
  // "exception", "unchecked" when so, and "error" (the message of failure_text).
  JsonLine& failure(const ExchangeResult& r);
  // The fault names and bits of a read that succeeded (maybe "retried").
  JsonLine& faults(uint16_t faults, uint16_t exception);

  // The object closed, with "\n".
  std::string_view line();

 private:
  void key(std::string_view k);
  void put(char c);
  void put(std::string_view s);
  void escaped(std::string_view s);

  char text_[1024];
  size_t size_ = 0;
  bool first_ = true;
  bool closed_ = false;
};

// A text as a JSON string, quoted and escaped as the lines escape it.
std::string json_string(std::string_view utf8);

// The measured values of a good read: "pressure" (PIZMF), "error_bits"
// (IZMERR), "temperature" (TIZMF), "status_bits" (STATP), "button_bits" (BTN).
void measurement_json(JsonLine& j, const MeasuredValue& record);

}  // namespace orn
