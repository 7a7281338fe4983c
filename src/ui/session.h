#pragma once
// The window's life: start-up fills the window from the settings files and
// opens the port; shut-down closes the port and saves dev.dat. A close that
// arrives while an operation is running (its events are being processed)
// waits until the line is free: the running transaction makes no further
// attempt, no message box is shown any more, and then the shut-down runs.
#include <QObject>
#include <string>
#include <vector>

#include "link/port_names.h"
#include "ui/app_context.h"
#include "ui/calib_check_handlers.h"
#include "ui/calib_handlers.h"
#include "ui/closing_prompt.h"
#include "ui/exchange_handlers.h"
#include "ui/link_strip_handlers.h"
#include "ui/measure_handlers.h"
#include "ui/profile_handlers.h"
#include "ui/search_handlers.h"
#include "ui/sensor_handlers.h"
#include "ui/trend_window.h"

class QComboBox;

namespace orn {

class MainWindow;

class Session final : public QObject {
  // Declared first: the context is built on it.
  ClosingPrompt prompt_;

 public:
  // extra_ports are the --port-map mappings; they win over dev.dat's [PORTS].
  Session(MainWindow& window, SerialPort& port, Pump& pump, Prompt& prompt, Clock& clock,
          std::string folder, std::vector<PortMapping> extra_ports = {});

  void FormCreate();
  // False while the close must wait; then it starts ending the running
  // operation and tries the close again until it goes through.
  bool FormCloseQuery();
  // Runs once; a second close does nothing.
  void FormClose();
  // A stop signal: any open message box is dismissed and the window closed.
  void requestClose();

  void showGaps();
  void takeGaps();

  AppContext context;
  MeasureHandlers measure;
  LinkStripHandlers linkStrip;
  SearchHandlers search;
  SensorHandlers sensor;
  ExchangeHandlers exchange;
  CalibHandlers calib;
  CalibCheckHandlers calibCheck;
  ProfileHandlers profiles;
  TrendWindow* trend;  // owned by the main window, opened from its menu

  // Settings files that cannot be written are reported as the window's error
  // (on stderr once the window is closing).
  void reportFileError(const std::optional<std::string>& error);

 private:
  // A gap field: its text as a whole number (0 when it is none), written back.
  static uint16_t takeGap(QComboBox* field);

  void startClosing();

  MainWindow& w_;
  std::vector<PortMapping> extraPorts_;
  bool closing_ = false;       // a close is waiting for the line
  bool retryPending_ = false;  // a retry of the close is armed
  bool closed_ = false;        // the shut-down has run
};

}  // namespace orn
