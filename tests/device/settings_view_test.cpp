// What the settings pages show for an image: positions, check states and texts.
#include "device/settings_view.h"

#include <gtest/gtest.h>

#include "device/value_codec.h"

namespace orn {
namespace {

TEST(SensorPageView, ShowsTheImageInItsFormats) {
  DeviceImage image;
  image.diapminkpa = 0;
  image.diapmaxkpa = 250;
  image.unit = 6;  // бар
  image.shift_usr = 1.5f;
  image.diap_usr = 1.0f;
  image.t90 = 1001;  // above 100 s shows the last item
  image.digits = 7;  // no such item
  image.xbnd = 0x0009;
  image.nulcutoff = encode_percent(12);
  image.sensunit = 7;
  const uint16_t text[8] = {0xC4E0, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020, 0x2020};
  std::copy(std::begin(text), std::end(text), image.user_text.begin());

  const SensorPageView v = sensor_page_view(image);
  EXPECT_EQ(v.range_max, "250.0000   ");
  EXPECT_EQ(v.unit_item, 6);
  EXPECT_EQ(v.unit_caption, "бар");
  EXPECT_EQ(v.shift_usr, "0.015000     ");  // 1.5 kPa in bar
  EXPECT_EQ(v.diap_usr, "1.000000     ");
  EXPECT_EQ(v.field("T90").item, 100);
  EXPECT_EQ(v.field("DIGITS").item, -1);
  EXPECT_TRUE(v.flag(Flag::OverrunUp) && v.flag(Flag::MaxCutoff));
  EXPECT_FALSE(v.flag(Flag::OverrunDown) || v.flag(Flag::ZeroCutoff));
  EXPECT_EQ(v.field("NULCUTOFF").text, "12.00");
  EXPECT_EQ(v.user_text, "Да              ");
  EXPECT_EQ(v.sensor_unit, "атм физ");
}

TEST(ExchangePageView, PositionsOfTheImagesChoices) {
  DeviceImage image;
  image.rate = 6;
  image.adr = 248;  // beyond the list
  image.parity = 1;
  image.day = 31;
  image.year = 16;  // beyond 2015
  image.fltype = 3;
  const ExchangePageView v = exchange_page_view(image);
  EXPECT_EQ(v.rate_item, 3);
  EXPECT_EQ(v.address_item, -1);
  EXPECT_TRUE(v.parity_on);
  EXPECT_FALSE(v.parity_even);
  EXPECT_EQ(v.day_item, 30);
  EXPECT_EQ(v.year_item, -1);
  EXPECT_EQ(v.byte_order_item, 3);
}

}  // namespace
}  // namespace orn
