#pragma once
// The plot of the window "График": a reduced trace against time, painted
// directly (one path for the whole trace), with round ticks on both axes.
#include <QString>
#include <QWidget>
#include <cstdint>

#include "measure/trend_axis_ticks.h"
#include "measure/trend_buffer.h"

namespace orn {

class TrendPlot final : public QWidget {
 public:
  // The trace is read at every paint; its owner keeps it alive.
  explicit TrendPlot(const TrendTrace& trace, QWidget* parent = nullptr);

  // Each setter schedules a repaint.
  void setTimeRange(int64_t from_ms, int64_t to_ms);
  void setValueRange(double low, double high);
  void setValueTitle(const QString& title);

  double valueMin() const { return low_; }
  double valueMax() const { return high_; }
  const QString& valueTitle() const { return title_; }
  // The rectangle the trace is drawn in, inside the axes and their labels.
  QRect plotArea() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ValueTicks valueTicks(int area_height) const;
  // Pixel position of a time and of a value in the plot area.
  double xAt(const QRect& area, int64_t time_ms) const;
  double yAt(const QRect& area, double value) const;
  void paintTrace(QPainter& p, const QRect& area) const;
  void paintValueAxis(QPainter& p, const QRect& area) const;
  void paintTimeAxis(QPainter& p, const QRect& area) const;

  const TrendTrace& trace_;
  int64_t from_ms_ = 0;
  int64_t to_ms_ = 1;
  double low_ = 0.0;
  double high_ = 1.0;
  QString title_;
};

}  // namespace orn
