#include "measure/trend_buffer.h"

#include <algorithm>

#include "link/faults.h"

namespace orn {

TrendSample trend_sample(const MeasuredValue& record, int64_t time_ms) {
  TrendSample s;
  s.time_ms = time_ms;
  s.faults = record.faults;
  s.good = (record.faults & kFaultMask) == 0 && !record.unchecked;
  if (s.good) {
    s.value = record.pizmf;
    s.izmerr = record.izmerr;
    s.statp = record.statp;
  }
  return s;
}

TrendBuffer::TrendBuffer(size_t capacity) : ring_(std::max<size_t>(capacity, 1)) {}

void TrendBuffer::append(TrendSample s) {
  if (size_ > 0) s.time_ms = std::max(s.time_ms, at(size_ - 1).time_ms);
  if (size_ < ring_.size()) {
    ring_[(head_ + size_) % ring_.size()] = s;
    ++size_;
  } else {
    ring_[head_] = s;
    head_ = (head_ + 1) % ring_.size();
  }
}

void TrendBuffer::clear() {
  head_ = 0;
  size_ = 0;
}

size_t TrendBuffer::first_at_or_after(int64_t time_ms) const {
  size_t lo = 0, hi = size_;
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    if (at(mid).time_ms < time_ms) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

namespace {

// The good samples of one column since its last flush: the extremes with their times.
struct ColumnExtremes {
  bool any = false;
  TrendPoint low{0, 0.0f};
  TrendPoint high{0, 0.0f};

  void add(const TrendSample& s) {
    if (!any || s.value < low.value) low = {s.time_ms, s.value};
    if (!any || s.value > high.value) high = {s.time_ms, s.value};
    any = true;
  }
};

class TraceBuilder {
 public:
  explicit TraceBuilder(TrendTrace& out) : out_(out) {
    out_.points.clear();
    out_.run_starts.clear();
  }
  void flush(ColumnExtremes& c) {
    if (!c.any) return;
    if (break_ || out_.run_starts.empty()) out_.run_starts.push_back(out_.points.size());
    break_ = false;
    const bool low_first = c.low.time_ms <= c.high.time_ms;
    put(low_first ? c.low : c.high);
    if (c.low.time_ms != c.high.time_ms || c.low.value != c.high.value) put(low_first ? c.high : c.low);
    c = ColumnExtremes{};
  }
  void gap() { break_ = true; }

 private:
  void put(const TrendPoint& p) {
    if (out_.points.empty()) out_.min = out_.max = p.value;
    out_.min = std::min(out_.min, p.value);
    out_.max = std::max(out_.max, p.value);
    out_.points.push_back(p);
  }
  TrendTrace& out_;
  bool break_ = false;
};

}  // namespace

void decimate(const TrendBuffer& buffer, int64_t from_ms, int64_t to_ms, size_t columns, TrendTrace& out) {
  TraceBuilder trace(out);
  if (columns == 0) columns = 1;
  const int64_t span = std::max<int64_t>(to_ms - from_ms, 0) + 1;
  ColumnExtremes column;
  size_t current = 0;
  bool split = false;  // the current column already has a gap drawn
  for (size_t i = buffer.first_at_or_after(from_ms); i < buffer.size(); ++i) {
    const TrendSample& s = buffer.at(i);
    if (s.time_ms > to_ms) break;
    const auto c = static_cast<size_t>((s.time_ms - from_ms) * static_cast<int64_t>(columns) / span);
    if (c != current) {
      trace.flush(column);
      current = c;
      split = false;
    }
    if (s.good) {
      column.add(s);
    } else {
      // The first gap of a column closes the values before it; later ones
      // within the same column are narrower than a pixel.
      if (column.any && !split) {
        trace.flush(column);
        split = true;
      }
      trace.gap();
    }
  }
  trace.flush(column);
}

}  // namespace orn
