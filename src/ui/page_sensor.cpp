#include "ui/page_sensor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QFontMetrics>

#include "ui/item_lists.h"
#include "ui/widget_factory.h"
#include "ui/window_font.h"

namespace orn {
namespace {

// Edits of numbers stay narrow; the captions around them carry the meaning.
QLineEdit* makeNumberEdit(const QString& name) {
  QLineEdit* edit = makeEdit(name);
  edit->setMaximumWidth(QFontMetrics(windowFont()).horizontalAdvance(u'0') * 16);
  return edit;
}

AdjustmentPanel buildAdjustmentPanel() {
  AdjustmentPanel a;
  a.Panel42 = makeGroup("Подбор параметров подстройки значения канала");
  a.Panel42->setObjectName("Panel42");
  a.Edit90 = makeNumberEdit("Edit90");
  a.Edit93 = makeNumberEdit("Edit93");
  a.Edit91 = makeNumberEdit("Edit91");
  a.Edit92 = makeNumberEdit("Edit92");
  a.unit = new QLabel;
  a.value = makePanel("AdjustValue");
  a.value->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  a.valueUnit = new QLabel;
  a.status = new QLabel;
  a.Button46 = makeButton("Button46", "Подстроить 0");
  a.Button47 = makeButton("Button47", "Записать");
  a.Button48 = makeButton("Button48", "Подстроить диапазон");
  a.Button49 = makeButton("Button49", "Записать");
  a.Button50 = makeButton("Button50", "Х");
  a.Button51 = makeButton("Button51", "Выход");
  a.Button52 = makeButton("Button52", "Прочитать");

  auto* grid = new QGridLayout(a.Panel42);
  auto* zeroCaption = makeCaption("Пользовательский ноль", a.Edit90);
  auto* spanCaption = makeStackedCaption({"Пользовательская подстройка", "диапазона"}, a.Edit91);
  grid->addWidget(zeroCaption, 0, 0);
  grid->addWidget(a.Edit90, 0, 1);
  grid->addWidget(a.unit, 0, 2);
  grid->addWidget(a.Button46, 0, 3);
  grid->addWidget(a.Button47, 0, 4);
  grid->addWidget(makeCaption("Требуемое значение", a.Edit93), 1, 0);
  grid->addWidget(a.Edit93, 1, 1);
  grid->addWidget(spanCaption, 2, 0);
  grid->addWidget(a.Edit91, 2, 1);
  grid->addWidget(a.Button48, 2, 3);
  grid->addWidget(a.Button49, 2, 4);
  grid->addWidget(makeCaption("Требуемое значение", a.Edit92), 3, 0);
  grid->addWidget(a.Edit92, 3, 1);
  grid->addWidget(makeCaption("Измеренное значение", a.value), 4, 0);
  grid->addWidget(a.value, 4, 1);
  grid->addWidget(a.valueUnit, 4, 2);
  grid->addWidget(a.Button52, 4, 3);
  grid->addWidget(a.Button51, 4, 4);
  grid->addWidget(a.status, 5, 0, 1, 5);
  // The close box sits in the panel's corner.
  a.Button50->setMaximumWidth(a.Button50->sizeHint().height() * 2);
  grid->addWidget(a.Button50, 0, 5, Qt::AlignRight | Qt::AlignTop);
  grid->setColumnStretch(2, 1);
  a.Panel42->hide();
  return a;
}

}  // namespace

SensorPage buildSensorPage() {
  SensorPage p;
  p.widget = new QWidget;

  // Range and unit.
  p.Edit6 = makeNumberEdit("Edit6");
  p.Edit7 = makeNumberEdit("Edit7");
  auto* range = makeGroup("Диапазон датчика в кПа");
  auto* rangeRow = new QHBoxLayout(range);
  rangeRow->addWidget(p.Edit6);
  rangeRow->addWidget(p.Edit7);

  p.ComboBox10 = makeCombo("ComboBox10", unitItems());
  p.CheckBox5 = makeCheck("CheckBox5", "Корнеизвлечение");
  p.ComboBox11 = makeCombo("ComboBox11", settlingTimeItems());
  p.Edit22 = makeEdit("Edit22");
  p.Edit23 = makeEdit("Edit23", "Нет данных");
  p.Edit23->setMaxLength(16);  // the device holds 16 characters
  p.ComboBox17 = makeCombo("ComboBox17", decimalPlacesItems());

  auto* general = makeGroup({});
  auto* generalGrid = new QGridLayout(general);
  generalGrid->addWidget(range, 0, 0, 1, 3);
  generalGrid->addWidget(makeCaption("Единицы измерения", p.ComboBox10), 1, 0);
  generalGrid->addWidget(p.ComboBox10, 1, 1, 1, 2);
  generalGrid->addWidget(makeCaption("Время установления", p.ComboBox11), 2, 0);
  generalGrid->addWidget(p.ComboBox11, 2, 1);
  generalGrid->addWidget(new QLabel("сек"), 2, 2);
  generalGrid->addWidget(p.CheckBox5, 3, 0, 1, 3);
  generalGrid->addWidget(makeCaption("Тип конструктива", p.Edit22), 4, 0, 1, 3);
  generalGrid->addWidget(p.Edit22, 5, 0, 1, 3);
  generalGrid->addWidget(makeCaption("Пользовательский текст", p.Edit23), 6, 0, 1, 3);
  generalGrid->addWidget(p.Edit23, 7, 0, 1, 3);
  generalGrid->addWidget(makeCaption("Число знаков после запятой на индикаторе", p.ComboBox17),
                         8, 0, 1, 3);
  generalGrid->addWidget(p.ComboBox17, 9, 0);
  generalGrid->setColumnStretch(2, 1);

  // Cut-offs and overrange: a check box enables each percentage.
  p.CheckBox20 = makeCheck("CheckBox20", "Отсечка 0 в %");
  p.CheckBox21 = makeCheck("CheckBox21", "Отсечка на краях диапазона в %");
  p.CheckBox22 = makeCheck("CheckBox22", "Линейная область");
  p.Edit81 = makeNumberEdit("Edit81");
  p.Edit82 = makeNumberEdit("Edit82");
  p.Edit83 = makeNumberEdit("Edit83");
  auto* cutoffs = makeGroup({});
  auto* cutoffGrid = new QGridLayout(cutoffs);
  cutoffGrid->addWidget(p.CheckBox20, 0, 0);
  cutoffGrid->addWidget(p.Edit81, 0, 1);
  cutoffGrid->addWidget(p.CheckBox21, 1, 0);
  cutoffGrid->addWidget(p.Edit82, 1, 1);
  cutoffGrid->addWidget(p.CheckBox22, 2, 0);
  cutoffGrid->addWidget(p.Edit83, 2, 1);

  p.CheckBox23 = makeCheck("CheckBox23", "нижнюю");
  p.CheckBox24 = makeCheck("CheckBox24", "верхнюю");
  p.Edit84 = makeNumberEdit("Edit84");
  p.Edit85 = makeNumberEdit("Edit85");
  auto* overrange = makeGroup("Допустимый вых.за границу диап. %");
  auto* overrangeGrid = new QGridLayout(overrange);
  overrangeGrid->addWidget(p.CheckBox23, 0, 0);
  overrangeGrid->addWidget(p.Edit84, 0, 1);
  overrangeGrid->addWidget(p.CheckBox24, 1, 0);
  overrangeGrid->addWidget(p.Edit85, 1, 1);

  p.CheckBox26 = makeCheck("CheckBox26", "Разрешение установки нуля по геркону");
  p.CheckBox30 = makeCheck("CheckBox30", {});
  auto* transition = new QWidget;
  auto* transitionRow = new QHBoxLayout(transition);
  transitionRow->setContentsMargins(0, 0, 0, 0);
  transitionRow->addWidget(p.CheckBox30);
  transitionRow->addWidget(makeStackedCaption({"Разрешить переход ", "по кнопке"}, p.CheckBox30));
  transitionRow->addStretch(1);

  auto* modes = makeGroup({});
  auto* modesColumn = new QVBoxLayout(modes);
  modesColumn->addWidget(p.CheckBox26);
  modesColumn->addWidget(transition);

  // User offset fields with their own read and write.
  p.Edit114 = makeNumberEdit("Edit114");
  p.Edit115 = makeNumberEdit("Edit115");
  p.Edit116 = makeNumberEdit("Edit116");
  p.Label238 = makeLabel("Label238", {});
  p.Label239 = makeLabel("Label239", {});
  p.Button61 = makeButton("Button61", "Прочитать");
  p.Button60 = makeButton("Button60", "Записать");
  auto* trims = makeGroup({});
  auto* trimGrid = new QGridLayout(trims);
  trimGrid->addWidget(makeCaption("Сдвиг шкалы", p.Edit114), 0, 0);
  trimGrid->addWidget(p.Edit114, 0, 1);
  trimGrid->addWidget(p.Label238, 0, 2);
  trimGrid->addWidget(makeCaption("Польз. ноль", p.Edit115), 1, 0);
  trimGrid->addWidget(p.Edit115, 1, 1);
  trimGrid->addWidget(p.Label239, 1, 2);
  trimGrid->addWidget(makeCaption("Польз. подстр.", p.Edit116), 2, 0);
  trimGrid->addWidget(p.Edit116, 2, 1);
  auto* trimButtons = new QHBoxLayout;
  trimButtons->addWidget(p.Button61);
  trimButtons->addWidget(p.Button60);
  trimGrid->addLayout(trimButtons, 3, 0, 1, 3);
  trimGrid->setColumnStretch(2, 1);

  p.Button20 = makeButton("Button20", "Прочитать");
  p.Button21 = makeButton("Button21", "Записать");
  p.Button38 = makeButton("Button38", "Перейти на заводские установки");
  p.Button43 = makeButton("Button43", "Автонастройка");
  auto* commands = new QVBoxLayout;
  commands->addWidget(p.Button20);
  commands->addWidget(p.Button21);
  commands->addWidget(p.Button38);
  commands->addWidget(p.Button43);
  commands->addStretch(1);

  p.Panel12 = makePanel("Panel12");
  p.Panel12->hide();
  p.adjust = buildAdjustmentPanel();

  auto* middle = new QVBoxLayout;
  middle->addWidget(cutoffs);
  middle->addWidget(overrange);
  middle->addWidget(modes);
  middle->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(trims);
  right->addLayout(commands);

  auto* grid = new QGridLayout(p.widget);
  grid->addWidget(general, 0, 0);
  grid->addLayout(middle, 0, 1);
  grid->addLayout(right, 0, 2);
  grid->addWidget(p.Panel12, 1, 0, 1, 3);
  grid->addWidget(p.adjust.Panel42, 2, 0, 1, 3);
  grid->setRowStretch(3, 1);

  p.Label103 = keepHidden(makeLabel("Label103", {}), p.widget);
  p.Label107 = keepHidden(makeLabel("Label107", {}), p.widget);
  p.Label108 = keepHidden(makeLabel("Label108", {}), p.widget);
  p.Label109 = keepHidden(makeLabel("Label109", {}), p.widget);
  p.Label110 = keepHidden(makeLabel("Label110", {}), p.widget);
  p.ComboBox14 = keepHidden(makeCombo("ComboBox14", {}), p.widget);
  p.ComboBox15 = keepHidden(makeCombo("ComboBox15", {}), p.widget);
  p.ComboBox16 = keepHidden(makeCombo("ComboBox16", {}), p.widget);
  p.ComboBox24 = keepHidden(makeCombo("ComboBox24", {}), p.widget);
  p.Edit20 = keepHidden(makeEdit("Edit20"), p.widget);
  p.Edit21 = keepHidden(makeEdit("Edit21"), p.widget);
  p.BitBtn1 = keepHidden(makeButton("BitBtn1", {}), p.widget);
  p.Button37 = keepHidden(makeButton("Button37", {}), p.widget);
  return p;
}

}  // namespace orn
