#pragma once
// Handlers of the page "Измеренное значение": single read, latch, latched
// read, cyclic polling with its counters, and the log switch.
#include <QObject>

#include "measure/measurement_display.h"
#include "ui/app_context.h"

namespace orn {

class MainWindow;

class MeasureHandlers final : public QObject {
 public:
  MeasureHandlers(MainWindow& window, AppContext& context);

  void Button17Click();  // read once
  void Button45Click();  // latch
  void Button44Click();  // read the latched value
  void Button16Click();  // reset the counters
  void Button18Click();  // start polling
  void Button19Click();  // stop polling
  void Timer4Timer();    // one polling cycle
  void CheckBox7Click();

  // The two ways other operations stop polling before they use the line.
  void stopPolling();               // flag off; start and single read enabled, stop disabled
  void stopPollingKeepReadButton(); // the same, single-read button left as it is

  void showCounters();
  void showMeasurement(const MeasurementView& view);
  void showExchangeState(const MeasurementView& view);

 private:
  // Repaints the page, logs the line and says so after a good read.
  void finishGoodRead(const char* message);

  MainWindow& w_;
  AppContext& c_;
};

}  // namespace orn
