// Input checks of the settings pages: number readings, the copy of each page
// with its messages and stop rule.
#include "device/input_checks.h"

#include <gtest/gtest.h>

#include <clocale>

#include "support/fakes.h"

namespace orn {
namespace {

TEST(IntegerField, KeepsTheLow16BitsAndRefusesAnythingElse) {
  struct Case {
    const char* text;
    std::optional<uint16_t> value;
  } cases[] = {{"12", 12},     {"65536", 0},  {"-1", 65535}, {"70000", 4464}, {"+7", 7},
               {" 42 ", 42},   {"", {}},      {"-", {}},     {"12a", {}},     {"1.5", {}},
               {"99999999999", {}}};
  for (const Case& c : cases) EXPECT_EQ(parse_integer_field(c.text), c.value) << c.text;
}

TEST(RealScan, ReadsTheLeadingNumberWhateverTheLocale) {
  std::setlocale(LC_ALL, "ru_RU.UTF-8");  // a comma locale must not change a reading
  struct Case {
    const char* text;
    std::optional<double> value;
  } cases[] = {{"12abc", 12.0}, {"1.5", 1.5},   {"1,5", 1.5},  {" -2.25e1x", -22.5}, {"3e", 3.0},
               {".5", 0.5},     {"abc", {}},    {"", {}},      {"-", {}},            {"e5", {}}};
  for (const Case& c : cases) EXPECT_EQ(scan_real(c.text), c.value) << c.text;
  std::setlocale(LC_ALL, "C");
}

ExchangeInputs good_exchange() {
  ExchangeInputs in;
  in.model = "20";
  in.sn_hi = "1";
  in.sn_lo = "2345";
  in.day_item = 9;
  in.month_item = 2;
  in.year_item = 12;
  in.rate_item = 3;
  in.parity_on = true;
  in.parity_even = true;
  in.address_item = 17;
  in.dely = "300";
  in.byte_order_item = 2;
  in.ver_hard = "3";
  in.ver_soft = "14";
  in.watchdog_item = 5;
  return in;
}

TEST(ExchangeInputs, CopiesEveryInputWithItsConversion) {
  DeviceImage image;
  test::ScriptedPrompt prompt;
  ASSERT_TRUE(copy_exchange_inputs(good_exchange(), image, prompt));
  EXPECT_TRUE(prompt.records.empty());
  EXPECT_EQ(image.model, 20);
  EXPECT_EQ(image.sn_hi, 1);
  EXPECT_EQ(image.sn_lo, 2345);
  EXPECT_EQ(image.day, 10);
  EXPECT_EQ(image.month, 3);
  EXPECT_EQ(image.year, 12);
  EXPECT_EQ(image.rate, 6);    // 9600
  EXPECT_EQ(image.parity, 2);
  EXPECT_EQ(image.adr, 17);
  EXPECT_EQ(image.dely, 255);  // held to 255
  EXPECT_EQ(image.fltype, 2);
  EXPECT_EQ(image.ver_hard, 3);
  EXPECT_EQ(image.ver_soft, 14);
  EXPECT_EQ(image.timer, 5);

  ExchangeInputs odd = good_exchange();
  odd.rate_item = 9;
  odd.byte_order_item = 7;
  odd.parity_on = false;
  ASSERT_TRUE(copy_exchange_inputs(odd, image, prompt));
  EXPECT_EQ(image.rate, 7);  // 19200
  EXPECT_EQ(image.fltype, 0);
  EXPECT_EQ(image.parity, 0);
}

// A choice index beyond its list lands on the code's last value, never on a
// register value the device does not define.
TEST(ExchangeInputs, ChoicesBeyondTheirListStayInsideTheCode) {
  ExchangeInputs in = good_exchange();
  in.day_item = 40;
  in.month_item = 12;
  in.year_item = 16;
  in.address_item = 300;
  in.watchdog_item = 3000;
  DeviceImage image;
  test::ScriptedPrompt prompt;
  ASSERT_TRUE(copy_exchange_inputs(in, image, prompt));
  EXPECT_EQ(image.day, 31);
  EXPECT_EQ(image.month, 12);
  EXPECT_EQ(image.year, 15);
  EXPECT_EQ(image.adr, 247);
  EXPECT_EQ(image.timer, 2550);
}

TEST(ExchangeInputs, StopsAtTheFirstErrorWithItsMessages) {
  struct Case {
    void (*spoil)(ExchangeInputs&);
    std::vector<std::string> messages;
    bool address_copied;
  } cases[] = {
      {[](ExchangeInputs& in) { in.model = ""; },
       {"Вводимые данные не получается представить целым числом.", "Запись данных не будет производиться."},
       false},
      {[](ExchangeInputs& in) { in.sn_hi = "x"; },
       {"Вводимые данные заводского номера не получается представить целым числом."}, false},
      {[](ExchangeInputs& in) { in.dely = "5 мс"; },
       {"Вводимое время задержки не получается представить целым числом."}, true},
      {[](ExchangeInputs& in) { in.ver_hard = "1.2"; },
       {"Вводимые данные версии железа не получается представить целым числом."}, true},
      {[](ExchangeInputs& in) { in.ver_soft = ""; },
       {"Вводимые данные версии ПО не получается представить целым числом."}, true},
  };
  for (const Case& c : cases) {
    ExchangeInputs in = good_exchange();
    c.spoil(in);
    DeviceImage image;
    test::ScriptedPrompt prompt;
    EXPECT_FALSE(copy_exchange_inputs(in, image, prompt));
    std::vector<std::string> seen;
    for (const auto& r : prompt.records) seen.push_back(r.text);
    EXPECT_EQ(seen, c.messages);
    EXPECT_EQ(prompt.records.front().caption, "Ошибка ввода");
    EXPECT_EQ(image.adr == 17, c.address_copied) << c.messages.front();
    EXPECT_EQ(image.timer, 0);  // the last input is never reached
  }
}

TEST(SensorInputs, FlagsKeepForeignBitsAndPercentsFollowTheirRules) {
  DeviceImage image;
  image.xbnd = 0xFF00;
  image.xnul = 0x8001;
  SensorInputs in;
  in.unit_item = 6;
  in.flag(Flag::SquareRoot) = true;
  in.flag(Flag::ZeroCutoff) = true;
  in.flag(Flag::OverrunDown) = true;
  in.flag(Flag::ZeroByReed) = true;
  in.field("T90").item = 12;
  in.field("DIGITS").item = 3;
  in.field("NULCUTOFF").text = "12abc";
  in.field("MAXCUTOFF").text = "-5";
  in.field("MINOVLD").text = "150";
  in.field("MAXOVLD").text = "0";
  in.field("LINCUTOFF").text = "25";
  test::ScriptedPrompt prompt;
  ASSERT_TRUE(copy_sensor_inputs(in, image, &prompt));
  EXPECT_EQ(image.unit, 6);
  EXPECT_EQ(image.xsqr, 0x0001);
  EXPECT_EQ(image.xbnd, 0xFF06);
  EXPECT_EQ(image.xnul, 0x8003);
  EXPECT_EQ(image.t90, 120);
  EXPECT_EQ(image.digits, 3);
  EXPECT_EQ(image.nulcutoff, 7864);  // 12 %
  EXPECT_EQ(image.maxcutoff, 3276);  // |-5| %
  EXPECT_EQ(image.minovld, 65535);   // held to 100 %
  EXPECT_EQ(image.lincutoff, 6553);  // held to 10 % after its message
  ASSERT_EQ(prompt.records.size(), 1u);
  EXPECT_EQ(prompt.records[0].text,
            "Линейная область при корнеизвлечении будет ограничена 10%. Уточнение значения.");
}

TEST(SensorInputs, APercentThatIsNoNumberStopsTheCopy) {
  struct Case {
    std::string_view field;
    const char* message;
  } cases[] = {
      {"NULCUTOFF", "Данные отсечки в 0 не удается представить числом. Проверьте поле ввода."},
      {"MAXCUTOFF", "Данные отсечки в max не удается представить числом. Проверьте поле ввода."},
      {"MINOVLD",
       "Допустимый выход за диапазон в min не удается представить числом. Проверьте поле ввода."},
      {"MAXOVLD",
       "Допустимый выход за диапазон в max не удается представить числом. Проверьте поле ввода."},
      {"LINCUTOFF",
       "Линейнуюю область при корнеизвлечении не удается представить числом. Проверьте поле ввода."},
  };
  for (const Case& c : cases) {
    SensorInputs in;
    for (std::string_view f : {"NULCUTOFF", "MAXCUTOFF", "MINOVLD", "MAXOVLD", "LINCUTOFF"}) in.field(f).text = "1";
    in.field(c.field).text = "abc";
    DeviceImage image;
    test::ScriptedPrompt prompt;
    EXPECT_FALSE(copy_sensor_inputs(in, image, &prompt));
    ASSERT_EQ(prompt.records.size(), 1u) << c.message;
    EXPECT_EQ(prompt.records[0].text, c.message);
    EXPECT_FALSE(copy_sensor_inputs(in, image, nullptr));  // the silent take stops the same way
  }
}

}  // namespace
}  // namespace orn
