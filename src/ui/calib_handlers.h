#pragma once
// Handlers of the adjustment panel Panel42 and of the user trim fields of the
// page "Настройки датчика", and the coefficient files kept from run to run.
#include <QObject>
#include <functional>
#include <optional>

#include "calib/adjustment.h"
#include "calib/user_trims.h"
#include "ui/app_context.h"
#include "ui/command_lock.h"
#include "ui/panel_progress.h"

namespace orn {

class MainWindow;
class MeasureHandlers;

class CalibHandlers final : public QObject, private AdjustmentView {
 public:
  CalibHandlers(MainWindow& window, AppContext& context, MeasureHandlers& measure);

  void Button43Click();  // "Автонастройка": opens the panel
  void Button52Click();  // "Прочитать"
  void Button46Click();  // "Подстроить 0"
  void Button47Click();  // "Записать" the zero
  void Button48Click();  // "Подстроить диапазон"
  void Button49Click();  // "Записать" the span
  void Button50Click();  // "Х"
  void Button51Click();  // "Выход"
  void Button61Click();  // read the user trims
  void Button60Click();  // write the user trims

  // A page change: the panel is no longer active (the window hides it).
  void leaveAdjustment();
  // Shut-down: the trim fields go back into the image unchecked, converted
  // with the unit as it stood; then the unit choice is taken.
  void takeTrimFields();

  void showTrims();
  TrimTexts trimTexts() const;

  // After a written zero or span adjustment has been recorded.
  std::function<void()> onAdjustmentWritten;


 private:
  // The panel as the adjustment sees it.
  void set_status(std::string_view text) override;
  void show_fields(const PanelTexts& fields, std::string_view unit_caption) override;
  PanelTexts field_texts() const override;
  void set_colour(PanelField field, FieldColour colour) override;
  void show_value(const ValueItem& value) override;
  void sample(unsigned, float, float) override {}
  void enable_buttons(bool enabled) override;
  void show_panel(bool shown) override;
  void show_sensor_settings() override;

  void lockPage(bool locked);
  // A written adjustment into calibration.csv; a file that cannot take it is reported.
  void recordAdjustment(PanelField field, float required, float average);
  // Runs a panel action once the line is free.
  void run(std::function<void()> action);

  MainWindow& w_;
  AppContext& c_;
  MeasureHandlers& measure_;
  PanelProgress progress_;
  AdjustmentContext adjust_;
  Adjustment adjustment_;
  // While the panel is open the page's inputs, the link strip, the File menu
  // and the other pages' commands are locked: the panel writes what it read.
  std::optional<CommandLock::Hold> panelOpen_;
};

}  // namespace orn
