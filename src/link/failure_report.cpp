#include "link/failure_report.h"

namespace orn {
namespace {

constexpr const char* kExchangeCaption = "Ошибка в обмене.";
constexpr const char* kDeviceCaption = "Устройство сообщает об ошибке";

}  // namespace

std::optional<FailureMessage> failure_message(uint16_t faults, uint16_t exception) {
  const uint16_t f = faults & 0xFF;
  if (f & kFaultNoAnswer) return FailureMessage{"Ответа не было.", kExchangeCaption};
  if (f & kFaultException) {
    switch (exception) {
      case 1: return FailureMessage{"Неподдерживаемая функция.", kDeviceCaption};
      case 2: return FailureMessage{"Адрес данных выходит за допустимые границы.", kDeviceCaption};
      case 3: return FailureMessage{"Величина данных превышает допустимое значение.", kDeviceCaption};
      case 4: return FailureMessage{"Ошибка в работе адресуемого устройства.", kDeviceCaption};
      default: return FailureMessage{"Ошибка устройства " + std::to_string(exception), kDeviceCaption};
    }
  }
  if (f & kFaultLine) return FailureMessage{"При приеме ответа ошибка паритета.", kExchangeCaption};
  if (f & kFaultLength)
    return FailureMessage{
        "При приеме принято не ожидаемое число символов. Возможно, ответа просто не было.",
        kExchangeCaption};
  if (f & kFaultAddress)
    return FailureMessage{
        "При приеме в ответе указан не адрес того устройства к которому обращались.",
        kExchangeCaption};
  if (f & kFaultCrc)
    return FailureMessage{"При приеме в ответе не сошлась контрольная сумма.", kExchangeCaption};
  if (f & kFaultFunction) return FailureMessage{"В ответе указан не тот номер команды.", kExchangeCaption};
  return std::nullopt;
}

std::optional<FailureMessage> failure_message(const ExchangeResult& r) {
  if (auto m = failure_message(r.faults, r.exception)) return m;
  if (r.stopped())
    return FailureMessage{"Остановлено: запрос прибору не отправлялся.", kExchangeCaption};
  if (r.unchecked)
    return FailureMessage{"Адрес 255: ответ прибора не проверяется, значения не прочитаны.",
                          kExchangeCaption};
  return std::nullopt;
}

void report_exchange_failure(Prompt& prompt, uint16_t faults, uint16_t exception) {
  if (auto m = failure_message(faults, exception)) prompt.tell(m->text, m->caption, PromptIcon::Warning);
}

void report_exchange_failure(Prompt& prompt, const ExchangeResult& r) {
  if (auto m = failure_message(r)) prompt.tell(m->text, m->caption, PromptIcon::Warning);
}

}  // namespace orn
