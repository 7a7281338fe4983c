#include "ui/widget_factory.h"
#include "ui/window_font.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QFontMetrics>

namespace orn {

QLabel* makeLabel(const QString& name, const QString& text) {
  auto* label = new QLabel(text);
  label->setObjectName(name);
  return label;
}

QLabel* makeCaption(const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text);
  label->setBuddy(buddy);
  return label;
}

QWidget* makeStackedCaption(const QStringList& lines, QWidget* buddy) {
  auto* caption = new QWidget;
  auto* column = new QVBoxLayout(caption);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  for (const QString& line : lines) column->addWidget(makeCaption(line, buddy));
  return caption;
}

QPushButton* makeButton(const QString& name, const QString& text) {
  auto* button = new QPushButton(text);
  button->setObjectName(name);
  // Enter presses the button that holds the focus, as the read buttons expect.
  button->setAutoDefault(true);
  return button;
}

QCheckBox* makeCheck(const QString& name, const QString& text) {
  auto* box = new QCheckBox(text);
  box->setObjectName(name);
  return box;
}

QComboBox* makeCombo(const QString& name, const QStringList& items, bool editable) {
  auto* combo = new QComboBox;
  combo->setObjectName(name);
  combo->setEditable(editable);
  combo->addItems(items);
  combo->setMaxVisibleItems(20);
  return combo;
}

QLineEdit* makeEdit(const QString& name, const QString& text) {
  auto* edit = new QLineEdit(text);
  edit->setObjectName(name);
  return edit;
}

QLabel* makePanel(const QString& name, const QString& text) {
  auto* panel = new QLabel(text);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setAlignment(Qt::AlignCenter);
  panel->setAutoFillBackground(true);
  panel->setMinimumHeight(QFontMetrics(windowFont()).height() + 8);
  return panel;
}

QGroupBox* makeGroup(const QString& title) { return new QGroupBox(title); }

}  // namespace orn
