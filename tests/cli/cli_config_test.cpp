// orn20mb-cli config read and config write against simulated transmitters on
// an in-memory line, in virtual time: the text of every register, copying one
// transmitter's settings to another, the link following an address change,
// refusals before anything is sent and failures that name their step.
#include "cli/cli_config.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_run.h"
#include "device/register_map.h"
#include "device/value_codec.h"
#include "support/temp_folder.h"
#include "sim/sim_line.h"
#include "sim/sim_serial_port.h"
#include "support/fakes.h"

namespace orn {
namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The NAME=VALUE lines of writable registers but the address, as config
// write takes them to copy settings to another transmitter.
std::vector<std::string> settings_to_copy(const std::string& config) {
  std::vector<std::string> lines;
  std::istringstream in(config);
  for (std::string line; std::getline(in, line);) {
    const ConfigRegister* reg = find_config_register(line.substr(0, line.find('=')));
    if (reg != nullptr && reg->take != nullptr && reg->name != "ADR") lines.push_back(line);
  }
  return lines;
}

class CliConfigTest : public ::testing::Test {
 protected:
  sim::Transmitter& add(uint16_t address, uint32_t baud = 19200, uint16_t parity = 0, bool init = false) {
    sim::TransmitterConfig config;
    config.link = {address, baud, parity};
    config.init = init;
    return line.add(config);
  }
  // As main() does: a usage error is exit 2, anything else runs.
  int run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    port.sent.clear();
    args.insert(args.begin(), {"--device", port.device_path});
    const CliParse p = parse_cli_options(args);
    if (!p.error.empty()) {
      err << p.error;
      return kCliExitUsage;
    }
    CliContext context{port, pump, clock, out, err, folder.path()};
    context.in = &answers;
    context.in_is_terminal = terminal;
    return run_cli(p.options, context);
  }
  bool wrote() const {
    for (const auto& frame : port.sent) {
      if (frame.size() > 1 && frame[1] == 0x10) return true;
    }
    return false;
  }

  sim::SimLine line;
  sim::SimSerialPort port{line};
  test::VirtualPump pump;
  test::FixedClock clock;
  test::TempFolder folder;
  std::istringstream answers;
  bool terminal = false;
  std::ostringstream out, err;
};

TEST_F(CliConfigTest, ReadPrintsEveryRegisterOnceInOrder) {
  sim::Transmitter& device = add(1);
  device.poke(reg_address("NULCUTOFF"), encode_percent(1.5));  // 983
  device.poke(reg_address("T90"), 55);                         // shown as whole seconds
  device.poke(reg_address("UNIT"), 4);
  device.poke(reg_address("fltype"), 3);
  device.poke(reg_address("TIMER"), 25);
  device.poke(reg_address("XBND"), 0x0035);
  ASSERT_EQ(run({"config", "read"}), kCliExitOk) << err.str();
  EXPECT_EQ(err.str(), "");
  std::istringstream lines(out.str());
  std::string text;
  for (const ConfigRegister& reg : config_registers()) {
    ASSERT_TRUE(std::getline(lines, text));
    EXPECT_EQ(text.substr(0, text.find('=')), reg.name);
    EXPECT_GT(text.size(), reg.name.size() + 1) << "no value shown: " << text;  // by its text or its slot
  }
  EXPECT_FALSE(std::getline(lines, text)) << text;
  for (const char* expected :
       {"\nADR=1\nRATE=19200\nPARITY=none\n", "\nTIMER=2.5\n", "\nUSERTEXT=\"Симулятор ОРН20 \"\n",
        "\nUNIT=4 (кгс/см2 (атм тех))\n", "\nXBND=0x0035\n", "\nT90=5\n", "\nNULCUTOFF=1.50\n",
        "\nDIAPMAXKPA=250\n", "\nfltype=3 (3 2 1 0)\n", "\nSENSUNIT=2 (кПа)\n", "\nINITFLAG=0\n"}) {
    EXPECT_TRUE(contains(out.str(), expected)) << expected << out.str();
  }
}

