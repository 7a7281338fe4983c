#pragma once
// The one window, Form1: the link strip, the menu, the four-page notebook and
// the window's timers. Handlers of other subsystems reach the controls through
// the page structs and plug their steps into hooks.
#include <QMainWindow>
#include <array>
#include <functional>

#include "ui/command_lock.h"
#include "ui/main_menu.h"
#include "ui/page_exchange.h"
#include "ui/page_measure.h"
#include "ui/page_search.h"
#include "ui/page_sensor.h"
#include "ui/qt_prompt.h"
#include "ui/qt_pump.h"
#include "ui/top_strip.h"

class QPushButton;
class QTabWidget;
class QTimer;

namespace orn {

class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  // Steps of the window's handlers that belong to other subsystems.
  struct Hooks {
    std::function<void()> stopPolling;      // a page other than 0 is entered
    std::function<void()> leaveAdjustment;  // a page other than 1 is entered
    std::function<void()> formClose;        // shut-down, before the window closes
    std::function<bool()> formCloseQuery;   // false: the close must wait (an exchange is running)
  };

  enum Page { MeasurePageIndex = 0, SensorPageIndex, ExchangePageIndex, SearchPageIndex };

  explicit MainWindow(QWidget* parent = nullptr);

  // The last step of start-up: arms Timer8. The window is shown after it.
  void finishStartup();

  Hooks hooks;
  // The window's seams, handed to the core operations its handlers call.
  QtPump pump;
  QtPrompt prompt{this};
  MainMenu menu;
  TopStrip strip;
  QTabWidget* TabbedNotebook1 = nullptr;
  MeasurePage measure;
  SensorPage sensor;
  ExchangePage exchange;
  SearchPage search;
  // Disables the commands while an operation runs or the adjustment panel is open.
  CommandLock commands;
  QTimer* Timer4 = nullptr;  // polling tick, 1000 ms
  QTimer* Timer8 = nullptr;  // one-shot focus move to the page's read button

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void TabbedNotebook1Change(int page);
  void Timer8Timer();
  void repaintNow();

  std::array<QPushButton*, 4> readButtons_{};
};

}  // namespace orn
