#pragma once
// Page 0 "Измеренное значение": the measured value with its status, the
// counters, the contacts and the read, latch and polling commands.
class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

namespace orn {

struct MeasurePage {
  QWidget* widget = nullptr;
  QLabel* value = nullptr;             // "Значение измерения"
  QLabel* unit = nullptr;              // unit beside the value
  QLabel* relativeCode = nullptr;      // "Относит. значение", raw code
  QLabel* relativePercent = nullptr;   // "Относит. значение", percent
  QLabel* temperature = nullptr;       // "Температура сенсора"
  QLabel* floatCoding = nullptr;       // "Кодирование плавающего числа"
  QLabel* measureState = nullptr;      // "Состояние измерения"
  QLabel* exchangeState = nullptr;     // "Состояние обмена"
  QLabel* Label54 = nullptr;           // exchange cycles
  QLabel* Label55 = nullptr;           // measurement errors
  QLabel* Label56 = nullptr;           // exchange errors
  QLabel* Label241 = nullptr;          // retries
  QLabel* contactInit = nullptr;       // BTN bit 6
  QLabel* contactZero = nullptr;       // BTN bit 7
  QLabel* contactFactory = nullptr;    // BTN bit 9
  QLabel* contactPageSelect = nullptr; // BTN bit 4
  QPushButton* Button16 = nullptr;     // reset counters
  QPushButton* Button17 = nullptr;     // single read
  QPushButton* Button18 = nullptr;     // start polling
  QPushButton* Button19 = nullptr;     // stop polling
  QPushButton* Button45 = nullptr;     // latch
  QPushButton* Button44 = nullptr;     // read latched value
  QCheckBox* CheckBox7 = nullptr;      // measured-value log
  QCheckBox* CheckBox29 = nullptr;     // read the constant block
};

MeasurePage buildMeasurePage();

}  // namespace orn
