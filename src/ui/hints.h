#pragma once
// The controls' hints: one fixed explanation per control, shown as its tooltip.
#include <QList>
#include <QString>

class QWidget;

namespace orn {

struct Hint {
  const char* control;
  QString text;
};

// The hints of every control that has one.
QList<Hint> hintTable();

// Sets each hint on the control of that name under root; returns the names
// that no control carries (empty for a complete window).
QList<QString> applyHints(QWidget* root);

}  // namespace orn
