#include "ui/edit_marks.h"

#include <QCheckBox>
#include <QPalette>
#include <QWidget>

namespace orn {
namespace {

// Edits and combo boxes paint their field with Base and Button; a check box
// has no field, so its whole background shows the mark.
void paint(QWidget* input, const QColor& colour) {
  QPalette palette = input->palette();
  palette.setColor(QPalette::Base, colour);
  palette.setColor(QPalette::Button, colour);
  palette.setColor(QPalette::Window, colour);
  input->setPalette(palette);
  input->setAutoFillBackground(qobject_cast<QCheckBox*>(input) != nullptr);
}

}  // namespace

void markEdited(QWidget* input) { paint(input, kEditedColour); }
void markShown(QWidget* input) { paint(input, kShownColour); }

QColor markOf(const QWidget* input) { return input->palette().color(QPalette::Base); }

}  // namespace orn
