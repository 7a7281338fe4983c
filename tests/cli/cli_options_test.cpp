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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const CliParse p = parse_cli_options(words(c.line));
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
      {"regs write 0x0100 -1", "регистра \"-1\""},
      {"regs write 0xFFFF 1 2", "0xFFFF"},
      {"profile", "save или write"},
      {"profile load a.prf", "save или write, а не \"load\""},
      {"profile save", "не указан файл профиля"},
      {"profile save --yes a.prf", "неизвестный параметр \"--yes\""},
      {"profile write a.prf b.prf", "лишний аргумент \"b.prf\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const CliParse p = parse_cli_options(words(c.line));
    EXPECT_NE(p.error.find(c.error_part), std::string::npos) << p.error;
  }
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
                           "--address", "--attempts", "--trace", "--help", "profile save", "profile write [--yes]"}) {
    EXPECT_NE(usage.find(word), std::string::npos) << word;
  }
}

}  // namespace
}  // namespace orn
