#include "ui/calib_check_handlers.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "calib/calibration_record.h"
#include "device/input_checks.h"
#include "device/protected_write.h"
#include "link/failure_report.h"
#include "measure/measured_value.h"
#include "report/certificate_pdf.h"
#include "ui/main_window.h"
#include "ui/measure_handlers.h"
#include "ui/qt_text.h"
#include "units/number_format.h"
#include "units/pressure_units.h"

namespace orn {
namespace {

constexpr const char* kCheckCaption = "Проверка калибровки";
constexpr int kLiveReadMs = 500;

QString number(double x, int decimals) { return QString::fromStdString(record_number(x, decimals)); }

// The operator's side in the window: a dialog per point, the rows appended as
// each point completes.
class WindowCheck final : public CheckDriver {
 public:
  WindowCheck(CalibCheckHandlers& h, ModbusMaster& master, const RecordDevice& device, const CheckPlan& plan,
              std::string path)
      : h_(h), master_(master), device_(device), plan_(plan), path_(std::move(path)) {}

  bool confirm_point(size_t index, size_t count, float reference, std::string_view unit) override {
    const QString caption = QString("Точка %1 из %2: подайте эталонное давление %3 %4 и нажмите \"Принять\".")
                                .arg(index + 1)
                                .arg(count)
                                .arg(number(reference, 4), qs(unit));
    return h_.confirmPoint(caption, [this] {
      MeasuredValue record;
      if (master_.stopping() || !read_measurement(master_, MeasureBlock::Measurement, record).ok()) return QString();
      return number(record.pizmf, 4) + " " + qs(unit_status_caption(statp_unit(record.statp)));
    });
  }
  void sample(unsigned, double, double) override {}
  std::string point_done(size_t index, const PointResult& p) override {
    const CalibrationRow row = point_row(device_, plan_, index, p);
    return append_calibration_rows(path_, {&row, 1}).value_or("");
  }

