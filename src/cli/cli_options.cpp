#include "cli/cli_options.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <iterator>
#include <string_view>

#include "calib/calibration_check.h"
#include "device/input_checks.h"
#include "link/line_names.h"
#include "link/link_line.h"
#include "link/link_params.h"
#include "link/modbus_master.h"
#include "link/port_names.h"

namespace orn {
namespace {

constexpr uint32_t kRegisterSpace = 0x10000;

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

std::string bad_value(std::string_view option, std::string_view value, std::string_view expected) {
  return "неверное значение " + std::string(option) + " " + quoted(value) + ": ожидается " +
         std::string(expected);
}

std::string unknown(std::string_view word) {
  return (word.rfind("-", 0) == 0 ? "неизвестный параметр " : "лишний аргумент ") + quoted(word);
}

// The commands, as a set of bits, that an option belongs to.
enum : uint32_t {
  kRead = 1u << 0,
  kLatch = 1u << 1,
  kPoll = 1u << 2,
  kRegsRead = 1u << 3,
  kRegsWrite = 1u << 4,
  kSearch = 1u << 5,
  kCalibAdjust = 1u << 6,  // calib zero, calib span
  kCalibTrims = 1u << 7,
  kProfileSave = 1u << 8,
  kProfileWrite = 1u << 9,
  kConfigRead = 1u << 10,
  kConfigWrite = 1u << 11,
  kProfileDiff = 1u << 12,
  kCalibCheck = 1u << 13,
  kEveryCommand = (1u << 14) - 1,
};

enum class Opt : uint8_t {
  Device, Port, PortMap, Rate, Parity, Address, Attempts, Trace, Help, Version,
  Latched, Constant, Count, Interval, Rates, Parities, From, To, Timeout, Json,
  Target, Samples, Write, Set, Yes, TakeLink, Addresses, NoTailWait, Points, Tolerance, Settle, Report, AsLeft,
};

// A number option's range and what the error says it expects; none when expected is null.
struct NumberRule {
  uint32_t min = 0, max = 0;
  const char* expected = nullptr;
};

constexpr uint32_t kMaxPollIntervalMs = 3'600'000;

// Every option: its long name, short letter (0: none), whether it takes a
// value, the commands that take it (every command: a global option).
struct OptionEntry {
  const char* name;
  char letter;
  bool takes_value;
  uint32_t commands;
  Opt id;
  NumberRule number = {};
};

constexpr OptionEntry kOptions[] = {
    {"device", 'd', true, kEveryCommand, Opt::Device},
    {"port", 0, true, kEveryCommand, Opt::Port, {kPortNumberMin, kPortNumberMax, "номер порта от 1 до 255"}},
    {"port-map", 0, true, kEveryCommand, Opt::PortMap},
    {"rate", 'b', true, kEveryCommand, Opt::Rate},
    {"parity", 'P', true, kEveryCommand, Opt::Parity},
    {"address", 'a', true, kEveryCommand, Opt::Address, {0, 255, "адрес от 0 до 255"}},
    {"attempts", 0, true, kEveryCommand, Opt::Attempts, {1, 65535, "число попыток от 1 до 65535"}},
    {"trace", 0, true, kEveryCommand, Opt::Trace},
    {"help", 'h', false, kEveryCommand, Opt::Help},
    {"version", 0, false, kEveryCommand, Opt::Version},
    {"latched", 0, false, kRead, Opt::Latched},
    {"constant", 0, false, kRead | kPoll, Opt::Constant},
    {"count", 0, true, kPoll, Opt::Count, {1, UINT32_MAX, "число циклов от 1"}},
    {"interval", 0, true, kPoll, Opt::Interval, {0, kMaxPollIntervalMs, "пауза между циклами 0..3600000 мс"}},
    {"rates", 0, true, kSearch, Opt::Rates},
    {"parities", 0, true, kSearch, Opt::Parities},
    {"from", 0, true, kSearch, Opt::From, {0, kLastListedAddress, "адрес от 0 до 247"}},
    {"to", 0, true, kSearch, Opt::To, {0, kLastListedAddress, "адрес от 0 до 247"}},
    {"timeout", 0, true, kSearch, Opt::Timeout, {1, 65535, "время в мс от 1 до 65535"}},
    {"json", 0, false, kRead | kPoll | kRegsRead | kSearch | kConfigRead | kProfileDiff, Opt::Json},
    {"target", 0, true, kCalibAdjust, Opt::Target},
    {"samples", 0, true, kCalibAdjust | kCalibCheck, Opt::Samples, {0, 65535, "число выборок от 0 до 65535"}},
    {"write", 0, false, kCalibAdjust, Opt::Write},
    {"set", 0, true, kCalibTrims, Opt::Set},
    {"yes", 0, false, kCalibAdjust | kCalibTrims | kCalibCheck | kProfileWrite | kConfigWrite, Opt::Yes},
    {"take-link", 0, false, kProfileWrite | kProfileDiff, Opt::TakeLink},
    {"addresses", 0, true, kPoll, Opt::Addresses},
    // Every command that reads an answer of registers: all but the two that only write.
    {"no-tail-wait", 0, false, kEveryCommand & ~(kLatch | kRegsWrite), Opt::NoTailWait},
    {"points", 0, true, kCalibCheck, Opt::Points},
    {"tolerance", 0, true, kCalibCheck, Opt::Tolerance},
    {"settle", 0, true, kCalibCheck, Opt::Settle, {0, kMaxSettleSeconds, "время в секундах от 0 до 3600"}},
    {"report", 0, true, kCalibCheck, Opt::Report},
    {"as-left", 0, false, kCalibCheck, Opt::AsLeft},
};
constexpr size_t kOptionCount = std::size(kOptions);
// getopt_long's code of an option without a short letter: above every character.
constexpr int kLongOnlyBase = 256;

// The getopt_long tables, made once from kOptions. The optstring starts with
// "-" (arguments that are not options come back in order as code 1, whatever
// POSIXLY_CORRECT says, so global options may follow the command) and ":"
// (a missing value comes back as ':').
struct GetoptTables {
  std::array<option, kOptionCount + 1> longs{};
  std::string shorts = "-:";
  GetoptTables() {
    for (size_t i = 0; i < kOptionCount; ++i) {
      const OptionEntry& s = kOptions[i];
      const int code = s.letter != 0 ? s.letter : kLongOnlyBase + static_cast<int>(i);
      longs[i] = {s.name, s.takes_value ? required_argument : no_argument, nullptr, code};
      if (s.letter != 0) shorts += std::string(1, s.letter) + (s.takes_value ? ":" : "");
    }
  }
};

const GetoptTables& getopt_tables() {
  static const GetoptTables tables;
  return tables;
}

const OptionEntry* entry_for_code(int code) {
  if (code >= kLongOnlyBase && code < kLongOnlyBase + static_cast<int>(kOptionCount)) return &kOptions[code - kLongOnlyBase];
  for (const OptionEntry& s : kOptions) {
    if (s.letter != 0 && s.letter == code) return &s;
  }
  return nullptr;
}

std::string dashed(const OptionEntry& s) { return "--" + std::string(s.name); }

// What is wrong with a "--name[=value]" getopt_long refused: no such option,
// more than one it abbreviates, a value where none is taken or none where one is.
std::string long_option_error(std::string_view arg) {
  const std::string_view body = arg.substr(2);
  const size_t eq = body.find('=');
  const std::string_view name = body.substr(0, eq);
  std::vector<const OptionEntry*> matches;
  for (const OptionEntry& s : kOptions) {
    const std::string_view full = s.name;
    if (full == name) {
      matches = {&s};
      break;
    }
    if (!name.empty() && full.substr(0, name.size()) == name) matches.push_back(&s);
  }
  if (matches.empty()) return unknown(arg);
  if (matches.size() > 1) {
    std::string list;
    for (const OptionEntry* s : matches) list += (list.empty() ? "" : ", ") + dashed(*s);
    return "неоднозначный параметр " + quoted(arg.substr(0, 2 + name.size())) + ": " + list;
  }
  if (eq != std::string_view::npos && !matches[0]->takes_value) return unknown(arg);
  return "параметр " + dashed(*matches[0]) + " требует значения";
}

// Whether getopt_long refused arg as a long option: a code of 0 (no such
// option, or an ambiguous one), one without a short letter, or a letter whose
// long name arg abbreviates; otherwise it refused the short letter code.
bool written_long(std::string_view arg, int code) {
  if (arg.rfind("--", 0) != 0) return false;
  if (code == 0 || code >= kLongOnlyBase) return true;
  const OptionEntry* s = entry_for_code(code);
  const std::string_view name = arg.substr(2, arg.find('=') == std::string_view::npos ? std::string_view::npos : arg.find('=') - 2);
  return s != nullptr && !name.empty() && std::string_view(s->name).substr(0, name.size()) == name;
}

// Checks a number option's value; the error names the option.
template <class T>
std::string take_number(const OptionEntry& s, const std::string& v, T& target) {
  const auto n = parse_cli_number(v, s.number.min, s.number.max);
  if (!n) return bad_value(dashed(s), v, s.number.expected);
  target = static_cast<T>(*n);
  return "";
}
template <class T>
std::string take_number(const OptionEntry& s, const std::string& v, std::optional<T>& target) {
  T n{};
  std::string error = take_number(s, v, n);
  if (error.empty()) target = n;
  return error;
}

// Each item of a comma-separated list through take; false at the first it refuses.
template <class Take>
bool each_item(const std::string& list, Take take) {
  size_t from = 0;
  for (;;) {
    const size_t comma = list.find(',', from);
    if (!take(list.substr(from, comma == std::string::npos ? std::string::npos : comma - from))) return false;
    if (comma == std::string::npos) return true;
    from = comma + 1;
  }
}

// A list of network addresses such as "1-8,12": items and ranges A-B (A <= B)
// of 1..247, none named twice, kept in the order written.
std::string take_address_list(const std::string& name, const std::string& v, std::vector<uint16_t>& out) {
  out.clear();
  std::array<bool, kLastListedAddress + 1> listed{};
  std::string twice;
  const bool ok = each_item(v, [&](const std::string& item) {
    const size_t dash = item.find('-');
    const auto first = parse_cli_number(item.substr(0, dash), 1, kLastListedAddress);
    const auto last = dash == std::string::npos ? first : parse_cli_number(item.substr(dash + 1), 1, kLastListedAddress);
    if (!first || !last || *first > *last) return false;
    for (uint32_t a = *first; a <= *last && twice.empty(); ++a) {
      if (listed[a]) twice = std::to_string(a);
      listed[a] = true;
      out.push_back(static_cast<uint16_t>(a));
    }
    return twice.empty();
  });
  if (!twice.empty()) return "адрес " + twice + " указан в " + name + " дважды";
  if (!ok) return bad_value(name, v, "список адресов от 1 до 247 через запятую, диапазоны через дефис (1-8,12)");
  return "";
}

// What is wrong with a certificate's file name; "" when it may be used.
std::string report_name_error(const std::string& v) {
  if (v.empty()) return "имя файла .pdf";
  const auto dot = v.rfind('.');
  std::string ext = dot == std::string::npos ? "" : v.substr(dot);
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (ext != ".pdf" || v.back() == '/' || v.size() == 4 || v.substr(v.size() - 5) == "/.pdf")
    return "имя файла, оканчивающееся на .pdf";
  return "";
}

// One option with its value (empty for a switch) into the options; returns an
// error text, or "" when taken.
std::string take_option(const OptionEntry& s, const std::string& v, CliOptions& o) {
  const std::string name = dashed(s);
  SearchSelection& search = o.search;
  switch (s.id) {
    case Opt::Device:
      if (v.empty()) return bad_value(name, v, "путь к устройству");
      o.device = v;
      return "";
    case Opt::Port: return take_number(s, v, o.port);
    case Opt::PortMap: {
      auto m = parse_port_mapping(v);
      if (!m) return bad_value(name, v, "N=ПУТЬ, где N - номер порта от 1 до 255");
      o.port_maps.emplace_back(m->port, std::move(m->path));
      return "";
    }
    case Opt::Rate: {
      const auto baud = parse_cli_number(v, 0, UINT32_MAX);
      const auto index = baud ? rate_index_for_baud(*baud) : std::nullopt;
      if (!index) return bad_value(name, v, rate_list_text(" или "));
      o.rate_index = *index;
      return "";
    }
    case Opt::Parity:
      if (v == "none") o.parity = kParityNone;
      else if (v == "odd") o.parity = kParityOdd;
      else if (v == "even") o.parity = kParityEven;
      else return bad_value(name, v, "none, odd или even");
      return "";
    case Opt::Address: return take_number(s, v, o.address);
    case Opt::Attempts: return take_number(s, v, o.attempts);
    case Opt::Trace:
      if (v.empty()) return bad_value(name, v, "имя файла");
      o.trace = v;
      return "";
    case Opt::Help: o.help = true; return "";
    case Opt::Version: o.version = true; return "";
    case Opt::Latched: o.block = MeasureBlock::Latched; return "";
    case Opt::Constant: o.block = MeasureBlock::Constant; return "";
    case Opt::Count: return take_number(s, v, o.cycles);
    case Opt::Interval: return take_number(s, v, o.interval_ms);
    case Opt::Rates: {
      const bool ok = each_item(v, [&](const std::string& item) {
        const auto baud = parse_cli_number(item, 0, UINT32_MAX);
        const auto index = baud ? rate_index_for_baud(*baud) : std::nullopt;
        if (index) search.rates[*index - kRateIndexMin] = 1;
        return index.has_value();
      });
      if (!ok)
        return bad_value(name, v, "список скоростей через запятую из " + rate_list_text(", "));
      return "";
    }
    case Opt::Parities: {
      const bool ok = each_item(v, [&](const std::string& item) {
        const size_t code = item == "none" ? 0 : item == "odd" ? 1 : item == "even" ? 2 : kSearchParityCount;
        if (code < kSearchParityCount) search.parities[code] = 1;
        return code < kSearchParityCount;
      });
      if (!ok) return bad_value(name, v, "список через запятую из none, odd, even");
      return "";
    }
    case Opt::From: return take_number(s, v, search.first);
    case Opt::To: return take_number(s, v, search.last);
    case Opt::Timeout: return take_number(s, v, o.probe_timeout);
    case Opt::Json: o.json = true; return "";
    case Opt::Target: o.target = v; return "";
    case Opt::Samples: return take_number(s, v, o.samples);
    case Opt::Write: o.write = true; return "";
    case Opt::Set: o.trims = v; return "";
    case Opt::Yes: o.yes = true; return "";
    case Opt::TakeLink: o.take_link = true; return "";
    case Opt::Addresses: return take_address_list(name, v, o.addresses);
    case Opt::NoTailWait: o.no_tail_wait = true; return "";
    case Opt::Points: {
      std::string error;
      auto points = parse_check_points(v, error);
      if (!points) return bad_value(name, v, "список чисел через запятую (" + error + ")");
      o.points = std::move(*points);
      return "";
    }
    case Opt::Tolerance: {
      std::string error;
      const auto t = parse_tolerance(v, error);
      if (!t) return bad_value(name, v, "число больше 0 и не больше 100 (% диапазона)");
      o.tolerance = *t;
      return "";
    }
    case Opt::Settle: return take_number(s, v, o.settle_s);
    case Opt::Report:
      if (std::string error = report_name_error(v); !error.empty()) return bad_value(name, v, error);
      o.report = v;
      return "";
    case Opt::AsLeft: o.as_left = true; return "";
  }
  return "";
}

bool global(const OptionEntry& s) { return s.commands == kEveryCommand; }

// An option of a command as it was typed, kept until the command is known.
struct GivenOption {
  const OptionEntry* entry;
  std::string value;
  std::string typed;  // the argument as written, for an error
};

// What getopt_long leaves: the global options taken, the command's options
// and the other arguments in their order.
struct Scan {
  std::vector<GivenOption> command_options;
  std::vector<std::string> words;
  std::string error;  // the first error
};

// --addresses came after --address: a shortening of both ("--addr") still
// means --address, as it did before, instead of being ambiguous.
std::string with_older_meaning(const std::string& arg) {
  const size_t eq = arg.find('=');
  const std::string_view name = std::string_view(arg).substr(0, eq);
  const std::string_view full = "--address";
  if (name.size() < 4 || name.size() >= full.size() || full.substr(0, name.size()) != name) return arg;
  return std::string(full) + (eq == std::string::npos ? "" : arg.substr(eq));
}

Scan scan(const std::vector<std::string>& args, CliOptions& o) {
  Scan r;
  std::vector<std::string> storage;
  storage.reserve(args.size() + 1);
  storage.emplace_back("orn20mb-cli");
  bool options_ended = false;
  for (const std::string& a : args) {
    storage.push_back(options_ended ? a : with_older_meaning(a));
    options_ended |= a == "--";
  }
  std::vector<char*> argv;
  for (std::string& a : storage) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(storage.size());
  const GetoptTables& tables = getopt_tables();
  auto fail = [&r](std::string error) {
    if (r.error.empty()) r.error = std::move(error);
  };
  opterr = 0;
  optind = 0;  // glibc: start afresh, also inside a cluster of short options
  for (;;) {
    optopt = 0;
    // The argument getopt_long is about to read: a long option, or a cluster
    // of short ones that it stays on until the last letter.
    const int at = std::max(optind, 1);
    const int code = getopt_long(argc, argv.data(), tables.shorts.c_str(), tables.longs.data(), nullptr);
    if (code == -1) break;
    if (code == 1) {
      r.words.emplace_back(optarg);
      continue;
    }
    const std::string_view current = at < argc ? argv[at] : "";
    if (code == '?' || code == ':') {
      if (written_long(current, optopt)) fail(long_option_error(current));
      else if (code == ':') fail("параметр -" + std::string(1, static_cast<char>(optopt)) + " требует значения");
      else if (optopt <= ' ' || optopt >= 0x7F) fail(unknown(current));  // not a letter: the whole argument
      else fail(unknown("-" + std::string(1, static_cast<char>(optopt))));
      continue;
    }
    const OptionEntry* s = entry_for_code(code);
    if (s == nullptr) continue;
    const std::string value = s->takes_value && optarg != nullptr ? optarg : "";
    if (global(*s)) {
      if (std::string error = take_option(*s, value, o); !error.empty()) fail(std::move(error));
    } else {
      const bool short_form = current.rfind("--", 0) != 0;
      r.command_options.push_back({s, value, short_form ? "-" + std::string(1, s->letter) : std::string(current)});
    }
  }
  for (int i = optind; i < argc; ++i) r.words.emplace_back(argv[i]);  // after "--"
  optind = 0;
  return r;
}

// The command of the first words and its bit; the words it took are removed.
std::string take_command(std::vector<std::string>& words, CliOptions& o, uint32_t& bit) {
  if (words.empty()) return "не указана команда";
  const std::string command = words.front();
  words.erase(words.begin());
  struct Verb {
    const char* command;
    const char* verb;  // null: the command has none
    CliCommand id;
    uint32_t bit;
  };
  static constexpr Verb kVerbs[] = {
      {"read", nullptr, CliCommand::Read, kRead},
      {"latch", nullptr, CliCommand::Latch, kLatch},
      {"poll", nullptr, CliCommand::Poll, kPoll},
      {"search", nullptr, CliCommand::Search, kSearch},
      {"regs", "read", CliCommand::RegsRead, kRegsRead},
      {"regs", "write", CliCommand::RegsWrite, kRegsWrite},
      {"calib", "zero", CliCommand::Calib, kCalibAdjust},
      {"calib", "span", CliCommand::Calib, kCalibAdjust},
      {"calib", "trims", CliCommand::Calib, kCalibTrims},
      {"calib", "check", CliCommand::Calib, kCalibCheck},
      {"profile", "save", CliCommand::ProfileSave, kProfileSave},
      {"profile", "write", CliCommand::ProfileWrite, kProfileWrite},
      {"profile", "diff", CliCommand::ProfileDiff, kProfileDiff},
      {"config", "read", CliCommand::ConfigRead, kConfigRead},
      {"config", "write", CliCommand::ConfigWrite, kConfigWrite},
  };
  static constexpr std::pair<const char*, const char*> kExpected[] = {
      {"regs", "read или write"}, {"calib", "zero, span, trims или check"},
      {"profile", "save, write или diff"}, {"config", "read или write"}};
  for (const auto& [name, expected] : kExpected) {
    if (command != name) continue;
    if (command == "calib") o.command = CliCommand::Calib;
    const std::string head = "после " + command + " ожидается " + expected;
    if (words.empty()) return head;
    const std::string verb = words.front();
    for (const Verb& v : kVerbs) {
      if (command == v.command && verb == v.verb) {
        words.erase(words.begin());
        o.command = v.id;
        bit = v.bit;
        if (verb == "zero") o.calib = CalibCommand::Zero;
        if (verb == "span") o.calib = CalibCommand::Span;
        if (verb == "trims") o.calib = CalibCommand::Trims;
        if (verb == "check") o.calib = CalibCommand::Check;
        return "";
      }
    }
    return head + ", а не " + quoted(verb);
  }
  for (const Verb& v : kVerbs) {
    if (v.verb == nullptr && command == v.command) {
      o.command = v.id;
      bit = v.bit;
      return "";
    }
  }
  return command.rfind("-", 0) == 0 ? unknown(command) : "неизвестная команда " + quoted(command);
}

std::string regs_operands(const std::vector<std::string>& words, CliOptions& o) {
  const bool read = o.command == CliCommand::RegsRead;
  if (words.empty()) return "не указан адрес регистра";
  const auto start = parse_cli_number(words[0], 0, 0xFFFF);
  if (!start) return bad_value("адреса", words[0], "число от 0 до 65535 (0x0000..0xFFFF)");
  o.start = static_cast<uint16_t>(*start);
  uint32_t n = 0;
  if (read) {
    if (words.size() < 2) return "не указано число регистров";
    const auto c = parse_cli_number(words[1], 1, kMaxReadCount);
    if (!c) return bad_value("числа регистров", words[1], "от 1 до 124");
    o.count = static_cast<uint8_t>(*c);
    if (words.size() > 2) return unknown(words[2]);
    n = *c;
  } else {
    for (size_t i = 1; i < words.size(); ++i) {
      const auto v = parse_cli_number(words[i], 0, 0xFFFF);
      if (!v) return bad_value("регистра", words[i], "число от 0 до 65535 (0x0000..0xFFFF)");
      o.values.push_back(static_cast<uint16_t>(*v));
    }
    if (o.values.empty()) return "не указаны значения регистров";
    if (o.values.size() > kMaxWriteCount) return "за один раз можно записать не более 123 регистров";
    n = static_cast<uint32_t>(o.values.size());
  }
  if (*start + n > kRegisterSpace) return "регистры выходят за адрес 0xFFFF";
  return "";
}

// The command's own options, then the words after the command.
std::string parse_command(Scan& s, CliOptions& o) {
  uint32_t bit = 0;
  if (std::string error = take_command(s.words, o, bit); !error.empty()) return error;
  if (o.command == CliCommand::Search) {
    o.search.first = 1;
    o.search.last = kLastListedAddress;
  }
  bool latched = false, constant = false;
  for (const GivenOption& g : s.command_options) {
    if ((g.entry->commands & bit) == 0) return unknown(g.typed);
    if (std::string error = take_option(*g.entry, g.value, o); !error.empty()) return error;
    latched |= g.entry->id == Opt::Latched;
    constant |= g.entry->id == Opt::Constant;
  }
  if (latched && constant) return "--latched и --constant нельзя указывать вместе";
  if (!o.addresses.empty() && o.address) return "--address и --addresses нельзя указывать вместе";
  const std::vector<std::string>& w = s.words;
  switch (o.command) {
    case CliCommand::RegsRead:
    case CliCommand::RegsWrite: return regs_operands(w, o);
    case CliCommand::ProfileSave:
    case CliCommand::ProfileWrite:
    case CliCommand::ProfileDiff:
      if (w.empty()) return "не указан файл профиля";
      if (w.size() > 1) return unknown(w[1]);
      o.profile_file = w[0];
      return "";
    case CliCommand::ConfigWrite:
      for (const std::string& word : w) {
        if (std::string error = add_config_assignment(word, o.assignments); !error.empty()) return error;
      }
      if (o.assignments.empty()) return "не указаны значения ИМЯ=ЗНАЧЕНИЕ";
      return "";
    default: break;
  }
  if (!w.empty()) return unknown(w[0]);
  if (o.command == CliCommand::Calib && o.calib == CalibCommand::Check) {
    if (o.points.empty()) return "для calib check нужен параметр --points P1,P2,...";
    if (o.samples && (*o.samples < 1 || *o.samples > kMaxCheckSamples))
      return bad_value("--samples", std::to_string(*o.samples), "число выборок от 1 до 1000");
    return "";
  }
  if (o.command == CliCommand::Calib && o.calib != CalibCommand::Trims) {
    const std::string verb = o.calib == CalibCommand::Zero ? "zero" : "span";
    if (o.target.empty()) return "для calib " + verb + " нужен параметр --target V";
    if (!scan_real(o.target)) return bad_value("--target", o.target, "число");
  }
  return "";
}

}  // namespace

std::optional<uint32_t> parse_cli_number(std::string_view text, uint32_t min, uint32_t max) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  // from_chars takes a leading "-"; a number here never has a sign.
  if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
  uint32_t n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n, base);
  if (ec != std::errc() || end != text.data() + text.size() || n < min || n > max) return std::nullopt;
  return n;
}

