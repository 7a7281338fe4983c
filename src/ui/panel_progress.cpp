#include "ui/panel_progress.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QWidget>

#include "ui/qt_text.h"

namespace orn {

void PanelProgress::show(std::string_view text) {
  panel_->setText(qs(text));
  panel_->show();
  repaintNow();
}

void PanelProgress::set_text(std::string_view text) {
  panel_->setText(qs(text));
  repaintNow();
}

void PanelProgress::hide() {
  panel_->hide();
  repaintNow();
}

void PanelProgress::repaintNow() {
  if (!window_->isVisible()) return;
  // The panel's appearance changes the page's layout; settle it before painting.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  window_->repaint();
}

}  // namespace orn
