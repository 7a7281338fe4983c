#pragma once
// Handlers of the page "Параметры обмена": read all, write the exchange
// parameters, read and write the device gap, the fields parsed on every
// change and the inputs taken into the image as soon as they change.
#include <QObject>

#include "device/protected_write.h"
#include "ui/app_context.h"
#include "ui/panel_progress.h"

class QComboBox;
class QLineEdit;

namespace orn {

class MainWindow;
class MeasureHandlers;
class LinkStripHandlers;

class ExchangeHandlers final : public QObject {
 public:
  ExchangeHandlers(MainWindow& window, AppContext& context, MeasureHandlers& measure,
                   LinkStripHandlers& linkStrip);

  void Button1Click();   // write the exchange parameters
  void Button9Click();   // read all on the page
  void Button41Click();  // read the device gap
  void Button42Click();  // write the device gap
  // A choice or parity box of the page changed: all inputs into the image, page shown again.
  void inputChanged();

 private:
  ProtectedWriteContext writeContext();
  // The field's whole-number text (0 when it is none), written back as the number.
  static uint16_t takeImmediate(QLineEdit* field);

  MainWindow& w_;
  AppContext& c_;
  MeasureHandlers& measure_;
  LinkStripHandlers& linkStrip_;
  PanelProgress panel_;
};

}  // namespace orn
