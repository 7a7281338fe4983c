#include "ui/trend_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "measure/trend_csv.h"
#include "units/pressure_units.h"

namespace orn {
namespace {

constexpr const char* kSpanNames[] = {"1 мин", "10 мин", "1 ч", "24 ч"};
constexpr int kDefaultSpan = 1;
constexpr int kMinColumns = 100;
constexpr int64_t kMinSpanMs = 10'000;

// A number typed with "," or "." as the decimal point.
std::optional<double> fieldNumber(const QLineEdit* field) {
  bool ok = false;
  const double v = field->text().trimmed().replace(',', '.').toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

}  // namespace

TrendWindow::TrendWindow(Prompt& prompt, QWidget* parent) : QWidget(parent, Qt::Window), prompt_(prompt) {
  setObjectName("TrendWindow");
  setWindowTitle("График");
  // Closing the main window ends the program even while this one is open.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(900, 480);

  pauseButton = new QPushButton("Пауза");
  pauseButton->setObjectName("TrendPause");
  pauseButton->setCheckable(true);
  clearButton = new QPushButton("Очистить");
  clearButton->setObjectName("TrendClear");
  spanBox = new QComboBox;
  spanBox->setObjectName("TrendSpan");
  for (const char* name : kSpanNames) spanBox->addItem(name);
  spanBox->setCurrentIndex(kDefaultSpan);
  autoScale = new QCheckBox("Автомасштаб");
  autoScale->setObjectName("TrendAutoScale");
  autoScale->setChecked(true);
  rangeMin = new QLineEdit;
  rangeMin->setObjectName("TrendRangeMin");
  rangeMax = new QLineEdit;
  rangeMax->setObjectName("TrendRangeMax");
  for (QLineEdit* e : {rangeMin, rangeMax}) {
    e->setMaximumWidth(90);
    e->setEnabled(false);
  }
  pngButton = new QPushButton("Сохранить PNG…");
  pngButton->setObjectName("TrendSavePng");
  csvButton = new QPushButton("Сохранить CSV…");
  csvButton->setObjectName("TrendSaveCsv");

  auto* controls = new QHBoxLayout;
  controls->addWidget(pauseButton);
  controls->addWidget(clearButton);
  controls->addWidget(new QLabel("Интервал:"));
  controls->addWidget(spanBox);
  controls->addWidget(autoScale);
  controls->addWidget(new QLabel("от"));
  controls->addWidget(rangeMin);
  controls->addWidget(new QLabel("до"));
  controls->addWidget(rangeMax);
  controls->addStretch();
  controls->addWidget(pngButton);
  controls->addWidget(csvButton);

  plot_ = new TrendPlot(trace_);
  plot_->setObjectName("TrendChart");

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(controls);
  layout->addWidget(plot_, 1);

  connect(pauseButton, &QPushButton::toggled, this, [this](bool paused) {
    if (!paused) redraw();
  });
  connect(clearButton, &QPushButton::clicked, this, [this] {
    buffer_.clear();
    redraw();
  });
  connect(spanBox, &QComboBox::currentIndexChanged, this, [this] { redraw(); });
  connect(autoScale, &QCheckBox::toggled, this, [this](bool on) {
    rangeMin->setEnabled(!on);
    rangeMax->setEnabled(!on);
    if (!on && rangeMin->text().isEmpty() && rangeMax->text().isEmpty()) {
      rangeMin->setText(QString::number(plot_->valueMin(), 'g', 6));
      rangeMax->setText(QString::number(plot_->valueMax(), 'g', 6));
    }
    redraw();
  });
  for (QLineEdit* e : {rangeMin, rangeMax}) connect(e, &QLineEdit::editingFinished, this, [this] { redraw(); });
  connect(pngButton, &QPushButton::clicked, this, [this] { askPngFile(); });
  connect(csvButton, &QPushButton::clicked, this, [this] { askCsvFile(); });
  redraw();
}

void TrendWindow::onMeasured(const MeasuredValue& record) {
  addSample(trend_sample(record, QDateTime::currentMSecsSinceEpoch()));
}

void TrendWindow::addSample(const TrendSample& sample) {
  buffer_.append(sample);
  if (isVisible() && !pauseButton->isChecked()) redraw();
}

void TrendWindow::showAndRaise() {
  show();
  raise();
  activateWindow();
}

void TrendWindow::redraw() {
  const int64_t span = kSpansMs[std::clamp(spanBox->currentIndex(), 0, int{std::size(kSpansMs)} - 1)];
  const int64_t to = buffer_.size() ? buffer_.at(buffer_.size() - 1).time_ms : QDateTime::currentMSecsSinceEpoch();
  // A history shorter than the span fills the width, down to kMinSpanMs.
  const int64_t first = buffer_.size() ? buffer_.at(0).time_ms : to;
  const int64_t from = std::max(to - span, std::min(first, to - kMinSpanMs));
  columns_ = static_cast<size_t>(std::max(kMinColumns, plot_->plotArea().width()));
  decimate(buffer_, from, to, columns_, trace_);

  plot_->setTimeRange(from, to);
  setValueRange();
  setUnitTitle();
}

void TrendWindow::setValueRange() {
  if (!autoScale->isChecked()) {
    const auto low = fieldNumber(rangeMin);
    const auto high = fieldNumber(rangeMax);
    if (low && high && *low < *high) {
      plot_->setValueRange(*low, *high);
      return;
    }
  }
  if (trace_.points.empty()) {
    plot_->setValueRange(0.0, 1.0);
    return;
  }
  double low = trace_.min, high = trace_.max;
  // A flat line gets a band around it; otherwise a margin of 5 % either side.
  const double margin = high > low ? (high - low) * 0.05 : std::max(std::fabs(low) * 0.001, 0.001);
  plot_->setValueRange(low - margin, high + margin);
}

void TrendWindow::setUnitTitle() {
  QString title = "PIZMF";
  for (size_t i = buffer_.size(); i-- > 0;) {
    const TrendSample& s = buffer_.at(i);
    if (!s.good) continue;
    const std::string_view unit = unit_status_caption(statp_unit(s.statp));
    if (!unit.empty()) title += ", " + QString::fromUtf8(unit.data(), static_cast<qsizetype>(unit.size()));
    break;
  }
  plot_->setValueTitle(title);
}

bool TrendWindow::saveCsv(const QString& path) {
  if (auto error = save_trend_csv(buffer_, path.toStdString())) {
    prompt_.tell(*error, "Ошибка", PromptIcon::Error);
    return false;
  }
  return true;
}

bool TrendWindow::savePng(const QString& path) {
  if (!plot_->grab().save(path, "PNG")) {
    prompt_.tell("Не удалось записать файл " + path.toStdString(), "Ошибка", PromptIcon::Error);
    return false;
  }
  return true;
}

void TrendWindow::askCsvFile() {
  const QString path = QFileDialog::getSaveFileName(this, "Сохранить данные графика", "trend.csv", "CSV (*.csv)");
  if (!path.isEmpty()) saveCsv(path);
}

void TrendWindow::askPngFile() {
  const QString path = QFileDialog::getSaveFileName(this, "Сохранить график", "trend.png", "PNG (*.png)");
  if (!path.isEmpty()) savePng(path);
}

void TrendWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  redraw();
}

void TrendWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (isVisible()) redraw();
}

}  // namespace orn
