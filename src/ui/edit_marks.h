#pragma once
// The edited mark of an input: aqua once the user changed it, white when its
// value came from the transmitter or was just written to it.
#include <QColor>

class QWidget;

namespace orn {

inline const QColor kEditedColour{0x00, 0xFF, 0xFF};
inline const QColor kShownColour{0xFF, 0xFF, 0xFF};

void markEdited(QWidget* input);
void markShown(QWidget* input);
// The background an input shows now.
QColor markOf(const QWidget* input);

}  // namespace orn
