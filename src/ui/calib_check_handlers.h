#pragma once
// The "Файл" menu's calibration items: a calibration check run from a dialog
// (points, samples, tolerance, as-found or as-left), each point confirmed in
// a dialog with the live reading and "Принять", its rows appended to
// calibration.csv; and the certificate of the record written as a PDF.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "calib/calibration_check.h"
#include "ui/app_context.h"

namespace orn {

class MainWindow;
class MeasureHandlers;

class CalibCheckHandlers final : public QObject {
 public:
  CalibCheckHandlers(MainWindow& window, AppContext& context, MeasureHandlers& measure);

  void CalibCheckMenuItemClick();   // "Проверка калибровки…"
  void CertificateMenuItemClick();  // "Протокол калибровки в PDF…"

  // An adjustment was written: the next check is as-left by default.
  void adjustmentWritten() { adjusted_ = true; }

  // The plan dialog, given the sensor range; none when cancelled. Tests put their own here.
  std::function<std::optional<CheckPlan>(const CheckRange& range, CheckKind suggested)> askPlan;
  // A point's dialog: true for "Принять". live() reads the measured value
  // (its text, empty after a failed read). Tests put their own here.
  std::function<bool(const QString& caption, const std::function<QString()>& live)> confirmPoint;
  // The certificate's file; none when cancelled. Tests put their own here.
  std::function<std::optional<QString>()> chooseReport;

  std::string recordPath() const;

 private:
  void runCheck();
  std::optional<CheckPlan> runPlanDialog(const CheckRange& range, CheckKind suggested);
  bool runPointDialog(const QString& caption, const std::function<QString()>& live);
  std::string portPath() const;

  MainWindow& w_;
  AppContext& c_;
  MeasureHandlers& measure_;
  bool adjusted_ = false;  // an adjustment written since the last as-found check
  // The device of the last check, for the certificate.
  std::string factory_;
  std::string model_;
};

}  // namespace orn
