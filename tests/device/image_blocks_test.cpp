#include "device/image_blocks.h"

#include <gtest/gtest.h>

#include "device/value_codec.h"

namespace orn {
namespace {

// The words a write of T sends from the image.
template <Transfer T>
BlockWords<T> kept_words(const DeviceImage& image) {
  BlockWords<T> w{};
  put_kept(image, T, w.data());
  return w;
}

TEST(ImageBlocks, SensorSettingsKeepWhatTheyOwnAndWriteBackOtherBits) {
  DeviceImage image;
  // Before any read the bit fields are 0 and go out as 0.
  EXPECT_EQ(kept_words<Transfer::UnitXnulXbndWrite>(image), (std::array<uint16_t, 3>{0, 0, 0}));

  BlockWords<Transfer::SensorSettings> w{};
  for (size_t i = 0; i < w.size(); ++i) w[i] = static_cast<uint16_t>(0xA000 + i);
  const auto put = [&w](size_t i, float x) {
    auto f = encode_float(x);
    w[i] = f[0];
    w[i + 1] = f[1];
  };
  put(0x08, -100.0f);  // DIAPMINKPA
  put(0x0A, 250.0f);   // DIAPMAXKPA
  put(0x12, 0.5f);     // shift
  put(0x14, 1.25f);    // diap
  put(0x17, -1.0e7f);  // CONSTRMINKPA: parameters are taken unchecked
  put(0x19, 4.0e7f);   // CONSTRMAXKPA
  w[0x00] = 4;          // UNIT
  w[0x01] = 0xFFFD;     // XNUL: bits the tool does not control
  w[0x02] = 0x8010;     // XBND
  w[0x07] = 1001;       // T90
  store_kept(image, Transfer::SensorSettings, w.data());

  EXPECT_EQ(image.unit, 4);
  EXPECT_EQ(image.xfset, 0xA004);
  EXPECT_EQ(image.t90, 1001);
  EXPECT_EQ(image.diapminkpa, -100.0f);
  EXPECT_EQ(image.diapmaxkpa, 250.0f);
  EXPECT_EQ(image.nulcutoff, 0xA00C);
  EXPECT_EQ(image.xsqr, 0xA011);
  EXPECT_EQ(image.shift, 0.5f);
  EXPECT_EQ(image.diap, 1.25f);
  EXPECT_EQ(image.fltype, 0xA016);
  EXPECT_EQ(image.constrminkpa, -1.0e7f);
  EXPECT_EQ(image.constrmaxkpa, 4.0e7f);

  image.xnul |= 0x0002;  // the input sets its own bit only
  EXPECT_EQ(kept_words<Transfer::UnitXnulXbndWrite>(image), (std::array<uint16_t, 3>{4, 0xFFFF, 0x8010}));
  EXPECT_EQ(kept_words<Transfer::CutoffsWrite>(image),
            (std::array<uint16_t, 6>{0xA00C, 0xA00D, 0xA00E, 0xA00F, 0xA010, 0xA011}));
}

TEST(ImageBlocks, SensorDataAndIntermediateResults) {
  DeviceImage image;
  store_sensor_data(image, {9, 0xFFFF, 0xFFFE, 0x2E30, 0x0035});
  EXPECT_EQ(image.sensunit, 9);
  EXPECT_EQ(image.sensnum, -2);
  EXPECT_EQ(unpack_accuracy_class(image.sensclass.data()), "0.5");

  BlockWords<Transfer::IntermediateResults> w{};
  w[0] = 0x4120;  // IZMPsenskpa 10.0
  w[2] = 0x7FC0;  // IZMPsensun NaN: invalid, stored as 0
  w[12] = 0x41C8; // IZMTF 25.0
  w[16] = 0x0003; // EXERR
  w[17] = 0x4200; // STATP
  store_intermediate_results(image.intermediate, w);
  EXPECT_EQ(image.intermediate.izmp_senskpa, 10.0f);
  EXPECT_EQ(image.intermediate.izmp_sensun, 0.0f);
  EXPECT_EQ(image.intermediate.izmtf, 25.0f);
  EXPECT_EQ(image.intermediate.exerr, 3);
  EXPECT_EQ(image.intermediate.statp, 0x4200);
}

TEST(ImageBlocks, UserTrimsGoOutInTheFixedOrder) {
  DeviceImage image;
  image.shift_usr = 10.0f;
  image.shift_scale = -2.0f;
  image.diap_usr = 1.0f;
  EXPECT_EQ(kept_words<Transfer::AllUserTrimsWrite>(image),
            (std::array<uint16_t, 6>{0x4120, 0x0000, 0xC000, 0x0000, 0x3F80, 0x0000}));
}

}  // namespace
}  // namespace orn
