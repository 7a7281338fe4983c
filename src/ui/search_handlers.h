#pragma once
// Handlers of the page "Поиск": start and stop a bus search, show its
// selection, progress and finds, and make a find the link.
#include <QElapsedTimer>
#include <QObject>

#include "search/bus_search.h"
#include "ui/app_context.h"

namespace orn {

class MainWindow;
class LinkStripHandlers;

class SearchHandlers final : public QObject {
 public:
  SearchHandlers(MainWindow& window, AppContext& context, LinkStripHandlers& linkStrip);

  void Button33Click();  // start a search
  void Button34Click();  // stop it after the probe under way
  void ListBox1Click();  // make the chosen find the link

  // The selection into its boxes and lists, the finds into ListBox1.
  void showSearchState();
  // Nothing running, no finds; then shown.
  void clearSearchState();
  // The boxes and address lists into the selection.
  void takeSearchSelection();
  // The controls a running search must not let the user change.
  void enableSearchControls(bool enabled);
  // The window closes: a running search ends without a message or a reopen.
  void abandon() { search_.abandon(); }

  const BusSearch& search() const { return search_; }

 private:
  void runSearch();
  void showProgress();

  MainWindow& w_;
  AppContext& c_;
  LinkStripHandlers& linkStrip_;
  BusSearch search_;
  QElapsedTimer elapsed_;
};

}  // namespace orn
