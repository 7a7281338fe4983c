#pragma once
// A background colour set on a widget always brings a text colour that reads on
// it, so a dark desktop palette cannot leave light text on a light fill.
#include <QColor>
#include <QPalette>

namespace orn {

// Black on light fills, white on dark ones.
inline QColor readableTextOn(const QColor& fill) {
  const int luma = (299 * fill.red() + 587 * fill.green() + 114 * fill.blue()) / 1000;
  return luma >= 128 ? QColor(0, 0, 0) : QColor(255, 255, 255);
}

// The text role painted over each background role.
inline QPalette::ColorRole textRoleOver(QPalette::ColorRole fill) {
  switch (fill) {
    case QPalette::Base: return QPalette::Text;
    case QPalette::Button: return QPalette::ButtonText;
    default: return QPalette::WindowText;
  }
}

// Sets the fill of one role and its text: readable when the widget is enabled,
// halfway to the fill when it is disabled, so a disabled field still looks so.
inline void setFill(QPalette& palette, QPalette::ColorRole role, const QColor& fill) {
  const QColor text = readableTextOn(fill);
  const QColor muted((text.red() + fill.red()) / 2, (text.green() + fill.green()) / 2,
                     (text.blue() + fill.blue()) / 2);
  palette.setColor(role, fill);
  palette.setColor(QPalette::Active, textRoleOver(role), text);
  palette.setColor(QPalette::Inactive, textRoleOver(role), text);
  palette.setColor(QPalette::Disabled, textRoleOver(role), muted);
}

}  // namespace orn
