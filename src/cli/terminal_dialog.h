#pragma once
// The terminal as the message boxes and progress panels of the command line:
// questions of the protected writes are asked on standard input (or answered
// by --yes), messages and progress texts go to the error stream.
#include <istream>
#include <ostream>
#include <string>

#include "device/progress.h"
#include "link/prompt.h"

namespace orn {

class TerminalPrompt final : public Prompt {
 public:
  // With assume_yes every question is printed and answered Yes; otherwise
  // an answer is read from `in`, and anything but yes (end of input, or no
  // input at all, too) is No.
  TerminalPrompt(std::istream* in, std::ostream& err, bool assume_yes)
      : in_(in), err_(err), assume_yes_(assume_yes) {}

  bool ask(const std::string& text, const std::string& caption, PromptIcon icon) override;
  void tell(const std::string& text, const std::string& caption, PromptIcon icon) override;

 private:
  std::istream* in_;
  std::ostream& err_;
  bool assume_yes_;
};

// A command that asks questions runs only when they can be answered: with
// --yes, or with a person at standard input.
inline bool questions_answerable(bool assume_yes, bool in_is_terminal) { return assume_yes || in_is_terminal; }

// A yes answer typed on the terminal: y, yes, д, да (any case of the Latin ones).
bool is_yes_answer(std::string answer);

// Progress texts of settings transfers, one line each.
class StreamProgress final : public Progress {
 public:
  explicit StreamProgress(std::ostream& err) : err_(err) {}
  void show(std::string_view text) override;
  void set_text(std::string_view text) override;
  void hide() override { shown_ = false; }

 private:
  std::ostream& err_;
  bool shown_ = false;
};

}  // namespace orn
