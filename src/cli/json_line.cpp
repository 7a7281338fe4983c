#include "cli/json_line.h"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "link/failure_report.h"

namespace orn {
namespace {

struct FaultName {
  uint16_t bit;
  const char* name;
};
constexpr FaultName kFaultNames[] = {
    {kFaultLine, "line"},         {kFaultLength, "length"},   {kFaultAddress, "address"},
    {kFaultFunction, "function"}, {kFaultException, "exception"}, {kFaultCrc, "crc"},
    {kFaultNoAnswer, "no_answer"}, {kFaultStopped, "stopped"}, {kFaultLineBusy, "line_busy"},
    {kFaultRetried, "retried"},
};

// The length of the UTF-8 sequence at s (1..4), or 0 when it is not one.
size_t utf8_length(std::string_view s) {
  const auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char c = b(0);
  size_t n = 0;
  uint32_t cp = 0;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F;
  else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F;
  else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07;
  else return 0;
  if (s.size() < n) return 0;
  for (size_t i = 1; i < n; ++i) {
    if ((b(i) & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (b(i) & 0x3F);
  }
  // Overlong forms, surrogates and code points above U+10FFFF are not UTF-8.
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return n;
}

}  // namespace

void JsonLine::put(char c) {
  // One place is kept for the closing "}\n".
  if (size_ + 2 < sizeof text_) text_[size_++] = c;
}

void JsonLine::put(std::string_view s) {
  // Whole or not at all, so a UTF-8 sequence is never cut.
  if (size_ + s.size() + 2 > sizeof text_) return;
  s.copy(text_ + size_, s.size());
  size_ += s.size();
}

void JsonLine::escaped(std::string_view s) {
  put('"');
  while (!s.empty()) {
    const char c = s[0];
    const size_t n = utf8_length(s);
    if (n == 0) {
      put("\\ufffd");  // not UTF-8: the replacement character
      s.remove_prefix(1);
      continue;
    }
    if (n > 1) {
      put(s.substr(0, n));
    } else if (c == '"' || c == '\\') {
      put('\\');
      put(c);
    } else if (c == '\n') {
      put("\\n");
    } else if (c == '\r') {
      put("\\r");
    } else if (c == '\t') {
      put("\\t");
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      char u[8];
      std::snprintf(u, sizeof u, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
      put(u);
    } else {
      put(c);
    }
    s.remove_prefix(n);
  }
  put('"');
}

void JsonLine::key(std::string_view k) {
  if (!first_) put(',');
  first_ = false;
  escaped(k);
  put(':');
}

JsonLine& JsonLine::number(std::string_view k, uint64_t n) {
  key(k);
  char digits[24];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, n);
  put(std::string_view(digits, ec == std::errc() ? static_cast<size_t>(end - digits) : 0));
  return *this;
}

JsonLine& JsonLine::number(std::string_view k, float x) {
  key(k);
  char digits[32];
  const auto [end, ec] = std::isfinite(x) ? std::to_chars(digits, digits + sizeof digits, x)
                                          : std::to_chars_result{digits, std::errc::invalid_argument};
  put(ec == std::errc() ? std::string_view(digits, static_cast<size_t>(end - digits)) : "null");
  return *this;
}

JsonLine& JsonLine::literal(std::string_view k, std::string_view json) {
  key(k);
  put(json);
  return *this;
}

JsonLine& JsonLine::boolean(std::string_view k, bool b) { return literal(k, b ? "true" : "false"); }

JsonLine& JsonLine::string(std::string_view k, std::string_view utf8) {
  key(k);
  escaped(utf8);
  return *this;
}

JsonLine& JsonLine::time(std::string_view k, const LocalTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return string(k, text);
}

JsonLine& JsonLine::faults(uint16_t faults, uint16_t exception) {
  key("faults");
  put('[');
  bool first = true;
  for (const FaultName& f : kFaultNames) {
    if ((faults & f.bit) == 0) continue;
    if (!first) put(',');
    first = false;
    escaped(f.name);
  }
  put(']');
  number("fault_bits", uint64_t{faults});
  return number("exception", uint64_t{exception});
}

JsonLine& JsonLine::failure(const ExchangeResult& r) {
  faults(r.faults, r.exception);
  if (r.unchecked) boolean("unchecked", true);
  if (auto t = failure_text(r)) {
    if (t->code < 0) return string("error", t->text);
    char text[160];
    const int n = std::snprintf(text, sizeof text, "%.*s%d", static_cast<int>(t->text.size()), t->text.data(), t->code);
    return string("error", std::string_view(text, n < 0 ? 0 : std::min(static_cast<size_t>(n), sizeof text - 1)));
  }
  char text[64];
  std::snprintf(text, sizeof text, "Ошибка в обмене (0x%04X)", static_cast<unsigned>(r.faults));
  return string("error", text);
}

std::string_view JsonLine::line() {
  if (!closed_) {
    // put() always leaves room for these two.
    text_[size_++] = '}';
    text_[size_++] = '\n';
    closed_ = true;
  }
  return {text_, size_};
}

std::string json_string(std::string_view utf8) {
  JsonLine j;
  const std::string_view line = j.string("", utf8).line();
  constexpr size_t kHead = 4, kTail = 2;  // {"": and }\n
  return std::string(line.substr(kHead, line.size() - kHead - kTail));
}

void measurement_json(JsonLine& j, const MeasuredValue& record) {
  j.number("pressure", record.pizmf)
      .number("error_bits", uint64_t{record.izmerr})
      .number("temperature", record.tizmf)
      .number("status_bits", uint64_t{record.statp})
      .number("button_bits", uint64_t{record.btn});
}

}  // namespace orn
