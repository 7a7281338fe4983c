#include "ui/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/hints.h"
#include "ui/window_font.h"

// The icon is in the library's resources, which a static library must register itself.
static void initResources() { Q_INIT_RESOURCE(orn20mb); }

namespace orn {
namespace {

constexpr int kStartupFocusMs = 50;
constexpr int kPageFocusMs = 100;
constexpr int kHiddenFocusMs = 3000;

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName("Form1");
  setWindowTitle("DAVE ОРН MB 0.0.14");
  initResources();
  setWindowIcon(QIcon(":/orn20mb.svg"));
  setFont(windowFont());

  menu = buildMainMenu(this);
  setMenuBar(menu.MainMenu1);
  strip = buildTopStrip();
  connect(strip.ComboBox1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    menu.PopupMenu1->popup(strip.ComboBox1->mapToGlobal(at));
  });

  measure = buildMeasurePage();
  sensor = buildSensorPage();
  exchange = buildExchangePage();
  search = buildSearchPage();
  TabbedNotebook1 = new QTabWidget;
  TabbedNotebook1->setObjectName("TabbedNotebook1");
  TabbedNotebook1->addTab(measure.widget, "Измеренное значение");
  TabbedNotebook1->addTab(sensor.widget, "Настройки датчика");
  TabbedNotebook1->addTab(exchange.widget, "Параметры обмена");
  TabbedNotebook1->addTab(search.widget, "Поиск");
  readButtons_ = {measure.Button17, sensor.Button20, exchange.Button9, search.Button33};

  auto* central = new QWidget;
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(4, 0, 4, 4);
  column->setSpacing(2);
  column->addWidget(strip.widget);
  column->addWidget(TabbedNotebook1, 1);
  setCentralWidget(central);

  // Pending events are dispatched by Qt's own event loop and by the pump
  // during exchanges, so no 500 ms dispatch timer (Timer3) is needed.
  Timer4 = new QTimer(this);
  Timer4->setObjectName("Timer4");
  Timer4->setInterval(1000);
  // The period is a floor: a coarse timer may tick up to 5 % early.
  Timer4->setTimerType(Qt::PreciseTimer);
  Timer8 = new QTimer(this);
  Timer8->setObjectName("Timer8");
  Timer8->setSingleShot(true);
  Timer8->setInterval(kStartupFocusMs);
  connect(Timer8, &QTimer::timeout, this, &MainWindow::Timer8Timer);
  // Connected after the pages are added: adding the first page is no page change.
  connect(TabbedNotebook1, &QTabWidget::currentChanged, this, &MainWindow::TabbedNotebook1Change);

  applyHints(this);
  // What stays live during an operation: the stops (polling, search, the
  // adjustment panel's own buttons, which it disables itself while it works)
  // and what touches neither the line nor the device image.
  commands.collect(*this,
                   {measure.Button19, measure.Button16, measure.CheckBox7, measure.CheckBox29,
                    search.Button34, sensor.adjust.Panel42},
                   {menu.N2, menu.N3, menu.CompareItem, menu.CalibCheckMenuItem, menu.CertificateMenuItem});

  resize(1013, 726);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

void MainWindow::finishStartup() {
  // A page change during start-up has already armed it for 3000 ms; otherwise
  // the designed 50 ms applies.
  Timer8->start();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (hooks.formCloseQuery && !hooks.formCloseQuery()) {
    event->ignore();
    return;
  }
  if (hooks.formClose) hooks.formClose();
  event->accept();
}

void MainWindow::TabbedNotebook1Change(int page) {
  if (page != SensorPageIndex) {
    if (hooks.leaveAdjustment) hooks.leaveAdjustment();
    sensor.adjust.Panel42->hide();
    QCoreApplication::processEvents();
    repaintNow();
  }
  if (page != MeasurePageIndex && hooks.stopPolling) hooks.stopPolling();
  Timer8->setInterval(isVisible() ? kPageFocusMs : kHiddenFocusMs);
  Timer8->start();
}

void MainWindow::Timer8Timer() {
  Timer8->stop();
  // The focus move is a convenience: nothing that goes wrong here may reach the user.
  try {
    repaintNow();
    QCoreApplication::processEvents();
    const int page = TabbedNotebook1->currentIndex();
    if (page >= 0 && page < static_cast<int>(readButtons_.size()))
      readButtons_[static_cast<size_t>(page)]->setFocus(Qt::OtherFocusReason);
  } catch (...) {
  }
}

void MainWindow::repaintNow() {
  if (isVisible()) repaint();
}

}  // namespace orn
