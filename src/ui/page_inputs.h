#pragma once
// The inputs of the pages "Настройки датчика" and "Параметры обмена" taken
// from their controls into the device image, with the checks and messages of
// the core. Used by the page handlers, the profile save and the shut-down.
#include "device/device_image.h"
#include "device/input_checks.h"
#include "link/prompt.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

namespace orn {

struct ExchangePage;
struct SensorPage;

// The check box of a flag bit on page 1.
QCheckBox* flagBox(const SensorPage& page, Flag flag);

// The input of row `row` of kSensorFields on page 1: an edit for a percent,
// a choice otherwise (the other one null).
struct FieldWidget {
  QLineEdit* edit = nullptr;
  QComboBox* choice = nullptr;
  QWidget* widget() const;
};
FieldWidget fieldWidget(const SensorPage& page, size_t row);

// What the controls of each page hold, as the core's plain input records.
ExchangeInputs exchangeInputs(const ExchangePage& page);
SensorInputs sensorInputs(const SensorPage& page);

// Page 2 into the image; false after an input error (its messages shown).
bool takeExchangeInputs(const ExchangePage& page, DeviceImage& image, Prompt& prompt);
// Page 1 into the image; false after an input error. With prompt null the
// same rules run without any message (the take at shut-down).
bool takeSensorInputs(const SensorPage& page, DeviceImage& image, Prompt* prompt);
// The user text Edit23 into the image, packed.
// False after an input error (shown through prompt when it is given).
bool takeUserText(const SensorPage& page, DeviceImage& image, Prompt* prompt = nullptr);

}  // namespace orn
