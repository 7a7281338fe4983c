#pragma once
// The history behind the trend chart: one sample per read of a measurement
// block, good or failed, in a ring allocated once (24 hours of reads one second
// apart), and its reduction to a few points per pixel column for drawing.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "measure/measured_value.h"

namespace orn {

inline constexpr size_t kTrendCapacity = 86'400;

struct TrendSample {
  int64_t time_ms = 0;  // milliseconds since the epoch
  float value = 0.0f;   // PIZMF; meaningless when the read failed
  uint16_t izmerr = 0;
  uint16_t statp = 0;
  uint16_t faults = 0;  // exchange fault set of the read
  bool good = false;    // the read succeeded: value, IZMERR and STATP are its own
};

// The sample a read leaves in the record. It is good when fault bits 14..0 are
// clear, which is when the read decoded the block into the record (a read
// that needed a retry included); a read left unchecked at address 255 is a gap.
TrendSample trend_sample(const MeasuredValue& record, int64_t time_ms);

class TrendBuffer {
 public:
  explicit TrendBuffer(size_t capacity = kTrendCapacity);

  // Adds a sample, dropping the oldest when full. Time never runs backwards in
  // the buffer: an earlier stamp (the clock was set back) takes the last one.
  void append(TrendSample s);
  void clear();
  size_t size() const { return size_; }
  size_t capacity() const { return ring_.size(); }
  // Sample i, 0 being the oldest.
  const TrendSample& at(size_t i) const { return ring_[(head_ + i) % ring_.size()]; }
  // Index of the first sample at or after time_ms (size() when none).
  size_t first_at_or_after(int64_t time_ms) const;

 private:
  std::vector<TrendSample> ring_;
  size_t head_ = 0;  // index of the oldest sample
  size_t size_ = 0;
};

struct TrendPoint {
  int64_t time_ms;
  float value;
};

// A time range reduced for drawing: runs of points, each drawn as one line;
// failed reads separate the runs.
struct TrendTrace {
  std::vector<TrendPoint> points;
  std::vector<size_t> run_starts;  // index of each run's first point in points
  float min = 0.0f;                // of all points; valid when points is not empty
  float max = 0.0f;

  size_t run_count() const { return run_starts.size(); }
  size_t run_end(size_t run) const { return run + 1 < run_starts.size() ? run_starts[run + 1] : points.size(); }
};

// Reduces the samples in [from_ms, to_ms] to `columns` equal time columns.
// Each column gives the lowest and the highest good value in time order (one
// point when they are the same sample). A failed read ends the run; a column
// is split by at most one such gap, narrower gaps within it are not drawn. So
// a column yields at most four points. out keeps its storage from call to call.
void decimate(const TrendBuffer& buffer, int64_t from_ms, int64_t to_ms, size_t columns, TrendTrace& out);

}  // namespace orn
