// The calibration check from the File menu against the simulated transmitter
// on an in-memory line: the real plan and point dialogs, an as-found check
// that fails, a zero adjustment from the panel, an as-left check that passes,
// the rows of calibration.csv and the certificate.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include "calib/calibration_record.h"
#include "window_rig.h"

namespace orn {
namespace {

// The sensor reads 1.5 kPa high; the applied pressure steps through the
// as-found points, 0 for the zero adjustment, then the as-left points.
struct CheckRig : Rig {
  CheckRig() {
    sim::PressureSource& p = line.device(0).config().pressure;
    p.model = sim::PressureModel::Steps;
    p.steps = {0, 100, 200, 0, 100, 200};
    line.device(0).config().sensor_offset_kpa = 1.5;
    CalibCheckHandlers& h = session->calibCheck;
    const auto real = h.confirmPoint;
    // Each point's real dialog: the pressure is applied (after the first
    // point of a check), the live value shown, then "Принять" pressed.
    h.confirmPoint = [this, real](const QString& caption, const std::function<QString()>& live) {
      captions << caption;
      if (!caption.startsWith("Точка 1 ")) line.device(0).config().pressure.step();
      QTimer::singleShot(50, [this] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        liveValues << dialog->findChild<QLabel*>("CheckLiveValue")->text();
        dialog->findChild<QPushButton*>("CheckAccept")->click();
      });
      return real(caption, live);
    };
  }
  // Fills the real plan dialog when it opens and starts the check.
  void check(const QString& points) {
    QTimer::singleShot(0, [this, points] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      suggestedKind = dialog->findChild<QComboBox*>("CheckKind")->currentIndex();
      defaultPoints = dialog->findChild<QLineEdit*>("CheckPoints")->text();
      dialog->findChild<QLineEdit*>("CheckPoints")->setText(points);
      dialog->findChild<QSpinBox*>("CheckSamples")->setValue(3);
      dialog->accept();
    });
    window.menu.CalibCheckMenuItem->trigger();
  }
  std::string lastTold() const {
    for (auto r = prompt.records.rbegin(); r != prompt.records.rend(); ++r)
      if (!r->question) return r->text;
    return "";
  }
  std::vector<CalibrationRow> rows() const {
    return read_calibration_rows(session->calibCheck.recordPath()).value_or(std::vector<CalibrationRow>{});
  }

  QStringList captions, liveValues;
  int suggestedKind = -1;
  QString defaultPoints;
};

}  // namespace

class CalibCheckTest : public QObject {
  Q_OBJECT

 private slots:
  void asFoundAdjustmentAsLeftAndCertificate() {
    CheckRig rig;
    rig.check("0,100,200");
    QCOMPARE(rig.suggestedKind, 0);
    QCOMPARE(rig.defaultPoints, QString("0,62.5,125,187.5,250"));
    QCOMPARE(rig.captions.size(), 3);
    QCOMPARE(rig.captions[1], QString("Точка 2 из 3: подайте эталонное давление 100.0000 кПа и нажмите \"Принять\"."));
    QCOMPARE(rig.liveValues.size(), 3);
    QCOMPARE(rig.liveValues[0], QString("1.5000 кПа"));
    QCOMPARE(rig.liveValues[2], QString("201.5000 кПа"));
    QVERIFY2(rig.lastTold().find("Итог: не годен") != std::string::npos, rig.lastTold().c_str());
    QCOMPARE(rig.rows().size(), 3u);

    // The zero adjustment from the panel at 0 kPa.
    rig.line.device(0).config().pressure.step();
    const AdjustmentPanel& a = rig.window.sensor.adjust;
    rig.window.TabbedNotebook1->setCurrentIndex(MainWindow::SensorPageIndex);
    rig.window.sensor.Button43->click();
    a.Edit93->setText("0");
    a.Button46->click();
    a.Button47->click();
    a.Button51->click();
    auto rows = rig.rows();
    QCOMPARE(rows.size(), 4u);
    QCOMPARE(rows[3][kColKind], std::string(kKindZero));
    QCOMPARE(rows[3][kColReference], std::string("0.0000"));
    QCOMPARE(rows[3][kColWritten], std::string("-1.500000"));
    QCOMPARE(rows[3][kColFactoryNumber], std::string("1-2345"));

    rig.check("0,100,200");
    QCOMPARE(rig.suggestedKind, 1);  // after the adjustment: as-left
    QVERIFY2(rig.lastTold().find("Итог: годен") != std::string::npos, rig.lastTold().c_str());
    rows = rig.rows();
    QCOMPARE(rows.size(), 7u);
    for (size_t i = 4; i < 7; ++i) {
      QCOMPARE(rows[i][kColKind], std::string(kKindAsLeft));
      QCOMPARE(rows[i][kColResult], std::string(kResultPass));
    }

    const QString pdf = rig.dir.path() + "/certificate.pdf";
    rig.session->calibCheck.chooseReport = [&] { return std::optional<QString>(pdf); };
    rig.window.menu.CertificateMenuItem->trigger();
    QCOMPARE(rig.lastTold(), "Протокол записан в " + pdf.toStdString() + ".");
    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.read(5) == "%PDF-");
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(out.contains("Заключение: годен"), qPrintable(out));
    QVERIFY(out.contains("подстройка нуля"));
    QVERIFY(out.contains("101.5000"));  // the as-found reading at 100 kPa
  }

  // A cancelled point dialog ends the check; wrong points start none.
  void cancelAndBadInputs() {
    CheckRig rig;
    rig.session->calibCheck.confirmPoint = [](const QString&, const std::function<QString()>&) { return false; };
    rig.check("0,100");
    QCOMPARE(rig.lastTold(), std::string("Проверка отменена."));
    QCOMPARE(rig.rows().size(), 0u);
    for (const QString& bad : {QString("0,x"), QString("0,0"), QString("0,9000")}) {
      rig.check(bad);
      QVERIFY2(rig.lastTold().find("точка проверки") != std::string::npos, rig.lastTold().c_str());
    }
    QCOMPARE(rig.rows().size(), 0u);
    // No check of this device in the record: no certificate either.
    rig.session->calibCheck.chooseReport = [] { return std::optional<QString>("/nonexistent/x.pdf"); };
    rig.window.menu.CertificateMenuItem->trigger();
    QVERIFY2(rig.lastTold().find("нет проверок прибора") != std::string::npos, rig.lastTold().c_str());
  }
};

}  // namespace orn

QTEST_MAIN(orn::CalibCheckTest)
#include "calib_check_test.moc"
