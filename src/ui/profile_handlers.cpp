#include "ui/profile_handlers.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QFileInfo>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

#include "calib/coefficient_files.h"
#include "link/failure_report.h"
#include "link/scoped_flag.h"
#include "settings/ini_file.h"
#include "ui/main_window.h"
#include "ui/page_fill.h"
#include "ui/page_inputs.h"
#include "ui/qt_text.h"
#include "ui/session.h"

namespace orn {
namespace {

constexpr const char* kCompareCaption = "Сравнение с профилем";
constexpr const char* kNoDifference = "Прибор настроен по профилю: различий нет.";

// The filter "профиль настроек модуля|*.prf|все файлы|*.*" in Qt's spelling.
const QString kProfileFilterName = "профиль настроек модуля (*.prf)";
const QString kDialogFilter = kProfileFilterName + ";;все файлы (*.*)";

void fillList(QComboBox* box, const std::vector<std::string>& entries, uint16_t chosen) {
  box->clear();
  for (const std::string& e : entries) box->addItem(QString::fromStdString(e));
  box->setCurrentIndex(chosen < entries.size() ? chosen : -1);
}

}  // namespace

ProfileHandlers::ProfileHandlers(MainWindow& window, Session& session)
    : w_(window), s_(session), c_(session.context) {
  chooseFile = [this](bool save) { return runDialog(save); };
  showDifferences = [this](const std::vector<ProfileDifference>& d) { showDifferenceTable(d); };
  connect(w_.menu.CompareItem, &QAction::triggered, this, &ProfileHandlers::CompareItemClick);
  connect(w_.menu.N2, &QAction::triggered, this, &ProfileHandlers::N2Click);
  connect(w_.menu.N3, &QAction::triggered, this, &ProfileHandlers::N3Click);
}

std::string ProfileHandlers::recentPath() const { return settings_path(c_.folder, kRecentProfileName); }

ProfileTarget ProfileHandlers::target() { return {c_.image, c_.searchSelection, c_.log, c_.profile}; }

std::optional<ProfileHandlers::Chosen> ProfileHandlers::runDialog(bool save) {
  // No default suffix: the ".prf" rule of the save decides the name.
  QFileDialog dialog(&w_, QString(), QString::fromStdString(c_.folder), kDialogFilter);
  dialog.setObjectName(save ? "SaveDialog1" : "OpenDialog1");
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return Chosen{dialog.selectedFiles().front(), dialog.selectedNameFilter() == kProfileFilterName};
}

bool ProfileHandlers::loadProfile(const std::string& path) {
  if (auto error = load_profile(path, target())) {
    s_.reportFileError(error);
    return false;
  }
  profileLoaded_ = true;
  const ProfileKept& k = c_.profile;
  c_.adjust = AdjustSettings{k.set0_n, k.set_diap_n, k.set0_val, k.set_diap_val};
  // The profile is in memory: a catalogue that fails must not keep
  // poly_res.pol from being read, or the next save would write it unread.
  s_.reportFileError(load_konstr_catalogue(c_.folder, catalogue));
  s_.reportFileError(load_poly_res(c_.folder, c_.poly));
  // A real change of page runs the page-change handling.
  const int page = c_.profile.page;
  if (page != w_.TabbedNotebook1->currentIndex()) w_.TabbedNotebook1->setCurrentIndex(page);
  return true;
}

bool ProfileHandlers::saveProfile(const std::string& path) {
  ProfileKept& k = c_.profile;
  k.page = w_.TabbedNotebook1->currentIndex();
  k.set0_n = c_.adjust.zero_samples;
  k.set_diap_n = c_.adjust.span_samples;
  k.set0_val = c_.adjust.zero_target;
  k.set_diap_val = c_.adjust.span_target;
  if (auto error = save_profile(path, target())) {
    s_.reportFileError(error);
    return false;
  }
  if (auto error = save_poly_res(c_.folder, c_.poly)) {
    s_.reportFileError(error);
    return false;
  }
  return true;
}

void ProfileHandlers::saveRecentProfile() {
  if (profileLoaded_) saveProfile(recentPath());
}

void ProfileHandlers::fillCatalogueLists() {
  ScopedFlag guard(c_.updating);
  const SensorPage& p = w_.sensor;
  const ProfileKept& k = c_.profile;
  fillList(p.ComboBox14, catalogue.lists[KonstrTypes], k.konstr_line);
  fillList(p.ComboBox15, catalogue.lists[KonstrPressures], k.konstr_pres);
  fillList(p.ComboBox16, catalogue.lists[KonstrCases], k.konstr_case);
  fillList(p.ComboBox24, catalogue.lists[KonstrUnits], k.konstr_unit);
}

void ProfileHandlers::N2Click() {
  const auto chosen = chooseFile(false);
  if (!chosen) return;
  if (!loadProfile(chosen->path.toStdString())) return;
  showExchangePage(w_.exchange, c_.image, c_.updating);
  s_.showGaps();
  showSensorPage(w_.sensor, c_.image, c_.updating);
  showConstructionText(w_.sensor, c_.profile.konstr_txt, c_.updating);
  ScopedFlag guard(c_.updating);
  w_.sensor.Edit23->setText(QString::fromStdString(unpadded_text(c_.image.user_text.data(), c_.image.user_text.size())));
}

void ProfileHandlers::N3Click() {
  const auto chosen = chooseFile(true);
  if (!chosen) return;
  if (!takeExchangeInputs(w_.exchange, c_.image, c_.prompt)) return;
  if (!takeSensorInputs(w_.sensor, c_.image, &c_.prompt)) return;
  takeUserText(w_.sensor, c_.image);
  const std::string path = chosen->path.toStdString();
  const std::string name = profile_save_name(path, chosen->profileFilter, QFileInfo::exists(chosen->path));
  s_.takeGaps();
  saveProfile(name);
}

void ProfileHandlers::CompareItemClick() {
  const auto chosen = chooseFile(false);
  if (!chosen) return;
  s_.measure.stopPolling();
  w_.commands.run(this, c_.master, [this, path = chosen->path.toStdString()] {
    NoProgress panel;
    const ProfileComparison cmp = compare_with_profile(c_.master, path, false, panel);
    if (cmp.file_error) {
      s_.reportFileError(cmp.file_error);
      return;
    }
    if (!cmp.read.ok()) {
      report_exchange_failure(c_.prompt, cmp.read);
      return;
    }
    showDifferences(cmp.differences);
  });
}

void ProfileHandlers::showDifferenceTable(const std::vector<ProfileDifference>& differences) {
  if (differences.empty()) {
    c_.prompt.tell(kNoDifference, kCompareCaption, PromptIcon::Information);
    return;
  }
  QDialog dialog(&w_);
  dialog.setObjectName("CompareDialog");
  dialog.setWindowTitle(kCompareCaption);
  auto* table = new QTableWidget(static_cast<int>(differences.size()), 3, &dialog);
  table->setHorizontalHeaderLabels({"Регистр", "В профиле", "В приборе"});
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  for (size_t i = 0; i < differences.size(); ++i) {
    const ProfileDifference& d = differences[i];
    const int row = static_cast<int>(i);
    table->setItem(row, 0, new QTableWidgetItem(qs(d.name)));
    table->setItem(row, 1, new QTableWidgetItem(qs(d.profile)));
    table->setItem(row, 2, new QTableWidgetItem(qs(d.device)));
  }
  table->resizeColumnsToContents();
  table->horizontalHeader()->setStretchLastSection(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel("Настройки, в которых прибор отличается от профиля (так, как их хранят регистры):"));
  layout->addWidget(table);
  layout->addWidget(buttons);
  dialog.resize(560, 320);
  dialog.exec();
}

}  // namespace orn
