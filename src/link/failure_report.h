#pragma once
// Turns an exchange fault set and exception code into the one message the
// user sees, chosen by a fixed priority so the most telling cause wins.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/faults.h"
#include "link/prompt.h"

namespace orn {

struct FailureMessage {
  std::string text;
  std::string caption;
};

// The same without touching the heap: a fixed text and, for an exception code
// the table does not name, the code that follows it.
struct FailureText {
  std::string_view text;
  std::string_view caption;
  int code = -1;  // >= 0: printed after text
};
std::optional<FailureText> failure_text(const ExchangeResult& r);

// The message for a failure, or nothing when no reportable bit is set
// (the retried bit alone is never reported).
std::optional<FailureMessage> failure_message(uint16_t faults, uint16_t exception);

// The same for a whole result; a read left unchecked at network address 255
// gets a message of its own, since no fault bit tells it.
std::optional<FailureMessage> failure_message(const ExchangeResult& r);

// Shows the message, if any, as a warning with an OK button.
void report_exchange_failure(Prompt& prompt, uint16_t faults, uint16_t exception);
void report_exchange_failure(Prompt& prompt, const ExchangeResult& r);

}  // namespace orn
