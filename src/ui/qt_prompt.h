#pragma once
// The window's message boxes. In the unattended mode (screenshots, scripted
// runs) every box is answered Yes/OK and printed to stderr instead of shown.
#include "link/prompt.h"

class QWidget;

namespace orn {

class QtPrompt final : public Prompt {
 public:
  enum class Mode { Interactive, AutoAnswer };

  explicit QtPrompt(QWidget* parent = nullptr, Mode mode = Mode::Interactive);

  bool ask(const std::string& text, const std::string& caption, PromptIcon icon) override;
  void tell(const std::string& text, const std::string& caption, PromptIcon icon) override;

  void setParent(QWidget* parent) { parent_ = parent; }
  void setMode(Mode mode) { mode_ = mode; }

 private:
  // Shows the box, or in AutoAnswer mode logs it; true for Yes or OK.
  bool show(const std::string& text, const std::string& caption, PromptIcon icon, bool question);

  QWidget* parent_;
  Mode mode_;
};

}  // namespace orn
