#pragma once
// The bus search: tries every chosen combination of rate, address and parity
// with one measured-value read each and lists those that answered. It yields
// one probe at a time, so the window, the command line, a progress bar and a
// time estimate all drive the same sequence:
//
//   search.start(selection);
//   while (search.step(events) == SearchEnding::None) { ...show progress... }
//
// Rates go up from 1200, within a rate the addresses from first to last, within
// an address no parity, odd, even. Every probe reopens the port at its rate and
// parity and points the link at it; when the search ends, the link it started
// with is back and the port reopened with it.
#include <cstdint>

#include "link/link_params.h"
#include "link/modbus_master.h"
#include "link/port_connection.h"
#include "link/prompt.h"
#include "measure/measured_value.h"
#include "search/found_table.h"
#include "search/search_selection.h"

namespace orn {

enum class SearchEnding {
  None,            // the search goes on
  Completed,       // every combination tried
  StoppedByUser,   // stop() was seen after a probe
  TooManyDevices,  // the 33rd find
  Abandoned,       // abandon(): the window closes
};

struct SearchProbe {
  uint16_t rate_index = 0;
  uint16_t address = 0;
  uint16_t parity = 0;
};

// What the caller shows while a step runs.
class SearchEvents {
 public:
  virtual ~SearchEvents() = default;
  // The port is open at the probe's settings and the read is about to start.
  virtual void probing(const SearchProbe& probe) { (void)probe; }
  // A find was stored in the table (before any message about it).
  virtual void found(const FoundTable& table) { (void)table; }
};

class BusSearch {
 public:
  // The search reads and changes link; it reopens the port through connection
  // with exchange's read time-out constant; a good probe also updates record.
  // timeouts are those the master uses, for the estimate of the time left.
  BusSearch(ModbusMaster& master, PortConnection& connection, LinkParams& link,
            const ExchangeSettings& exchange, const RateTimeouts& timeouts, MeasuredValue& record,
            Prompt& prompt);

  // Not running, every found entry emptied.
  void clear();
  // Completes the selection in place (the caller shows it), saves the link,
  // empties the table and starts at rate 1200, the first address, no parity.
  void start(SearchSelection& selection);
  // Runs one probe and moves to the next combination to probe. When that ends
  // the search, the ending's message is shown, the saved link restored and the
  // port reopened with it, and the ending returned. Without a search under way
  // it does nothing and returns the last ending.
  SearchEnding step(SearchEvents& events);

  // Off: a probe reopens the port only when its rate or parity differs from
  // the previous probe's (a program that needs no fresh open per probe).
  // On (the default): every probe reopens it.
  void set_reopen_every_probe(bool on) { reopen_every_probe_ = on; }

  // Noticed after the probe under way, which completes with its attempts.
  void stop() { running_ = false; }
  // Ends the search at the next step without a message, restoring the link's
  // values but not reopening the port (it is being closed for good).
  void abandon();
  bool running() const { return running_; }
  // Between start() and the step that ends the search.
  bool under_way() const { return under_way_; }

  const FoundTable& found() const { return found_; }
  uint32_t probes_total() const { return total_; }
  uint32_t probes_done() const { return done_; }
  // Estimated milliseconds to the end: what the probes still to come take when
  // nothing answers them, scaled by how the probes so far compared with that
  // (elapsed_ms since the start).
  uint64_t time_left_ms(uint64_t elapsed_ms) const;

 private:
  enum class Seek { FromCursor, AfterProbe };
  // Moves the cursor to the next combination to probe, or returns the ending.
  SearchEnding seek(Seek from);
  bool rate_selected() const { return selection_.rates[cursor_.rate_index - kRateIndexMin] != 0; }
  bool parity_selected() const { return selection_.parities[cursor_.parity] != 0; }
  // Reopens at the cursor, points the link at it and reads; true when it answered.
  bool probe(SearchEvents& events);
  SearchEnding finish(SearchEnding ending);

  ModbusMaster& master_;
  PortConnection& connection_;
  LinkParams& link_;
  const ExchangeSettings& exchange_;
  const RateTimeouts& timeouts_;
  MeasuredValue& record_;
  Prompt& prompt_;

  SearchSelection selection_;
  SearchProbe cursor_;
  SearchProbe saved_;  // the link's rate, address and parity at the start
  FoundTable found_;
  bool running_ = false;     // cleared by stop(): the search ends after its probe
  bool under_way_ = false;   // between start() and the ending
  bool abandoned_ = false;
  bool at_probe_ = false;    // the cursor stands on a combination to probe
  bool reopen_every_probe_ = true;
  bool opened_at_probe_ = false;  // the port is open at opened_'s rate and parity
  SearchProbe opened_;
  SearchEnding ending_ = SearchEnding::None;
  uint32_t total_ = 0;
  uint32_t done_ = 0;
  uint64_t done_silent_ms_ = 0;  // what the probes so far would take unanswered
};

}  // namespace orn
