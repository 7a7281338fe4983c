#include "ui/page_exchange.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/item_lists.h"
#include "ui/widget_factory.h"

namespace orn {

ExchangePage buildExchangePage() {
  ExchangePage p;
  p.widget = new QWidget;

  // New link settings of the device.
  p.ComboBox4 = makeCombo("ComboBox4", rateItems());
  p.ComboBox5 = makeCombo("ComboBox5", addressItems());
  p.CheckBox3 = makeCheck("CheckBox3", "Паритет");
  p.CheckBox4 = makeCheck("CheckBox4", "Четный");
  p.Button1 = makeButton("Button1", "Записать");
  auto* link = makeGroup({});
  auto* linkGrid = new QGridLayout(link);
  linkGrid->addWidget(makeCaption("Скорость", p.ComboBox4), 0, 0);
  linkGrid->addWidget(makeCaption("Номер", p.ComboBox5), 0, 1);
  linkGrid->addWidget(p.ComboBox4, 1, 0);
  linkGrid->addWidget(p.ComboBox5, 1, 1);
  linkGrid->addWidget(p.CheckBox3, 1, 2);
  linkGrid->addWidget(p.CheckBox4, 1, 3);
  linkGrid->addWidget(p.Button1, 1, 4);
  linkGrid->setColumnStretch(5, 1);

  // Identity: factory number, manufacturing date, versions.
  p.Edit1 = makeEdit("Edit1");
  p.Edit2 = makeEdit("Edit2");
  auto* number = makeGroup("Заводской номер");
  auto* numberRow = new QHBoxLayout(number);
  numberRow->addWidget(p.Edit1);
  numberRow->addWidget(p.Edit2);

  p.Panel4 = makePanel("Panel4");
  p.Panel5 = makePanel("Panel5");
  p.Panel6 = makePanel("Panel6");
  auto* date = makeGroup("Дата изготовления");
  auto* dateGrid = new QGridLayout(date);
  dateGrid->addWidget(makeCaption("Число", p.Panel4), 0, 0);
  dateGrid->addWidget(makeCaption("Месяц", p.Panel5), 0, 1);
  dateGrid->addWidget(makeCaption("Год", p.Panel6), 0, 2);
  dateGrid->addWidget(p.Panel4, 1, 0);
  dateGrid->addWidget(p.Panel5, 1, 1);
  dateGrid->addWidget(p.Panel6, 1, 2);

  p.Edit4 = makeEdit("Edit4");
  p.Edit5 = makeEdit("Edit5");
  auto* versions = makeGroup({});
  auto* versionGrid = new QGridLayout(versions);
  versionGrid->addWidget(makeCaption("версия ПО", p.Edit4), 0, 0);
  versionGrid->addWidget(makeCaption("версия конструктива", p.Edit5), 0, 1);
  versionGrid->addWidget(p.Edit4, 1, 0);
  versionGrid->addWidget(p.Edit5, 1, 1);

  // Response delay and float byte order.
  p.Edit89 = makeEdit("Edit89");
  p.ComboBox20 = makeCombo("ComboBox20", byteOrderItems());
  auto* answer = makeGroup({});
  auto* answerGrid = new QGridLayout(answer);
  answerGrid->addWidget(makeStackedCaption({"Задержка перед  ", "ответом мс"}, p.Edit89), 0, 0);
  answerGrid->addWidget(p.Edit89, 0, 1);
  answerGrid->addWidget(makeCaption("Порядок байт в измеренном значении", p.ComboBox20), 1, 0);
  answerGrid->addWidget(p.ComboBox20, 1, 1);

  // Inter-byte gaps: free text besides the usual values.
  p.ComboBox22 = makeCombo("ComboBox22", gapItems(), true);
  p.ComboBox23 = makeCombo("ComboBox23", gapItems(), true);
  p.Button41 = makeButton("Button41", "Прочитать");
  p.Button42 = makeButton("Button42", "Записать");
  auto* gaps = makeGroup("Дополнительный допустимый временной зазор между байтами ");
  auto* gapGrid = new QGridLayout(gaps);
  gapGrid->addWidget(makeCaption("в приборе", p.ComboBox22), 0, 0);
  gapGrid->addWidget(p.ComboBox22, 0, 1);
  gapGrid->addWidget(p.Button41, 0, 2);
  gapGrid->addWidget(p.Button42, 0, 3);
  gapGrid->addWidget(makeCaption("в компьютере", p.ComboBox23), 1, 0);
  gapGrid->addWidget(p.ComboBox23, 1, 1);
  gapGrid->setColumnStretch(4, 1);

  p.Button9 = makeButton("Button9", "Прочитать все на закладке");
  p.Panel45 = makePanel("Panel45", "Идет обмен с прибором");
  p.Panel45->hide();

  auto* grid = new QGridLayout(p.widget);
  grid->addWidget(link, 0, 0, 1, 2);
  grid->addWidget(number, 1, 0);
  grid->addWidget(date, 1, 1);
  grid->addWidget(versions, 2, 0);
  grid->addWidget(answer, 2, 1);
  grid->addWidget(gaps, 3, 0, 1, 2);
  grid->addWidget(p.Button9, 4, 0, Qt::AlignLeft);
  grid->addWidget(p.Panel45, 5, 0, 1, 2);
  grid->setRowStretch(6, 1);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);

  p.ComboBox7 = keepHidden(makeCombo("ComboBox7", dayItems()), p.widget);
  p.ComboBox8 = keepHidden(makeCombo("ComboBox8", monthItems()), p.widget);
  p.ComboBox9 = keepHidden(makeCombo("ComboBox9", yearItems()), p.widget);
  p.Edit3 = keepHidden(makeEdit("Edit3"), p.widget);
  p.ComboBox6 = keepHidden(makeCombo("ComboBox6", watchdogItems()), p.widget);
  p.Label18 = keepHidden(makeLabel("Label18", {}), p.widget);
  p.Button3 = keepHidden(makeButton("Button3", "Прочитать"), p.widget);
  p.Button4 = keepHidden(makeButton("Button4", "Записать"), p.widget);
  p.Button5 = keepHidden(makeButton("Button5", {}), p.widget);
  p.Button6 = keepHidden(makeButton("Button6", {}), p.widget);
  p.Button7 = keepHidden(makeButton("Button7", {}), p.widget);
  p.Button8 = keepHidden(makeButton("Button8", {}), p.widget);
  p.Button10 = keepHidden(makeButton("Button10", {}), p.widget);
  p.Button13 = keepHidden(makeButton("Button13", {}), p.widget);
  p.Button14 = keepHidden(makeButton("Button14", {}), p.widget);
  return p;
}

}  // namespace orn
