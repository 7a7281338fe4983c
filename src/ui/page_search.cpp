#include "ui/page_search.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/line_names.h"
#include "ui/item_lists.h"
#include "ui/qt_text.h"
#include "ui/widget_factory.h"

namespace orn {

SearchPage buildSearchPage() {
  SearchPage p;
  p.widget = new QWidget;

  const QStringList rates = rateItems();
  QCheckBox** rateBoxes[] = {&p.CheckBox9,  &p.CheckBox10, &p.CheckBox11, &p.CheckBox12,
                             &p.CheckBox13, &p.CheckBox14, &p.CheckBox18, &p.CheckBox19};
  const char* rateNames[] = {"CheckBox9",  "CheckBox10", "CheckBox11", "CheckBox12",
                             "CheckBox13", "CheckBox14", "CheckBox18", "CheckBox19"};
  auto* rateGroup = makeGroup("Скорости для поиска");
  auto* rateGrid = new QGridLayout(rateGroup);
  for (int i = 0; i < rates.size(); ++i) {
    *rateBoxes[i] = makeCheck(rateNames[i], rates[i]);
    rateGrid->addWidget(*rateBoxes[i], i % 4, i / 4);
  }

  p.CheckBox15 = makeCheck("CheckBox15", qs(kParityNames[kParityNone].choice));
  p.CheckBox16 = makeCheck("CheckBox16", qs(kParityNames[kParityOdd].choice));
  p.CheckBox17 = makeCheck("CheckBox17", qs(kParityNames[kParityEven].choice));
  auto* parityGroup = makeGroup("Паритет");
  auto* parityColumn = new QVBoxLayout(parityGroup);
  parityColumn->addWidget(p.CheckBox15);
  parityColumn->addWidget(p.CheckBox16);
  parityColumn->addWidget(p.CheckBox17);

  p.ComboBox12 = makeCombo("ComboBox12", addressItems());
  p.ComboBox13 = makeCombo("ComboBox13", addressItems());
  auto* addressGroup = makeGroup("Диапазон адресов для поиска");
  auto* addressGrid = new QGridLayout(addressGroup);
  addressGrid->addWidget(makeCaption("Начальный", p.ComboBox12), 0, 0);
  addressGrid->addWidget(p.ComboBox12, 0, 1);
  addressGrid->addWidget(makeCaption("Последний", p.ComboBox13), 1, 0);
  addressGrid->addWidget(p.ComboBox13, 1, 1);

  p.Button33 = makeButton("Button33", "Начать поиск");
  p.Button34 = makeButton("Button34", "Остановить поиск");
  p.Panel11 = makePanel("Panel11");
  p.progress = new QProgressBar;
  p.progress->setObjectName("SearchProgress");
  p.progress->setRange(0, 1);
  p.progress->setValue(0);
  p.progress->setFormat("");

  p.ListBox1 = new QListWidget;
  p.ListBox1->setObjectName("ListBox1");
  auto* foundGroup = makeGroup("Найденные приборы");
  auto* foundColumn = new QVBoxLayout(foundGroup);
  foundColumn->addWidget(p.ListBox1);

  auto* selection = new QVBoxLayout;
  selection->addWidget(rateGroup);
  selection->addWidget(parityGroup);
  selection->addWidget(addressGroup);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(p.Button33);
  buttons->addWidget(p.Button34);
  selection->addLayout(buttons);
  selection->addStretch(1);

  auto* grid = new QGridLayout(p.widget);
  grid->addLayout(selection, 0, 0);
  grid->addWidget(foundGroup, 0, 1);
  grid->addWidget(p.Panel11, 1, 0, 1, 2);
  grid->addWidget(p.progress, 2, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  return p;
}

}  // namespace orn
