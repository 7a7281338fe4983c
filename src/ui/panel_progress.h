#pragma once
// A page's progress panel (Panel12, Panel45) as the core's progress seam:
// every change is painted at once, since the exchange that follows blocks.
#include "device/progress.h"

class QLabel;
class QWidget;

namespace orn {

class PanelProgress final : public Progress {
 public:
  PanelProgress(QLabel* panel, QWidget* window) : panel_(panel), window_(window) {}

  void show(std::string_view text) override;
  void set_text(std::string_view text) override;
  void hide() override;

 private:
  void repaintNow();

  QLabel* panel_;
  QWidget* window_;
};

}  // namespace orn
