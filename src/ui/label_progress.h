#pragma once
// A page's one-line progress panel: showing or hiding it repaints the window
// at once, so the text is seen while the transfer blocks.
#include <QLabel>
#include <QString>

#include "device/progress.h"

namespace orn {

class LabelProgress final : public Progress {
 public:
  explicit LabelProgress(QLabel* label) : label_(label) {}
  void show(std::string_view text) override {
    set_text(text);
    label_->show();
    repaint();
  }
  void set_text(std::string_view text) override {
    label_->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    repaint();
  }
  void hide() override {
    label_->hide();
    repaint();
  }

 private:
  void repaint() {
    if (QWidget* top = label_->window(); top->isVisible()) top->repaint();
  }
  QLabel* label_;
};

}  // namespace orn
