#pragma once
// Page 2 "Параметры обмена": the device's own link settings, identity,
// manufacturing date, response delay, float byte order and inter-byte gaps.
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace orn {

struct ExchangePage {
  QWidget* widget = nullptr;
  QComboBox* ComboBox4 = nullptr;  // new rate
  QComboBox* ComboBox5 = nullptr;  // new address
  QCheckBox* CheckBox3 = nullptr;  // new parity used
  QCheckBox* CheckBox4 = nullptr;  // new parity even
  QPushButton* Button1 = nullptr;  // write link settings
  QLineEdit* Edit1 = nullptr;      // factory number, high part
  QLineEdit* Edit2 = nullptr;      // factory number, low part
  QLabel* Panel4 = nullptr;        // day of manufacture
  QLabel* Panel5 = nullptr;        // month
  QLabel* Panel6 = nullptr;        // year
  QLineEdit* Edit4 = nullptr;      // software version
  QLineEdit* Edit5 = nullptr;      // construction version
  QLineEdit* Edit89 = nullptr;     // response delay, ms
  QComboBox* ComboBox20 = nullptr; // float byte order
  QComboBox* ComboBox22 = nullptr; // gap in the device, ms
  QComboBox* ComboBox23 = nullptr; // gap in the program, ms
  QPushButton* Button41 = nullptr; // read device gap
  QPushButton* Button42 = nullptr; // write device gap
  QPushButton* Button9 = nullptr;  // read all on the page
  QLabel* Panel45 = nullptr;       // shown while the link write runs
  // Hidden value holders.
  QComboBox* ComboBox7 = nullptr;  // day 1..31
  QComboBox* ComboBox8 = nullptr;  // month 1..12
  QComboBox* ComboBox9 = nullptr;  // year 2000..2015
  QLineEdit* Edit3 = nullptr;      // model
  QComboBox* ComboBox6 = nullptr;  // watchdog
  QLabel* Label18 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* Button5 = nullptr;
  QPushButton* Button6 = nullptr;
  QPushButton* Button7 = nullptr;
  QPushButton* Button8 = nullptr;
  QPushButton* Button10 = nullptr;
  QPushButton* Button13 = nullptr;
  QPushButton* Button14 = nullptr;
};

ExchangePage buildExchangePage();

}  // namespace orn
