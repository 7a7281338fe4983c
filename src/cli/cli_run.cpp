#include "cli/cli_run.h"

#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

#include "cli/cli_calib.h"
#include "cli/cli_config.h"
#include "cli/cli_profile.h"
#include "cli/cli_search.h"
#include "cli/cli_settings.h"
#include "cli/json_line.h"
#include "cli/terminal_dialog.h"
#include "device/register_map.h"
#include "link/failure_report.h"
#include "link/modbus_master.h"
#include "link/open_failure.h"
#include "link/port_names.h"
#include "measure/measure_log.h"
#include "measure/polled_line.h"
#include "measure/polling.h"

namespace orn {
namespace {


struct Link {
  LinkParams params;
  ExchangeSettings exchange;
  RateTimeouts timeouts;
  std::string path;
};

// The settings files as the window would read them, never written; then the options.
Link link_for(const CliOptions& o, CliContext& c) {
  CliSettings s = load_cli_settings(c.folder, c.err);
  Link l{s.link, s.exchange, s.timeouts, {}};
  PortMap ports(s.ports);
  for (const auto& [n, path] : o.port_maps) ports.set(n, path);

  if (o.port) l.params.port = *o.port;
  if (o.rate_index) l.params.rate_index = *o.rate_index;
  if (o.parity) l.params.parity = *o.parity;
  if (o.address) l.params.address = *o.address;
  if (o.attempts) l.exchange.reask_val = *o.attempts;
  // The trace is written only when asked for on the command line.
  l.exchange.use_log_file = o.trace ? 1 : 0;
  if (o.trace) l.exchange.log_file_name = *o.trace;
  l.path = o.device ? *o.device : ports.path(l.params.port);
  return l;
}

// A failed exchange's message on err, after prefix (the address of a line of
// several transmitters, or nothing). Returns whether the exchange succeeded.
bool report(const ExchangeResult& r, CliContext& c, std::string_view prefix = {}) {
  if (r.ok()) return true;
  // Written piece by piece: a failed polling cycle must not touch the heap either.
  c.err << prefix;
  if (auto t = failure_text(r)) {
    c.err << t->text;
    if (t->code >= 0) c.err << t->code;
    c.err << "\n";
  } else {
    char text[64];
    std::snprintf(text, sizeof text, "Ошибка в обмене (0x%04X)", static_cast<unsigned>(r.faults));
    c.err << text << "\n";
  }
  return false;
}

// Bytes that followed the previous answer, seen before this request (reads that end at the frame).
void report_late_bytes(const ExchangeResult& r, CliContext& c, std::string_view previous) {
  if (r.late_bytes == 0) return;
  c.err << "Лишние байты после ответа" << previous << ": " << r.late_bytes << "\n";
}

// The trace label of a write: the register's name when the map has one there.
std::string write_label(uint16_t start) {
  for (const RegisterEntry& e : kRegisterMap) {
    if (e.address == start) return std::string(e.name);
  }
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(start));
  return text;
}

// The --json line of one read of the measurement block: its values, or its
// failure; with the transmitter's address first when a line of them is polled.
void measurement_json_line(const ExchangeResult& r, const MeasuredValue& record, CliContext& c,
                           const PolledTransmitter* of = nullptr) {
  JsonLine j;
  if (of != nullptr) j.number("address", uint64_t{of->address});
  j.boolean("ok", r.ok()).time("time", c.clock.now());
  if (r.ok()) {
    measurement_json(j, record);
    j.faults(r.faults, r.exception);
  } else {
    j.failure(r);
  }
  c.out << j.line();
}

int read_once(const CliOptions& o, ModbusMaster& master, CliContext& c) {
  MeasuredValue record;
  const ExchangeResult r = read_measurement(master, o.block, record);
  const bool ok = report(r, c);
  if (o.json) measurement_json_line(r, record, c);
  if (!ok) return kCliExitFailure;
  if (!o.json) c.out << measure_log_line(record, c.clock.now()).view();
  return kCliExitOk;
}

// The counters of one transmitter at the end of polling; with its address
// first when a line of them is polled.
void poll_counters(const PolledTransmitter& t, bool with_address, bool json, CliContext& c) {
  const PollCounters& n = t.counters;
  if (json) {
    JsonLine j;
    if (with_address) j.number("address", uint64_t{t.address});
    j.number("cycles", uint64_t{n.cycles})
        .number("meas_errors", uint64_t{n.measurement_errors})
        .number("exch_errors", uint64_t{n.exchange_errors})
        .number("retries", uint64_t{n.retries});
    c.out << j.line();
    return;
  }
  if (with_address) c.out << "address=" << t.address << " ";
  c.out << "cycles=" << n.cycles << " meas_errors=" << n.measurement_errors << " exch_errors=" << n.exchange_errors
        << " retries=" << n.retries << "\n";
}

// Polling cycles of the link's own address, or with --addresses of each
// listed transmitter in turn: a line per read, the counters of each at the end.
int poll(const CliOptions& o, ModbusMaster& master, LinkParams& link, CliContext& c) {
  const bool many = !o.addresses.empty();
  const uint16_t own[] = {link.address};
  PolledLine line(many ? std::span<const uint16_t>(o.addresses) : std::span<const uint16_t>(own));
  const MeasureLogSettings no_file;  // lines go to the output instead
  bool failed = false;
  auto stopped = [&c] { return c.stop != nullptr && c.stop->raised(); };
  // Without --count the loop runs until a stop signal, which is looked at
  // before every read: the running read ends, no further one starts.
  const auto more = [&](uint32_t done) { return (o.cycles == 0 || done < o.cycles) && !stopped(); };
  // Texts of the address for the messages, made before the first read.
  struct Names {
    char prefix[24] = "";    // "адрес 12: "
    char previous[32] = "";  // " адреса 12"
  };
  std::vector<Names> names(line.transmitters().size());
  for (size_t k = 0; many && k < names.size(); ++k) {
    const unsigned a = line.transmitters()[k].address;
    std::snprintf(names[k].prefix, sizeof names[k].prefix, "адрес %u: ", a);
    std::snprintf(names[k].previous, sizeof names[k].previous, " адреса %u", a);
  }
  size_t previous = 0;
  for (uint32_t i = 0; more(i); ++i) {
    for (size_t k = 0; k < names.size() && !stopped(); ++k) {
      PolledTransmitter& t = line.transmitters()[k];
      const ExchangeResult r = poll_transmitter(master, link, o.block, t, no_file, c.clock);
      report_late_bytes(r, c, many ? std::string_view(names[previous].previous) : " на предыдущий запрос");
      previous = k;
      failed |= !report(r, c, names[k].prefix);
      if (o.json) {
        measurement_json_line(r, t.record, c, many ? &t : nullptr);
      } else {
        if (many) {
          char address[8];
          std::snprintf(address, sizeof address, "%3u  ", static_cast<unsigned>(t.address));
          c.out << address;
        }
        c.out << measure_log_line(t.record, c.clock.now()).view();
      }
      c.out << std::flush;
    }
    if (more(i + 1) && o.interval_ms > 0) c.pump.wait(o.interval_ms);
  }
  for (const PolledTransmitter& t : line.transmitters()) poll_counters(t, many, o.json, c);
  return failed ? kCliExitFailure : kCliExitOk;
}

int regs_read(const CliOptions& o, ModbusMaster& master, CliContext& c) {
  std::vector<uint16_t> values(o.count);
  const ExchangeResult r = master.read(o.start, o.count, values.data());
  if (!report(r, c)) {
    if (o.json) {
      JsonLine j;
      j.boolean("ok", false).number("address", uint64_t{o.start}).number("count", uint64_t{o.count}).failure(r);
      c.out << j.line();
    }
    return kCliExitFailure;
  }
  for (size_t k = 0; k < values.size(); ++k) {
    if (o.json) {
      JsonLine j;
      c.out << j.number("address", uint64_t{o.start + k}).number("value", uint64_t{values[k]}).line();
      continue;
    }
    char line[32];
    std::snprintf(line, sizeof line, "0x%04X 0x%04X %u\n", static_cast<unsigned>(o.start + k),
                  static_cast<unsigned>(values[k]), static_cast<unsigned>(values[k]));
    c.out << line;
  }
  return kCliExitOk;
}

int regs_write(const CliOptions& o, ModbusMaster& master, CliContext& c) {
  const auto n = static_cast<uint8_t>(o.values.size());
  return report(master.write(o.start, n, o.values.data(), write_label(o.start)), c) ? kCliExitOk
                                                                                     : kCliExitFailure;
}

// The commands whose writes ask before they send anything.
const char* asking_command(const CliOptions& o) {
  switch (o.command) {
    case CliCommand::ConfigWrite: return "config write";
    case CliCommand::ProfileWrite: return "profile write";
    case CliCommand::Calib: return o.calib != CalibCommand::Trims || o.trims ? "calib" : nullptr;
    default: return nullptr;
  }
}

}  // namespace

