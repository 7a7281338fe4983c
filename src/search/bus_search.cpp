#include "search/bus_search.h"

#include <algorithm>

#include "search/probe_time.h"

namespace orn {
namespace {

constexpr const char* kCaption = "Ход поиска";
// A line carries at most 32 transmitters; one more find ends the search.
constexpr uint16_t kMostDevices = 32;
constexpr uint16_t kParityCodes = 3;
constexpr uint16_t kAddressLimit = 256;

const char* ending_message(SearchEnding ending) {
  switch (ending) {
    case SearchEnding::Completed: return "Процедура поиска завершена.";
    case SearchEnding::StoppedByUser: return "Процедура поиска завершена пользователем.";
    case SearchEnding::TooManyDevices: return "Процедура поиска завершена.На линии слишком много приборов.";
    case SearchEnding::None:
    case SearchEnding::Abandoned: break;
  }
  return nullptr;
}

}  // namespace

BusSearch::BusSearch(ModbusMaster& master, PortConnection& connection, LinkParams& link,
                     const ExchangeSettings& exchange, const RateTimeouts& timeouts, MeasuredValue& record,
                     Prompt& prompt)
    : master_(master),
      connection_(connection),
      link_(link),
      exchange_(exchange),
      timeouts_(timeouts),
      record_(record),
      prompt_(prompt) {}

void BusSearch::clear() {
  running_ = false;
  found_.clear();
}

void BusSearch::start(SearchSelection& selection) {
  complete_search_selection(selection);
  selection_ = selection;
  saved_ = {link_.rate_index, link_.address, link_.parity};
  cursor_ = {kRateIndexMin, selection_.first, kParityNone};
  clear();
  running_ = true;
  under_way_ = true;
  abandoned_ = false;
  at_probe_ = false;
  opened_at_probe_ = false;
  ending_ = SearchEnding::None;
  total_ = search_probe_count(selection_);
  done_ = 0;
  done_silent_ms_ = 0;
}

void BusSearch::abandon() {
  abandoned_ = true;
  running_ = false;
}

SearchEnding BusSearch::step(SearchEvents& events) {
  if (!under_way_) return ending_;
  if (abandoned_) return finish(SearchEnding::Abandoned);
  if (!at_probe_) {
    if (const SearchEnding e = seek(Seek::FromCursor); e != SearchEnding::None) return finish(e);
  }
  if (probe(events) && found_.count() > kMostDevices) {
    running_ = false;
    return finish(SearchEnding::TooManyDevices);
  }
  return finish(seek(Seek::AfterProbe));
}

bool BusSearch::probe(SearchEvents& events) {
  at_probe_ = false;
  const bool same_settings = opened_at_probe_ && connection_.is_open() && opened_.rate_index == cursor_.rate_index &&
                             opened_.parity == cursor_.parity;
  if (reopen_every_probe_ || !same_settings) {
    connection_.open(link_.port, cursor_.rate_index, cursor_.parity, exchange_.timeout, true);
    opened_ = cursor_;
    opened_at_probe_ = true;
  }
  link_.rate_index = cursor_.rate_index;
  link_.address = cursor_.address;
  link_.parity = cursor_.parity;
  events.probing(cursor_);
  const ExchangeResult r = read_measurement(master_, MeasureBlock::Measurement, record_);
  ++done_;
  done_silent_ms_ += silent_probe_ms(cursor_.rate_index, cursor_.address, exchange_, timeouts_);
  if (!r.ok()) return false;
  found_.add({cursor_.rate_index, cursor_.address, cursor_.parity});
  events.found(found_);
  return true;
}

// The trial order as one loop over the cursor: parities within an address,
// addresses within a rate, rates upwards. Events are dispatched after every
// parity tried at a chosen rate (where a stop is noticed) and before every
// new address.
SearchEnding BusSearch::seek(Seek from) {
  enum class Stage { Check, AfterTrial, NextRate } stage = from == Seek::FromCursor ? Stage::Check : Stage::AfterTrial;
  Pump& pump = master_.pump();
  for (;;) {
    switch (stage) {
      case Stage::Check:
        if (!rate_selected()) {
          stage = Stage::NextRate;
        } else if (parity_selected()) {
          at_probe_ = true;
          return SearchEnding::None;
        } else {
          stage = Stage::AfterTrial;
        }
        break;
      case Stage::AfterTrial:
        pump.dispatch();
        if (!running_) return SearchEnding::StoppedByUser;
        stage = Stage::Check;
        if (++cursor_.parity < kParityCodes) break;
        cursor_.parity = kParityNone;
        if (++cursor_.address <= selection_.last && cursor_.address < kAddressLimit) {
          pump.dispatch();
          break;
        }
        stage = Stage::NextRate;
        break;
      case Stage::NextRate:
        cursor_.address = selection_.first;
        if (++cursor_.rate_index > kRateIndexMax) {
          running_ = false;
          return SearchEnding::Completed;
        }
        stage = Stage::Check;
        break;
    }
  }
}

SearchEnding BusSearch::finish(SearchEnding ending) {
  if (ending == SearchEnding::None) return ending;
  if (abandoned_) ending = SearchEnding::Abandoned;
  running_ = false;
  under_way_ = false;
  at_probe_ = false;
  ending_ = ending;
  if (const char* message = ending_message(ending)) prompt_.tell(message, kCaption, PromptIcon::Information);
  link_.address = saved_.address;
  link_.rate_index = saved_.rate_index;
  link_.parity = saved_.parity;
  if (ending != SearchEnding::Abandoned)
    connection_.open(link_.port, link_.rate_index, link_.parity, exchange_.timeout, true);
  return ending;
}

uint64_t BusSearch::time_left_ms(uint64_t elapsed_ms) const {
  if (!under_way_) return 0;
  // Probes go in rate order: those left above the cursor's rate are whole
  // rates, the rest belong to the cursor's rate.
  const auto rates = std::count_if(selection_.rates.begin(), selection_.rates.end(), [](uint16_t f) { return f != 0; });
  const uint32_t per_rate = rates == 0 ? 0 : total_ / static_cast<uint32_t>(rates);
  uint32_t left = total_ - done_;
  uint64_t silent_left = 0;
  for (uint16_t rate = kRateIndexMax; rate >= cursor_.rate_index && left > 0; --rate) {
    if (selection_.rates[rate - kRateIndexMin] == 0) continue;
    const uint32_t here = rate == cursor_.rate_index ? left : std::min(left, per_rate);
    silent_left += here * silent_probe_ms(rate, selection_.last, exchange_, timeouts_);
    left -= here;
  }
  if (done_silent_ms_ == 0 || elapsed_ms == 0) return silent_left;
  return static_cast<uint64_t>(static_cast<double>(silent_left) * static_cast<double>(elapsed_ms) /
                               static_cast<double>(done_silent_ms_));
}

}  // namespace orn
