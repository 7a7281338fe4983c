#pragma once
// The window "График": PIZMF of every read of the measurement block against
// time, drawn from the measured-value record only (it never touches the line).
// It keeps 24 hours of samples and draws a few points per pixel column.
#include <QWidget>

#include "link/prompt.h"
#include "measure/measured_value.h"
#include "measure/trend_buffer.h"
#include "ui/trend_plot.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

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

  // Reduces the span to the plot's columns and schedules its repaint.
  void redraw();
  bool saveCsv(const QString& path);
  bool savePng(const QString& path);

  const TrendBuffer& buffer() const { return buffer_; }
  // Points handed to the plot by the last redraw, and their runs.
  size_t drawnPoints() const { return trace_.points.size(); }
  size_t drawnRuns() const { return trace_.run_count(); }
  // Pixel columns the last redraw reduced the samples to.
  size_t drawnColumns() const { return columns_; }
  TrendPlot* plot() const { return plot_; }

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
  void setValueRange();
  void setUnitTitle();
  void askCsvFile();
  void askPngFile();

  Prompt& prompt_;
  TrendBuffer buffer_;
  TrendTrace trace_;
  TrendPlot* plot_ = nullptr;  // paints trace_
  size_t columns_ = 0;
};

}  // namespace orn