 private:
  CalibCheckHandlers& h_;
  ModbusMaster& master_;
  const RecordDevice& device_;
  const CheckPlan& plan_;
  std::string path_;
};

}  // namespace

CalibCheckHandlers::CalibCheckHandlers(MainWindow& window, AppContext& context, MeasureHandlers& measure)
    : w_(window), c_(context), measure_(measure) {
  askPlan = [this](const CheckRange& range, CheckKind suggested) { return runPlanDialog(range, suggested); };
  confirmPoint = [this](const QString& caption, const std::function<QString()>& live) {
    return runPointDialog(caption, live);
  };
  chooseReport = [this]() -> std::optional<QString> {
    QString path = QFileDialog::getSaveFileName(&w_, "Протокол калибровки", QString(), "PDF (*.pdf)");
    if (path.isEmpty()) return std::nullopt;
    if (!path.endsWith(".pdf", Qt::CaseInsensitive)) path += ".pdf";
    return path;
  };
  connect(w_.menu.CalibCheckMenuItem, &QAction::triggered, this, &CalibCheckHandlers::CalibCheckMenuItemClick);
  connect(w_.menu.CertificateMenuItem, &QAction::triggered, this, &CalibCheckHandlers::CertificateMenuItemClick);
}

std::string CalibCheckHandlers::recordPath() const { return c_.folder + "/" + kCalibrationFileName; }

std::string CalibCheckHandlers::portPath() const {
  const std::string path = c_.ports.path(c_.link.port);
  return path.empty() ? "COM" + std::to_string(c_.link.port) : path;
}

void CalibCheckHandlers::CalibCheckMenuItemClick() {
  w_.commands.run(this, c_.master, [this] { runCheck(); });
}

void CalibCheckHandlers::runCheck() {
  measure_.stopPolling();
  // The check reads into its own image: the pages keep what they show.
  DeviceImage image = c_.image;
  NoProgress progress;
  if (const ExchangeResult r = read_record_identity(c_.master, image, progress); !r.ok()) {
    report_exchange_failure(c_.prompt, r);
    return;
  }
  const CheckRange range = check_range(image);
  const std::optional<CheckPlan> plan = askPlan(range, adjusted_ ? CheckKind::AsLeft : CheckKind::AsFound);
  if (!plan) return;
  if (std::string outside = points_outside_range(plan->points, range.lower, range.upper); !outside.empty()) {
    c_.prompt.tell(outside, kInputErrorCaption, PromptIcon::Warning);
    return;
  }
  const RecordDevice device = record_device(portPath(), c_.link.address, image);
  WindowCheck driver(*this, c_.master, device, *plan, recordPath());
  const CheckOutcome out = run_check(c_.master, image, *plan, driver);
  factory_ = device.origin.factory_number;
  model_ = std::to_string(device.model);
  if (out.end == CheckEnd::Fault && out.message.empty()) {
    report_exchange_failure(c_.prompt, out.fault);
    return;
  }
  if (out.end != CheckEnd::Completed) {
    c_.prompt.tell(out.message, kCheckCaption, out.end == CheckEnd::Fault ? PromptIcon::Error : PromptIcon::Warning);
    return;
  }
  if (plan->kind == CheckKind::AsFound) adjusted_ = false;
  std::string text = std::string(kind_column(plan->kind)) + ", допуск " + record_number(plan->tolerance, 3) +
                     " % диапазона:\n";
  for (size_t i = 0; i < out.points.size(); ++i) {
    const PointResult& p = out.points[i];
    text += std::to_string(i + 1) + ": эталон " + record_number(p.reference, 4) + ", показание " +
            record_number(p.reading, 4) + ", погрешность " + record_number(p.error_pct, 3) + " % - " +
            std::string(p.pass ? kResultPass : kResultFail) + "\n";
  }
  text += "Итог: " + std::string(verdict_text(out.passed())) + ". Записано в " + recordPath() + ".";
  c_.prompt.tell(text, kCheckCaption, out.passed() ? PromptIcon::Information : PromptIcon::Warning);
}

std::optional<CheckPlan> CalibCheckHandlers::runPlanDialog(const CheckRange& range, CheckKind suggested) {
  QDialog dialog(&w_);
  dialog.setObjectName("CalibCheckDialog");
  dialog.setWindowTitle(kCheckCaption);
  auto* form = new QFormLayout;
  auto* points = new QLineEdit(&dialog);
  points->setObjectName("CheckPoints");
  QStringList defaults;
  // 0, 25, 50, 75 and 100 % of the range.
  for (int k = 0; k <= 4; ++k) defaults << QString::number(range.lower + range.span() * k / 4.0, 'g', 7);
  points->setText(defaults.join(","));
  points->setMinimumWidth(points->fontMetrics().horizontalAdvance(points->text()) + 40);
  auto* samples = new QSpinBox(&dialog);
  samples->setObjectName("CheckSamples");
  samples->setRange(1, kMaxCheckSamples);
  samples->setValue(10);
  auto* tolerance = new QLineEdit("0.5", &dialog);
  tolerance->setObjectName("CheckTolerance");
  auto* settle = new QSpinBox(&dialog);
  settle->setObjectName("CheckSettle");
  settle->setRange(0, static_cast<int>(kMaxSettleSeconds));
  auto* kind = new QComboBox(&dialog);
  kind->setObjectName("CheckKind");
  kind->addItems({"до подстройки (as-found)", "после подстройки (as-left)"});
  kind->setCurrentIndex(suggested == CheckKind::AsLeft ? 1 : 0);
  const QString unit = qs(unit_short_caption(range.unit)).trimmed();
  form->addRow("Диапазон датчика:", new QLabel(number(range.lower, 4) + " .. " + number(range.upper, 4) + " " + unit));
  form->addRow("Точки проверки, " + unit + ":", points);
  form->addRow("Выборок в точке:", samples);
  form->addRow("Допуск, % диапазона:", tolerance);
  form->addRow("Выдержка перед измерением, с:", settle);
  form->addRow("Вид проверки:", kind);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText("Начать");
  buttons->button(QDialogButtonBox::Cancel)->setText("Отмена");
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;

  CheckPlan plan;
  std::string error;
  const auto parsed = parse_check_points(points->text().toStdString(), error);
  const auto tol = parsed ? parse_tolerance(tolerance->text().toStdString(), error) : std::nullopt;
  if (!parsed || !tol) {
    c_.prompt.tell("Проверка не начата: " + error + ".", kInputErrorCaption, PromptIcon::Warning);
    return std::nullopt;
  }
  plan.points = *parsed;
  plan.tolerance = *tol;
  plan.samples = static_cast<uint16_t>(samples->value());
  plan.settle_ms = static_cast<uint32_t>(settle->value()) * 1000;
  plan.kind = kind->currentIndex() == 1 ? CheckKind::AsLeft : CheckKind::AsFound;
  return plan;
}

bool CalibCheckHandlers::runPointDialog(const QString& caption, const std::function<QString()>& live) {
  QDialog dialog(&w_);
  dialog.setObjectName("CalibPointDialog");
  dialog.setWindowTitle(kCheckCaption);
  auto* layout = new QVBoxLayout(&dialog);
  auto* text = new QLabel(caption, &dialog);
  text->setWordWrap(true);
  auto* value = new QLabel(&dialog);
  value->setObjectName("CheckLiveValue");
  QFont big = value->font();
  big.setPointSize(big.pointSize() * 2);
  value->setFont(big);
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* accept = buttons->addButton("Принять", QDialogButtonBox::AcceptRole);
  accept->setObjectName("CheckAccept");
  buttons->addButton("Отмена", QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(text);
  layout->addWidget(new QLabel("Измеренное значение:", &dialog));
  layout->addWidget(value);
  layout->addWidget(buttons);
  // The live reading, one read at a time; a stop closes the dialog.
  QTimer timer;
  bool reading = false;
  auto refresh = [&] {
    if (reading) return;
    if (c_.master.stopping()) {
      dialog.reject();
      return;
    }
    reading = true;
    const QString shown = live();
    value->setText(shown.isEmpty() ? "нет ответа" : shown);
    reading = false;
  };
  connect(&timer, &QTimer::timeout, &dialog, refresh);
  timer.start(kLiveReadMs);
  QTimer::singleShot(0, &dialog, refresh);
  return dialog.exec() == QDialog::Accepted;
}

void CalibCheckHandlers::CertificateMenuItemClick() {
  const std::string factory = factory_.empty() ? factory_number_text(c_.image) : factory_;
  const std::string model = model_.empty() ? std::to_string(c_.image.model) : model_;
  const auto rows = read_calibration_rows(recordPath());
  const auto data = rows ? certificate_data(*rows, factory, model) : std::nullopt;
  if (!data) {
    c_.prompt.tell("В файле " + recordPath() + " нет проверок прибора " + factory + " (модель " + model + ").",
                   kCheckCaption, PromptIcon::Warning);
    return;
  }
  const std::optional<QString> path = chooseReport();
  if (!path) return;
  if (auto error = write_certificate_pdf(path->toStdString(), *data)) {
    c_.prompt.tell(*error, kCheckCaption, PromptIcon::Error);
    return;
  }
  c_.prompt.tell("Протокол записан в " + path->toStdString() + ".", kResultCaption, PromptIcon::Information);
}

}  // namespace orn
