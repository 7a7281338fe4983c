#pragma once
// The status colours of the measured-value page on a label's background.
#include <QApplication>
#include <QColor>
#include <QLabel>
#include <QPalette>

#include "measure/measurement_display.h"
#include "ui/colour_fill.h"

namespace orn {

inline QColor statusColour(StatusColour colour) {
  switch (colour) {
    case StatusColour::White: return QColor(0xFF, 0xFF, 0xFF);
    case StatusColour::Yellow: return QColor(0xFF, 0xFF, 0x00);
    case StatusColour::Lime: return QColor(0x00, 0xFF, 0x00);
    case StatusColour::ButtonFace: break;
  }
  return QApplication::palette().color(QPalette::Button);
}

inline void setStatusColour(QLabel* label, StatusColour colour) {
  QPalette palette = label->palette();
  setFill(palette, QPalette::Window, statusColour(colour));
  label->setPalette(palette);
  label->setAutoFillBackground(true);
}

}  // namespace orn
