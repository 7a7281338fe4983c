#pragma once
// Page 3 "Поиск": rates, parities and the address range to scan, and the
// list of transmitters found.
class QCheckBox;
class QProgressBar;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QWidget;

namespace orn {

struct SearchPage {
  QWidget* widget = nullptr;
  // Rate boxes in rate order 1200 .. 115200.
  QCheckBox* CheckBox9 = nullptr;
  QCheckBox* CheckBox10 = nullptr;
  QCheckBox* CheckBox11 = nullptr;
  QCheckBox* CheckBox12 = nullptr;
  QCheckBox* CheckBox13 = nullptr;
  QCheckBox* CheckBox14 = nullptr;
  QCheckBox* CheckBox18 = nullptr;
  QCheckBox* CheckBox19 = nullptr;
  // Parity boxes: none, odd, even.
  QCheckBox* CheckBox15 = nullptr;
  QCheckBox* CheckBox16 = nullptr;
  QCheckBox* CheckBox17 = nullptr;
  QComboBox* ComboBox12 = nullptr; // first address
  QComboBox* ComboBox13 = nullptr; // last address
  QPushButton* Button33 = nullptr; // start search
  QPushButton* Button34 = nullptr; // stop search
  QListWidget* ListBox1 = nullptr; // devices found
  QLabel* Panel11 = nullptr;       // progress line
  QProgressBar* progress = nullptr; // probes done of all, and the time left
};

SearchPage buildSearchPage();

}  // namespace orn
