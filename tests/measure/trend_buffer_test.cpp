#include "measure/trend_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace orn {
namespace {

constexpr int64_t kStart = 1'765'000'000'000;  // any epoch time

TrendSample good(int64_t t, float v) { return {t, v, 0, 0x0200, 0, true}; }
TrendSample failed(int64_t t) { return {t, 0.0f, 0, 0, 0x006E, false}; }

// A day of reads one second apart: a slow sine with a one-sample spike.
TrendBuffer full_day() {
  TrendBuffer b;
  for (int64_t i = 0; i < static_cast<int64_t>(kTrendCapacity); ++i)
    b.append(good(kStart + i * 1000, 100.0f + 5.0f * std::sin(static_cast<float>(i) / 3000.0f)));
  return b;
}

TEST(TrendSample, GoodWhenTheReadDecodedTheBlock) {
  struct Case {
    uint16_t faults;
    bool good;
  };
  const Case cases[] = {{0x0000, true}, {0x8000, true}, {0x8040, false}, {0x001A, false}, {0x4000, false}};
  MeasuredValue record;
  record.pizmf = 101.5f;
  record.izmerr = 0x0010;
  record.statp = 0x4200;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.faults);
    record.faults = c.faults;
    const TrendSample s = trend_sample(record, kStart);
    EXPECT_EQ(s.good, c.good);
    EXPECT_EQ(s.faults, c.faults);
    EXPECT_EQ(s.time_ms, kStart);
    // A failed read keeps the last good values in the record; they are not its own.
    EXPECT_EQ(s.value, c.good ? 101.5f : 0.0f);
    EXPECT_EQ(s.statp, c.good ? 0x4200 : 0);
  }
}

TEST(TrendBuffer, KeepsTheNewestSamplesInTimeOrder) {
  TrendBuffer b(4);
  for (int i = 0; i < 6; ++i) b.append(good(kStart + i * 1000, static_cast<float>(i)));
  ASSERT_EQ(b.size(), 4u);
  EXPECT_EQ(b.at(0).value, 2.0f);
  EXPECT_EQ(b.at(3).value, 5.0f);
  // A clock set back does not put a sample before its predecessor.
  b.append(good(kStart, 6.0f));
  EXPECT_EQ(b.at(3).time_ms, kStart + 5000);
  EXPECT_EQ(b.first_at_or_after(kStart + 3500), 1u);
  EXPECT_EQ(b.first_at_or_after(kStart), 0u);
  EXPECT_EQ(b.first_at_or_after(kStart + 9000), 4u);
  b.clear();
  EXPECT_EQ(b.size(), 0u);
  EXPECT_EQ(b.capacity(), 4u);
}

TEST(Decimate, AFullDayStaysWithinAFewPointsPerColumnAndKeepsTheExtremes) {
  TrendBuffer b = full_day();
  // A spike of one sample must survive the reduction.
  b.append(good(kStart + static_cast<int64_t>(kTrendCapacity) * 1000, 250.0f));
  ASSERT_EQ(b.size(), kTrendCapacity);
  TrendTrace trace;
  for (size_t columns : {1u, 100u, 800u, 1920u}) {
    SCOPED_TRACE(columns);
    const int64_t to = b.at(b.size() - 1).time_ms;
    decimate(b, to - 86'400'000, to, columns, trace);
    EXPECT_LE(trace.points.size(), 2 * columns);
    EXPECT_EQ(trace.run_count(), 1u);
    EXPECT_EQ(trace.max, 250.0f);
    EXPECT_NEAR(trace.min, 95.0f, 0.01f);
    EXPECT_TRUE(std::is_sorted(trace.points.begin(), trace.points.end(),
                               [](const TrendPoint& a, const TrendPoint& c) { return a.time_ms < c.time_ms; }));
  }
}

TEST(Decimate, FewerSamplesThanColumnsAreDrawnAsTheyAre) {
  TrendBuffer b;
  const float values[] = {1.0f, 3.0f, 2.0f, 2.0f};
  for (int i = 0; i < 4; ++i) b.append(good(kStart + i * 1000, values[i]));
  TrendTrace trace;
  decimate(b, kStart, kStart + 3000, 1000, trace);
  ASSERT_EQ(trace.points.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(trace.points[i].value, values[i]);
  // Only the range asked for.
  decimate(b, kStart + 1000, kStart + 2000, 1000, trace);
  ASSERT_EQ(trace.points.size(), 2u);
  EXPECT_EQ(trace.points[0].value, 3.0f);
}

TEST(Decimate, AFailedReadMakesAGapNotAZero) {
  struct Case {
    const char* name;
    size_t columns;
    std::vector<bool> good;  // one sample a second
    size_t runs;
  };
  const Case cases[] = {
      {"one column per sample", 1000, {true, true, false, true, true}, 2},
      {"failure first and last", 1000, {false, true, true, false}, 1},
      {"two failures in a row", 1000, {true, false, false, true}, 2},
      {"all in one column", 1, {true, true, false, true}, 2},
      {"narrower gaps in a column merge", 1, {true, false, true, false, true, false, true}, 2},
      {"only failures", 1000, {false, false}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrendBuffer b;
    for (size_t i = 0; i < c.good.size(); ++i) {
      const int64_t t = kStart + static_cast<int64_t>(i) * 1000;
      b.append(c.good[i] ? good(t, 10.0f + static_cast<float>(i)) : failed(t));
    }
    TrendTrace trace;
    decimate(b, kStart, kStart + static_cast<int64_t>(c.good.size()) * 1000, c.columns, trace);
    EXPECT_EQ(trace.run_count(), c.runs);
    for (const TrendPoint& p : trace.points) EXPECT_GE(p.value, 10.0f) << "a failed read drawn as a value";
    // No run reaches over a failed read that has a column of its own.
    if (c.columns >= c.good.size()) {
      for (size_t r = 0; r < trace.run_count(); ++r) {
        const int64_t first = trace.points[trace.run_starts[r]].time_ms;
        const int64_t last = trace.points[trace.run_end(r) - 1].time_ms;
        for (size_t i = 0; i < c.good.size(); ++i) {
          const int64_t t = kStart + static_cast<int64_t>(i) * 1000;
          if (!c.good[i]) {
            EXPECT_FALSE(t > first && t < last) << "run " << r << " spans failure " << i;
          }
        }
      }
    }
  }
}

TEST(Decimate, AlternatingFailuresStayBoundedPerColumn) {
  TrendBuffer b;
  for (int64_t i = 0; i < static_cast<int64_t>(kTrendCapacity); ++i)
    b.append(i % 2 ? failed(kStart + i * 1000) : good(kStart + i * 1000, static_cast<float>(i % 7)));
  TrendTrace trace;
  const size_t columns = 800;
  decimate(b, kStart, kStart + 86'400'000, columns, trace);
  EXPECT_LE(trace.points.size(), 4 * columns);
  EXPECT_LE(trace.run_count(), 2 * columns);
  EXPECT_GT(trace.run_count(), columns / 2);  // the gaps are still there
}

}  // namespace
}  // namespace orn
