#include "ui/session.h"

#include <QApplication>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "device/input_checks.h"
#include "link/link_line.h"
#include "link/scoped_flag.h"
#include "settings/port_map.h"
#include "settings/to_dat.h"
#include "ui/edit_marks.h"
#include "ui/main_window.h"
#include "ui/page_fill.h"
#include "ui/page_inputs.h"

namespace orn {

Session::Session(MainWindow& window, SerialPort& port, Pump& pump, Prompt& prompt, Clock& clock,
                 std::string folder, std::vector<PortMapping> extra_ports)
    : prompt_(prompt),
      context(port, pump, prompt_, clock, std::move(folder)),
      measure(window, context),
      linkStrip(window, context, measure),
      search(window, context, linkStrip),
      sensor(window, context, measure),
      exchange(window, context, measure, linkStrip),
      calib(window, context, measure),
      calibCheck(window, context, measure),
      profiles(window, *this),
      trend(new TrendWindow(prompt, &window)),
      w_(window),
      extraPorts_(std::move(extra_ports)) {
  w_.hooks.stopPolling = [this] { measure.stopPolling(); };
  w_.hooks.leaveAdjustment = [this] { calib.leaveAdjustment(); };
  calib.onAdjustmentWritten = [this] { calibCheck.adjustmentWritten(); };
  w_.hooks.formClose = [this] { FormClose(); };
  w_.hooks.formCloseQuery = [this] { return FormCloseQuery(); };
  connect(w_.menu.TrendMenuItem, &QAction::triggered, trend, &TrendWindow::showAndRaise);
  context.measured.listen([this](const MeasuredValue& record) { trend->onMeasured(record); });
}

void Session::reportFileError(const std::optional<std::string>& error) {
  if (!error) return;
  // A window that is closing shows no box any more; the error still goes to stderr.
  if (closing_) {
    std::fprintf(stderr, "%s\n", error->c_str());
    return;
  }
  context.prompt.tell(*error, "ОРН20 MB", PromptIcon::Error);
}

void Session::FormCreate() {
  AppContext& c = context;
  DevDatDevice device;
  reportFileError(load_dev_dat(c.folder, c.link, c.exchange, device));
  c.image.dely = device.dely;
  c.image.time_gap_dev = device.time_gap_dev;
  // Until the device is read, page 2 offers the settings the program talks at.
  c.image.adr = c.link.address;
  c.image.rate = c.link.rate_index;
  c.image.parity = c.link.parity;
  c.device = c.image;
  reportFileError(load_to_dat(c.folder, c.timeouts));
  c.ports = PortMap(read_port_map(c.folder));
  for (const PortMapping& m : extraPorts_) c.ports.set(m.port, m.path);
  // The last profile: the page it names, the log switches, the search
  // selection, the catalogue and poly_res.pol.
  profiles.loadProfile(profiles.recentPath());
  reportFileError(create_poly_template(c.folder));
  reportFileError(load_corr(c.folder, c.corr));
  c.updating = false;

  profiles.fillCatalogueLists();
  search.clearSearchState();
  search.enableSearchControls(true);

  showExchangePage(w_.exchange, c.image, c.updating);
  linkStrip.showLink();
  showGaps();

  c.connection.probe();
  linkStrip.fillPortList();
  linkStrip.reopenPort(false);

  c.polling = false;
  w_.commands.setEnabled(w_.measure.Button18, true);
  w_.commands.setEnabled(w_.measure.Button19, false);
  QCoreApplication::processEvents();

  c.counters = PollCounters{};
  measure.showCounters();
  c.settings_never_read = 1;
  c.image.adr = c.link.address;
  {
    ScopedFlag guard(c.updating);
    w_.exchange.ComboBox5->setCurrentIndex(address_item_for(c.image.adr));
  }
  w_.measure.CheckBox29->setChecked(false);
  showSensorPage(w_.sensor, c.image, c.updating);
  showConstructionText(w_.sensor, context.profile.konstr_txt, context.updating);

  // The polling tick runs for the whole life of the window; it works only while polling is on.
  w_.Timer4->start();
  w_.finishStartup();
}

bool Session::FormCloseQuery() {
  const bool running =
      context.master.busy() || w_.pump.active() || prompt_.open() || w_.commands.running();
  if (closed_ || !running) return true;
  startClosing();
  if (!retryPending_) {
    retryPending_ = true;
    constexpr int kRetryMs = 20;
    QTimer::singleShot(kRetryMs, this, [this] {
      retryPending_ = false;
      w_.close();
    });
  }
  return false;
}

void Session::startClosing() {
  if (!closing_) {
    closing_ = true;
    prompt_.startClosing();
    measure.stopPolling();
    // A running search ends after its probe instead of holding the close for hours.
    search.abandon();
  }
  // Nothing new starts; a lock that finishes a protected write keeps its pauses.
  context.stop.raise(1);
  if (context.stop.stops()) w_.pump.endWait();
}

void Session::requestClose() {
  startClosing();
  if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) box->reject();
  w_.close();
}

void Session::FormClose() {
  if (closed_) return;
  closed_ = true;
  AppContext& c = context;
  search.abandon();
  c.connection.close();
  linkStrip.takeLink();
  // With the messages of every take of page 2; an input in error keeps the value held.
  takeExchangeInputs(w_.exchange, c.image, c.prompt);
  // The gaps are taken before dev.dat is written, so a value still being typed is kept.
  takeGaps();
  reportFileError(save_dev_dat(c.folder, c.link, c.exchange, DevDatDevice{c.image.dely, c.image.time_gap_dev}));
  // Page 1 without messages: the trim fields with the unit as it stood, then the rest.
  calib.takeTrimFields();
  takeSensorInputs(w_.sensor, c.image, nullptr);
  search.takeSearchSelection();
  c.profile.konstr_txt = w_.sensor.Edit22->text().toStdString();
  reportFileError(save_corr(c.folder, c.corr));
  profiles.saveRecentProfile();
}

void Session::showGaps() {
  w_.exchange.ComboBox22->setEditText(QString::number(context.image.time_gap_dev));
  w_.exchange.ComboBox23->setEditText(QString::number(context.exchange.time_gap_prg));
}

void Session::takeGaps() {
  context.exchange.time_gap_prg = takeGap(w_.exchange.ComboBox23);
  context.image.time_gap_dev = takeGap(w_.exchange.ComboBox22);
}

uint16_t Session::takeGap(QComboBox* field) {
  const uint16_t value = immediate_integer(field->currentText().toStdString());
  field->setEditText(QString::number(value));
  return value;
}

}  // namespace orn
