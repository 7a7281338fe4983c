#pragma once
// The "Файл" menu of profiles and the port list's context menu.
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
  QMenu* PopupMenu1 = nullptr;  // opening it refreshes the port list
  QAction* N4 = nullptr;      // "Обновить список портов"; no action of its own
};

// The menu bar and the popup are parented to window.
MainMenu buildMainMenu(QWidget* window);

}  // namespace orn
