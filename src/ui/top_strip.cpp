#include "ui/top_strip.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <utility>
#include <QFontMetrics>

#include "ui/item_lists.h"
#include "ui/widget_factory.h"
#include "ui/window_font.h"

namespace orn {

TopStrip buildTopStrip() {
  TopStrip s;
  s.widget = new QWidget;
  s.widget->setObjectName("TopStrip");

  s.Label1 = makeLabel("Label1", "Номер порта");
  s.ComboBox1 = makeCombo("ComboBox1", {});
  s.ComboBox1->setContextMenuPolicy(Qt::CustomContextMenu);
  s.ComboBox1->setMinimumContentsLength(6);
  s.Label2 = makeLabel("Label2", "Скорость");
  s.ComboBox2 = makeCombo("ComboBox2", rateItems());
  s.Label3 = makeLabel("Label3", "Номер модуля");
  s.ComboBox3 = makeCombo("ComboBox3", addressItems());
  s.Label6 = makeLabel("Label6", "Паритет");
  s.CheckBox1 = makeCheck("CheckBox1", {});
  s.Label7 = makeLabel("Label7", "Четный");
  s.CheckBox2 = makeCheck("CheckBox2", {});
  s.Label4 = makeLabel("Label4", "Параметры обмена");
  s.Label5 = makeLabel("Label5", {});
  s.Label5->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  s.Label5->setMinimumWidth(QFontMetrics(windowFont()).horizontalAdvance("COM1, 19200 , без паритета "));
  s.CheckBox6 = makeCheck("CheckBox6", "Запись обмена в файл");
  s.Button15 = makeButton("Button15", "Выставить INIT");
  s.Button2 = makeButton("Button2", "Помигать");
  s.Button11 = keepHidden(makeButton("Button11", "Прочитать все"), s.widget);
  s.Button12 = keepHidden(makeButton("Button12", "Записать все"), s.widget);
  s.Button25 = keepHidden(makeButton("Button25", "Поставить заводские установки"), s.widget);

  s.Label1->setBuddy(s.ComboBox1);
  s.Label2->setBuddy(s.ComboBox2);
  s.Label3->setBuddy(s.ComboBox3);
  s.Label6->setBuddy(s.CheckBox1);
  s.Label7->setBuddy(s.CheckBox2);
  s.Label4->setBuddy(s.Label5);

  // Captions above their controls, one column per control.
  auto* grid = new QGridLayout(s.widget);
  grid->setContentsMargins(6, 4, 6, 4);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(2);
  const std::pair<QWidget*, QWidget*> columns[] = {
      {s.Label1, s.ComboBox1}, {s.Label2, s.ComboBox2}, {s.Label3, s.ComboBox3},
      {s.Label6, s.CheckBox1}, {s.Label7, s.CheckBox2}, {s.Label4, s.Label5}};
  int column = 0;
  for (const auto& [caption, control] : columns) {
    grid->addWidget(caption, 0, column, Qt::AlignLeft | Qt::AlignBottom);
    grid->addWidget(control, 1, column, control == s.CheckBox1 || control == s.CheckBox2
                                            ? Qt::AlignHCenter
                                            : Qt::Alignment{});
    ++column;
  }
  grid->setColumnStretch(column - 1, 1);
  grid->addWidget(s.CheckBox6, 1, column++);
  grid->addWidget(s.Button15, 1, column++);
  grid->addWidget(s.Button2, 1, column);
  return s;
}

}  // namespace orn
