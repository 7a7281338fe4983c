#include "cli/terminal_dialog.h"

#include <gtest/gtest.h>

#include <sstream>

namespace orn {
namespace {

TEST(TerminalDialog, YesAnswers) {
  const struct {
    const char* typed;
    bool yes;
  } cases[] = {{"y", true},  {"Yes\n", true}, {"  YES ", true}, {"д", true}, {"Да", true},
               {"n", false}, {"", false},     {"yess", false},  {"нет", false}, {"1", false}};
  for (const auto& c : cases) EXPECT_EQ(is_yes_answer(c.typed), c.yes) << c.typed;
}

TEST(TerminalDialog, AsksEachQuestionOnItsOwnLineOfInput) {
  std::istringstream in("y\nn\n");
  std::ostringstream err;
  TerminalPrompt prompt(&in, err, false);
  EXPECT_TRUE(prompt.ask("Записать?", "Вопрос", PromptIcon::Question));
  EXPECT_FALSE(prompt.ask("Ещё раз?", "Вопрос", PromptIcon::Question));
  EXPECT_FALSE(prompt.ask("Третий?", "Вопрос", PromptIcon::Question));  // end of input is No
  EXPECT_EQ(err.str(), "Вопрос: Записать? [y/N] Вопрос: Ещё раз? [y/N] Вопрос: Третий? [y/N] \n");
}

TEST(TerminalDialog, AssumedYesReadsNothing) {
  std::istringstream in("n\n");
  std::ostringstream err;
  TerminalPrompt prompt(&in, err, true);
  EXPECT_TRUE(prompt.ask("Записать?", "Вопрос", PromptIcon::Question));
  EXPECT_EQ(err.str(), "Вопрос: Записать? [y/N] y (--yes)\n");
  std::string left;
  EXPECT_TRUE(std::getline(in, left));
  EXPECT_EQ(left, "n");
  TerminalPrompt no_input(nullptr, err, false);
  EXPECT_FALSE(no_input.ask("Записать?", "Вопрос", PromptIcon::Question));
  EXPECT_FALSE(questions_answerable(false, false));
  EXPECT_TRUE(questions_answerable(true, false));
}

}  // namespace
}  // namespace orn
