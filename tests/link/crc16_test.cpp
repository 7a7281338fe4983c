// CRC-16/MODBUS against published values: the catalogue check value and
// frames printed in the Modbus serial-line guide and the usual references.
#include "link/crc16.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orn {
namespace {

TEST(Crc16, MatchesPublishedValues) {
  const struct {
    std::string name;
    std::vector<uint8_t> bytes;
    uint16_t crc;
  } cases[] = {
      {"catalogue check \"123456789\"", {'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0x4B37},
      {"nothing: the initial value", {}, 0xFFFF},
      {"read 10 registers of slave 1", {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}, 0xCDC5},
      {"read 3 registers from 107 of slave 17", {0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}, 0x8776},
      {"its answer", {0x11, 0x03, 0x06, 0xAE, 0x41, 0x56, 0x52, 0x43, 0x40}, 0xAD49},
  };
  for (const auto& c : cases) EXPECT_EQ(crc16_modbus(c.bytes.data(), c.bytes.size()), c.crc) << c.name;
}

// On the wire the low byte goes first; one flipped bit anywhere is caught.
TEST(Crc16, PutAndMatchOnAFrame) {
  uint8_t frame[8] = {0x11, 0x03, 0x00, 0x6B, 0x00, 0x03};
  put_crc(frame, 6);
  EXPECT_EQ(frame[6], 0x76);
  EXPECT_EQ(frame[7], 0x87);
  EXPECT_TRUE(crc_matches(frame, 6));
  for (size_t byte = 0; byte < 8; ++byte) {
    for (int bit = 0; bit < 8; ++bit) {
      frame[byte] ^= static_cast<uint8_t>(1 << bit);
      EXPECT_FALSE(crc_matches(frame, 6)) << byte << ':' << bit;
      frame[byte] ^= static_cast<uint8_t>(1 << bit);
    }
  }
}

}  // namespace
}  // namespace orn