void tell_late_bytes_seen(const ModbusMaster& master, CliContext& c) {
  if (master.late_bytes_seen() != 0) c.err << "Лишние байты после ответов прибора: " << master.late_bytes_seen() << "\n";
}

int run_cli(const CliOptions& o, CliContext& c) {
  Link link = link_for(o, c);
  const auto stop_status = [&c](int status) {
    return c.stop != nullptr && c.stop->raised() ? 128 + c.stop->number() : status;
  };
  // The search opens and reopens the port itself, at every probe.
  if (o.command == CliCommand::Search)
    return stop_status(run_search(o, c, link.params, link.exchange, link.timeouts, link.path));
  if (o.command == CliCommand::ProfileWrite || o.command == CliCommand::ProfileDiff) {
    if (const int refused = refuse_profile_write(o, c)) return refused;
  }
  // Nothing is sent when nobody can answer the questions: no --yes and no person at standard input.
  if (const char* asking = asking_command(o);
      asking != nullptr && !questions_answerable(o.yes, c.in != nullptr && c.in_is_terminal)) {
    c.err << "orn20mb-cli: " << asking
          << " задает вопросы перед записью, а стандартный ввод не терминал; с --yes на каждый вопрос "
             "отвечается \"да\"\n";
    return kCliExitUsage;
  }
  auto open_port = [&] {
    if (link.path.empty() ||
        !c.port.open(link.path, baud_for_rate_index(link.params.rate_index), link.params.parity)) {
      c.err << open_failure_message(link.params.port, link.path, link.path.empty() ? "" : c.port.open_error())
            << "\n";
      return false;
    }
    // The line state the window sets after its first open: converters powered
    // from DTR need it.
    c.port.set_rts(false);
    c.port.set_dtr(true);
    return true;
  };
  if (!open_port()) return kCliExitFailure;

  ModbusMaster master(c.port, c.pump, c.clock, link.params, link.exchange, link.timeouts);
  if (c.stop != nullptr) master.set_stop(*c.stop);
  // Every protected write that reaches the device goes into changes.csv.
  TerminalPrompt journal_prompt(nullptr, c.err, true);
  ChangeJournal journal(
      c.folder + "/" + kChangeJournalFile,
      [&](const DeviceImage& device) { return record_origin(link.path, link.params.address, device); },
      journal_prompt);
  c.journal = &journal;
  master.end_reads_at_frame(o.no_tail_wait);
  // config write and profile write move the link to the device's new exchange parameters.
  auto reopen = [&] {
    c.port.close();
    return open_port();
  };
  int status = kCliExitUsage;
  switch (o.command) {
    case CliCommand::Read: status = read_once(o, master, c); break;
    case CliCommand::Latch: status = report(latch_measurement(master), c) ? kCliExitOk : kCliExitFailure; break;
    case CliCommand::Poll: status = poll(o, master, link.params, c); break;
    case CliCommand::RegsRead: status = regs_read(o, master, c); break;
    case CliCommand::RegsWrite: status = regs_write(o, master, c); break;
    case CliCommand::Calib: status = run_calib(o, master, c, link.path, link.params.address); break;
    case CliCommand::ProfileSave: status = run_profile_save(o.profile_file, master, c); break;
    case CliCommand::ProfileWrite: status = run_profile_write(o, master, c, link.params, reopen); break;
    case CliCommand::ProfileDiff: status = run_profile_diff(o, master, c); break;
    case CliCommand::ConfigRead: status = run_config_read(master, c, o.json); break;
    case CliCommand::ConfigWrite: status = run_config_write(o, master, link.params, reopen, c); break;
    case CliCommand::Search:
    case CliCommand::None: break;
  }
  // Polling tells of late bytes at each read; the other commands once, at the end.
  if (o.command != CliCommand::Poll) tell_late_bytes_seen(master, c);
  // At address 255 a write goes out without any answer being checked.
  const bool write = o.command == CliCommand::Latch || o.command == CliCommand::RegsWrite;
  if (write && status == kCliExitOk && link.params.address == kAddressNoAnswerCheck)
    c.err << "Адрес 255: запись отправлена, ответ прибора не проверялся.\n";
  c.journal = nullptr;
  c.port.close();
  return stop_status(status);
}

}  // namespace orn
