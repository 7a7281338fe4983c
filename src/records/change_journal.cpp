#include "records/change_journal.h"

#include "link/failure_report.h"
#include "records/record_file.h"

namespace orn {
namespace {

constexpr const char* kJournalCaption = "Журнал изменений";

// The failure's own text, without its final full stop, in parentheses.
std::string reason(const ExchangeResult& r) {
  const auto m = failure_message(r);
  if (!m) return "";
  std::string text = m->text;
  while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
  return " (" + text + ")";
}

}  // namespace

std::string journal_outcome(const WriteOutcome& out, const ChangedRegister& change, const bool* verified) {
  // Where the register's write stood when the command ended: answered, the
  // one that failed (it may have landed), or never sent.
  const bool answered = change.transfer < out.answered;
  const bool failing = change.transfer == out.answered && !out.result.ok() && !out.result.stopped();
  std::string text;
  switch (out.step) {
    case WriteStep::Done:
      if (!verified) text = "записано, без проверки чтением";
      else text = *verified ? "записано и прочитано обратно" : "записано, но прочитано другое значение";
      break;
    case WriteStep::Lock: text = "записано, но не удалось установить защиту от записи" + reason(out.result); break;
    case WriteStep::Unlock: text = "не записано: не удалось снять защиту от записи" + reason(out.result); break;
    case WriteStep::Writes:
      if (answered) text = "записано, но команда завершилась ошибкой";
      else if (failing) text = "ошибка на шаге записи, значение могло не дойти до прибора" + reason(out.result);
      else text = "не записано: команда прервана ошибкой";
      break;
    case WriteStep::Stopped:
      text = answered ? "записано до остановки сигналом" : "не записано: остановлено сигналом";
      break;
    case WriteStep::Answered:
    case WriteStep::Inputs: text = "не записано"; break;
  }
  // No ";" inside: the column stays a plain field of the file.
  if (const ProtectionState* state = protection_state(out)) text += ", " + std::string(state->phrase);
  return text;
}

ChangeJournal::ChangeJournal(std::string path, Origin origin, Prompt& prompt)
    : path_(std::move(path)), origin_(std::move(origin)), prompt_(prompt) {}

void ChangeJournal::record(std::string_view command, std::span<const ChangedRegister> changes,
                           const WriteOutcome& out, const DeviceImage& device) {
  if (changes.empty()) return;
  const RecordOrigin origin = origin_(device);
  std::optional<std::string> error;
  for (const ChangedRegister& change : changes) {
    if (holding_) {
      held_.push_back({std::string(command), change, out, origin});
    } else if (auto e = append(origin, command, change, journal_outcome(out, change, nullptr)); e && !error) {
      error = std::move(e);
    }
  }
  tell(error);
}

void ChangeJournal::hold() { holding_ = true; }

void ChangeJournal::settle(const DeviceImage* read_back) {
  holding_ = false;
  std::optional<std::string> error;
  for (const Held& h : held_) {
    std::string outcome;
    if (read_back && h.out.ok()) {
      const std::string found = register_text(register_entry(h.change.name), *read_back);
      const bool verified = found == h.change.after;
      outcome = journal_outcome(h.out, h.change, &verified) + (verified ? "" : ": " + found);
    } else {
      outcome = journal_outcome(h.out, h.change, nullptr);
    }
    if (auto e = append(h.origin, h.command, h.change, outcome); e && !error) error = std::move(e);
  }
  held_.clear();
  tell(error);
}

std::optional<std::string> ChangeJournal::append(const RecordOrigin& origin, std::string_view command,
                                                 const ChangedRegister& change, const std::string& outcome) {
  const std::array<std::string, kChangeJournalColumns.size()> row = {
      origin.when, origin.operator_name, origin.port, std::to_string(origin.address), origin.factory_number,
      std::string(command), std::string(change.name), change.before, change.after, outcome};
  return append_record(path_, kChangeJournalColumns, row);
}

void ChangeJournal::tell(const std::optional<std::string>& error) {
  if (error) prompt_.tell(*error + " Изменения прибора не попали в журнал.", kJournalCaption, PromptIcon::Warning);
}

}  // namespace orn
