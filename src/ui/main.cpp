// orn20mb: the service window for the pressure transmitters.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/system_serial_port.h"

#include "ui/demo_transmitter.h"
#include "ui/main_window.h"
#include "ui/options.h"
#include "ui/qt_translation.h"
#include "ui/script_run.h"
#include "ui/session.h"
#include "ui/stop_signals.h"

namespace {

constexpr int kUsageError = 2;

void printLine(const QString& text) {
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

int printHelp(const QString& text) {
  std::fprintf(stdout, "%s", text.toLocal8Bit().constData());
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Qt's own texts in Russian; installed before each parse, so --help reads Russian too.
  QTranslator qtTexts;
  // --help needs no display: it is answered before the application connects to one.
  {
    const QCoreApplication plain(argc, argv);
    orn::installQtTranslation(qtTexts);
    if (const orn::OptionsResult early = orn::parseOptions(QCoreApplication::arguments()); early.help)
      return printHelp(early.helpText);
  }

  QApplication app(argc, argv);
  // Installed first, so that a stop signal from now on ends the window through its shut-down.
  orn::StopSignals stopSignals;
  QApplication::setApplicationName("orn20mb");
  orn::installQtTranslation(qtTexts);

  // Usage errors are judged once Qt has taken its own options (-platform, -display).
  const orn::OptionsResult parsed = orn::parseOptions(QApplication::arguments());
  if (parsed.help) return printHelp(parsed.helpText);
  if (!parsed.error.isEmpty()) {
    printLine(parsed.error);
    return kUsageError;
  }
  const orn::Options& options = parsed.options;

  orn::MainWindow window;
  orn::SystemSerialPort port;
  port.set_idle(&window.pump);
  orn::SystemClock clock;

  std::vector<orn::PortMapping> ports;
  for (const auto& [number, path] : options.portMaps)
    ports.push_back({static_cast<uint16_t>(number), path.toStdString()});
  // --demo serves a simulated transmitter on a pseudo-terminal that stands for COM1.
  std::optional<orn::DemoTransmitter> demo;
  if (options.demo) {
    std::string error;
    if (!demo.emplace().start(error)) {
      printLine("Не удалось запустить имитатор датчика: " + QString::fromStdString(error));
      return 1;
    }
    ports.push_back({1, demo->path()});
  }
  orn::Session session(window, port, window.pump, window.prompt, clock, QDir::currentPath().toStdString(), ports);

  const QStringList unknown = orn::unknownButtons(window, options.press);
  if (!unknown.isEmpty()) {
    printLine("Нет кнопки с именем: " + unknown.join(", "));
    return kUsageError;
  }
  const bool unattended = !options.screenshot.isEmpty();
  if (unattended) window.prompt.setMode(orn::QtPrompt::Mode::AutoAnswer);

  session.FormCreate();
  window.show();
  stopSignals.listen([&session] { session.requestClose(); });
  orn::runScript(window, options);
  if (options.trendSeconds) session.trend->showAndRaise();
  if (!unattended) return QApplication::exec();

  QWidget* target = nullptr;
  if (options.trendSeconds) {
    // An event loop of its own: the window's pumped wait would end early with
    // the first pause of a repeated attempt, which shares its timer.
    QEventLoop running;
    QTimer::singleShot(*options.trendSeconds * 1000, &running, &QEventLoop::quit);
    running.exec();
    target = session.trend;
  }
  const QString error = orn::saveScreenshot(window, options.screenshot, target);
  window.close();
  if (!error.isEmpty()) {
    printLine(error);
    return 1;
  }
  return 0;
}
