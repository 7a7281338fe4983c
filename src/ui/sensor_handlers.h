#pragma once
// Handlers of the page "Настройки датчика": read and write the sensor
// settings, the factory settings, the edited marks, the keystroke filters and
// the unit choice.
#include <QObject>

#include "device/protected_write.h"
#include "ui/app_context.h"
#include "ui/panel_progress.h"

namespace orn {

class MainWindow;
class MeasureHandlers;

class SensorHandlers final : public QObject {
 public:
  SensorHandlers(MainWindow& window, AppContext& context, MeasureHandlers& measure);

  void Button20Click();  // read the sensor settings
  void Button21Click();  // write them
  void Button38Click();  // make the working parameters the factory settings
  void ComboBox10Change();

 protected:
  // Any key pressed in the three trim fields marks the field edited.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void markOnChange();
  ProtectedWriteContext writeContext();

  MainWindow& w_;
  AppContext& c_;
  MeasureHandlers& measure_;
  PanelProgress panel_;
};

}  // namespace orn
