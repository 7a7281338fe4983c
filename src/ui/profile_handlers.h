#pragma once
// The "Файл" menu: a configuration profile loaded from or saved to a file
// the user chooses, and recent.prf at start-up and shut-down, with the
// construction-type catalogue and its four hidden lists.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/konstr_catalogue.h"
#include "records/profile_compare.h"
#include "settings/profile.h"
#include "ui/app_context.h"

namespace orn {

class MainWindow;
class Session;

class ProfileHandlers final : public QObject {
 public:
  ProfileHandlers(MainWindow& window, Session& session);

  void N2Click();  // load a profile from a chosen file
  void N3Click();  // save a profile to a chosen file
  // Reads the device and shows where it differs from a chosen profile, as
  // profile write would change it; nothing is written.
  void CompareItemClick();

  // A profile into memory (with the adjustment settings), then the catalogue
  // and poly_res.pol; the page it names is shown. File errors are reported;
  // false when the profile itself was not loaded (memory is as it was).
  bool loadProfile(const std::string& path);
  // The profile from memory (the page shown, the adjustment settings), then
  // poly_res.pol.
  bool saveProfile(const std::string& path);
  // The shut-down's save of recent.prf. While no profile has been loaded
  // (recent.prf failed at start-up and no other load followed) memory holds
  // only defaults, and recent.prf keeps what it holds.
  void saveRecentProfile();
  // The catalogue into ComboBox14, ComboBox15, ComboBox16 and ComboBox24
  // with the profile's four choices.
  void fillCatalogueLists();
  std::string recentPath() const;

  // What a file dialog gives: the path and whether the profile filter was chosen.
  struct Chosen {
    QString path;
    bool profileFilter = true;
  };
  // The dialogs OpenDialog1 (save false) and SaveDialog1 (save true); none
  // when the user cancels. Tests put their own answer here.
  std::function<std::optional<Chosen>(bool save)> chooseFile;
  // Shows the differences of a comparison (none: the device is as the
  // profile). Tests put their own here.
  std::function<void(const std::vector<ProfileDifference>& differences)> showDifferences;

  KonstrCatalogue catalogue;

 private:
  ProfileTarget target();
  std::optional<Chosen> runDialog(bool save);
  void showDifferenceTable(const std::vector<ProfileDifference>& differences);

  MainWindow& w_;
  Session& s_;
  AppContext& c_;
  bool profileLoaded_ = false;  // memory holds a profile read from a file
};

}  // namespace orn
