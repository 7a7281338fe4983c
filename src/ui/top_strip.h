#pragma once
// The link strip above the notebook: port, rate, address, parity, the link
// line, the trace switch and the INIT and blink commands.
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QWidget;

namespace orn {

struct TopStrip {
  QWidget* widget = nullptr;
  QLabel* Label1 = nullptr;
  QComboBox* ComboBox1 = nullptr;  // ports; right click opens PopupMenu1
  QLabel* Label2 = nullptr;
  QComboBox* ComboBox2 = nullptr;  // rates
  QLabel* Label3 = nullptr;
  QComboBox* ComboBox3 = nullptr;  // network addresses
  QLabel* Label6 = nullptr;
  QCheckBox* CheckBox1 = nullptr;  // parity used
  QLabel* Label7 = nullptr;
  QCheckBox* CheckBox2 = nullptr;  // even parity
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;        // link line
  QCheckBox* CheckBox6 = nullptr;  // exchange trace
  QPushButton* Button15 = nullptr; // INIT preset
  QPushButton* Button2 = nullptr;  // blink
  QPushButton* Button11 = nullptr; // hidden
  QPushButton* Button12 = nullptr; // hidden
  QPushButton* Button25 = nullptr; // hidden
};

TopStrip buildTopStrip();

}  // namespace orn
