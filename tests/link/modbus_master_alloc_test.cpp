// A transaction with the trace off allocates nothing on the heap: this binary
// counts every heap allocation while transactions run.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>

#include "link/modbus_master.h"
#include "support/fakes.h"
#include "support/scripted_port.h"

// Counts every heap allocation of the process: malloc and friends are
// interposed (operator new ends in malloc too), so allocations made by the C
// library, such as a FILE opened for the trace, are counted as well.
namespace {
std::atomic<long> g_allocations{0};
}

#ifndef __SANITIZE_ADDRESS__
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* malloc(size_t n) {
  ++g_allocations;
  return __libc_malloc(n);
}
void* calloc(size_t n, size_t size) {
  ++g_allocations;
  return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n) {
  ++g_allocations;
  return __libc_realloc(p, n);
}
}
#endif

namespace orn {
namespace {

// Answers every read with a correct frame, every other read with silence,
// and keeps no records, so that only the master could allocate.
class AlternatingPort final : public SerialPort {
 public:
  bool open(const std::string&, uint32_t, uint16_t) override { return true; }
  void close() override {}
  bool is_open() const override { return true; }
  bool probe(const std::string&) override { return true; }
  void set_timeouts(const SerialTimeouts&) override {}
  void purge() override {}
  size_t write(const uint8_t* data, size_t n) override {
    function_ = data[1];
    return n;
  }
  size_t read(uint8_t* buf, size_t n) override {
    if (++reads_ % 3 == 0) return 0;
    static constexpr uint8_t kRead[] = {0x01, 0x03, 0x02, 0x00, 0x01, 0x79, 0x84};
    static constexpr uint8_t kWrite[] = {0x01, 0x10, 0x04, 0x16, 0x00, 0x01, 0xE1, 0x3D};
    const uint8_t* a = function_ == 0x03 ? kRead : kWrite;
    const size_t len = function_ == 0x03 ? sizeof kRead : sizeof kWrite;
    const size_t k = len < n ? len : n;
    for (size_t i = 0; i < k; ++i) buf[i] = a[i];
    return k;
  }
  uint32_t take_line_errors() override { return 0; }
  void set_rts(bool) override {}
  void set_dtr(bool) override {}

 private:
  uint8_t function_ = 0;
  unsigned reads_ = 0;
};

TEST(MasterAllocation, ReadsWritesAndRetriesAllocateNothing) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizer owns malloc";
#endif
  AlternatingPort port;
  test::VirtualPump pump;
  test::FixedClock clock;
  LinkParams link;
  ExchangeSettings exchange;
  RateTimeouts timeouts;
  ModbusMaster master{port, pump, clock, link, exchange, timeouts};
  pump.waits.reserve(1000);

  uint16_t value = 0, exception = 0;
  unsigned failures = 0;
  const uint16_t one = 1;
  const long before = g_allocations.load();
  for (int i = 0; i < 100; ++i) {
    failures |= master.read_holding_registers(0x0100, 1, &value, exception) & kFaultMask;
    failures |= master.write_multiple_registers(0x0416, 1, &one, exception, "BLINK") & kFaultMask;
  }
  EXPECT_EQ(g_allocations.load() - before, 0);
  // The silent answers were retried and every transaction ended well.
  EXPECT_EQ(failures, 0u);
  EXPECT_FALSE(pump.waits.empty());
}

}  // namespace
}  // namespace orn
