#include "ui/trend_plot.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>

#include "measure/trend_axis_ticks.h"

namespace orn {
namespace {

constexpr int kPad = 6;        // between the widget's edge, the title, the labels and the axes
constexpr int kTickLength = 4;
constexpr int kLabelSpacing = 3;  // tick labels are at least this many label heights (widths) apart
constexpr double kOffAreaHeights = 4.0;

// Grid and frame are shades between the plot's background and its text, so
// they stay faint and plain in a light palette and a dark one alike.
QColor shade(const QPalette& palette, int text_percent) {
  const QColor base = palette.base().color();
  const QColor text = palette.text().color();
  auto mix = [&](int b, int t) { return (b * (100 - text_percent) + t * text_percent) / 100; };
  return QColor(mix(base.red(), text.red()), mix(base.green(), text.green()), mix(base.blue(), text.blue()));
}

// The trace: a deep blue on a light background, a light one on a dark background.
QColor lineColour(const QPalette& palette) {
  return qGray(palette.base().color().rgb()) >= 128 ? QColor(0, 90, 200) : QColor(110, 175, 255);
}

QString timeFormat(int64_t step_ms) { return step_ms < 60'000 ? "HH:mm:ss" : "HH:mm"; }

}  // namespace

TrendPlot::TrendPlot(const TrendTrace& trace, QWidget* parent) : QWidget(parent), trace_(trace) {
  setAttribute(Qt::WA_OpaquePaintEvent);  // paintEvent fills every pixel
  setMinimumSize(300, 200);
}

void TrendPlot::setTimeRange(int64_t from_ms, int64_t to_ms) {
  from_ms_ = from_ms;
  to_ms_ = std::max(to_ms, from_ms + 1);
  update();
}

void TrendPlot::setValueRange(double low, double high) {
  low_ = low;
  high_ = high > low ? high : low + 1.0;
  update();
}

void TrendPlot::setValueTitle(const QString& title) {
  title_ = title;
  update();
}

ValueTicks TrendPlot::valueTicks(int area_height) const {
  return value_ticks(low_, high_, std::max(2, area_height / (kLabelSpacing * fontMetrics().height())));
}

QRect TrendPlot::plotArea() const {
  const QFontMetrics fm = fontMetrics();
  const int top = kPad + fm.height() / 2;
  const int bottom = kTickLength + kPad + fm.height() + kPad;
  const int area_height = std::max(1, height() - top - bottom);
  // Room for the widest value label, and never less than a typical one.
  const ValueTicks ticks = valueTicks(area_height);
  int label = fm.horizontalAdvance("0000.00");
  for (double v : ticks.values) label = std::max(label, fm.horizontalAdvance(QString::number(v, 'f', ticks.decimals)));
  const int left = kPad + fm.height() + kPad + label + kPad + kTickLength;
  const int right = kPad + fm.horizontalAdvance("00:00:00") / 2;
  return QRect(left, top, std::max(1, width() - left - right), area_height);
}

double TrendPlot::xAt(const QRect& area, int64_t time_ms) const {
  return area.left() + static_cast<double>(time_ms - from_ms_) * (area.width() - 1) / static_cast<double>(to_ms_ - from_ms_);
}

double TrendPlot::yAt(const QRect& area, double value) const {
  return area.top() + (high_ - value) * (area.height() - 1) / (high_ - low_);
}

void TrendPlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  const QRect area = plotArea();
  paintValueAxis(p, area);
  paintTimeAxis(p, area);
  p.setPen(shade(palette(), 50));
  p.drawRect(area.adjusted(0, 0, -1, -1));
  paintTrace(p, area);
}

void TrendPlot::paintTrace(QPainter& p, const QRect& area) const {
  // A value far outside a fixed range stays a few heights beyond the area:
  // the clip hides it, and the coordinate stays small.
  const double y_low = area.top() - kOffAreaHeights * area.height();
  const double y_high = area.bottom() + kOffAreaHeights * area.height();
  auto at = [&](const TrendPoint& pt) {
    return QPointF(xAt(area, pt.time_ms), std::clamp(yAt(area, pt.value), y_low, y_high));
  };
  // Runs of two or more points become lines of one path; a lone good read
  // between two failed ones is a dot.
  QPainterPath path;
  QPolygonF dots;
  for (size_t run = 0; run < trace_.run_count(); ++run) {
    const size_t begin = trace_.run_starts[run], end = trace_.run_end(run);
    if (end - begin == 1) {
      dots.append(at(trace_.points[begin]));
      continue;
    }
    path.moveTo(at(trace_.points[begin]));
    for (size_t i = begin + 1; i < end; ++i) path.lineTo(at(trace_.points[i]));
  }
  p.setClipRect(area);
  // A 1 px line without antialiasing keeps the raster engine on its fast
  // path; a wider or smoothed one goes through the stroker, five times slower.
  p.setPen(QPen(lineColour(palette()), 1));
  p.drawPath(path);
  p.setPen(QPen(lineColour(palette()), 3.0, Qt::SolidLine, Qt::SquareCap));
  p.drawPoints(dots);
  p.setClipping(false);
}

void TrendPlot::paintValueAxis(QPainter& p, const QRect& area) const {
  const QFontMetrics fm = fontMetrics();
  const ValueTicks ticks = valueTicks(area.height());
  const int label_right = area.left() - kTickLength - kPad;
  for (double v : ticks.values) {
    const int y = static_cast<int>(yAt(area, v) + 0.5);
    p.setPen(shade(palette(), 12));
    p.drawLine(area.left(), y, area.right(), y);
    p.setPen(shade(palette(), 50));
    p.drawLine(area.left() - kTickLength, y, area.left(), y);
    p.setPen(palette().text().color());
    const QRect box(0, y - fm.height() / 2, label_right, fm.height());
    p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, QString::number(v, 'f', ticks.decimals));
  }
  // The title reads upwards along the left edge.
  p.save();
  p.translate(kPad, area.center().y());
  p.rotate(-90);
  p.drawText(QRect(-area.height() / 2, 0, area.height(), fm.height()), Qt::AlignCenter, title_);
  p.restore();
}

void TrendPlot::paintTimeAxis(QPainter& p, const QRect& area) const {
  const QFontMetrics fm = fontMetrics();
  const int label_width = fm.horizontalAdvance("00:00:00");
  const int64_t offset_ms = QDateTime::fromMSecsSinceEpoch(to_ms_).offsetFromUtc() * int64_t{1000};
  const TimeTicks ticks =
      time_ticks(from_ms_, to_ms_, offset_ms, std::max(2, area.width() / (label_width + kLabelSpacing * kPad * 2)));
  const QString format = timeFormat(ticks.step_ms);
  for (int64_t t : ticks.times_ms) {
    const int x = static_cast<int>(xAt(area, t) + 0.5);
    p.setPen(shade(palette(), 12));
    p.drawLine(x, area.top(), x, area.bottom());
    p.setPen(shade(palette(), 50));
    p.drawLine(x, area.bottom(), x, area.bottom() + kTickLength);
    p.setPen(palette().text().color());
    const QRect box(x - label_width, area.bottom() + kTickLength + kPad, 2 * label_width, fm.height());
    p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, QDateTime::fromMSecsSinceEpoch(t).toString(format));
  }
}

}  // namespace orn
