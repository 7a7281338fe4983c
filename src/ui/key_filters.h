#pragma once
// Keystroke filters of the numeric fields, one object per kind of field,
// shared by every field of that kind. A typed "." or "," enters ".", the one
// decimal separator of the program; a rejected character is dropped quietly.
// Only typing is filtered: pasted text reaches the input checks as it is.
#include <QObject>

class QLineEdit;

namespace orn {

class KeyFilter final : public QObject {
 public:
  enum class Kind {
    SignedReal,    // digits, minus sign, decimal point
    UnsignedReal,  // digits, decimal point
    Digits,        // digits only
    PointOnly,     // anything; only "," becomes "."
  };

  KeyFilter(Kind kind, QObject* parent) : QObject(parent), kind_(kind) {}
  void watch(QLineEdit* field);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Kind kind_;
};

}  // namespace orn
