#include "cli/write_report.h"

#include <string>

#include "cli/cli_config.h"
#include "link/failure_report.h"

namespace orn {
namespace {

std::string cause(const WriteOutcome& out, const WrittenGroup& g) {
  const auto at = [](std::string_view step) { return "ошибка обмена на шаге «" + std::string(step) + "»"; };
  switch (out.step) {
    case WriteStep::Answered: return "запись отменена";
    // Before the writes: an input error, or the step's own failure or No answer, already told.
    case WriteStep::Inputs:
      return g.inputs_step.empty() ? "ошибка ввода" : "прервано на шаге «" + std::string(g.inputs_step) + "»";
    case WriteStep::Unlock: return at("снятие защиты от записи");
    case WriteStep::Writes: return at(g.write_step);
    case WriteStep::Lock: return at("установка защиты от записи");
    case WriteStep::Stopped: return "остановлено сигналом";
    case WriteStep::Done: break;
  }
  return {};
}

std::string state(const WriteOutcome& out, std::string_view what) {
  const std::string w(what);
  switch (out.step) {
    case WriteStep::Lock: return w + " записаны";
    case WriteStep::Writes: return w + " не записаны полностью";
    default: return w + " не записаны";
  }
}

// The line of an outcome that is not Done.
int tell(const WriteOutcome& out, const WrittenGroup& g, bool protection_told, CliContext& c) {
  if (out.ok()) return kCliExitOk;
  std::string line = "orn20mb-cli: " + cause(out, g) + "; " + state(out, g.what);
  if (const ProtectionState* p = protection_state(out)) {
    if (!protection_told) line += ", " + std::string(p->phrase);
  } else if (out.step != WriteStep::Answered || out.unlock_sent) {
    line += out.unlock_sent ? ", защита от записи установлена снова" : ", защита от записи не снималась";
  }
  c.err << line << "\n";
  return out.step == WriteStep::Answered ? kCliExitDeclined : kCliExitFailure;
}

}  // namespace

int tell_write_end(const WriteOutcome& out, const WrittenGroup& g, CliContext& c) {
  // The core's report of a failed unlock, write or lock ends with the sentence.
  const bool reported = out.step == WriteStep::Unlock || out.step == WriteStep::Writes || out.step == WriteStep::Lock;
  return tell(out, g, reported && failure_message(out.result).has_value(), c);
}

int tell_own_write_end(const WriteOutcome& out, const WrittenGroup& g, CliContext& c) { return tell(out, g, false, c); }

}  // namespace orn
