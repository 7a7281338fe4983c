#include "cli/terminal_dialog.h"

#include <algorithm>
#include <cctype>

namespace orn {

bool is_yes_answer(std::string answer) {
  const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  answer.erase(answer.begin(), std::find_if_not(answer.begin(), answer.end(), blank));
  answer.erase(std::find_if_not(answer.rbegin(), answer.rend(), blank).base(), answer.end());
  std::transform(answer.begin(), answer.end(), answer.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return answer == "y" || answer == "yes" || answer == "д" || answer == "да" || answer == "Д" || answer == "Да" ||
         answer == "ДА";
}

bool TerminalPrompt::ask(const std::string& text, const std::string& caption, PromptIcon) {
  err_ << caption << ": " << text << " [y/N] ";
  if (assume_yes_) {
    err_ << "y (--yes)\n" << std::flush;
    return true;
  }
  err_ << std::flush;
  std::string answer;
  if (in_ == nullptr || !std::getline(*in_, answer)) {
    err_ << "\n" << std::flush;
    return false;
  }
  return is_yes_answer(answer);
}

void TerminalPrompt::tell(const std::string& text, const std::string& caption, PromptIcon) {
  err_ << caption << ": " << text << "\n" << std::flush;
}

void StreamProgress::show(std::string_view text) {
  shown_ = true;
  err_ << text << "\n" << std::flush;
}

void StreamProgress::set_text(std::string_view text) {
  if (shown_) err_ << text << "\n" << std::flush;
}

}  // namespace orn
