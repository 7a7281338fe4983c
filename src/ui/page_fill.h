#pragma once
// Both settings pages filled from the device image. Filling holds the
// updating guard, so no change handler of the page acts on it.
#include <QList>
#include <array>
#include <string>

#include "device/device_image.h"

class QLineEdit;
class QWidget;

namespace orn {

struct ExchangePage;
struct SensorPage;

// Page "Настройки датчика": range, unit, flags, settling time, cut-offs,
// digits and trims; every input turns white.
void showSensorPage(SensorPage& page, const DeviceImage& image, bool& updating);
// What only a read of the device brings: the user text (white), the
// construction name and the sensor data.
void showSensorTexts(SensorPage& page, const DeviceImage& image, bool& updating);
// Edit22 shows the construction-type name held in memory, white.
void showConstructionText(SensorPage& page, const std::string& text, bool& updating);
// Page "Параметры обмена": new link settings, identity, date, versions,
// reply delay, byte order, model and watchdog.
void showExchangePage(ExchangePage& page, const DeviceImage& image, bool& updating);

// The inputs of page 1 that carry the edited mark.
QList<QWidget*> sensorPageInputs(const SensorPage& page);
// The user offset fields Edit114, Edit115, Edit116 (shift_scale, shift_usr, diap_usr).
std::array<QLineEdit*, 3> trimEdits(const SensorPage& page);

}  // namespace orn
