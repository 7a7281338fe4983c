#include "ui/qt_prompt.h"

#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

namespace orn {
namespace {

QMessageBox::Icon boxIcon(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::Error:
      return QMessageBox::Critical;
    case PromptIcon::Warning:
      return QMessageBox::Warning;
    case PromptIcon::Question:
      return QMessageBox::Question;
    case PromptIcon::Information:
      break;
  }
  return QMessageBox::Information;
}

}  // namespace

QtPrompt::QtPrompt(QWidget* parent, Mode mode) : parent_(parent), mode_(mode) {}

bool QtPrompt::ask(const std::string& text, const std::string& caption, PromptIcon icon) {
  return show(text, caption, icon, true);
}

void QtPrompt::tell(const std::string& text, const std::string& caption, PromptIcon icon) {
  show(text, caption, icon, false);
}

bool QtPrompt::show(const std::string& text, const std::string& caption, PromptIcon icon,
                    bool question) {
  if (mode_ == Mode::AutoAnswer) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return true;
  }
  QMessageBox box(boxIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                  QMessageBox::NoButton, parent_);
  if (!question) {
    box.addButton(QMessageBox::Ok);
    box.exec();
    return true;
  }
  QPushButton* yes = box.addButton("Да", QMessageBox::YesRole);
  box.addButton("Нет", QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.exec();
  return box.clickedButton() == yes;
}

}  // namespace orn
