#pragma once
// Small constructors for the window's controls: each one carries its control
// name as objectName, so handlers, hints and tests find it by that name.
#include <QString>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orn {

QLabel* makeLabel(const QString& name, const QString& text);
// An unnamed caption whose buddy is the control it describes.
QLabel* makeCaption(const QString& text, QWidget* buddy);
// Caption lines stacked above each other, all naming the same control.
QWidget* makeStackedCaption(const QStringList& lines, QWidget* buddy);
QPushButton* makeButton(const QString& name, const QString& text);
QCheckBox* makeCheck(const QString& name, const QString& text);
QComboBox* makeCombo(const QString& name, const QStringList& items, bool editable = false);
QLineEdit* makeEdit(const QString& name, const QString& text = {});
// A sunken one-line panel whose background the logic colours.
QLabel* makePanel(const QString& name, const QString& text = {});
QGroupBox* makeGroup(const QString& title);
// A control that only holds a value for the logic: a child of holder, never shown.
template <class W>
W* keepHidden(W* widget, QWidget* holder) {
  widget->setParent(holder);
  widget->hide();
  return widget;
}

}  // namespace orn
