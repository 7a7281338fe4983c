#pragma once
// Test doubles for the seams: a virtual-clock pump, a fixed clock and a prompt
// that answers from a script and records every message.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/prompt.h"
#include "link/pump.h"

namespace orn::test {

// Waits advance a virtual clock instead of sleeping. on_dispatch runs at every
// dispatch, so a test can act "while the window processes events".
class VirtualPump final : public Pump {
 public:
  void dispatch() override {
    ++dispatches;
    if (on_dispatch) on_dispatch();
  }
  void wait(uint32_t ms) override {
    waits.push_back(ms);
    now_ms += ms;
    dispatch();
  }
  void sleep(uint32_t ms) override {
    sleeps.push_back(ms);
    now_ms += ms;
  }

  uint64_t now_ms = 0;
  uint64_t dispatches = 0;
  std::vector<uint32_t> waits;
  std::vector<uint32_t> sleeps;
  std::function<void()> on_dispatch;
};

class FixedClock final : public Clock {
 public:
  LocalTime now() override { return time; }
  LocalTime time{2026, 12, 8, 12, 5, 3, 7};
};

struct PromptRecord {
  bool question = false;
  std::string text;
  std::string caption;
  PromptIcon icon = PromptIcon::Information;
};

class ScriptedPrompt final : public Prompt {
 public:
  bool ask(const std::string& text, const std::string& caption, PromptIcon icon) override {
    records.push_back({true, text, caption, icon});
    if (answers.empty()) return default_answer;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  void tell(const std::string& text, const std::string& caption, PromptIcon icon) override {
    records.push_back({false, text, caption, icon});
  }

  std::deque<bool> answers;      // answers to ask(), in order
  bool default_answer = true;    // when the script runs out
  std::vector<PromptRecord> records;
};

}  // namespace orn::test
