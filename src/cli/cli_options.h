#pragma once
// The command line of orn20mb-cli, parsed into a plain struct.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/config_registers.h"
#include "measure/measured_value.h"
#include "search/search_selection.h"

namespace orn {

enum class CliCommand {
  None,       // only with --help
  Read,       // one read of a measurement block
  Latch,      // the latch command
  Poll,       // polling cycles one second apart
  RegsRead,   // Read Holding Registers
  RegsWrite,  // Write Multiple Registers
  Search,     // bus search
  Calib,         // zero or span adjustment, or the user trims
  ProfileSave,   // the device's settings into a profile
  ProfileWrite,  // a profile's settings into the device
  ProfileDiff,   // the settings where the device differs from a profile
  ConfigRead,    // every register of the settings groups
  ConfigWrite,   // protected writes of named registers
};

enum class CalibCommand { Zero, Span, Trims, Check };

// Options left unset take their value from dev.dat and to.dat, or the built-in defaults.
struct CliOptions {
  bool help = false;
  bool version = false;                                     // --version (not with --help)
  std::optional<std::string> device;                        // --device PATH
  std::optional<uint16_t> port;                             // --port N, 1..255
  std::vector<std::pair<uint16_t, std::string>> port_maps;  // --port-map N=PATH, in order
  std::optional<uint16_t> rate_index;                       // --rate BAUD as a rate index
  std::optional<uint16_t> parity;                           // --parity: 0 none, 1 odd, 2 even
  std::optional<uint16_t> address;                          // --address 0..255
  std::optional<uint16_t> attempts;                         // --attempts 1..65535
  std::optional<std::string> trace;                         // --trace FILE

  CliCommand command = CliCommand::None;
  MeasureBlock block = MeasureBlock::Measurement;  // read: --latched, --constant; poll: --constant
  uint32_t cycles = 0;                             // poll --count; 0: until a stop signal
  uint32_t interval_ms = 1000;                     // poll --interval: pause after each cycle
  std::vector<uint16_t> addresses;                 // poll --addresses: each cycle reads each in turn
  bool no_tail_wait = false;                       // --no-tail-wait: reads end at the answer's last byte
  uint16_t start = 0;                              // regs: first register
  uint8_t count = 0;                               // regs read: number of registers
  std::vector<uint16_t> values;                    // regs write
  SearchSelection search;                          // search: --rates, --parities, --from, --to
  std::optional<uint16_t> probe_timeout;           // search --timeout MS
  bool json = false;                               // --json: read, poll, regs read, config read, search
  CalibCommand calib = CalibCommand::Zero;         // calib zero|span|trims
  std::string target;                              // calib zero|span --target V, as typed
  std::optional<uint16_t> samples;                 // calib zero|span --samples N
  bool write = false;                              // calib zero|span --write
  std::optional<std::string> trims;                // calib trims --set A,B,C, as typed
  bool yes = false;                                // calib, config write, profile write --yes:
                                                   // every question answered Yes
  std::vector<float> points;                       // calib check --points P1,P2,...
  double tolerance = 0.5;                          // calib check --tolerance PCT, % of span
  uint32_t settle_s = 0;                           // calib check --settle S
  bool as_left = false;                            // calib check --as-left
  std::optional<std::string> report;               // calib check --report FILE.pdf
  std::string profile_file;                        // profile save/write FILE
  bool take_link = false;                          // profile write --take-link: the profile's
                                                   // address, rate and parity too
  std::vector<ConfigAssignment> assignments;       // config write NAME=VALUE, checked
};

struct CliParse {
  CliOptions options;
  std::string error;  // non-empty: a usage error, in the user's language
};

// Parses the arguments after the program name with getopt_long, as GNU tools
// do: global options may stand before or after the command, "--name value"
// and "--name=value" are both taken, as are unambiguous abbreviations of long
// names and the short letters -d -a -b -P -h (clustered, a value attached or
// next); "--" ends the options. Every argument is read; --help or --version
// anywhere wins over an error. An error is one line.
CliParse parse_cli_options(const std::vector<std::string>& args);

// A number in decimal or, after "0x" or "0X", in hexadecimal, within [min, max].
std::optional<uint32_t> parse_cli_number(std::string_view text, uint32_t min, uint32_t max);

// "orn20mb-cli VERSION", the project's version.
std::string cli_version();

// The text of --help.
std::string cli_usage();

}  // namespace orn
