// The bus search against several simulated transmitters on an in-memory line:
// the trial order, the finds and their list lines, the three endings, the
// stop during a probe, the link restored, and picking a find.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/port_connection.h"
#include "search/bus_search.h"
#include "search/probe_time.h"
#include "sim/sim_line.h"
#include "sim/sim_serial_port.h"
#include "support/fakes.h"

namespace orn {
namespace {

// The simulated port, counting how often it is opened.
class CountingPort final : public SerialPort {
 public:
  explicit CountingPort(sim::SimSerialPort& port) : p_(port) {}
  bool open(const std::string& path, uint32_t baud, uint16_t parity) override {
    ++opens;
    return p_.open(path, baud, parity);
  }
  void close() override { p_.close(); }
  bool is_open() const override { return p_.is_open(); }
  bool probe(const std::string& path) override { return p_.probe(path); }
  void set_timeouts(const SerialTimeouts& t) override { p_.set_timeouts(t); }
  void purge() override { p_.purge(); }
  size_t write(const uint8_t* data, size_t n) override { return p_.write(data, n); }
  size_t read(uint8_t* buf, size_t n) override { return p_.read(buf, n); }
  uint32_t take_line_errors() override { return p_.take_line_errors(); }
  void set_rts(bool on) override { p_.set_rts(on); }
  void set_dtr(bool on) override { p_.set_dtr(on); }
  int opens = 0;

 private:
  sim::SimSerialPort& p_;
};

struct Seen {
  uint16_t rate_index, address, parity;
  bool operator==(const Seen&) const = default;
};

// Records every probe with the port's settings at the time of its read.
class Recorder final : public SearchEvents {
 public:
  explicit Recorder(const sim::SimSerialPort& port, const test::ScriptedPrompt& prompt)
      : port_(port), prompt_(prompt) {}
  void probing(const SearchProbe& p) override {
    probes.push_back({p.rate_index, p.address, p.parity});
    texts.push_back(search_progress_text(p.rate_index, p.parity, p.address));
    if (!port_opens) return;
    EXPECT_TRUE(port_.is_open());
    EXPECT_EQ(port_.baud(), baud_for_rate_index(p.rate_index));
    EXPECT_EQ(port_.parity(), p.parity);
  }
  void found(const FoundTable& table) override {
    finds = table.count();
    messages_at_last_find = prompt_.records.size();
  }
  bool port_opens = true;
  std::vector<Seen> probes;
  std::vector<std::string> texts;
  uint16_t finds = 0;
  size_t messages_at_last_find = 0;

 private:
  const sim::SimSerialPort& port_;
  const test::ScriptedPrompt& prompt_;
};

SearchSelection selection(std::initializer_list<uint16_t> rate_indices, std::initializer_list<uint16_t> parities,
                          uint16_t first, uint16_t last) {
  SearchSelection s;
  for (uint16_t r : rate_indices) s.rates[r - kRateIndexMin] = 1;
  for (uint16_t p : parities) s.parities[p] = 1;
  s.first = first;
  s.last = last;
  return s;
}

// Every combination in the trial order: rates up, then addresses, then parities.
std::vector<Seen> trial_order(std::initializer_list<uint16_t> rate_indices, std::initializer_list<uint16_t> parities,
                              uint16_t first, uint16_t last) {
  std::vector<Seen> out;
  for (uint16_t r : rate_indices)
    for (uint16_t a = first; a <= last; ++a)
      for (uint16_t p : parities) out.push_back({r, a, p});
  return out;
}

constexpr uint16_t k1200 = 3, k9600 = 6, k19200 = 7;

class BusSearchTest : public ::testing::Test {
 protected:
  void SetUp() override { link = {1, 8, kParityEven, 9}; }  // 38400, even, address 9
  void add(uint16_t address, uint32_t baud, uint16_t parity) {
    sim::TransmitterConfig c;
    c.link = {address, baud, parity};
    line.add(c);
  }
  SearchEnding run(SearchSelection s) {
    search.start(s);
    shown = s;
    SearchEnding e = SearchEnding::None;
    while ((e = search.step(events)) == SearchEnding::None) {
    }
    return e;
  }
  void expect_link_restored() {
    EXPECT_EQ(link.rate_index, 8);
    EXPECT_EQ(link.parity, kParityEven);
    EXPECT_EQ(link.address, 9);
    EXPECT_TRUE(sim_port.is_open());
    EXPECT_EQ(sim_port.baud(), 38400u);
    EXPECT_EQ(sim_port.parity(), kParityEven);
  }
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (const auto& r : prompt.records) out.push_back(r.text);
    return out;
  }

