// The master in MBAP frames over a TCP connection, against a server scripted
// by the test: the frames, every answer check, stale transaction ids, a
// server that closes or stays silent, and the choice of framing by path.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "link/modbus_master.h"
#include "link/port_connection.h"
#include "link/system_serial_port.h"
#include "link/tcp_serial_port.h"
#include "support/fakes.h"
#include "support/scripted_tcp_server.h"
#include "support/master_rig.h"

namespace orn {
namespace {

using Bytes = std::vector<uint8_t>;
using test::ScriptedTcpServer;

class ModbusTcpTest : public ::testing::Test, protected test::MasterRig<TcpSerialPort> {
 protected:
  void connect(ScriptedTcpServer& server) {
    ASSERT_FALSE(server.path().empty());
    ASSERT_TRUE(port.open(server.path(), 19200, kParityNone)) << port.open_error();
    ASSERT_EQ(port.frame_format(), FrameFormat::Mbap);
  }

};

const Bytes kValuePdu = {0x03, 0x02, 0x12, 0x34};

TEST_F(ModbusTcpTest, ReadAndWriteSendTheKnownFrames) {
  ScriptedTcpServer server([](const Bytes& rq) {
    if (rq[7] == 0x03) return ScriptedTcpServer::answer(rq, kValuePdu);
    return ScriptedTcpServer::answer(rq, Bytes(rq.begin() + 7, rq.begin() + 12));
  });
  connect(server);
  uint16_t value = 0;
  ExchangeResult r = master.read(0x0100, 1, &value);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(value, 0x1234);
  const uint16_t values[2] = {0x0001, 0xABCD};
  r = master.write(0x0416, 2, values, "X");
  EXPECT_TRUE(r.ok()) << r.faults;
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], (Bytes{0x00, 0x01, 0x00, 0x00, 0x00, 0x06, 0x01, 0x03, 0x01, 0x00, 0x00, 0x01}));
  EXPECT_EQ(requests[1], (Bytes{0x00, 0x02, 0x00, 0x00, 0x00, 0x0B, 0x01, 0x10, 0x04, 0x16, 0x00, 0x02, 0x04,
                                0x00, 0x01, 0xAB, 0xCD}));
}

// One attempt each (retry mask 0), so the fault set is exactly what the checks found.
TEST_F(ModbusTcpTest, AnswerChecksSetTheirBits) {
  struct Case {
    const char* name;
    uint16_t address;
    std::function<std::optional<Bytes>(const Bytes&)> script;
    uint16_t faults;
    uint16_t exception;
  };
  const auto edited = [](size_t at, int delta) {
    return [at, delta](const Bytes& rq) -> std::optional<Bytes> {
      Bytes a = ScriptedTcpServer::answer(rq, kValuePdu);
      a[at] = static_cast<uint8_t>(a[at] + delta);
      return a;
    };
  };
  const auto with_pdu = [](Bytes pdu) {
    return [pdu](const Bytes& rq) -> std::optional<Bytes> { return ScriptedTcpServer::answer(rq, pdu); };
  };
  const Case cases[] = {
      {"correct", 1, with_pdu(kValuePdu), 0x0000, 0},
      {"silence", 1, [](const Bytes&) -> std::optional<Bytes> { return Bytes{}; }, 0x004E, 0},
      {"connection closed", 1, [](const Bytes&) -> std::optional<Bytes> { return std::nullopt; }, 0x004E, 0},
      {"exception answer", 1, with_pdu({0x83, 0x02}), 0x001A, 2},
      {"wrong function", 1, with_pdu({0x04, 0x02, 0x12, 0x34}), 0x0008, 0},
      {"stale transaction id", 1, edited(1, -1), 0x0004, 0},
      {"protocol other than 0", 1, edited(3, 1), 0x0004, 0},
      {"another unit id", 1, edited(6, 4), 0x0004, 0},
      {"any address accepts unit 5", 0, edited(6, 4), 0x0000, 0},
      {"length field one too many", 1, edited(5, 1), 0x0002, 0},
      {"surplus byte in the frame", 1, with_pdu({0x03, 0x02, 0x12, 0x34, 0x00}), 0x0002, 0},
      {"answer cut short", 1, with_pdu({0x03, 0x02, 0x12}), 0x0002, 0},
  };
  exchange.retry_mask = 0;
  exchange.timeout = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedTcpServer server(c.script);
    connect(server);
    link.address = c.address;
    uint16_t value = 0;
    const ExchangeResult r = master.read(0x0100, 1, &value);
    EXPECT_EQ(r.faults, c.faults);
    EXPECT_EQ(r.exception, c.exception);
    if (c.faults == 0) {
      EXPECT_EQ(value, 0x1234);
    }
    port.close();
  }
}

