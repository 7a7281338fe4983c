#pragma once
// The window's life: start-up fills the window from the settings files and
// opens the port; shut-down closes the port and saves dev.dat.
#include <QObject>
#include <string>
#include <vector>

#include "link/port_names.h"
#include "ui/app_context.h"
#include "ui/link_strip_handlers.h"
#include "ui/measure_handlers.h"
#include "ui/trend_window.h"

class QComboBox;

namespace orn {

class MainWindow;

class Session final : public QObject {
 public:
  // extra_ports are the --port-map mappings; they win over dev.dat's [PORTS].
  Session(MainWindow& window, SerialPort& port, Pump& pump, Prompt& prompt, Clock& clock,
          std::string folder, std::vector<PortMapping> extra_ports = {});

  void FormCreate();
  void FormClose();

  void showGaps();
  void takeGaps();

  AppContext context;
  MeasureHandlers measure;
  LinkStripHandlers linkStrip;
  TrendWindow* trend;  // owned by the main window, opened from its menu

 private:
  // Settings files that cannot be written are reported as the window's error.
  void reportFileError(const std::optional<std::string>& error);
  // A gap field: its text as a whole number (0 when it is none), written back.
  static uint16_t takeGap(QComboBox* field);

  MainWindow& w_;
  std::vector<PortMapping> extraPorts_;
};

}  // namespace orn
