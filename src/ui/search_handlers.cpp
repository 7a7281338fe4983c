#include "ui/search_handlers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "link/link_line.h"
#include "search/probe_time.h"
#include "ui/link_strip_handlers.h"
#include "ui/main_window.h"

namespace orn {
namespace {

std::array<QCheckBox*, kSearchRateCount> rateBoxes(const SearchPage& p) {
  return {p.CheckBox9, p.CheckBox10, p.CheckBox11, p.CheckBox12, p.CheckBox13, p.CheckBox14, p.CheckBox18, p.CheckBox19};
}

std::array<QCheckBox*, kSearchParityCount> parityBoxes(const SearchPage& p) {
  return {p.CheckBox15, p.CheckBox16, p.CheckBox17};
}

// The page follows the search: the progress line before every read, the
// list after every find.
class PageEvents final : public SearchEvents {
 public:
  PageEvents(SearchPage& page, std::function<void()> foundOne) : page_(page), foundOne_(std::move(foundOne)) {}
  void probing(const SearchProbe& p) override {
    page_.Panel11->setText(QString::fromStdString(search_progress_text(p.rate_index, p.parity, p.address)));
    if (page_.widget->isVisible()) page_.widget->window()->repaint();
  }
  void found(const FoundTable&) override { foundOne_(); }

 private:
  SearchPage& page_;
  std::function<void()> foundOne_;
};

}  // namespace

SearchHandlers::SearchHandlers(MainWindow& window, AppContext& context, LinkStripHandlers& linkStrip)
    : w_(window),
      c_(context),
      linkStrip_(linkStrip),
      search_(context.master, context.connection, context.link, context.exchange, context.timeouts, context.record,
              context.prompt) {
  const SearchPage& p = w_.search;
  connect(p.Button33, &QPushButton::clicked, this, &SearchHandlers::Button33Click);
  connect(p.Button34, &QPushButton::clicked, this, &SearchHandlers::Button34Click);
  connect(p.ListBox1, &QListWidget::itemClicked, this, &SearchHandlers::ListBox1Click);
}

void SearchHandlers::Button33Click() {
  takeSearchSelection();
  w_.commands.run(this, c_.master, [this] { runSearch(); });
}

void SearchHandlers::runSearch() {
  if (search_.under_way()) return;  // a second start queued behind a busy line
  search_.start(c_.searchSelection);
  enableSearchControls(false);
  showSearchState();
  elapsed_.start();
  showProgress();
  PageEvents events(w_.search, [this] { showSearchState(); });
  while (search_.step(events) == SearchEnding::None) showProgress();
  enableSearchControls(true);
  w_.search.Panel11->setText("");
  showProgress();
}

void SearchHandlers::Button34Click() { search_.stop(); }

void SearchHandlers::ListBox1Click() {
  // The link changes only once no transaction is reading it. Nothing else
  // changes: the manufacturing year on page 2 is device data, not an address.
  w_.commands.run(this, c_.master, [this, row = w_.search.ListBox1->currentRow()] {
    if (!pick_found_entry(search_.found(), row, c_.link)) return;
    linkStrip_.reopenPort(true);
    if (!c_.updating) linkStrip_.showLink();
  });
}

void SearchHandlers::showSearchState() {
  const SearchPage& p = w_.search;
  const SearchSelection& s = c_.searchSelection;
  const auto rates = rateBoxes(p);
  for (size_t i = 0; i < rates.size(); ++i) rates[i]->setChecked(s.rates[i] == 1);
  const auto parities = parityBoxes(p);
  for (size_t i = 0; i < parities.size(); ++i) parities[i]->setChecked(s.parities[i] == 1);
  p.ComboBox12->setCurrentIndex(address_item_for(s.first));
  p.ComboBox13->setCurrentIndex(address_item_for(s.last));
  p.ListBox1->clear();
  for (const std::string& line : search_.found().lines()) p.ListBox1->addItem(QString::fromStdString(line));
}

void SearchHandlers::clearSearchState() {
  search_.clear();
  showSearchState();
}

void SearchHandlers::takeSearchSelection() {
  const SearchPage& p = w_.search;
  SearchSelection& s = c_.searchSelection;
  const auto rates = rateBoxes(p);
  for (size_t i = 0; i < rates.size(); ++i) s.rates[i] = rates[i]->isChecked() ? 1 : 0;
  const auto parities = parityBoxes(p);
  for (size_t i = 0; i < parities.size(); ++i) s.parities[i] = parities[i]->isChecked() ? 1 : 0;
  // A list without a chosen item keeps its address.
  if (p.ComboBox12->currentIndex() >= 0) s.first = static_cast<uint16_t>(p.ComboBox12->currentIndex());
  if (p.ComboBox13->currentIndex() >= 0) s.last = static_cast<uint16_t>(p.ComboBox13->currentIndex());
}

void SearchHandlers::enableSearchControls(bool enabled) {
  const SearchPage& p = w_.search;
  const TopStrip& s = w_.strip;
  QWidget* controls[] = {p.ComboBox12, p.ComboBox13, p.Button33,  s.ComboBox1, s.ComboBox2,           s.ComboBox3,
                         s.CheckBox1,  s.CheckBox2,  s.Button2,   s.Button15,  w_.sensor.ComboBox10};
  for (QWidget* control : controls) w_.commands.setEnabled(control, enabled);
  for (QCheckBox* box : rateBoxes(p)) w_.commands.setEnabled(box, enabled);
  for (QCheckBox* box : parityBoxes(p)) w_.commands.setEnabled(box, enabled);
}

void SearchHandlers::showProgress() {
  QProgressBar* bar = w_.search.progress;
  const auto total = static_cast<int>(search_.probes_total());
  bar->setRange(0, total > 0 ? total : 1);
  bar->setValue(static_cast<int>(search_.probes_done()));
  QString text = "%v / %m";
  if (search_.under_way())
    text += "   осталось " +
            QString::fromStdString(duration_text(search_.time_left_ms(static_cast<uint64_t>(elapsed_.elapsed()))));
  bar->setFormat(total > 0 ? text : "");
}

}  // namespace orn
