#include "ui/page_measure.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <initializer_list>
#include <utility>

#include "ui/widget_factory.h"
#include "ui/window_font.h"

namespace orn {
namespace {

// A read-out item: a sunken panel, left-aligned like a number field.
QLabel* makeReadout(const QString& name, const QString& text = {}) {
  QLabel* readout = makePanel(name, text);
  readout->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  readout->setMargin(3);
  return readout;
}

QGroupBox* groupOf(const QString& title, std::initializer_list<QWidget*> widgets) {
  QGroupBox* group = makeGroup(title);
  auto* row = new QHBoxLayout(group);
  for (QWidget* w : widgets) row->addWidget(w, 1);
  return group;
}

}  // namespace

MeasurePage buildMeasurePage() {
  MeasurePage p;
  p.widget = new QWidget;

  p.value = makeReadout("MeasuredValue");
  QFont large = windowFont();  // twice the window's, whatever the desktop's default
  large.setPointSizeF(large.pointSizeF() * 2.0);
  p.value->setFont(large);
  p.unit = makeReadout("MeasuredUnit");
  p.unit->setFont(large);
  p.relativeCode = makeReadout("RelativeCode");
  p.relativePercent = makeReadout("RelativePercent");
  p.temperature = makeReadout("SensorTemperature");
  p.floatCoding = makeReadout("FloatCoding", "0123");
  p.measureState = makePanel("MeasureState");
  p.exchangeState = makePanel("ExchangeState");

  auto* valueGroup = makeGroup("Значение измерения");
  auto* valueRow = new QHBoxLayout(valueGroup);
  valueRow->addWidget(p.value, 3);
  valueRow->addWidget(p.unit, 1);

  // Counters: caption on the left, count on the right.
  p.Label54 = makeReadout("Label54", "0");
  p.Label55 = makeReadout("Label55", "0");
  p.Label56 = makeReadout("Label56", "0");
  p.Label241 = makeReadout("Label241", "0");
  auto* counters = makeGroup({});
  auto* counterGrid = new QGridLayout(counters);
  const std::pair<const char*, QLabel*> counterRows[] = {{"Число циклов обмена", p.Label54},
                                                         {"Ошибки в измерении", p.Label55},
                                                         {"Ошибки в обмене", p.Label56},
                                                         {"Переспросы", p.Label241}};
  int row = 0;
  for (const auto& [caption, counter] : counterRows) {
    counterGrid->addWidget(makeCaption(caption, counter), row, 0);
    counterGrid->addWidget(counter, row++, 1);
  }
  counterGrid->setColumnStretch(1, 1);

  p.contactInit = makePanel("ContactInit", "INIT");
  p.contactZero = makePanel("ContactZero", "Уст.нуля");
  p.contactFactory = makePanel("ContactFactory", "Заводские установки");
  p.contactPageSelect = makePanel("ContactPageSelect", "Выбор страницы индикации");
  for (QLabel* contact : {p.contactInit, p.contactZero, p.contactFactory, p.contactPageSelect})
    contact->setMinimumWidth(contact->sizeHint().width() + 12);
  auto* contacts = makeGroup("Контакты");
  auto* contactGrid = new QGridLayout(contacts);
  contactGrid->addWidget(p.contactInit, 0, 0);
  contactGrid->addWidget(p.contactZero, 0, 1);
  contactGrid->addWidget(p.contactFactory, 1, 0);
  contactGrid->addWidget(p.contactPageSelect, 1, 1);

  p.Button16 = makeButton("Button16", "Сброс счетчиков циклов и ошибок");
  p.Button17 = makeButton("Button17", "Прочитать однократно");
  p.Button18 = makeButton("Button18", "Начать циклический опрос");
  p.Button19 = makeButton("Button19", "Завершить цикл. опрос");
  p.Button45 = makeButton("Button45", "Защелкнуть значения");
  p.Button44 = makeButton("Button44", "Прочитать защелкнутое значение");
  p.CheckBox7 = makeCheck("CheckBox7", "Запись результатов измерения в файл");
  p.CheckBox29 = makeCheck("CheckBox29", "Чтение константы");

  auto* commands = makeGroup({});
  auto* commandGrid = new QGridLayout(commands);
  commandGrid->addWidget(p.Button17, 0, 0);
  commandGrid->addWidget(p.Button18, 0, 1);
  commandGrid->addWidget(p.Button19, 0, 2);
  commandGrid->addWidget(p.Button45, 1, 0);
  commandGrid->addWidget(p.Button44, 1, 1);
  commandGrid->addWidget(p.Button16, 1, 2);
  commandGrid->addWidget(p.CheckBox7, 2, 0, 1, 2);
  commandGrid->addWidget(p.CheckBox29, 2, 2);

  auto* grid = new QGridLayout(p.widget);
  grid->addWidget(valueGroup, 0, 0, 1, 2);
  grid->addWidget(groupOf("Относит. значение", {p.relativeCode, p.relativePercent}), 1, 0);
  grid->addWidget(groupOf("Температура сенсора", {p.temperature}), 1, 1);
  grid->addWidget(groupOf("Состояние измерения", {p.measureState}), 2, 0);
  grid->addWidget(groupOf("Состояние обмена", {p.exchangeState}), 2, 1);
  grid->addWidget(groupOf("Кодирование плавающего числа", {p.floatCoding}), 3, 0);
  grid->addWidget(contacts, 3, 1, 2, 1, Qt::AlignTop);
  grid->addWidget(counters, 4, 0);
  grid->addWidget(commands, 5, 0, 1, 2);
  grid->setRowStretch(6, 1);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
  return p;
}

}  // namespace orn
