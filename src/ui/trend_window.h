#pragma once
// The window "График": PIZMF of every read of the measurement block against
// time, drawn from the measured-value record only (it never touches the line).
// It keeps 24 hours of samples and draws a few points per pixel column.
#include <QWidget>
#include <functional>
#include <vector>

#include "link/prompt.h"
#include "measure/measured_value.h"
#include "measure/trend_buffer.h"

class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QDateTimeAxis;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QValueAxis;

namespace orn {

class TrendWindow final : public QWidget {
 public:
  // Spans of time the chart shows, ending at the latest sample.
  static constexpr int64_t kSpansMs[] = {60'000, 600'000, 3'600'000, 86'400'000};

  // A separate window; parent only ties its life to the main window.
  TrendWindow(Prompt& prompt, QWidget* parent);

  // Takes the record after a read, stamped with the current time.
  void onMeasured(const MeasuredValue& record);
  // Adds one sample and redraws unless paused or hidden.
  void addSample(const TrendSample& sample);
  void showAndRaise();

  // Redraws from the buffer now; the benchmark times this.
  void redraw();
  bool saveCsv(const QString& path);
  bool savePng(const QString& path);

  const TrendBuffer& buffer() const { return buffer_; }
  // Points handed to the chart's series by the last redraw, and their runs.
  size_t drawnPoints() const { return trace_.points.size(); }
  size_t drawnRuns() const { return trace_.run_count(); }
  // Pixel columns the last redraw reduced the samples to.
  size_t drawnColumns() const { return columns_; }
  QChartView* view() const { return view_; }
  // The widget the chart is painted in.
  QWidget* plotWidget() const;

  QPushButton* pauseButton = nullptr;  // checkable: "Пауза"
  QPushButton* clearButton = nullptr;
  QComboBox* spanBox = nullptr;
  QCheckBox* autoScale = nullptr;
  QLineEdit* rangeMin = nullptr;  // fixed range, used while autoScale is off
  QLineEdit* rangeMax = nullptr;
  QPushButton* pngButton = nullptr;
  QPushButton* csvButton = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLineSeries* seriesFor(size_t run);
  void setValueRange();
  void setUnitTitle();
  void askCsvFile();
  void askPngFile();

  Prompt& prompt_;
  TrendBuffer buffer_;
  TrendTrace trace_;
  QChart* chart_ = nullptr;
  QChartView* view_ = nullptr;
  QDateTimeAxis* timeAxis_ = nullptr;
  QValueAxis* valueAxis_ = nullptr;
  std::vector<QLineSeries*> series_;  // one per run, kept for reuse
  size_t columns_ = 0;
};

}  // namespace orn
