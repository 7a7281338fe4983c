#include "link/exchange_trace.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "link/append_file.h"
#include "text/cp1251.h"

namespace orn {
namespace {

constexpr std::string_view kSeparator = "\r\n____________________________\r\n";

// One record, built in a buffer of its own and appended to the trace file
// in one go, so tracing a transaction never touches the heap; a file that
// cannot be opened drops the record silently, the exchange goes on unaffected.
class Record {
 public:
  // Text goes out as data, never as a format.
  void text(std::string_view s) {
    const size_t n = s.size() < room() ? s.size() : room();
    std::memcpy(buf_ + size_, s.data(), n);
    size_ += n;
  }
  // Integers only: the C locale never changes how %u prints.
  template <typename... Args>
  void format(const char* fmt, Args... args) {
    const int n = std::snprintf(buf_ + size_, room() + 1, fmt, args...);
    if (n > 0) size_ += static_cast<size_t>(n) < room() ? static_cast<size_t>(n) : room();
  }
  // A label of the register table, in Windows-1251 like every file of the tool.
  void label(std::string_view utf8) { size_ += utf8_to_cp1251_into(utf8, buf_ + size_, room()); }
  void stamp(const LocalTime& t, char sep) {
    format("%02u %02u %02u %02u%c%02u%c%02u.%03u \r\n", t.day, t.month, t.year, t.hour, sep,
           t.minute, sep, t.second, t.millisecond);
  }
  void attempt(unsigned n) {
    if (n == 0)
      format("Attempt:%u\r\n", n);
    else
      format("Attempt:%u                                        *************\r\n", n);
  }
  void bytes(const uint8_t* frame, size_t n) {
    for (size_t i = 0; i < n; ++i) format(" %02x", static_cast<unsigned>(frame[i]));
  }
  void append_to(const std::string& path) const {
    const std::string_view whole[] = {std::string_view(buf_, size_)};
    append_to_file(path, whole);
  }

 private:
  // Room for a 256-byte frame as text and the longest header.
  static constexpr size_t kCapacity = 1536;
  size_t room() const { return kCapacity - 1 - size_; }
  char buf_[kCapacity];
  size_t size_ = 0;
};

}  // namespace

void ExchangeTrace::read_request(const uint8_t* frame, size_t n, unsigned attempt) {
  if (!enabled()) return;
  const LocalTime t = clock_.now();
  Record r;
  r.text(kSeparator);
  r.stamp(t, '-');
  r.attempt(attempt);
  r.text("Send:\r\n");
  r.bytes(frame, n);
  r.append_to(exchange_.log_file_name);
}

void ExchangeTrace::bytes_record(const char* tag, const uint8_t* bytes, size_t n) {
  if (!enabled()) return;
  const LocalTime t = clock_.now();
  Record r;
  r.text("\r\n");
  r.stamp(t, '-');
  r.text(tag);
  r.bytes(bytes, n);
  r.append_to(exchange_.log_file_name);
}

void ExchangeTrace::read_answer(const uint8_t* frame, size_t n) { bytes_record("Answ:\r\n", frame, n); }

void ExchangeTrace::write_request(const uint8_t* frame, size_t n, std::string_view label) {
  if (!enabled()) return;
  const LocalTime t = clock_.now();
  Record r;
  r.text(kSeparator);
  r.format("COM_port %u, NET_num %u ", static_cast<unsigned>(link_.port),
           static_cast<unsigned>(link_.address));
  if (is_rate_index(link_.rate_index)) r.format(" %u", static_cast<unsigned>(baud_for_rate_index(link_.rate_index)));
  r.format(" Ser_par %u\r\n\r\n", static_cast<unsigned>(link_.parity));
  r.stamp(t, '-');
  r.label(label);
  r.text("\r\n");
  r.text("Send:\r\n");
  r.bytes(frame, n);
  r.append_to(exchange_.log_file_name);
}

void ExchangeTrace::write_answer(const uint8_t* frame, size_t n, unsigned attempt) {
  if (!enabled()) return;
  const LocalTime t = clock_.now();
  Record r;
  r.text("\r\n\r\n");
  r.stamp(t, ':');
  r.attempt(attempt);
  r.text("Answ:\r\n");
  r.bytes(frame, n);
  r.append_to(exchange_.log_file_name);
}

void ExchangeTrace::late_bytes(const uint8_t* bytes, size_t n) { bytes_record("Late:\r\n", bytes, n); }

}  // namespace orn