TEST_F(CliConfigTest, AFailedReadNamesItsStepAndPrintsNothing) {
  add(1);
  line.faults().push({sim::FaultKind::Exception, 2});
  EXPECT_EQ(run({"--attempts", "1", "config", "read"}), kCliExitFailure);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(),
            "Адрес данных выходит за допустимые границы.\n"
            "orn20mb-cli: ошибка обмена на шаге «чтение параметров обмена»; значения не выведены\n");
}

// A production line copies one transmitter's settings to the next: the
// output of config read, written to another device, reads back the same.
TEST_F(CliConfigTest, ReadOutputWrittenToAnotherDeviceReadsBackTheSame) {
  sim::Transmitter& source = add(1, 9600, 2);
  add(2);  // the factory state, at 19200 without parity
  struct {
    const char* name;
    uint16_t value;
  } const pokes[] = {{"UNIT", 10},      {"XNUL", 0x0002},   {"XBND", 0x000B},  {"XFSET", 0},
                     {"T90", 70},       {"NULCUTOFF", 984}, {"MAXCUTOFF", 1},  {"LINCUTOFF", 6553},
                     {"MAXOVLD", 13107}, {"MINOVLD", 65535}, {"XSQR", 0x0003}, {"fltype", 2},
                     {"DIGITS", 1},     {"DELY", 17},       {"TimeGapDev", 50}};
  for (const auto& p : pokes) source.poke(reg_address(p.name), p.value);
  // Quote, backslash, a control byte, 0x98 and Cyrillic in the user text.
  const uint16_t text[8] = {0x2241, 0x5C01, 0x98C4, 0xE0FF, 0x2020, 0x2020, 0x2020, 0x2020};
  for (uint16_t i = 0; i < 8; ++i) source.poke(static_cast<uint16_t>(reg_address("USERTEXT") + i), text[i]);

  const std::vector<std::string> from_a = {"--address", "1", "--rate", "9600", "--parity", "even"};
  std::vector<std::string> args = from_a;
  args.insert(args.end(), {"config", "read"});
  ASSERT_EQ(run(args), kCliExitOk) << err.str();
  const std::string source_config = out.str();
  EXPECT_TRUE(contains(source_config, "\nUSERTEXT=\"\\\"A\\\\\\x01\\x98Дая        \"\n")) << source_config;

  args = {"--address", "2", "config", "write", "--yes"};
  for (const std::string& l : settings_to_copy(source_config)) args.push_back(l);
  ASSERT_EQ(run(args), kCliExitOk) << err.str();
  EXPECT_EQ(line.device(1).link(), (sim::LinkSettings{2, 9600, 2}));  // RATE and PARITY were copied

  // Register for register, not only as shown (percent texts, T90 in seconds).
  for (const ConfigRegister& reg : config_registers()) {
    if (reg.take == nullptr || reg.name == "ADR") continue;
    const RegisterEntry& entry = register_entry(reg.name);
    for (uint16_t i = 0; i < entry.count; ++i) {
      const auto address = static_cast<uint16_t>(entry.address + i);
      EXPECT_EQ(line.device(1).read_register(address, 0), source.read_register(address, 0)) << reg.name;
    }
  }
}

