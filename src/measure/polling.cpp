#include "measure/polling.h"

namespace orn {
namespace {

void increment(uint16_t& counter) { counter = static_cast<uint16_t>(counter + 1); }

}  // namespace

void count_poll_cycle(PollCounters& counters, uint16_t faults, uint16_t izmerr) {
  increment(counters.cycles);
  if (faults & kFaultMask) increment(counters.exchange_errors);
  if (faults & kFaultRetried) increment(counters.retries);
  if (izmerr & kMeasurementErrorMask) increment(counters.measurement_errors);
}

ExchangeResult poll_cycle(ModbusMaster& master, MeasureBlock block, MeasuredValue& record,
                          PollCounters& counters, const MeasureLogSettings& log, Clock& clock) {
  const ExchangeResult r = read_measurement(master, block, record);
  count_poll_cycle(counters, r.faults, record.izmerr);
  // At address 255 nothing was read: the cycle counts as a failed exchange.
  if (r.unchecked) increment(counters.exchange_errors);
  if (log.write_file == 1) append_measure_log(log, record, clock.now());
  return r;
}

}  // namespace orn
