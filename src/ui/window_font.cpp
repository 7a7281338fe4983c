#include "ui/window_font.h"

#include <QFontDatabase>

namespace orn {

QString windowFontFamily(const QStringList& installed) {
  // Liberation Sans (Debian's fonts-liberation2) and Arimo share Arial's metrics.
  for (const char* family : {"Arial", "Liberation Sans", "Arimo"}) {
    if (installed.contains(QString::fromLatin1(family), Qt::CaseInsensitive)) return QString::fromLatin1(family);
  }
  return QStringLiteral("Arial");
}

QFont windowFont() {
  // The pages are laid out for 9 pt, Qt's own default; a desktop theme's larger
  // default would widen the window past its size and cut the link line.
  QFont font(windowFontFamily(QFontDatabase::families()), 9);
  font.setBold(true);
  return font;
}

}  // namespace orn
