#include "link/failure_report.h"

namespace orn {
namespace {

constexpr std::string_view kExchangeCaption = "Ошибка в обмене.";
constexpr std::string_view kDeviceCaption = "Устройство сообщает об ошибке";

std::optional<FailureText> fault_text(uint16_t faults, uint16_t exception) {
  const uint16_t f = faults & 0xFF;
  if (f & kFaultNoAnswer) return FailureText{"Ответа не было.", kExchangeCaption};
  if (f & kFaultException) {
    switch (exception) {
      case 1: return FailureText{"Неподдерживаемая функция.", kDeviceCaption};
      case 2: return FailureText{"Адрес данных выходит за допустимые границы.", kDeviceCaption};
      case 3: return FailureText{"Величина данных превышает допустимое значение.", kDeviceCaption};
      case 4: return FailureText{"Ошибка в работе адресуемого устройства.", kDeviceCaption};
      default: return FailureText{"Ошибка устройства ", kDeviceCaption, exception};
    }
  }
  if (f & kFaultLine) return FailureText{"При приеме ответа ошибка паритета.", kExchangeCaption};
  if (f & kFaultLength)
    return FailureText{"При приеме принято не ожидаемое число символов. Возможно, ответа просто не было.",
                       kExchangeCaption};
  if (f & kFaultAddress)
    return FailureText{"При приеме в ответе указан не адрес того устройства к которому обращались.",
                       kExchangeCaption};
  if (f & kFaultCrc) return FailureText{"При приеме в ответе не сошлась контрольная сумма.", kExchangeCaption};
  if (f & kFaultFunction) return FailureText{"В ответе указан не тот номер команды.", kExchangeCaption};
  return std::nullopt;
}

std::optional<FailureMessage> message_of(const std::optional<FailureText>& t) {
  if (!t) return std::nullopt;
  FailureMessage m{std::string(t->text), std::string(t->caption)};
  if (t->code >= 0) m.text += std::to_string(t->code);
  return m;
}

}  // namespace

std::optional<FailureText> failure_text(const ExchangeResult& r) {
  if (auto t = fault_text(r.faults, r.exception)) return t;
  if (r.stopped()) return FailureText{"Остановлено: запрос прибору не отправлялся.", kExchangeCaption};
  if (r.unchecked)
    return FailureText{"Адрес 255: ответ прибора не проверяется, значения не прочитаны.", kExchangeCaption};
  return std::nullopt;
}

std::optional<FailureMessage> failure_message(uint16_t faults, uint16_t exception) {
  return message_of(fault_text(faults, exception));
}

std::optional<FailureMessage> failure_message(const ExchangeResult& r) { return message_of(failure_text(r)); }

void report_exchange_failure(Prompt& prompt, uint16_t faults, uint16_t exception) {
  if (auto m = failure_message(faults, exception)) prompt.tell(m->text, m->caption, PromptIcon::Warning);
}

void report_exchange_failure(Prompt& prompt, const ExchangeResult& r) {
  if (auto m = failure_message(r)) prompt.tell(m->text, m->caption, PromptIcon::Warning);
}

}  // namespace orn
