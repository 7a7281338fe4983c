#pragma once
// The message-box seam: every question and message the tool shows goes through it.
#include <string>

namespace orn {

enum class PromptIcon { Error, Warning, Information, Question };

class Prompt {
 public:
  virtual ~Prompt() = default;
  // Yes/No question; true for Yes.
  virtual bool ask(const std::string& text, const std::string& caption, PromptIcon icon) = 0;
  // Message with a single OK button.
  virtual void tell(const std::string& text, const std::string& caption, PromptIcon icon) = 0;
};

}  // namespace orn
