#pragma once
// The edited mark of an input: aqua once the user changed it, the usual white
// field when its value came from the transmitter or was just written to it.
#include <QColor>

class QWidget;

namespace orn {

inline const QColor kEditedColour{0x00, 0xFF, 0xFF};

void markEdited(QWidget* input);
void markShown(QWidget* input);
bool isMarkedEdited(const QWidget* input);

}  // namespace orn
