#pragma once
// The progress panel seam: the one-line panel a page shows while a settings
// transfer runs. The window repaints at once; the command line prints the text.
#include <string_view>

namespace orn {

class Progress {
 public:
  virtual ~Progress() = default;
  // Sets the text and makes the panel visible.
  virtual void show(std::string_view text) = 0;
  // Sets the text; a hidden panel stays hidden.
  virtual void set_text(std::string_view text) = 0;
  virtual void hide() = 0;
};

// Shows the panel with a text for the life of a scope; an empty text shows nothing.
class ShownPanel {
 public:
  ShownPanel(Progress& panel, std::string_view text) : panel_(text.empty() ? nullptr : &panel) {
    if (panel_) panel_->show(text);
  }
  ~ShownPanel() {
    if (panel_) panel_->hide();
  }
  ShownPanel(const ShownPanel&) = delete;
  ShownPanel& operator=(const ShownPanel&) = delete;

 private:
  Progress* panel_;
};

// For callers without a panel.
class NoProgress final : public Progress {
 public:
  void show(std::string_view) override {}
  void set_text(std::string_view) override {}
  void hide() override {}
};

}  // namespace orn
