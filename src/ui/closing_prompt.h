#pragma once
// The session's message boxes, passed on to the window's prompt until the
// window starts to close: from then on nothing is shown, and every question
// is answered No, so an operation still running ends at its next question.
// It also tells whether a box is open right now.
#include "link/prompt.h"
#include "link/scoped_flag.h"

namespace orn {

class ClosingPrompt final : public Prompt {
 public:
  explicit ClosingPrompt(Prompt& inner) : inner_(inner) {}

  bool ask(const std::string& text, const std::string& caption, PromptIcon icon) override {
    if (closing_) return false;
    ScopedCount box(open_);
    return inner_.ask(text, caption, icon);
  }
  void tell(const std::string& text, const std::string& caption, PromptIcon icon) override {
    if (closing_) return;
    ScopedCount box(open_);
    inner_.tell(text, caption, icon);
  }

  void startClosing() { closing_ = true; }
  bool open() const { return open_ > 0; }

 private:
  Prompt& inner_;
  bool closing_ = false;
  int open_ = 0;
};

}  // namespace orn
