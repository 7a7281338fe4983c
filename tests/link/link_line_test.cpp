#include "link/link_line.h"

#include <gtest/gtest.h>

namespace orn {
namespace {

TEST(LinkLine, ShowsPortRateAndParity) {
  struct Case {
    LinkParams link;
    const char* text;
  };
  const Case cases[] = {
      {{1, 7, 0, 1}, "COM1, 19200 , без паритета "},
      {{3, 6, 2, 1}, "COM3, 9600 , четный паритет "},
      {{12, 10, 1, 5}, "COM12, 115200 , нечетный паритет "},
      {{1, 11, 3, 1}, "COM1, ? без паритета "},
  };
  for (const auto& c : cases) EXPECT_EQ(link_line_text(c.link), c.text);
}

TEST(LinkLine, ListPositionsAndParityBoxes) {
  EXPECT_EQ(rate_item_for_index(6), 3);   // "9600"
  EXPECT_EQ(rate_item_for_index(42), 3);  // unknown index shows "9600"
  EXPECT_EQ(rate_item_for_index(3), 0);
  EXPECT_EQ(rate_index_for_item(3), 6);
  EXPECT_EQ(rate_index_for_item(7), 10);
  EXPECT_EQ(rate_index_for_item(-1), 7);  // no selection
  EXPECT_EQ(parity_code_for(false, true), 0);  // "even" alone keeps no parity
  EXPECT_EQ(parity_code_for(true, false), 1);
  EXPECT_EQ(parity_code_for(true, true), 2);
}

TEST(LinkLine, InitPresetKeepsThePort) {
  LinkParams link{4, 9, 2, 17};
  apply_init_preset(link);
  EXPECT_EQ(link.port, 4);
  EXPECT_EQ(link.rate_index, 7);
  EXPECT_EQ(link.parity, 0);
  EXPECT_EQ(link.address, 1);
}

}  // namespace
}  // namespace orn
