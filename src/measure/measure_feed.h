#pragma once
// Listeners of the measured-value record: told after every read of a
// measurement block (single, latched, polling, adjustment samples), good or
// failed. They only look at the record; none of them touches the line.
#include <functional>
#include <utility>
#include <vector>

#include "measure/measured_value.h"

namespace orn {

class MeasureFeed {
 public:
  using Listener = std::function<void(const MeasuredValue&)>;

  void listen(Listener listener) { listeners_.push_back(std::move(listener)); }
  // Called by whoever has just read a block into the record.
  void publish(const MeasuredValue& record) const {
    for (const Listener& l : listeners_) l(record);
  }

 private:
  std::vector<Listener> listeners_;
};

}  // namespace orn
