#include "ui/command_lock.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <algorithm>

#include "link/modbus_master.h"
#include "link/scoped_flag.h"

namespace orn {
namespace {

bool isCommand(const QWidget* w) {
  if (qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w) ||
      qobject_cast<const QListWidget*>(w))
    return true;
  // The edit of an editable choice goes with its choice.
  return qobject_cast<const QLineEdit*>(w) && !qobject_cast<const QComboBox*>(w->parentWidget());
}

bool insideAny(const QWidget* w, const std::vector<QWidget*>& live) {
  for (const QWidget* p = w; p; p = p->parentWidget()) {
    if (std::find(live.begin(), live.end(), p) != live.end()) return true;
  }
  return false;
}

}  // namespace

void CommandLock::collect(QWidget& window, const std::vector<QWidget*>& live,
                          const std::vector<QAction*>& actions) {
  for (QWidget* w : window.findChildren<QWidget*>()) {
    // Other top-level windows (the chart, message boxes) and the notebook's
    // tab buttons are not commands on the device.
    if (w->window() != &window || !isCommand(w) || insideAny(w, live)) continue;
    if (w->parentWidget() && w->parentWidget()->inherits("QTabBar")) continue;
    wanted_.insert(w, !w->testAttribute(Qt::WA_ForceDisabled));
  }
  actions_ = actions;
}

void CommandLock::setEnabled(QWidget* control, bool enabled) {
  auto it = wanted_.find(control);
  if (it == wanted_.end()) {
    control->setEnabled(enabled);
    return;
  }
  *it = enabled;
  if (!held()) control->setEnabled(enabled);
}

void CommandLock::hold() {
  if (holds_++ > 0) return;
  for (auto it = wanted_.begin(); it != wanted_.end(); ++it) {
    *it = !it.key()->testAttribute(Qt::WA_ForceDisabled);
    it.key()->setEnabled(false);
  }
  for (QAction* a : actions_) a->setEnabled(false);
}

void CommandLock::release() {
  if (--holds_ > 0) return;
  for (auto it = wanted_.cbegin(); it != wanted_.cend(); ++it) it.key()->setEnabled(it.value());
  for (QAction* a : actions_) a->setEnabled(true);
}

void CommandLock::run(QObject* owner, const ModbusMaster& master, std::function<void()> action) {
  if (master.stopping()) return;
  if (!running() && !master.busy()) {
    const Hold hold(*this);
    const ScopedCount running(running_);
    action();
    return;
  }
  constexpr int kRetryMs = 20;
  QTimer::singleShot(kRetryMs, owner, [this, owner, &master, action = std::move(action)]() mutable {
    run(owner, master, std::move(action));
  });
}

}  // namespace orn