TEST_F(CliConfigTest, AnAddressChangeMovesTheLinkAndIsReadBackThere) {
  sim::Transmitter& device = add(1);
  ASSERT_EQ(run({"config", "write", "--yes", "ADR=7", "RATE=9600", "PARITY=odd", "DIGITS=3"}), kCliExitOk)
      << err.str();
  EXPECT_EQ(device.link(), (sim::LinkSettings{7, 9600, 1}));
  EXPECT_FALSE(device.user_open());  // locked again, at the new settings
  EXPECT_EQ(port.baud(), 9600u);
  EXPECT_EQ(port.parity(), 1);
  EXPECT_EQ(out.str(), "ADR=7\nRATE=9600\nPARITY=odd\nDIGITS=3\n");
  // Each group with its values, question, progress and result, then the check.
  const std::string steps[] = {
      "Новые значения: DIGITS=3\n",
      "Подтвердите действие: Данные канала будут переписаны. [y/N] y (--yes)\n",
      "Результат операции: Запись параметров датчика успешно осуществлена.\n",
      "Новые значения: ADR=7 RATE=9600 PARITY=odd\n",
      "Подтвердите действие: Данные конфигурации будут переписаны?. [y/N] y (--yes)\n",
      "Связь продолжается с новыми параметрами: адрес 7, 9600 бод, четность odd\n",
      "Результат операции: Запись параметров обмена модуля успешно осуществлена.\n",
      "Проверка: чтение после записи\n"};
  size_t at = 0;
  for (const std::string& step : steps) {
    at = err.str().find(step, at);
    EXPECT_NE(at, std::string::npos) << step << err.str();
  }
  EXPECT_EQ(run({"--address", "7", "--rate", "9600", "--parity", "odd", "regs", "read", "0x0626", "1"}), kCliExitOk);
  EXPECT_EQ(out.str(), "0x0626 0x0003 3\n");
}

// In INIT state the device keeps answering at its INIT settings: the link
// stays, the registers hold the new values, and the warning follows the result.
TEST_F(CliConfigTest, InInitStateTheLinkStays) {
  sim::Transmitter& device = add(5, 9600, 2, true);
  ASSERT_EQ(run({"config", "write", "--yes", "ADR=9"}), kCliExitOk) << err.str();
  EXPECT_EQ(device.read_register(reg_address("ADR"), 0), 9);
  EXPECT_EQ(device.link(), (sim::LinkSettings{1, 19200, 0}));
  EXPECT_EQ(port.baud(), 19200u);
  EXPECT_TRUE(contains(err.str(), "Предупреждение.: Прибор находится в состоянии INIT."));
  EXPECT_FALSE(contains(err.str(), "Связь продолжается"));
  EXPECT_EQ(out.str(), "ADR=9\n");
}

TEST_F(CliConfigTest, QuestionsAreAnsweredOnTheTerminalAndNoStops) {
  sim::Transmitter& device = add(1);
  terminal = true;
  answers.str("y\nn\n");  // the sensor settings yes, the exchange parameters no
  EXPECT_EQ(run({"config", "write", "DIGITS=0", "DELY=20"}), kCliExitDeclined);
  EXPECT_EQ(device.read_register(reg_address("DIGITS"), 0), 0);
  EXPECT_EQ(device.read_register(reg_address("DELY"), 0), 0);
  EXPECT_FALSE(device.user_open());
  EXPECT_EQ(out.str(), "");
  EXPECT_TRUE(contains(err.str(), "orn20mb-cli: запись отменена; параметры обмена не записаны\n")) << err.str();
}

