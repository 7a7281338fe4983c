#include "ui/edit_marks.h"

#include <QCheckBox>
#include <QPalette>
#include <QWidget>

#include "ui/colour_fill.h"

namespace orn {

void markEdited(QWidget* input) {
  // Edits and combo boxes paint their field with Base and Button; a check box
  // has no field, so its whole background shows the mark.
  QPalette palette = input->palette();
  setFill(palette, QPalette::Base, kEditedColour);
  setFill(palette, QPalette::Button, kEditedColour);
  setFill(palette, QPalette::Window, kEditedColour);
  input->setPalette(palette);
  input->setAutoFillBackground(qobject_cast<QCheckBox*>(input) != nullptr);
}

void markShown(QWidget* input) {
  // The window's own palette: white fields, check boxes on the page's background.
  input->setPalette(QPalette());
  input->setAutoFillBackground(false);
}

bool isMarkedEdited(const QWidget* input) { return input->palette().color(QPalette::Base) == kEditedColour; }

}  // namespace orn
