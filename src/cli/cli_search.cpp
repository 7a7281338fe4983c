#include "cli/cli_search.h"

#include <chrono>
#include <cstdio>

#include "link/line_names.h"
#include "link/modbus_master.h"
#include "link/port_connection.h"
#include "search/bus_search.h"
#include "search/probe_time.h"

namespace orn {
namespace {

constexpr uint32_t kBitsPerCharacter = 11;  // start, 8 data, parity or a second stop, stop
constexpr size_t kBarWidth = 20;

// The error stream as the search's progress display. On a terminal it is one
// line redrawn for every probe; a message first clears it.
class SearchProgress final : public SearchEvents, public Prompt {
 public:
  SearchProgress(CliContext& c, bool json) : c_(c), json_(json) {}
  void follow(const BusSearch& search) { search_ = &search; }

  void probing(const SearchProbe& p) override {
    const std::string text = search_progress_text(p.rate_index, p.parity, p.address);
    if (!c_.err_is_terminal) {
      c_.err << text << "\n" << std::flush;
      return;
    }
    const uint32_t total = search_->probes_total(), done = search_->probes_done();
    const size_t filled = total == 0 ? 0 : kBarWidth * done / total;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started_).count();
    c_.err << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, '-') << "] " << done << "/"
           << total << " " << duration_text(search_->time_left_ms(static_cast<uint64_t>(elapsed))) << "  "
           << text.substr(text.find(' ') + 1) << "\033[K" << std::flush;
    on_screen_ = true;
  }

  void found(const FoundTable& table) override {
    clear();  // the output may be the same terminal
    const FoundEntry& e = table.entries()[table.count() - 1];
    if (json_) {
      char line[80];
      const std::string_view parity = parity_names(e.parity).option;
      std::snprintf(line, sizeof line, "{\"baud\":%u,\"parity\":\"%.*s\",\"address\":%u}\n",
                    static_cast<unsigned>(baud_for_rate_index(e.rate_index)), static_cast<int>(parity.size()),
                    parity.data(),
                    static_cast<unsigned>(e.address));
      c_.out << line << std::flush;
    } else {
      c_.out << found_line(e) << "\n" << std::flush;
    }
  }

  bool ask(const std::string& text, const std::string& caption, PromptIcon icon) override {
    tell(text, caption, icon);
    return false;
  }
  void tell(const std::string& text, const std::string&, PromptIcon) override {
    clear();
    c_.err << text << "\n" << std::flush;
  }

  void clear() {
    if (on_screen_) c_.err << "\r\033[K" << std::flush;
    on_screen_ = false;
  }

 private:
  CliContext& c_;
  const BusSearch* search_ = nullptr;
  bool json_;
  bool on_screen_ = false;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

}  // namespace

void apply_probe_timeout(uint16_t timeout_ms, ExchangeSettings& exchange, RateTimeouts& timeouts) {
  for (uint16_t rate = kRateIndexMin; rate <= kRateIndexMax; ++rate) {
    const uint32_t baud = baud_for_rate_index(rate);
    timeouts.rttm[rate - kRateIndexMin] = static_cast<uint16_t>((kBitsPerCharacter * 1000 + baud - 1) / baud);
  }
  timeouts.rttm_df = timeouts.rttm[kRateIndexDefault - kRateIndexMin];
  exchange.timeout = timeout_ms;
}

int run_search(const CliOptions& o, CliContext& c, LinkParams link, ExchangeSettings exchange, RateTimeouts timeouts,
               const std::string& path) {
  apply_probe_timeout(o.probe_timeout.value_or(kDefaultReplyAllowanceMs), exchange, timeouts);
  // The device stands for the link's port number, which every probe reopens.
  PortMap ports;
  ports.set(link.port, path);
  SearchProgress progress(c, o.json);
  PortConnection connection(c.port, ports, progress);
  connection.open(link.port, link.rate_index, link.parity, exchange.timeout, false);
  if (path.empty() || !connection.is_open()) {
    c.err << "Невозможно открыть последовательный порт" << (path.empty() ? "" : " " + path) << "\n";
    return kCliExitFailure;
  }

  ModbusMaster master(c.port, c.pump, c.clock, link, exchange, timeouts);
  // A stop signal ends the running probe after its current attempt and no
  // further probe starts; the finds so far are already printed.
  if (c.stop != nullptr) master.set_stop(*c.stop);
  // An unanswered probe costs the request on the wire, the silence and the
  // allowance; an answer that has started is read to its end.
  master.wait_from_request_end(true);
  master.end_reads_at_frame(o.no_tail_wait);
  MeasuredValue record;
  BusSearch search(master, connection, link, exchange, timeouts, record, progress);
  progress.follow(search);
  search.set_reopen_every_probe(false);
  SearchSelection selection = o.search;
  search.start(selection);
  while (search.step(progress) == SearchEnding::None) {
    if (c.stop != nullptr && c.stop->raised()) search.abandon();
  }
  progress.clear();
  connection.close();
  tell_late_bytes_seen(master, c);
  if (c.stop != nullptr && c.stop->raised())
    c.err << "orn20mb-cli: поиск остановлен сигналом после " << search.probes_done() << " проверок из "
          << search.probes_total() << "; найдено приборов: " << search.found().count() << "\n";
  return search.found().count() > 0 ? kCliExitOk : kCliExitFailure;
}

}  // namespace orn