  sim::SimLine line;
  sim::SimSerialPort sim_port{line};
  CountingPort port{sim_port};
  test::VirtualPump pump;
  test::FixedClock clock;
  test::ScriptedPrompt prompt;
  LinkParams link;
  ExchangeSettings exchange;
  RateTimeouts timeouts;
  PortMap ports;
  PortConnection connection{port, ports, prompt};
  ModbusMaster master{port, pump, clock, link, exchange, timeouts};
  MeasuredValue record;
  BusSearch search{master, connection, link, exchange, timeouts, record, prompt};
  Recorder events{sim_port, prompt};
  SearchSelection shown;
};

TEST_F(BusSearchTest, FindsEveryAnsweringCombinationInTrialOrder) {
  add(2, 9600, kParityEven);
  add(1, 19200, kParityNone);
  add(3, 1200, kParityOdd);
  add(2, 19200, kParityOdd);
  add(2, 38400, kParityNone);  // a rate not chosen

  EXPECT_EQ(run(selection({k1200, k9600, k19200}, {0, 1, 2}, 1, 3)), SearchEnding::Completed);

  EXPECT_EQ(events.probes, trial_order({k1200, k9600, k19200}, {0, 1, 2}, 1, 3));
  EXPECT_EQ(search.probes_done(), 27u);
  EXPECT_EQ(search.probes_total(), 27u);
  EXPECT_EQ(port.opens, 27 + 1);  // every probe, then the saved link
  EXPECT_EQ(search.found().lines(), (std::vector<std::string>{
                                        "Скорость 1200  нечёт. пар. Сет. номер 3",
                                        "Скорость 9600  чет. пар. Сет. номер 2",
                                        "Скорость 19200  без парит. Сет. номер 1",
                                        "Скорость 19200  нечёт. пар. Сет. номер 2",
                                    }));
  EXPECT_EQ(events.texts[0], "Проверяется скорость 1200 без паритета номер прибора 1");
  EXPECT_EQ(events.texts[25], "Проверяется скорость 19200 нечетный паритет номер прибора 3");
  EXPECT_EQ(events.texts[26], "Проверяется скорость 19200 четный паритет номер прибора 3");
  EXPECT_EQ(record.pizmf, 100.0f);  // a find also updates the measured value

  ASSERT_EQ(prompt.records.size(), 1u);
  EXPECT_EQ(prompt.records[0].text, "Процедура поиска завершена.");
  EXPECT_EQ(prompt.records[0].caption, "Ход поиска");
  EXPECT_EQ(prompt.records[0].icon, PromptIcon::Information);
  expect_link_restored();
}

// What the selection makes of the trial order, with one transmitter at 19200,
// no parity, address 1.
TEST_F(BusSearchTest, TheSelectionDecidesWhatIsTried) {
  struct Case {
    const char* name;
    SearchSelection chosen;
    SearchSelection completed;
    std::vector<Seen> tried;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"nothing chosen: 9600 and 19200 with all three parities", selection({}, {}, 1, 1),
       selection({k9600, k19200}, {0, 1, 2}, 1, 1), trial_order({k9600, k19200}, {0, 1, 2}, 1, 1),
       {"Скорость 19200  без парит. Сет. номер 1"}},
      {"a range given backwards is swapped", selection({k19200}, {0}, 10, 5), selection({k19200}, {0}, 5, 10),
       trial_order({k19200}, {0}, 5, 10), {}},
      {"one combination, one probe", selection({k19200}, {0}, 1, 1), selection({k19200}, {0}, 1, 1),
       {{k19200, 1, 0}}, {"Скорость 19200  без парит. Сет. номер 1"}},
  };
  add(1, 19200, kParityNone);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    events.probes.clear();
    prompt.records.clear();
    EXPECT_EQ(run(c.chosen), SearchEnding::Completed);
    EXPECT_EQ(shown, c.completed);
    EXPECT_EQ(events.probes, c.tried);
    EXPECT_EQ(search.probes_total(), c.tried.size());
    EXPECT_EQ(search.found().lines(), c.lines);
    EXPECT_EQ(messages(), std::vector<std::string>{"Процедура поиска завершена."});
    expect_link_restored();
  }
}

