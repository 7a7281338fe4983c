// The window in a dark desktop palette: every value, caption and field that
// the window colours itself stays readable, on each page and its states.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleFactory>
#include <QTabWidget>
#include <QtTest>

#include <cmath>

#include "ui/edit_marks.h"
#include "window_rig.h"

namespace orn {
namespace {

// The usual dark Fusion palette of the desktops: light text on dark grey.
QPalette darkPalette() {
  QPalette p;
  const QColor window(53, 53, 53), base(42, 42, 42), text(240, 240, 240), muted(127, 127, 127);
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, window);
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::ToolTipBase, base);
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::Highlight, QColor(42, 130, 218));
  p.setColor(QPalette::HighlightedText, Qt::black);
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, muted);
  return p;
}

// The contrast ratio of two colours as accessibility guidelines define it: 1 to 21.
double contrast(const QColor& a, const QColor& b) {
  auto luminance = [](const QColor& c) {
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

constexpr double kReadable = 4.5;

// Every shown widget of the window: labels on their fill, edits and lists on
// their field, buttons and choices on their face.
QStringList unreadable(const QWidget* root) {
  QStringList bad;
  auto check = [&](const QWidget* w, QPalette::ColorRole fill, QPalette::ColorRole text) {
    const QPalette& p = w->palette();
    const double ratio = contrast(p.color(QPalette::Active, fill), p.color(QPalette::Active, text));
    if (ratio < kReadable) bad << QString("%1 (%2)").arg(w->objectName()).arg(ratio, 0, 'f', 1);
  };
  for (const QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(root) || w->objectName().isEmpty()) continue;
    if (qobject_cast<const QLineEdit*>(w)) check(w, QPalette::Base, QPalette::Text);
    else if (qobject_cast<const QComboBox*>(w) || qobject_cast<const QPushButton*>(w))
      check(w, QPalette::Button, QPalette::ButtonText);
    else if (qobject_cast<const QLabel*>(w) || qobject_cast<const QCheckBox*>(w))
      check(w, QPalette::Window, QPalette::WindowText);
  }
  return bad;
}

// With ORN_PALETTE_SHOTS set to a folder, each checked state is saved there
// as a picture, to look at.
void shot(QWidget& window, const QString& name) {
  const QString folder = qEnvironmentVariable("ORN_PALETTE_SHOTS");
  if (!folder.isEmpty()) window.grab().save(QDir(folder).filePath(name + ".png"));
}

}  // namespace

class PaletteTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setPalette(darkPalette());
  }

  void measuredValuesReadAfterAGoodAndAFailedRead() {
    Rig rig(101.325);
    rig.window.show();
    rig.window.measure.Button17->click();
    QCOMPARE(rig.window.measure.value->text(), QString("101.3250   "));
    QCOMPARE(unreadable(&rig.window), QStringList());
    shot(rig.window, "measure-good");
    rig.silence(2);
    rig.window.measure.Button17->click();
    QCOMPARE(rig.window.measure.exchangeState->text(), QString("Ошибка в обмене"));
    QCOMPARE(unreadable(&rig.window), QStringList());
    shot(rig.window, "measure-failed");
  }

  void editedFieldsRead() {
    Rig rig;
    SensorPage& p = rig.window.sensor;
    rig.window.TabbedNotebook1->setCurrentIndex(MainWindow::SensorPageIndex);
    rig.window.show();
    p.Button20->click();
    p.Edit81->selectAll();
    QTest::keyClicks(p.Edit81, "2,5");
    p.CheckBox5->click();
    p.ComboBox11->setCurrentIndex(7);
    QVERIFY(isMarkedEdited(p.Edit81) && isMarkedEdited(p.CheckBox5) && isMarkedEdited(p.ComboBox11));
    QCOMPARE(unreadable(&rig.window), QStringList());
    shot(rig.window, "sensor-edited");
    // A field disabled during an exchange still looks disabled on its mark.
    p.Edit81->setEnabled(false);
    const QPalette& marked = p.Edit81->palette();
    QVERIFY(marked.color(QPalette::Disabled, QPalette::Text) != marked.color(QPalette::Active, QPalette::Text));
  }

  void adjustmentPanelReads() {
    Rig rig;
    rig.line.device(0).config().sensor_offset_kpa = 1.5;
    const AdjustmentPanel& a = rig.window.sensor.adjust;
    rig.window.TabbedNotebook1->setCurrentIndex(MainWindow::SensorPageIndex);
    rig.window.show();
    rig.window.sensor.Button43->click();
    QVERIFY(!a.Panel42->isHidden());
    a.Edit93->setText("100");
    a.Button46->click();
    QCOMPARE(a.Edit90->palette().color(QPalette::Base), QColor(0x00, 0xFF, 0x00));
    QCOMPARE(unreadable(&rig.window), QStringList());
    shot(rig.window, "adjustment-panel");
  }
};

}  // namespace orn

QTEST_MAIN(orn::PaletteTest)
#include "palette_test.moc"
