#pragma once
// Page 1 "Настройки датчика": the transmitter's settings, the user offset
// fields and the zero and span adjustment panel Panel42.
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace orn {

// Panel42 "Подбор параметров подстройки значения канала", hidden until opened.
struct AdjustmentPanel {
  QGroupBox* Panel42 = nullptr;
  QLineEdit* Edit90 = nullptr;     // "Пользовательский ноль"
  QLineEdit* Edit93 = nullptr;     // required zero value
  QLineEdit* Edit91 = nullptr;     // "Пользовательская подстройка диапазона"
  QLineEdit* Edit92 = nullptr;     // required span value
  QLabel* unit = nullptr;          // unit caption of the zero fields
  QLabel* value = nullptr;         // "Измеренное значение"
  QLabel* valueUnit = nullptr;     // unit text beside the value
  QLabel* status = nullptr;        // progress line
  QPushButton* Button46 = nullptr; // "Подстроить 0"
  QPushButton* Button47 = nullptr; // write zero
  QPushButton* Button48 = nullptr; // "Подстроить диапазон"
  QPushButton* Button49 = nullptr; // write span
  QPushButton* Button50 = nullptr; // "Х"
  QPushButton* Button51 = nullptr; // "Выход"
  QPushButton* Button52 = nullptr; // "Прочитать"
};

struct SensorPage {
  QWidget* widget = nullptr;
  QLineEdit* Edit6 = nullptr;      // range minimum, kPa
  QLineEdit* Edit7 = nullptr;      // range maximum, kPa
  QComboBox* ComboBox10 = nullptr; // unit
  QCheckBox* CheckBox5 = nullptr;  // square root
  QComboBox* ComboBox11 = nullptr; // settling time
  QLineEdit* Edit22 = nullptr;     // construction type text
  QLineEdit* Edit23 = nullptr;     // user text
  QLineEdit* Edit81 = nullptr;
  QLineEdit* Edit82 = nullptr;
  QLineEdit* Edit83 = nullptr;
  QCheckBox* CheckBox20 = nullptr;
  QCheckBox* CheckBox21 = nullptr;
  QCheckBox* CheckBox22 = nullptr;
  QLineEdit* Edit84 = nullptr;
  QLineEdit* Edit85 = nullptr;
  QCheckBox* CheckBox23 = nullptr;
  QCheckBox* CheckBox24 = nullptr;
  QCheckBox* CheckBox26 = nullptr; // zero by reed contact
  QCheckBox* CheckBox30 = nullptr; // factory settings by button
  QComboBox* ComboBox17 = nullptr; // decimal places
  QLineEdit* Edit114 = nullptr;    // "Сдвиг шкалы"
  QLineEdit* Edit115 = nullptr;    // "Польз. ноль"
  QLineEdit* Edit116 = nullptr;    // "Польз. подстр."
  QLabel* Label238 = nullptr;      // unit beside Edit114
  QLabel* Label239 = nullptr;      // unit beside Edit115
  QPushButton* Button61 = nullptr; // read user trims
  QPushButton* Button60 = nullptr; // write user trims
  QPushButton* Button20 = nullptr; // read settings
  QPushButton* Button21 = nullptr; // write settings
  QPushButton* Button38 = nullptr; // factory settings
  QPushButton* Button43 = nullptr; // opens Panel42
  QLabel* Panel12 = nullptr;       // progress, shown while settings transfer
  AdjustmentPanel adjust;
  // Hidden value holders.
  QLabel* Label103 = nullptr;
  QLabel* Label107 = nullptr;
  QLabel* Label108 = nullptr;
  QLabel* Label109 = nullptr;
  QLabel* Label110 = nullptr;
  QComboBox* ComboBox14 = nullptr; // construction types
  QComboBox* ComboBox15 = nullptr; // pressure ranges
  QComboBox* ComboBox16 = nullptr; // housings
  QComboBox* ComboBox24 = nullptr; // catalogue units
  QLineEdit* Edit20 = nullptr;     // construction range minimum
  QLineEdit* Edit21 = nullptr;     // construction range maximum
  QPushButton* BitBtn1 = nullptr;
  QPushButton* Button37 = nullptr;
};

SensorPage buildSensorPage();

}  // namespace orn
