#pragma once
// orn20mb-cli search: the window's bus search on the command line. Finds go
// to the output as the window's list lines (or JSON objects), the progress
// and the ending's message to the error stream.
#include <string>

#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "link/link_params.h"

namespace orn {

// The device's allowance to begin its answer when --timeout is not given:
// a transmitter that answers within 20 ms, with room for the line's latency.
inline constexpr uint16_t kDefaultReplyAllowanceMs = 25;

// Makes reads wait timeout_ms for an answer to begin plus the time its bytes
// take at the rate: the read time-out constant and the per-byte multipliers.
void apply_probe_timeout(uint16_t timeout_ms, ExchangeSettings& exchange, RateTimeouts& timeouts);

// Runs the search on the device at path with the link, time-outs and attempts
// given; returns the exit status (no find is a failure).
int run_search(const CliOptions& options, CliContext& context, LinkParams link, ExchangeSettings exchange,
               RateTimeouts timeouts, const std::string& path);

}  // namespace orn
