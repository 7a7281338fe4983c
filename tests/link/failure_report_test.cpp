#include "link/failure_report.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace orn {
namespace {

struct Case {
  uint16_t faults;
  uint16_t exception;
  const char* text;  // nullptr: nothing shown
  const char* caption;
};

constexpr const char* kExchange = "Ошибка в обмене.";
constexpr const char* kDevice = "Устройство сообщает об ошибке";

TEST(FailureReport, TheFirstMatchingCauseDecides) {
  const Case cases[] = {
      {0x006E, 0, "Ответа не было.", kExchange},
      {0x801A, 1, "Неподдерживаемая функция.", kDevice},
      {0x001A, 2, "Адрес данных выходит за допустимые границы.", kDevice},
      {0x0010, 3, "Величина данных превышает допустимое значение.", kDevice},
      {0x0010, 4, "Ошибка в работе адресуемого устройства.", kDevice},
      {0x001A, 6, "Ошибка устройства 6", kDevice},
      {0x0023, 0, "При приеме ответа ошибка паритета.", kExchange},
      {0x002E, 0, "При приеме принято не ожидаемое число символов. Возможно, ответа просто не было.", kExchange},
      {0x0024, 0, "При приеме в ответе указан не адрес того устройства к которому обращались.", kExchange},
      {0x0028, 0, "При приеме в ответе не сошлась контрольная сумма.", kExchange},
      {0x0008, 0, "В ответе указан не тот номер команды.", kExchange},
      {0x8000, 0, nullptr, nullptr},
      {0x0000, 2, nullptr, nullptr},
      {0x4000, 0, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.faults << " exc " << c.exception);
    test::ScriptedPrompt prompt;
    report_exchange_failure(prompt, c.faults, c.exception);
    if (!c.text) {
      EXPECT_TRUE(prompt.records.empty());
      continue;
    }
    ASSERT_EQ(prompt.records.size(), 1u);
    EXPECT_FALSE(prompt.records[0].question);
    EXPECT_EQ(prompt.records[0].text, c.text);
    EXPECT_EQ(prompt.records[0].caption, c.caption);
    EXPECT_EQ(prompt.records[0].icon, PromptIcon::Warning);
  }
}

}  // namespace
}  // namespace orn
