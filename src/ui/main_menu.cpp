#include "ui/main_menu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace orn {

MainMenu buildMainMenu(QWidget* window) {
  MainMenu m;
  m.MainMenu1 = new QMenuBar(window);
  m.MainMenu1->setObjectName("MainMenu1");
  m.N1 = m.MainMenu1->addMenu("&Файл");
  m.N1->setObjectName("N1");
  m.N2 = m.N1->addAction("Прочитать профиль настроек из файла");
  m.N2->setObjectName("N2");
  m.N2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  m.N3 = m.N1->addAction("Записать профиль настроек в файл");
  m.N3->setObjectName("N3");
  m.N3->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  m.CompareItem = m.N1->addAction("Сравнить с профилем…");
  m.CompareItem->setObjectName("CompareItem");
  m.N1->addSeparator();
  m.CalibCheckMenuItem = m.N1->addAction("Проверка калибровки...");
  m.CalibCheckMenuItem->setObjectName("CalibCheckMenuItem");
  m.CertificateMenuItem = m.N1->addAction("Протокол калибровки в PDF...");
  m.CertificateMenuItem->setObjectName("CertificateMenuItem");
  m.TrendMenuItem = m.MainMenu1->addAction("&График");
  m.TrendMenuItem->setObjectName("TrendMenuItem");

  m.PopupMenu1 = new QMenu(window);
  m.PopupMenu1->setObjectName("PopupMenu1");
  m.N4 = m.PopupMenu1->addAction("Обновить список портов");
  m.N4->setObjectName("N4");
  return m;
}

}  // namespace orn
