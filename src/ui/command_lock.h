#pragma once
// One device operation at a time. The pumped waits and transactions let
// events through, so the window stays live; they are no licence for a second
// command to use the line or the device image. While an operation runs (or
// the adjustment panel is open) every control that could start another
// command or change the image or the link is disabled; the live controls,
// which stop what runs, stay as they are.
#include <QHash>
#include <QObject>
#include <functional>
#include <vector>

class QAction;
class QWidget;

namespace orn {

class ModbusMaster;

class CommandLock {
 public:
  // Collects every button, check box, choice, edit and list of the window
  // (outside the live controls and their children) and the given actions.
  void collect(QWidget& window, const std::vector<QWidget*>& live, const std::vector<QAction*>& actions);

  // Controls are disabled while at least one hold lives.
  class Hold {
   public:
    explicit Hold(CommandLock& lock) : lock_(lock) { lock_.hold(); }
    ~Hold() { lock_.release(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    CommandLock& lock_;
  };

  bool held() const { return holds_ > 0; }
  // True while an operation started by run() is on the stack.
  bool running() const { return running_ > 0; }

  // Handlers enable and disable the collected controls only through this:
  // a state set while the lock is held takes effect when it is released.
  void setEnabled(QWidget* control, bool enabled);

  // Runs action under a hold once no transaction holds the line and no other
  // operation runs; until then it is retried from owner's event loop. After
  // a stop (the window is closing) a waiting action is dropped.
  void run(QObject* owner, const ModbusMaster& master, std::function<void()> action);

 private:
  void hold();
  void release();

  QHash<QWidget*, bool> wanted_;  // the state each control has once the lock is released
  std::vector<QAction*> actions_;
  int holds_ = 0;
  int running_ = 0;
};

}  // namespace orn
