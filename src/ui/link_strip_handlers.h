#pragma once
// Handlers of the link strip: the port, rate, address and parity controls,
// the trace switch, the port-list refresh, the INIT preset and the blink command.
#include <QObject>

#include "ui/app_context.h"

namespace orn {

class MainWindow;
class MeasureHandlers;

class LinkStripHandlers final : public QObject {
 public:
  LinkStripHandlers(MainWindow& window, AppContext& context, MeasureHandlers& measure);

  void fillPortList();
  void showLink();
  void takeLink();
  void showLinkLine();
  // Opens the port with the current link parameters.
  void reopenPort(bool report);

  void linkControlChanged();  // ComboBox1..3 change, CheckBox1 and CheckBox2 click
  void CheckBox6Click();
  void PopupMenu1Popup();
  void Button15Click();  // INIT preset
  void Button2Click();   // blink

 private:
  MainWindow& w_;
  AppContext& c_;
  MeasureHandlers& measure_;
};

}  // namespace orn
