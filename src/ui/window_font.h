#pragma once
// The window's bold Arial, or a metric-compatible family where Arial is not
// installed, so the pages keep their size and the link line its full text.
#include <QFont>
#include <QString>
#include <QStringList>

namespace orn {

// Arial when installed, else the first installed of its metric-compatible
// twins, else Arial again for the system's own substitution.
QString windowFontFamily(const QStringList& installed);

// The window's bold 9 pt font among the families of the font database.
QFont windowFont();

}  // namespace orn
