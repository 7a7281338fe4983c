// orn20mb: the service window for the pressure transmitters.
#include <QApplication>
#include <cstdio>

#include "ui/main_window.h"
#include "ui/options.h"
#include "ui/script_run.h"

namespace {

constexpr int kUsageError = 2;

void printLine(const QString& text) {
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("orn20mb");
  QApplication::setApplicationDisplayName("ОРН20 MB");

  const orn::OptionsResult parsed = orn::parseOptions(QApplication::arguments());
  if (parsed.help) {
    std::fprintf(stdout, "%s", parsed.helpText.toLocal8Bit().constData());
    return 0;
  }
  if (!parsed.error.isEmpty()) {
    printLine(parsed.error);
    return kUsageError;
  }
  const orn::Options& options = parsed.options;

  orn::MainWindow window;
  const QStringList unknown = orn::unknownButtons(window, options.press);
  if (!unknown.isEmpty()) {
    printLine("Нет кнопки с именем: " + unknown.join(", "));
    return kUsageError;
  }
  const bool unattended = !options.screenshot.isEmpty();
  if (unattended) window.prompt.setMode(orn::QtPrompt::Mode::AutoAnswer);

  window.finishStartup();
  window.show();
  orn::runScript(window, options);
  if (!unattended) return QApplication::exec();

  const QString error = orn::saveScreenshot(window, options.screenshot);
  window.close();
  if (!error.isEmpty()) {
    printLine(error);
    return 1;
  }
  return 0;
}