TEST_F(BusSearchTest, AStopDuringAProbeEndsTheSearchAfterItsAttempts) {
  exchange.reask_val = 3;
  add(1, 19200, kParityNone);
  add(2, 19200, kParityNone);
  // The second probe's read goes unanswered twice; stop is pressed during
  // its second pause, before the attempt that is answered.
  bool silenced = false;
  pump.on_dispatch = [&] {
    if (events.probes.size() != 2) return;
    if (!silenced) {
      line.faults().push({sim::FaultKind::Silence, 0});
      line.faults().push({sim::FaultKind::Silence, 0});
      silenced = true;
    }
    if (pump.waits.size() == 2) search.stop();
  };

  EXPECT_EQ(run(selection({k19200}, {0}, 1, 5)), SearchEnding::StoppedByUser);

  EXPECT_EQ(events.probes, trial_order({k19200}, {0}, 1, 2));
  EXPECT_EQ(sim_port.sent.size(), 1u + 3u);  // the probe went on to its last attempt
  EXPECT_EQ(search.found().lines(), (std::vector<std::string>{"Скорость 19200  без парит. Сет. номер 1",
                                                              "Скорость 19200  без парит. Сет. номер 2"}));
  EXPECT_EQ(messages(), std::vector<std::string>{"Процедура поиска завершена пользователем."});
  EXPECT_EQ(prompt.records[0].caption, "Ход поиска");
  expect_link_restored();
}

TEST_F(BusSearchTest, The33rdFindEndsTheSearch) {
  for (uint16_t a = 1; a <= 40; ++a) add(a, 115200, kParityNone);
  EXPECT_EQ(run(selection({10}, {0}, 1, 40)), SearchEnding::TooManyDevices);
  EXPECT_EQ(events.probes.size(), 33u);
  const std::vector<std::string> lines = search.found().lines();
  ASSERT_EQ(lines.size(), 33u);
  EXPECT_EQ(lines[32], "Скорость 115200  без парит. Сет. номер 33");
  EXPECT_EQ(events.finds, 33);
  EXPECT_EQ(events.messages_at_last_find, 0u);  // the 33rd find is listed before the message
  EXPECT_EQ(messages(), std::vector<std::string>{"Процедура поиска завершена.На линии слишком много приборов."});
  expect_link_restored();
}

TEST_F(BusSearchTest, AnExceptionAnswerIsNoFind) {
  add(1, 19200, kParityNone);
  add(2, 19200, kParityNone);
  line.faults().push({sim::FaultKind::Exception, 2});  // address 1, both attempts
  line.faults().push({sim::FaultKind::Exception, 2});
  EXPECT_EQ(run(selection({k19200}, {0}, 1, 2)), SearchEnding::Completed);
  EXPECT_EQ(search.found().lines(), std::vector<std::string>{"Скорость 19200  без парит. Сет. номер 2"});
  EXPECT_EQ(messages(), std::vector<std::string>{"Процедура поиска завершена."});  // probe faults are not reported
}

TEST_F(BusSearchTest, APortThatCannotBeOpenedFailsEveryProbeAndTheSearchRunsToItsEnd) {
  add(1, 19200, kParityNone);
  link.port = 200;  // no device behind it
  events.port_opens = false;
  EXPECT_EQ(run(selection({k19200}, {0, 1}, 1, 1)), SearchEnding::Completed);
  EXPECT_EQ(events.probes.size(), 2u);
  EXPECT_EQ(search.found().count(), 0);
  // The specified text, then what the port number lacks.
  const std::string no_port = "Невозможно открыть последовательный порт\nCOM200: номеру порта не сопоставлено устройство";
  EXPECT_EQ(messages(), (std::vector<std::string>{no_port, no_port, "Процедура поиска завершена.", no_port}));
  EXPECT_EQ(link.rate_index, 8);
  EXPECT_EQ(link.address, 9);
}

