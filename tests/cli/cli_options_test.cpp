// The command line of orn20mb-cli: what each accepted form means and which
// forms are refused.
#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace orn {
namespace {

std::vector<std::string> words(std::string_view line) {
  std::vector<std::string> w;
  size_t i = 0;
  while (i < line.size()) {
    const size_t j = line.find(' ', i);
    const size_t end = j == std::string_view::npos ? line.size() : j;
    if (end > i) w.emplace_back(line.substr(i, end - i));
    i = end + 1;
  }
  return w;
}

TEST(CliNumber, DecimalOrHexWithinTheRange) {
  struct Case {
    const char* text;
    uint32_t min, max;
    std::optional<uint32_t> value;
  };
  const Case cases[] = {
      {"0", 0, 10, 0},          {"10", 0, 10, 10},        {"11", 0, 10, std::nullopt},
      {"0x1F", 0, 65535, 31},   {"0XffFF", 0, 65535, 65535}, {"0x10000", 0, 65535, std::nullopt},
      {"0x", 0, 65535, std::nullopt}, {"", 0, 65535, std::nullopt}, {"-1", 0, 65535, std::nullopt},
      {"+1", 0, 65535, std::nullopt}, {"12a", 0, 65535, std::nullopt}, {"ff", 0, 65535, std::nullopt},
      {"0x-1", 0, 65535, std::nullopt}, {" 1", 0, 65535, std::nullopt}, {"0", 1, 124, std::nullopt},
      {"99999999999", 0, UINT32_MAX, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parse_cli_number(c.text, c.min, c.max), c.value) << c.text;
}

TEST(CliOptions, AcceptedCommandLines) {
  struct Case {
    const char* line;
    void (*check)(const CliOptions&);
  };
  const Case cases[] = {
      {"read",
       [](const CliOptions& o) {
         EXPECT_EQ(o.command, CliCommand::Read);
         EXPECT_EQ(o.block, MeasureBlock::Measurement);
         EXPECT_FALSE(o.device || o.port || o.rate_index || o.parity || o.address || o.attempts || o.trace);
       }},
      {"read --latched", [](const CliOptions& o) { EXPECT_EQ(o.block, MeasureBlock::Latched); }},
      {"read --constant", [](const CliOptions& o) { EXPECT_EQ(o.block, MeasureBlock::Constant); }},
      {"latch", [](const CliOptions& o) { EXPECT_EQ(o.command, CliCommand::Latch); }},
      {"poll --count 3",
       [](const CliOptions& o) {
         EXPECT_EQ(o.command, CliCommand::Poll);
         EXPECT_EQ(o.cycles, 3u);
         EXPECT_EQ(o.block, MeasureBlock::Measurement);
       }},
      {"poll",
       [](const CliOptions& o) {
         EXPECT_EQ(o.cycles, 0u);  // until a stop signal
         EXPECT_EQ(o.interval_ms, 1000u);
       }},
      {"poll --interval 0 --count 2",
       [](const CliOptions& o) {
         EXPECT_EQ(o.cycles, 2u);
         EXPECT_EQ(o.interval_ms, 0u);
       }},
      {"poll --constant --count=0x10",
       [](const CliOptions& o) {
         EXPECT_EQ(o.cycles, 16u);
         EXPECT_EQ(o.block, MeasureBlock::Constant);
       }},
      {"regs read 0x0100 3",
       [](const CliOptions& o) {
         EXPECT_EQ(o.command, CliCommand::RegsRead);
         EXPECT_EQ(o.start, 0x0100);
         EXPECT_EQ(o.count, 3);
       }},
      {"regs read 65412 124", [](const CliOptions& o) { EXPECT_EQ(o.count, 124); }},
      {"regs write 272 0x4B1D 0 65535",
       [](const CliOptions& o) {
         EXPECT_EQ(o.command, CliCommand::RegsWrite);
         EXPECT_EQ(o.start, 0x0110);
         EXPECT_EQ(o.values, (std::vector<uint16_t>{0x4B1D, 0, 0xFFFF}));
       }},
      {"regs write 0xFFFF 1", [](const CliOptions& o) { EXPECT_EQ(o.values.size(), 1u); }},
      {"--device /dev/pts/7 --rate 115200 --parity even --address 0 --attempts 5 --trace t.txt read",
       [](const CliOptions& o) {
         EXPECT_EQ(o.device, "/dev/pts/7");
         EXPECT_EQ(o.rate_index, 10);
         EXPECT_EQ(o.parity, 2);
         EXPECT_EQ(o.address, 0);
         EXPECT_EQ(o.attempts, 5);
         EXPECT_EQ(o.trace, "t.txt");
       }},
      {"read --rate=1200 --parity=odd --address=255",  // global options after the command
       [](const CliOptions& o) {
         EXPECT_EQ(o.command, CliCommand::Read);
         EXPECT_EQ(o.rate_index, 3);
         EXPECT_EQ(o.parity, 1);
         EXPECT_EQ(o.address, 255);
       }},
      {"--port 200 --port-map 200=/dev/pts/3 --port-map 7=/dev/x=y --parity none read",
       [](const CliOptions& o) {
         EXPECT_EQ(o.port, 200);
         EXPECT_EQ(o.parity, 0);
         using Map = std::vector<std::pair<uint16_t, std::string>>;
         EXPECT_EQ(o.port_maps, (Map{{200, "/dev/pts/3"}, {7, "/dev/x=y"}}));
       }},
      {"profile save a.prf",
       [](const CliOptions& o) {
         EXPECT_EQ(o.command, CliCommand::ProfileSave);
         EXPECT_EQ(o.profile_file, "a.prf");
       }},
      {"profile write --yes /p/b.prf --address 3",
       [](const CliOptions& o) {
         EXPECT_EQ(o.command, CliCommand::ProfileWrite);
         EXPECT_EQ(o.profile_file, "/p/b.prf");
         EXPECT_TRUE(o.yes);
         EXPECT_EQ(o.address, 3);
       }},
      {"profile write b.prf", [](const CliOptions& o) { EXPECT_FALSE(o.yes); }},
      {"--help", [](const CliOptions& o) { EXPECT_TRUE(o.help); }},
      {"regs frobnicate -h", [](const CliOptions& o) { EXPECT_TRUE(o.help); }},
      {"--verbose --he", [](const CliOptions& o) { EXPECT_TRUE(o.help); }},  // help wins over an error
      {"--version", [](const CliOptions& o) { EXPECT_TRUE(o.version && !o.help); }},
      {"read --vers", [](const CliOptions& o) { EXPECT_TRUE(o.version); }},
      {"--version -h", [](const CliOptions& o) { EXPECT_TRUE(o.help && !o.version); }},
      // Short options: separate, attached or clustered values, as getopt takes them.
      {"-d /dev/pts/7 -a 3 -b 9600 -P odd read",
       [](const CliOptions& o) {
         EXPECT_EQ(o.device, "/dev/pts/7");
         EXPECT_EQ(o.address, 3);
         EXPECT_EQ(o.rate_index, 6);
         EXPECT_EQ(o.parity, 1);
       }},
      {"read -d/dev/pts/7 -a0x10 -b115200 -Peven",
       [](const CliOptions& o) {
         EXPECT_EQ(o.device, "/dev/pts/7");
         EXPECT_EQ(o.address, 16);
         EXPECT_EQ(o.rate_index, 10);
         EXPECT_EQ(o.parity, 2);
       }},
      {"-Peven -ad 7 read",  // -a takes "d" as its value: refused below; here -d takes the rest
       nullptr},
      {"-Pnone -da read", [](const CliOptions& o) { EXPECT_EQ(o.device, "a"); EXPECT_EQ(o.parity, 0); }},
      // Unambiguous abbreviations of long names, with either form of value.
      {"--dev /dev/pts/2 --addr=4 --att 2 --tr t.txt --parity even --port-m 9=/dev/x read --lat",
       [](const CliOptions& o) {
         EXPECT_EQ(o.device, "/dev/pts/2");
         EXPECT_EQ(o.address, 4);
         EXPECT_EQ(o.attempts, 2);
         EXPECT_EQ(o.trace, "t.txt");
         EXPECT_EQ(o.parity, 2);
         EXPECT_EQ(o.port_maps.size(), 1u);
         EXPECT_EQ(o.block, MeasureBlock::Latched);
       }},
      {"poll --cou=5 --inte 0 --cons --js",
       [](const CliOptions& o) {
         EXPECT_EQ(o.cycles, 5u);
         EXPECT_EQ(o.interval_ms, 0u);
         EXPECT_EQ(o.block, MeasureBlock::Constant);
         EXPECT_TRUE(o.json);
       }},
      {"--port 3 read", [](const CliOptions& o) { EXPECT_EQ(o.port, 3); }},  // exact, though --port-map too
      {"search --fr 2 --to 9 --ti 40 --rates 9600 --pariti even --json",
       [](const CliOptions& o) {
         EXPECT_EQ(o.search.first, 2);
         EXPECT_EQ(o.search.last, 9);
         EXPECT_EQ(o.probe_timeout, 40);
         EXPECT_TRUE(o.json);
       }},
      {"calib zero --targ=-1.5 --sam 4 --wr --y",
       [](const CliOptions& o) {
         EXPECT_EQ(o.target, "-1.5");
         EXPECT_EQ(o.samples, 4);
         EXPECT_TRUE(o.write && o.yes);
       }},
      {"calib trims --set -0.5,0,1", [](const CliOptions& o) { EXPECT_EQ(o.trims, "-0.5,0,1"); }},
      {"profile write --take --yes p.prf", [](const CliOptions& o) { EXPECT_TRUE(o.take_link && o.yes); }},
      // "--" ends the options: what follows is taken as words.
      {"regs write 0x0100 -a 2 -- 1 2",
       [](const CliOptions& o) {
         EXPECT_EQ(o.address, 2);
         EXPECT_EQ(o.values, (std::vector<uint16_t>{1, 2}));
       }},
      {"profile save -- --help", [](const CliOptions& o) { EXPECT_EQ(o.profile_file, "--help"); }},
      {"-- read", [](const CliOptions& o) { EXPECT_EQ(o.command, CliCommand::Read); }},
      // --json on each command that prints readings.
      {"read --json", [](const CliOptions& o) { EXPECT_TRUE(o.json); }},
      {"regs read --json 1 2", [](const CliOptions& o) { EXPECT_TRUE(o.json); }},
      {"config read --json", [](const CliOptions& o) { EXPECT_TRUE(o.json); }},
      {"config write --yes USERTEXT=-x", [](const CliOptions& o) { EXPECT_EQ(o.assignments.size(), 1u); }},
      // A line of transmitters: items and ranges in the order written.
      {"poll --addresses 1-3,12,7",
       [](const CliOptions& o) {
         EXPECT_EQ(o.addresses, (std::vector<uint16_t>{1, 2, 3, 12, 7}));
         EXPECT_FALSE(o.address);
         EXPECT_FALSE(o.no_tail_wait);
       }},
      {"poll --addresses=247 --interval 0", [](const CliOptions& o) { EXPECT_EQ(o.addresses, (std::vector<uint16_t>{247})); }},
      {"poll --addresses 5-5,0x10", [](const CliOptions& o) { EXPECT_EQ(o.addresses, (std::vector<uint16_t>{5, 16})); }},
      // Shortenings of both --address and --addresses mean --address, as before --addresses existed.
      {"--addres 4 read", [](const CliOptions& o) { EXPECT_EQ(o.address, 4); }},
      {"poll --addresse 1,2", [](const CliOptions& o) { EXPECT_EQ(o.addresses, (std::vector<uint16_t>{1, 2})); }},
      // --no-tail-wait on each command that reads.
      {"read --no-tail-wait", [](const CliOptions& o) { EXPECT_TRUE(o.no_tail_wait); }},
      {"--no-tail-wait poll --addresses 1,2", [](const CliOptions& o) { EXPECT_TRUE(o.no_tail_wait); }},
      {"regs read 1 2 --no-tail", [](const CliOptions& o) { EXPECT_TRUE(o.no_tail_wait); }},
      {"search --no-tail-wait", [](const CliOptions& o) { EXPECT_TRUE(o.no_tail_wait); }},
      {"config write --no-tail-wait ADR=1", [](const CliOptions& o) { EXPECT_TRUE(o.no_tail_wait); }},
      {"profile save --no-tail-wait a.prf", [](const CliOptions& o) { EXPECT_TRUE(o.no_tail_wait); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const CliParse p = parse_cli_options(words(c.line));
    if (c.check == nullptr) continue;
    EXPECT_EQ(p.error, "");
    c.check(p.options);
  }
}

TEST(CliOptions, RefusedCommandLines) {
  struct Case {
    const char* line;
    const char* error_part;  // a part of the error text
  };
  const Case cases[] = {
      {"", "не указана команда"},
      {"--device /dev/pts/1", "не указана команда"},
      {"write", "неизвестная команда \"write\""},
      {"--verbose read", "неизвестный параметр \"--verbose\""},
      {"read --latched --constant", "нельзя указывать вместе"},
      {"read extra", "лишний аргумент \"extra\""},
      {"latch now", "лишний аргумент"},
      {"poll --interval", "требует значения"},
      {"poll --interval 3600001", "--interval \"3600001\""},
      {"poll --count", "требует значения"},
      {"poll --count 0", "--count \"0\""},
      {"read --device", "параметр --device требует значения"},
      {"--device /dev/a --port 3 read", "--device и --port"},
      {"--port 0 read", "--port \"0\""},
      {"--port 256 read", "--port \"256\""},
      {"--port-map 300=/dev/x read", "--port-map"},
      {"--port-map 3 read", "--port-map"},
      {"--rate 14400 read", "--rate \"14400\""},
      {"--rate fast read", "--rate"},
      {"--parity mark read", "--parity \"mark\""},
      {"--address 256 read", "--address \"256\""},
      {"--attempts 0 read", "--attempts \"0\""},
      {"regs", "read или write"},
      {"regs erase 1 2", "read или write"},
      {"regs read", "не указан адрес"},
      {"regs read 0x10000 1", "адреса \"0x10000\""},
      {"regs read 0x0100", "не указано число"},
      {"regs read 0x0100 0", "\"0\": ожидается от 1 до 124"},
      {"regs read 0x0100 125", "\"125\": ожидается от 1 до 124"},
      {"regs read 0x0100 2 3", "лишний аргумент \"3\""},
      {"regs read 0xFFFF 2", "0xFFFF"},
      {"regs write 0x0100", "не указаны значения"},
      {"regs write 0x0100 65536", "регистра \"65536\""},
      {"regs write 0x0100 -1", "неизвестный параметр \"-1\""},  // an option to getopt
      {"regs write 0x0100 -- -1", "регистра \"-1\""},
      {"regs write 0xFFFF 1 2", "0xFFFF"},
      {"profile", "save, write или diff"},
      {"profile load a.prf", "save, write или diff, а не \"load\""},
      {"profile save", "не указан файл профиля"},
      {"profile save --yes a.prf", "неизвестный параметр \"--yes\""},
      {"profile write a.prf b.prf", "лишний аргумент \"b.prf\""},
      {"-Peven -ad 7 read", "--address \"d\""},
      // Abbreviations that fit more than one name, each name listed.
      {"--p 3 read", "неоднозначный параметр \"--p\": --port, --port-map, --parity, --parities"},
      {"--par=odd read", "неоднозначный параметр \"--par\": --parity, --parities"},
      {"poll --co 3", "неоднозначный параметр \"--co\": --constant, --count"},
      {"search --t 5", "неоднозначный параметр \"--t\": --trace, --to, --timeout, --target, --take-link"},
      // Known options where the command does not take them, also abbreviated.
      {"poll --latched", "неизвестный параметр \"--latched\""},
      {"read --cou 3", "неизвестный параметр \"--cou\""},
      {"latch --json", "неизвестный параметр \"--json\""},
      {"regs write 1 2 --json", "неизвестный параметр \"--json\""},
      {"config write --json ADR=1", "неизвестный параметр \"--json\""},
      {"calib trims --target 1", "неизвестный параметр \"--target\""},
      {"calib zero --set 1,2,3 --target 1", "неизвестный параметр \"--set\""},
      {"profile save --take-link a.prf", "неизвестный параметр \"--take-link\""},
      // Values missing or given to a switch; short letters.
      {"read --latched=1", "неизвестный параметр \"--latched=1\""},
      {"--help=1", "неизвестный параметр \"--help=1\""},
      {"read --addr", "параметр --address требует значения"},
      {"read -a", "параметр -a требует значения"},
      {"read -x", "неизвестный параметр \"-x\""},
      {"read -Pnone -x", "неизвестный параметр \"-x\""},
      {"-a 300 read", "--address \"300\""},
      {"-b 14400 read", "--rate \"14400\""},
      {"-P mark read", "--parity \"mark\""},
      {"-b 123 read", "--rate \"123\": ожидается 1200, 2400, 4800, 9600, 19200, 38400, 57600 или 115200"},
      {"search --rates 7",
       "--rates \"7\": ожидается список скоростей через запятую из 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200"},
      {"poll --interval=x", "неверное значение --interval \"x\": ожидается пауза между циклами 0..3600000 мс"},
      {"poll --cou=0", "неверное значение --count \"0\": ожидается число циклов от 1"},
      {"search --ti 0", "неверное значение --timeout \"0\": ожидается время в мс от 1 до 65535"},
      {"calib zero --target 1 --samples 65536", "неверное значение --samples \"65536\""},
      {"read -- --latched", "неизвестный параметр \"--latched\""},  // a word after "--"
      {"profile save", "не указан файл профиля"},
      // The list of --addresses: 1..247, ranges upwards, each address once, not with --address.
      {"poll --addresses 0", "неверное значение --addresses \"0\": ожидается список адресов от 1 до 247 через запятую, диапазоны через дефис (1-8,12)"},
      {"poll --addresses 1,248", "--addresses \"1,248\""},
      {"poll --addresses 8-1", "--addresses \"8-1\""},
      {"poll --addresses 1-", "--addresses \"1-\""},
      {"poll --addresses 1,,2", "--addresses \"1,,2\""},
      {"poll --addresses 1-2-3", "--addresses \"1-2-3\""},
      {"poll --addresses=", "--addresses \"\""},
      {"poll --addresses 1-4,3", "адрес 3 указан в --addresses дважды"},
      {"poll --addresses 2,2", "адрес 2 указан в --addresses дважды"},
      {"-a 3 poll --addresses 1,2", "--address и --addresses нельзя указывать вместе"},
      {"read --addresses 1,2", "неизвестный параметр \"--addresses\""},
      {"latch --no-tail-wait", "неизвестный параметр \"--no-tail-wait\""},
      {"regs write 1 -- --addr", "регистра \"--addr\""},  // a word after "--" is left as typed
      {"regs write 1 2 --no-tail-wait", "неизвестный параметр \"--no-tail-wait\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const CliParse p = parse_cli_options(words(c.line));
    EXPECT_NE(p.error.find(c.error_part), std::string::npos) << p.error;
    EXPECT_FALSE(p.error.empty());
    EXPECT_EQ(p.error.find('\n'), std::string::npos) << "an error is one line";
  }
  EXPECT_EQ(parse_cli_options({"-d", "", "read"}).error, "неверное значение --device \"\": ожидается путь к устройству");
  // 124 values are one too many for a write; 123 are accepted.
  std::vector<std::string> args = {"regs", "write", "0"};
  args.resize(3 + 123, "1");
  EXPECT_EQ(parse_cli_options(args).error, "");
  args.push_back("1");
  EXPECT_NE(parse_cli_options(args).error.find("123"), std::string::npos);
}

TEST(CliOptions, UsageDocumentsEveryCommandAndOption) {
  const std::string usage = cli_usage();
  for (const char* word : {"read", "--latched", "--constant", "latch", "poll", "--count", "regs read",
                           "regs write", "--device", "--port ", "--port-map", "--rate", "--parity",
                           "--address", "--attempts", "--trace", "--help", "profile save", "profile write [--yes]",
                           "-d, --device", "-a, --address", "-b, --rate", "-P, --parity", "-h, --help", "--version",
                           "--json", "--addresses", "--no-tail-wait", "Подробнее: orn20mb-cli"}) {
    EXPECT_NE(usage.find(word), std::string::npos) << word;
  }
}

TEST(CliOptions, VersionIsTheProjects) {
  EXPECT_EQ(cli_version().rfind("orn20mb-cli ", 0), 0u);
  EXPECT_GT(cli_version().size(), std::string("orn20mb-cli ").size());
}

// The parser keeps no state from one command line to the next, even one left
// inside a cluster of short options.
TEST(CliOptions, EachParseStartsAfresh) {
  EXPECT_NE(parse_cli_options({"-ax"}).error, "");
  const CliParse p = parse_cli_options({"-a5", "read"});
  EXPECT_EQ(p.error, "");
  EXPECT_EQ(p.options.address, 5);
}

}  // namespace
}  // namespace orn
