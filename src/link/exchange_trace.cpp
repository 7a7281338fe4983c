#include "link/exchange_trace.h"

#include <cstdio>

#include "link/append_file.h"
#include "text/cp1251.h"

namespace orn {
namespace {

constexpr std::string_view kSeparator = "\r\n____________________________\r\n";

// Appends one record to the trace file; a file that cannot be opened drops the
// record silently, the exchange goes on unaffected.
class Record {
 public:
  explicit Record(const std::string& path) : f_(open_for_append(path)) {}
  ~Record() {
    if (f_) std::fclose(f_);
  }
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;

  bool ok() const { return f_ != nullptr; }
  // Text goes out as data, never as a format.
  void text(std::string_view s) {
    if (!s.empty()) std::fwrite(s.data(), 1, s.size(), f_);
  }
  // Integers only: the C locale never changes how %u prints.
  template <typename... Args>
  void format(const char* fmt, Args... args) {
    std::fprintf(f_, fmt, args...);
  }
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

 private:
  std::FILE* f_;
};

}  // namespace

void ExchangeTrace::read_request(const uint8_t* frame, size_t n, unsigned attempt) {
  if (!enabled()) return;
  const LocalTime t = clock_.now();
  Record r(exchange_.log_file_name);
  if (!r.ok()) return;
  r.text(kSeparator);
  r.stamp(t, '-');
  r.attempt(attempt);
  r.text("Send:\r\n");
  r.bytes(frame, n);
}

void ExchangeTrace::read_answer(const uint8_t* frame, size_t n) {
  if (!enabled()) return;
  const LocalTime t = clock_.now();
  Record r(exchange_.log_file_name);
  if (!r.ok()) return;
  r.text("\r\n");
  r.stamp(t, '-');
  r.text("Answ:\r\n");
  r.bytes(frame, n);
}

void ExchangeTrace::write_request(const uint8_t* frame, size_t n, std::string_view label) {
  if (!enabled()) return;
  const LocalTime t = clock_.now();
  Record r(exchange_.log_file_name);
  if (!r.ok()) return;
  r.text(kSeparator);
  r.format("COM_port %u, NET_num %u ", static_cast<unsigned>(link_.port),
           static_cast<unsigned>(link_.address));
  if (is_rate_index(link_.rate_index)) r.format(" %u", static_cast<unsigned>(baud_for_rate_index(link_.rate_index)));
  r.format(" Ser_par %u\r\n\r\n", static_cast<unsigned>(link_.parity));
  r.stamp(t, '-');
  // Labels are UTF-8 in memory; the trace is Windows-1251 like every file of the tool.
  r.text(utf8_to_cp1251(label));
  r.text("\r\n");
  r.text("Send:\r\n");
  r.bytes(frame, n);
}

void ExchangeTrace::write_answer(const uint8_t* frame, size_t n, unsigned attempt) {
  if (!enabled()) return;
  const LocalTime t = clock_.now();
  Record r(exchange_.log_file_name);
  if (!r.ok()) return;
  r.text("\r\n\r\n");
  r.stamp(t, ':');
  r.attempt(attempt);
  r.text("Answ:\r\n");
  r.bytes(frame, n);
}

}  // namespace orn
