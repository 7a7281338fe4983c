#pragma once
// Moves register blocks into and out of the device image. A block is stored
// only after its read succeeded; the caller decides that.
#include <array>
#include <cstdint>

#include "device/device_image.h"
#include "device/register_map.h"

namespace orn {

template <Transfer T>
using BlockWords = std::array<uint16_t, transfer(T).count>;

// 0x0500..0x051A. SENSTYPE, XEPWR and XHCHK are read inside the block but not kept.
void store_sensor_settings(DeviceImage& image, const BlockWords<Transfer::SensorSettings>& w);
// UNIT, XNUL, XBND as the image holds them (XNUL and XBND keep their other bits).
BlockWords<Transfer::UnitXnulXbndWrite> unit_xnul_xbnd_words(const DeviceImage& image);
// NULCUTOFF, MAXCUTOFF, LINCUTOFF, MAXOVLD, MINOVLD, XSQR.
BlockWords<Transfer::CutoffsWrite> cutoff_words(const DeviceImage& image);

// SENSUNIT, SENSNUM, SENSCLASS.
void store_sensor_data(DeviceImage& image, const BlockWords<Transfer::SensorData>& w);
// The eight floats in order 0, validated (invalid ones are 0), EXERR and STATP.
void store_intermediate_results(IntermediateResults& r,
                                const BlockWords<Transfer::IntermediateResults>& w);
// shift_usr, shift_scale, diap_usr in the fixed float order.
BlockWords<Transfer::AllUserTrimsWrite> user_trim_words(const DeviceImage& image);

}  // namespace orn