// The answer to a timed-out attempt arrives during the next one: its
// transaction id is an earlier one, so it is a foreign answer, not a value.
TEST_F(ModbusTcpTest, ALateAnswerToAnEarlierAttemptIsAFault) {
  exchange.timeout = 500;  // each attempt waits 7 * 24 + 500 ms
  ScriptedTcpServer server([](const Bytes& rq) -> std::optional<Bytes> {
    if (rq[1] == 1) std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    Bytes pdu = kValuePdu;
    pdu[3] = rq[1];  // the value tells which request it answers
    return ScriptedTcpServer::answer(rq, pdu);
  });
  connect(server);
  uint16_t value = 0;
  const ExchangeResult r = master.read(0x0100, 1, &value);
  EXPECT_EQ(r.faults, kFaultRetried | kFaultAddress);
  EXPECT_FALSE(r.ok());
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_EQ(server.requests()[1][1], 2);

  // The next transaction takes the next id and is answered in time.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(master.read(0x0100, 1, &value).ok());
  EXPECT_EQ(value, 0x1203);
}

TEST_F(ModbusTcpTest, EveryAttemptTakesTheNextTransactionId) {
  ScriptedTcpServer server([](const Bytes& rq) -> std::optional<Bytes> {
    if (rq[1] < 3) return Bytes{};
    return ScriptedTcpServer::answer(rq, kValuePdu);
  });
  connect(server);
  exchange.timeout = 50;
  exchange.reask_val = 3;
  uint16_t value = 0;
  EXPECT_EQ(master.read(0x0100, 1, &value).faults, kFaultRetried);
  EXPECT_EQ(value, 0x1234);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  for (size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(requests[k][0], 0);
    EXPECT_EQ(requests[k][1], k + 1);
  }
}

TEST_F(ModbusTcpTest, AtAddress255TheReadIsUncheckedAndTheUnitIdIs255) {
  ScriptedTcpServer server([](const Bytes& rq) { return ScriptedTcpServer::answer(rq, kValuePdu); });
  connect(server);
  link.address = kAddressNoAnswerCheck;
  uint16_t value = 7;
  const ExchangeResult r = master.read(0x0100, 1, &value);
  EXPECT_TRUE(r.unchecked);
  EXPECT_EQ(r.faults, 0);
  EXPECT_EQ(value, 7);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0][6], 0xFF);
}

// A port number mapped to a "modbus-tcp:" path (--port-map, [PORTS]) is
// listed, opened and spoken to in MBAP frames; a gateway path keeps RTU.
TEST(ModbusTcpPortMap, AMappedServerIsListedAndOpenedWithMbapFrames) {
  ScriptedTcpServer server([](const Bytes& rq) { return ScriptedTcpServer::answer(rq, kValuePdu); });
  ASSERT_FALSE(server.path().empty());
  SystemSerialPort port;
  PortMap ports;
  for (uint16_t n = kPortNumberMin; n <= kPortNumberMax; ++n) ports.set(n, "");
  ports.set(200, server.path());
  test::ScriptedPrompt prompt;
  PortConnection connection(port, ports, prompt);
  EXPECT_EQ(connection.probe(), 1);
  EXPECT_EQ(connection.table()[0], 200);
  connection.open(200, kRateIndexDefault, kParityNone, 2000, true);
  ASSERT_TRUE(connection.is_open());
  EXPECT_EQ(port.frame_format(), FrameFormat::Mbap);

  test::VirtualPump pump;
  test::FixedClock clock;
  LinkParams link;
  ExchangeSettings exchange;
  RateTimeouts timeouts;
  ModbusMaster master{port, pump, clock, link, exchange, timeouts};
  uint16_t value = 0;
  EXPECT_TRUE(master.read(0x0100, 1, &value).ok());
  EXPECT_EQ(value, 0x1234);
  EXPECT_TRUE(prompt.records.empty());

  // The probe of a server that is gone finds nothing, and a failed open says why.
  ports.set(200, "modbus-tcp:127.0.0.1:1");
  EXPECT_EQ(connection.probe(), 0);
  connection.open(200, kRateIndexDefault, kParityNone, 2000, true);
  EXPECT_FALSE(connection.is_open());
  ASSERT_EQ(prompt.records.size(), 1u);
  EXPECT_NE(prompt.records[0].text.find("modbus-tcp:127.0.0.1:1"), std::string::npos);
}

}  // namespace
}  // namespace orn
