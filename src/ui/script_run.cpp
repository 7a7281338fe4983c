#include "ui/script_run.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QTabWidget>

#include "ui/main_window.h"
#include "ui/options.h"

namespace orn {
namespace {

// Longer than the focus move after a page change, so the picture shows it.
constexpr uint32_t kSettleMs = 250;

}  // namespace

QStringList unknownButtons(const QWidget& root, const QStringList& names) {
  QStringList unknown;
  for (const QString& name : names)
    if (!root.findChild<QAbstractButton*>(name)) unknown << name;
  return unknown;
}

void runScript(MainWindow& window, const Options& options) {
  if (options.page) window.TabbedNotebook1->setCurrentIndex(*options.page);
  for (const QString& name : options.press)
    if (auto* button = window.findChild<QAbstractButton*>(name)) button->click();
}

QString saveScreenshot(MainWindow& window, const QString& path, QWidget* target) {
  window.pump.wait(kSettleMs);
  if (!(target ? target : &window)->grab().save(path, "PNG")) return "Не удалось записать снимок окна в " + path;
  return {};
}

}  // namespace orn
