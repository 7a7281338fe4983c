#pragma once
// The exchange trace: a plain text file that records every frame sent and
// received, two records per attempt, each opened and closed on its own so the
// file can be viewed, moved or deleted while the tool runs.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/clock.h"
#include "link/link_params.h"

namespace orn {

class ExchangeTrace {
 public:
  ExchangeTrace(Clock& clock, const LinkParams& link, const ExchangeSettings& exchange)
      : clock_(clock), link_(link), exchange_(exchange) {}

  // Records are written only while UseLogFile is exactly 1.
  bool enabled() const { return exchange_.use_log_file == 1; }

  void read_request(const uint8_t* frame, size_t n, unsigned attempt);
  void read_answer(const uint8_t* frame, size_t n);
  void write_request(const uint8_t* frame, size_t n, std::string_view label);
  void write_answer(const uint8_t* frame, size_t n, unsigned attempt);
  // Bytes that followed an answer taken at its last byte, seen before the next request.
  void late_bytes(const uint8_t* bytes, size_t n);

 private:
  // A record of bytes after a line break and a time stamp: "Answ:" or "Late:".
  void bytes_record(const char* tag, const uint8_t* bytes, size_t n);

  Clock& clock_;
  const LinkParams& link_;
  const ExchangeSettings& exchange_;
};

}  // namespace orn
