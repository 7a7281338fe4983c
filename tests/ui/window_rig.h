#pragma once
// The window with its session on an in-memory line with one simulated
// transmitter, started in a fresh folder: what the window tests drive.
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <vector>

#include "sim/sim_line.h"
#include "sim/sim_serial_port.h"
#include "support/fakes.h"
#include "support/frame_gate.h"
#include "ui/main_window.h"
#include "ui/session.h"

namespace orn {

// Tag: the session waits on the window's own pump, so pauses take real time
// and the event loop runs inside them, as for a user.
struct RealEvents {};

struct Rig {
  // devDat and recentPrf, when given, are the dev.dat and recent.prf the start-up finds.
  explicit Rig(double kpa = 100.0, const QByteArray& devDat = {}, const QByteArray& recentPrf = {})
      : Rig(std::vector{transmitterAt(kpa)}, devDat, recentPrf) {}
  explicit Rig(RealEvents) : Rig(std::vector{transmitterAt(100.0)}, {}, {}, &window.pump) {}
  // Several transmitters on the line.
  explicit Rig(const std::vector<sim::TransmitterConfig>& transmitters, const QByteArray& devDat = {},
               const QByteArray& recentPrf = {}, Pump* sessionPump = nullptr) {
    for (const sim::TransmitterConfig& config : transmitters) line.add(config);
    for (const auto& [name, bytes] : {std::pair{"dev.dat", devDat}, std::pair{"recent.prf", recentPrf}}) {
      QFile f(dir.path() + "/" + name);
      if (!bytes.isEmpty() && f.open(QIODevice::WriteOnly)) f.write(bytes);
    }
    session = std::make_unique<Session>(window, gate, sessionPump ? *sessionPump : pump, prompt, clock,
                                        dir.path().toStdString());
    session->FormCreate();
    window.Timer4->stop();  // the tests drive the polling tick themselves
    session->context.log.izm_name = (dir.path() + "/izm.txt").toStdString();
  }
  static sim::TransmitterConfig transmitterAt(double kpa) {
    sim::TransmitterConfig config;
    config.pressure.kpa = kpa;
    return config;
  }
  AppContext& c() { return session->context; }
  QString text(QLabel* label) const { return label->text(); }
  QByteArray file(const QString& name) const {
    QFile f(dir.path() + "/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  void silence(int answers) {
    for (int i = 0; i < answers; ++i) line.faults().push({sim::FaultKind::Silence, 0});
  }

  QTemporaryDir dir;
  MainWindow window;
  sim::SimLine line;
  sim::SimSerialPort port{line};
  test::FrameGate gate{port};  // lets every request through unless a test says otherwise
  test::VirtualPump pump;
  test::ScriptedPrompt prompt;
  test::FixedClock clock;
  std::unique_ptr<Session> session;
};

}  // namespace orn
