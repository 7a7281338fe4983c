#pragma once
// The state the window works on: link and exchange settings, the port and its
// master, the measured-value record, the counters and the window's flags.
// One object per window, so a test builds a fresh one.
#include <string>

#include "calib/adjustment.h"
#include "calib/coefficient_files.h"
#include "device/device_image.h"
#include "link/clock.h"
#include "link/link_params.h"
#include "link/modbus_master.h"
#include "link/port_connection.h"
#include "link/port_names.h"
#include "link/prompt.h"
#include "link/pump.h"
#include "link/serial_port.h"
#include "measure/measure_feed.h"
#include "measure/measure_log.h"
#include "measure/measured_value.h"
#include "measure/polling.h"
#include "records/change_journal.h"
#include "search/search_selection.h"
#include "settings/dev_dat.h"
#include "settings/profile.h"

namespace orn {

struct AppContext {
  AppContext(SerialPort& serial, Pump& event_pump, Prompt& user, Clock& time, std::string settings_folder)
      : folder(std::move(settings_folder)),
        port(serial),
        pump(event_pump),
        prompt(user),
        clock(time),
        connection(serial, ports, user),
        master(serial, event_pump, time, link, exchange, timeouts),
        journal(folder + "/" + kChangeJournalFile,
                [this](const DeviceImage& known) { return record_origin(ports.path(link.port), link.address, known); },
                user) {
    master.set_stop(stop);
  }
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  std::string folder;  // where dev.dat, to.dat and the logs live
  SerialPort& port;
  Pump& pump;
  Prompt& prompt;
  Clock& clock;

  LinkParams link;
  ExchangeSettings exchange;
  RateTimeouts timeouts;
  PortMap ports;
  PortConnection connection;
  StopFlag stop;  // raised when the window closes
  ModbusMaster master;
  ChangeJournal journal;  // changes.csv beside dev.dat: every protected write that reached a device

  // The device image; dev.dat's device values (reply delay, device gap) live here.
  DeviceImage image;
  // The settings pages' registers as the device was last known to hold them
  // (read or written; before that, the program's own settings), for the
  // journal of writes: page 2 takes its inputs into the image as they are typed.
  DeviceImage device;
  // 1 until the sensor settings are read; the question about it is asked once.
  uint16_t settings_never_read = 1;
  AdjustSettings adjust;  // samples and required values of the adjustments
  PolySet poly{};         // poly_res.pol
  CorrSet corr{};         // corr.txt

  MeasuredValue record;  // its INIT flag is the window's one INIT flag
  MeasureFeed measured;  // told after every read of a measurement block
  PollCounters counters;
  MeasureLogSettings log;
  SearchSelection searchSelection = first_run_search_selection();
  ProfileKept profile;  // what recent.prf and the other profiles hold beside the image

  bool polling = false;   // cyclic polling is on
  bool updating = false;  // the window itself is filling controls: change handlers do nothing
};

}  // namespace orn
