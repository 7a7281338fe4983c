#pragma once
// Cyclic polling of the measurement: the four cycle counters and the work of
// one polling cycle.
//
// Contract with the window, which owns the polling flag and the timer: the
// timer fires every 1000 ms and is re-armed only after a cycle's work, so
// cycles never overlap. On a tick the window disables the timer; if another
// page is in front it clears the flag (start enabled, stop disabled); if the
// flag is on it calls poll_cycle, then shows
// measurement_display(record.izmerr, record.statp, record.faults, record) and
// the counters; finally it re-arms the timer. Errors never stop the poll and
// show no message box.
#include <cstdint>

#include "link/clock.h"
#include "link/modbus_master.h"
#include "measure/measure_log.h"
#include "measure/measured_value.h"

namespace orn {

// Counted IZMERR bits: all but bit 1 and bit 2, so a value merely below or
// above the range limits is not a measurement error.
inline constexpr uint16_t kMeasurementErrorMask = 0xFFF9;

// Four 16-bit counters that wrap from 65535 to 0; zero at start and after a reset.
struct PollCounters {
  uint16_t cycles = 0;              // "Число циклов обмена"
  uint16_t measurement_errors = 0;  // "Ошибки в измерении"
  uint16_t exchange_errors = 0;     // "Ошибки в обмене"
  uint16_t retries = 0;             // "Переспросы"
};

// Counts one cycle with the cycle's fault set and the record's IZMERR (after
// a failed read: that of the last good read).
void count_poll_cycle(PollCounters& counters, uint16_t faults, uint16_t izmerr);

// One cycle: reads the block into the record (the exception code only counts
// through the fault set), counts it (a read left unchecked at address 255 as
// an exchange error), and appends a log line with the time of
// clock when the log switch is on, also after a failed read, when the line
// repeats the last good values.
ExchangeResult poll_cycle(ModbusMaster& master, MeasureBlock block, MeasuredValue& record,
                          PollCounters& counters, const MeasureLogSettings& log, Clock& clock);

}  // namespace orn
