#include "ui/key_filters.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace orn {

void KeyFilter::watch(QLineEdit* field) { field->installEventFilter(this); }

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* field = qobject_cast<QLineEdit*>(watched);
  const auto* key = static_cast<QKeyEvent*>(event);
  if (!field) return false;
  const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
  if (enter) return kind_ != Kind::PointOnly;
  const QString text = key->text();
  // Editing and moving keys (backspace, delete, arrows, shortcuts) pass as they are.
  if (text.size() != 1 || !text.at(0).isPrint() || key->modifiers().testAnyFlags(Qt::ControlModifier | Qt::AltModifier))
    return false;
  const QChar ch = text.at(0);
  const bool digit = ch >= u'0' && ch <= u'9';
  if (ch == u'.' || ch == u',') {
    if (kind_ == Kind::Digits) return true;
    field->insert(QStringLiteral("."));
    return true;
  }
  switch (kind_) {
    case Kind::SignedReal: return !(digit || ch == u'-');
    case Kind::UnsignedReal:
    case Kind::Digits: return !digit;
    case Kind::PointOnly: break;
  }
  return false;
}

}  // namespace orn