CliParse parse_cli_options(const std::vector<std::string>& args) {
  CliParse p;
  CliOptions& o = p.options;
  Scan s = scan(args, o);
  // --help and --version are answered whatever else the line holds.
  if (o.help || o.version) {
    const bool help = o.help, version = o.version;
    o = CliOptions{};
    o.help = help;
    o.version = version && !help;
    return p;
  }
  p.error = std::move(s.error);
  if (p.error.empty() && o.device && o.port) p.error = "--device и --port нельзя указывать вместе";
  if (p.error.empty()) p.error = parse_command(s, o);
  return p;
}

std::string cli_version() { return "orn20mb-cli " ORN20MB_VERSION; }

std::string cli_usage() {
  return R"(Использование:
  orn20mb-cli [-d ПУТЬ | --port N] [--port-map N=ПУТЬ]... [-b БОД]
              [-P none|odd|even] [-a A] [--attempts N] [--trace ФАЙЛ] КОМАНДА
  orn20mb-cli -h | --help | --version

Команды:
  read [--latched | --constant] [--json]
                                    однократное чтение блока измерения (0x0100);
                                    --latched: защелкнутое значение (0x0300),
                                    --constant: блок константы (0x0800)
  latch                             защелкнуть значения (запись 1 в регистр 0x0417)
  poll [--count N] [--interval МС] [--constant] [--addresses СПИСОК] [--json]
                                    циклический опрос: N циклов, без --count -
                                    до сигнала остановки (Ctrl+C), с паузой
                                    МС после каждого цикла (по умолчанию 1000,
                                    0 - циклы подряд); --addresses: в каждом
                                    цикле по очереди читаются все приборы
                                    линии из СПИСКА адресов 1..247 через
                                    запятую, с диапазонами через дефис
                                    (1-8,12), у каждого свои счетчики;
                                    неответивший прибор не останавливает
                                    опрос остальных; не вместе с --address
  regs read [--json] АДРЕС ЧИСЛО    чтение регистров (функция 0x03), ЧИСЛО от 1 до 124
  regs write АДРЕС ЗНАЧЕНИЕ...      запись регистров (функция 0x10), от 1 до 123 значений
  search [--rates БОД,...] [--parities none,odd,even] [--from A] [--to B]
         [--attempts N] [--timeout МС] [--json]
                                    поиск приборов на линии: каждая комбинация
                                    скорости, адреса и четности проверяется
                                    чтением блока измерения; по умолчанию 9600 и
                                    19200, все три четности, адреса 1..247;
                                    --timeout: допуск прибора на начало ответа
                                    в мс (по умолчанию 25), считается от конца
                                    запроса на линии и паузы в 3,5 символа на
                                    проверяемой скорости и четности; начавшийся
                                    ответ читается до конца; тайм-ауты to.dat
                                    при поиске не действуют
  calib zero --target V [--samples N] [--write] [--yes]
  calib span --target V [--samples N] [--write] [--yes]
                                    подстройка нуля или диапазона: N выборок
                                    промежуточного значения (по умолчанию 32),
                                    требуемое значение V в единицах прибора;
                                    печатает каждую выборку со скользящим
                                    средним и рассчитанное значение, с --write
                                    записывает его (прибор перед этим
                                    проверяется и разблокируется, после
                                    записи защита от записи ставится снова;
                                    без --write защита не снимается);
                                    значения в % пересчитываются по
                                    диапазону из настроек датчика
  calib check --points P1,P2,... [--samples N] [--tolerance ПРОЦ]
              [--settle С] [--as-left] [--yes] [--report ФАЙЛ.pdf]
                                    проверка калибровки: в каждой точке (в
                                    единицах прибора) подается эталонное
                                    давление и подтверждается Enter (с --yes -
                                    сразу, после выдержки --settle С секунд),
                                    затем усредняются N измерений (по умолчанию
                                    10); печатает погрешность в % диапазона и
                                    годен/не годен по допуску (по умолчанию
                                    0.5 %); --as-left - проверка после
                                    подстройки (иначе - до подстройки); каждая
                                    точка и каждая записанная подстройка нуля
                                    или диапазона дописываются строкой в
                                    calibration.csv текущей папки; --report
                                    записывает протокол в PDF
  calib trims [--set СДВИГ,НОЛЬ,ПОДСТР] [--yes]
                                    чтение сдвига шкалы, пользовательского нуля
                                    (в единицах прибора) и пользовательской
                                    подстройки; --set проверяет и записывает их
  profile save ФАЙЛ                 прочитать настройки прибора (параметры обмена,
                                    настройки датчика, пользовательские
                                    подстройки) в профиль, который
                                    открывает окно программы
  profile write [--yes] [--take-link] ФАЙЛ
                                    записать в прибор то, что есть в файле
                                    профиля: настройки датчика,
                                    пользовательские подстройки и параметры
                                    обмена, с теми же вопросами и защитой
                                    записи, что и в окне; ключи, которых нет
                                    в файле, остаются как в приборе, группа
                                    без изменений не записывается, новые
                                    значения печатаются перед вопросом;
                                    адрес, скорость и четность прибора
                                    сохраняются, --take-link берет их из
                                    профиля (NET_NUM, NET_SPD, NET_PAR)
  profile diff [--take-link] [--json] ФАЙЛ
                                    сравнить прибор с профилем: каждая
                                    настройка, которую записал бы profile
                                    write, со значением в профиле и в приборе
                                    (как их хранят регистры); ничего не
                                    записывается
  --yes                             на все вопросы отвечать "да"; без него
                                    вопросы задаются на терминале
  config read [--json]              параметры обмена и настройки датчика: каждый
                                    регистр строкой ИМЯ=ЗНАЧЕНИЕ (имя по карте
                                    регистров)
  config write [--yes] ИМЯ=ЗНАЧЕНИЕ...
                                    защищенная запись групп с названными
                                    регистрами (остальные регистры группы -
                                    как прочитаны из прибора) и чтение для
                                    проверки; после смены ADR, RATE, PARITY
                                    связь продолжается с новыми параметрами;
                                    каждый вопрос задается на терминале,
                                    --yes отвечает "да" на все

Параметры связи (без них берутся из dev.dat и to.dat текущей папки, если они
есть, иначе значения по умолчанию; файлы настроек только читаются):
  -d, --device ПУТЬ    устройство последовательного порта, например /dev/ttyUSB0,
                       шлюз Ethernet-RS-485 tcp:УЗЕЛ:ПОРТ (кадры RTU по TCP;
                       скорость и четность задаются в самом шлюзе) или сервер
                       Modbus TCP modbus-tcp:УЗЕЛ[:ПОРТ] (порт 502 по умолчанию)
  --port N             номер порта 1..255 (1..32 /dev/ttyS*, 33..64 /dev/ttyUSB*,
                       65..96 /dev/ttyACM*, а также раздел [PORTS] в dev.dat)
  --port-map N=ПУТЬ    сопоставить номеру порта устройство, tcp:УЗЕЛ:ПОРТ или
                       modbus-tcp:УЗЕЛ[:ПОРТ] (можно повторять)
  -b, --rate БОД       1200, 2400, 4800, 9600, 19200, 38400, 57600 или 115200
  -P, --parity ЧЕТНОСТЬ
                       none, odd или even
  -a, --address A      сетевой адрес 0..255 (0: принимать ответ любого адреса,
                       255: не проверять ответ; тогда чтение не дает значений)
  --attempts N         число попыток обмена 1..65535
  --trace ФАЙЛ         записывать протокол обмена в ФАЙЛ
  --no-tail-wait       (команды, которые читают, кроме latch и regs write)
                       заканчивать чтение, как только пришел весь ожидаемый
                       ответ с верной CRC, не дожидаясь межбайтового
                       тайм-аута после него; байты, пришедшие после ответа,
                       следующий обмен видит в паузе 3,5 символа перед своим
                       запросом и сообщает как лишние байты после
                       предыдущего ответа (poll - при каждом чтении,
                       остальные команды - их число в конце)
  -h, --help           эта справка
  --version            версия программы

Параметры разбираются как в программах GNU: параметры связи можно указывать
  до и после команды; значение пишется следующим аргументом или через "="
  (--address 3, --address=3), у коротких - и слитно (-a3, -hd ПУТЬ); длинное
  имя можно сократить до начала, пока оно однозначно; "--" завершает
  параметры (regs write 0x0100 -- ЗНАЧЕНИЕ, profile save -- -a.prf).
  При ошибке печатается одна строка с причиной и "Подробнее: orn20mb-cli
  --help", код завершения 2.

Числа: десятичные или шестнадцатеричные с префиксом 0x; значения 0..65535.

Вывод: read и poll печатают на каждое чтение строку журнала измерений
  "Д.М.ГГГГ ЧЧ:ММ:СС  PIZMF=... IZMERR=... TIZMF=... STATP=... BTN=...",
  poll после неудачного цикла повторяет последние прочитанные значения и в конце
  печатает "cycles=N meas_errors=N exch_errors=N retries=N"; с --addresses
  перед строкой чтения стоит адрес прибора ("  3  Д.М.ГГГГ ..."), сообщения
  об ошибках начинаются с "адрес 3: ", а в конце для каждого прибора
  печатается "address=3 cycles=N ...";
  regs read печатает для каждого регистра "0xАДРЕС 0xЗНАЧЕНИЕ ЗНАЧЕНИЕ";
  calib печатает выборки "N  IZMPsensun=... среднее=..." и итог
  "shift_usr=... ЕДИНИЦА" или "diap_usr=...", trims - три поля;
  search печатает каждую находку строкой списка окна
  "Скорость 19200  без парит. Сет. номер 1" или, с --json, объектом
  {"baud":19200,"parity":"none","address":1}; ход поиска и итог идут в поток
  ошибок (на терминале - одной строкой с числом проверок и оставшимся временем);
  config write пишет шаги, вопросы и сообщения в поток ошибок, а в вывод -
  прочитанные после записи значения названных регистров.

С --json read, poll, regs read и config read печатают вместо этих строк по
  объекту JSON на строку (UTF-8, числа числами): read и poll - на каждое
  чтение {"ok":true,"time":"ГГГГ-ММ-ДДTЧЧ:ММ:СС","pressure":...,
  "error_bits":...,"temperature":...,"status_bits":...,"button_bits":...,
  "faults":[],"fault_bits":0,"exception":0}, poll в конце {"cycles":N,
  "meas_errors":N,"exch_errors":N,"retries":N}, с --addresses в каждой
  строке первым стоит "address":3; regs read - на каждый
  регистр {"address":256,"value":4096}; config read - на каждый регистр
  {"name":"ADR","value":1,"text":"1"} (text - как в config read, value -
  число, слово или текст). Неудачный обмен дает в вывод строку
  {"ok":false,...,"faults":[...],"fault_bits":N,"exception":N,"error":"..."}
  (сообщение в поток ошибок выводится как обычно): faults - набор ошибок
  обмена (line, length, address, function, exception, crc, no_answer,
  stopped, line_busy, retried), fault_bits - он же числом, exception - код
  исключения Modbus (0 - нет), error - сообщение; у read и poll в ней есть
  time, у regs read - address и count, у config read - step (шаг чтения).

Значения config (запись принимает вывод config read):
  RATE в бодах; PARITY none, odd или even; UNIT и fltype кодом, названием или
  как в выводе (2, кПа или 2 (кПа) в кавычках); проценты числом (1.5, 1.5%);
  T90 в секундах 0..100; XNUL, XBND, XFSET, XSQR словом, у которого меняются
  только биты, доступные в окне; тексты до 16 символов, в кавычках с \", \\
  и \xNN для байта. Записываются: ADR RATE PARITY DELY TimeGapDev UNIT XNUL
  XBND XFSET T90 NULCUTOFF MAXCUTOFF LINCUTOFF MAXOVLD MINOVLD XSQR fltype
  USERTEXT DIGITS.

Код завершения (сообщение об ошибке выводится в поток ошибок):
  у всех команд: 0 успех (также --help и --version); 2 ошибка в командной
    строке; 3 ошибка обмена или порт не открывается; 128 + N после сигнала
    остановки N (SIGINT, SIGTERM, SIGHUP)
  read, latch, regs read, regs write, config read, profile save: только эти;
    для profile save 3 также файл профиля не читается или не записывается
  poll: 3, если не удался хотя бы один цикл
  search: 3, если ни один прибор не найден
  config write, profile write: 1 запись отменена ответом "нет"; 2 также
    вопросы без --yes, когда стандартный ввод не терминал; 3 также любая
    ошибка после снятия защиты от записи, в том числе неотвеченная установка
    защиты (с фразой о защите от записи), для config write и после записи
    прочитано не то, что записано, для profile write файл профиля не найден
  profile diff: 0 прибор совпадает с профилем, 1 есть различия, 3 ошибка
    обмена или файл профиля не читается
  calib: 2 также вопросы без --yes, когда стандартный ввод не терминал;
    3 также ответ "нет", неверное значение (тогда ничего не записывается) и
    любая ошибка после снятия защиты от записи (с фразой о защите от записи)
  calib check: 0 все точки в допуске, 1 хотя бы одна точка вне допуска,
    3 ошибка обмена, ошибка измерения прибора, отмена, файл calibration.csv
    или протокола не записывается

Сигнал остановки (SIGINT, SIGTERM, SIGHUP): идущий обмен завершает текущую
  попытку, новое не начинается - ни следующая группа записи, ни выборка, ни
  проверка поиска, рассчитанное значение не записывается; защищенная запись,
  уже снявшая защиту, ставит ее снова; затем команда сообщает, что записано и
  что нет (poll печатает счетчики, search - сколько проверено и найдено), и
  завершается примерно за секунду.
)";
}

}  // namespace orn
