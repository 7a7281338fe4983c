#pragma once
// The "Файл" menu of profiles, the trend chart item and the port list's context menu.
class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace orn {

struct MainMenu {
  QMenuBar* MainMenu1 = nullptr;
  QMenu* N1 = nullptr;        // "Файл"
  QAction* N2 = nullptr;      // load a profile
  QAction* N3 = nullptr;      // save a profile
  QAction* CompareItem = nullptr;  // the device compared with a profile
  QAction* CalibCheckMenuItem = nullptr;   // the calibration check
  QAction* CertificateMenuItem = nullptr;  // the certificate of the record as a PDF
  QMenu* PopupMenu1 = nullptr;  // opening it refreshes the port list
  QAction* N4 = nullptr;      // "Обновить список портов"; no action of its own
  QAction* TrendMenuItem = nullptr;  // "График", after the items above: the trend chart
};

// The menu bar and the popup are parented to window.
MainMenu buildMainMenu(QWidget* window);

}  // namespace orn