// Nothing goes on the wire, not even a read, before every argument is good
// and the questions can be answered.
TEST_F(CliConfigTest, RefusalsBeforeAnythingIsSent) {
  add(1);
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"config", "write", "ADR=7"}, "стандартный ввод не терминал"},
      {{"config", "write", "--yes"}, "не указаны значения ИМЯ=ЗНАЧЕНИЕ"},
      {{"config", "write", "--yes", "ADR"}, "ожидается ИМЯ=ЗНАЧЕНИЕ, а не \"ADR\""},
      {{"config", "write", "--yes", "adr=7"}, "неизвестный регистр \"adr\"; записываются: ADR RATE"},
      {{"config", "write", "--yes", "MODEL=5"}, "регистр MODEL не записывается командой config write"},
      {{"config", "write", "--yes", "shift=0.5"}, "регистр shift не записывается"},
      {{"config", "write", "--yes", "DIGITS=1", "DIGITS=2"}, "регистр DIGITS указан дважды"},
      {{"config", "write", "--yes", "DIGITS=1", "ADR=248"}, "неверное значение ADR \"248\""},
      {{"config", "write", "--yes", "RATE=1234"}, "неверное значение RATE"},
      {{"config", "write", "--yes", "PARITY=mark"}, "неверное значение PARITY"},
      {{"config", "write", "--yes", "UNIT=12"}, "неверное значение UNIT"},
      {{"config", "write", "--yes", "UNIT=2 (МПа)"}, "неверное значение UNIT"},  // code and caption disagree
      {{"config", "write", "--yes", "fltype=4"}, "неверное значение fltype"},
      {{"config", "write", "--yes", "T90=101"}, "неверное значение T90"},
      {{"config", "write", "--yes", "T90=5.5"}, "неверное значение T90"},
      {{"config", "write", "--yes", "DIGITS=4"}, "неверное значение DIGITS"},
      {{"config", "write", "--yes", "XBND=0x10000"}, "неверное значение XBND"},
      {{"config", "write", "--yes", "NULCUTOFF=abc"}, "неверное значение NULCUTOFF"},
      {{"config", "write", "--yes", "MAXOVLD=12abc"}, "неверное значение MAXOVLD"},
      {{"config", "write", "--yes", "LINCUTOFF="}, "неверное значение LINCUTOFF"},
      {{"config", "write", "--yes", "DELY=1.5"}, "неверное значение DELY"},
      {{"config", "write", "--yes", "TimeGapDev=x"}, "неверное значение TimeGapDev"},
      {{"config", "write", "--yes", "USERTEXT=12345678901234567"}, "неверное значение USERTEXT"},
      {{"config", "write", "--yes", "USERTEXT=日本"}, "неверное значение USERTEXT"},
      {{"config", "write", "--yes", "USERTEXT=\"open"}, "неверное значение USERTEXT"},
      {{"config", "write", "--yes", "USERTEXT=\"a\"b\""}, "неверное значение USERTEXT"},
      {{"config", "write", "--yes", "USERTEXT=\"\\x4\""}, "неверное значение USERTEXT"},
      {{"config", "write", "--yes", "USERTEXT=\"\\q\""}, "неверное значение USERTEXT"},
      {{"config", "write", "--yes=1", "ADR=7"}, "неизвестный параметр \"--yes=1\""},
      {{"config", "read", "ADR=7"}, "лишний аргумент \"ADR=7\""},
      {{"config", "erase"}, "после config ожидается read или write"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(c.args), kCliExitUsage) << c.args.back();
    EXPECT_TRUE(contains(err.str(), c.message)) << err.str();
    EXPECT_TRUE(port.sent.empty()) << c.args.back();
  }
}

// A write the device refuses leaves it unlocked, and the message says so.
TEST_F(CliConfigTest, AFailedWriteNamesItsStepAndLeavesTheDeviceUnlocked) {
  sim::Transmitter& device = add(1);
  EXPECT_EQ(run({"--attempts", "1", "config", "write", "--yes", "ADR=0"}), kCliExitFailure);  // the device takes 1..247
  EXPECT_TRUE(device.user_open());
  EXPECT_EQ(device.link(), (sim::LinkSettings{1, 19200, 0}));
  EXPECT_EQ(out.str(), "");
  EXPECT_TRUE(contains(err.str(),
                       "Величина данных превышает допустимое значение. Прибор оставлен без защиты от записи.\n"
                       "orn20mb-cli: ошибка обмена на шаге «запись параметров обмена»; параметры обмена не "
                       "записаны полностью\n"))
      << err.str();
  EXPECT_FALSE(contains(err.str(), "Результат операции"));
}

// What is read after the write must be what was written, for every register
// the writes send.
TEST_F(CliConfigTest, ADifferenceAfterTheWriteFails) {
  sim::Transmitter& device = add(1);
  // Something else on the line keeps setting DIGITS back while the tool waits.
  pump.on_dispatch = [&device] { device.poke(reg_address("DIGITS"), 1); };
  EXPECT_EQ(run({"config", "write", "--yes", "DIGITS=3"}), kCliExitFailure);
  EXPECT_EQ(out.str(), "");
  EXPECT_TRUE(contains(err.str(), "orn20mb-cli: после записи прочитано DIGITS=1 (0x0001), а записано DIGITS=3 (0x0003)\n"))
      << err.str();
}

}  // namespace
}  // namespace orn
