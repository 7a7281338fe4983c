#pragma once
// Unattended runs of the window: show a page, press buttons by name and take
// a picture of the window, for documentation and tests.
#include <QString>
#include <QStringList>

class QWidget;

namespace orn {

class MainWindow;
struct Options;

// The names in names that no button under root carries.
QStringList unknownButtons(const QWidget& root, const QStringList& names);

// Selects the requested page, then clicks the requested buttons in order.
void runScript(MainWindow& window, const Options& options);

// Lets pending timers and layouts settle, then saves target (the main window
// when null) as PNG. Returns an error text, empty on success.
QString saveScreenshot(MainWindow& window, const QString& path, QWidget* target = nullptr);

}  // namespace orn
