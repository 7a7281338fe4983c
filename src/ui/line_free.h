#pragma once
// Runs an action that needs the serial line once no transaction holds it.
// Handlers run while a transaction dispatches events; one that would start a
// second transaction or reopen the port is deferred until the line is free,
// so bytes never interleave and the port never changes under a transaction.
#include <QObject>
#include <QTimer>
#include <functional>

#include "link/modbus_master.h"

namespace orn {

inline void whenLineFree(QObject* owner, const ModbusMaster& master, std::function<void()> action) {
  if (!master.busy()) {
    action();
    return;
  }
  constexpr int kRetryMs = 20;
  QTimer::singleShot(kRetryMs, owner, [owner, &master, action = std::move(action)]() mutable {
    whenLineFree(owner, master, std::move(action));
  });
}

}  // namespace orn