TEST_F(BusSearchTest, AnAbandonedSearchEndsSilentlyWithoutReopening) {
  add(1, 19200, kParityNone);
  pump.on_dispatch = [this] {
    if (events.probes.size() == 1) search.abandon();
  };
  EXPECT_EQ(run(selection({k19200}, {0}, 1, 3)), SearchEnding::Abandoned);
  EXPECT_EQ(events.probes.size(), 1u);
  EXPECT_TRUE(prompt.records.empty());
  EXPECT_EQ(port.opens, 1);
  EXPECT_EQ(link.rate_index, 8);
  EXPECT_EQ(link.address, 9);
}

TEST_F(BusSearchTest, TheTimeLeftOfASilentLineIsTheTimeItTakes) {
  exchange.time_gap_prg = 5;
  exchange.reask_val = 3;
  std::vector<std::pair<uint64_t, uint64_t>> estimates;  // (time left, time spent so far)
  SearchSelection s = selection({k1200, 10}, {0, 2}, 4, 6);
  auto spent = [this] { return sim_port.now_ms + pump.now_ms; };
  search.start(s);
  estimates.emplace_back(search.time_left_ms(0), spent());
  while (search.step(events) == SearchEnding::None) estimates.emplace_back(search.time_left_ms(spent()), spent());
  const uint64_t total = spent();
  EXPECT_EQ(total, 6 * silent_probe_ms(k1200, 6, exchange, timeouts) + 6 * silent_probe_ms(10, 6, exchange, timeouts));
  for (const auto& [left, so_far] : estimates) EXPECT_EQ(left, total - so_far);
  EXPECT_EQ(search.time_left_ms(spent()), 0u);
}

TEST(SilentProbe, AttemptsAndPausesFollowTheRetryRule) {
  ExchangeSettings exchange;  // 2000 ms, two attempts, mask 0x7F
  RateTimeouts timeouts;      // 24 ms per byte at 19200
  EXPECT_EQ(silent_probe_ms(7, 1, exchange, timeouts), 2 * (24 * 29 + 2000) + 1000u);
  exchange.retry_mask = kFaultAddress;  // only the foreign-address fault repeats
  EXPECT_EQ(silent_probe_ms(7, 0, exchange, timeouts), 24 * 29 + 2000u);
  EXPECT_EQ(silent_probe_ms(7, 1, exchange, timeouts), 2 * (24 * 29 + 2000) + 1000u);
}

TEST(PickFound, OnlyAFilledEntryBecomesTheLink) {
  FoundTable table;
  table.add({6, 17, kParityEven});
  table.add({11, 4, kParityOdd});  // a rate index no list offers
  struct Case {
    int position;
    bool picked;
    LinkParams link;
  };
  const Case cases[] = {
      {0, true, {3, 6, kParityEven, 17}},
      {1, true, {3, kRateIndexDefault, kParityOdd, 4}},
      {2, false, {3, 10, kParityNone, 1}},   // an empty entry
      {-1, false, {3, 10, kParityNone, 1}},  // nothing selected
      {40, false, {3, 10, kParityNone, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    LinkParams link{3, 10, kParityNone, 1};
    EXPECT_EQ(pick_found_entry(table, c.position, link), c.picked);
    EXPECT_EQ(link.port, c.link.port);
    EXPECT_EQ(link.rate_index, c.link.rate_index);
    EXPECT_EQ(link.parity, c.link.parity);
    EXPECT_EQ(link.address, c.link.address);
  }
}

TEST(DurationText, RoundsToWhatAPersonReads) {
  EXPECT_EQ(duration_text(400), "≈ 0 с");
  EXPECT_EQ(duration_text(59'600), "≈ 1 мин 00 с");
  EXPECT_EQ(duration_text(200'000), "≈ 3 мин 20 с");
  EXPECT_EQ(duration_text(7'500'000), "≈ 2 ч 05 мин");
}

}  // namespace
}  // namespace orn
