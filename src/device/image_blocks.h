#pragma once
// Moves register blocks into and out of the device image, by the register
// map's image slots. A block is stored only after its read succeeded; the
// caller decides that.
#include <array>
#include <cstdint>
#include <span>

#include "device/device_image.h"
#include "device/register_map.h"

namespace orn {

template <Transfer T>
using BlockWords = std::array<uint16_t, transfer(T).count>;

// Stores every register of a transfer's block that the image keeps; the other
// words (SENSTYPE, XEPWR and XHCHK in the sensor settings) are read but not kept.
// The words must hold the whole block.
void store_kept(DeviceImage& image, Transfer t, const uint16_t* words);
// The words of a block, every one of them a register the image keeps.
void put_kept(const DeviceImage& image, Transfer t, uint16_t* words);

// Copies the registers of the transfers' blocks that the image keeps.
void copy_kept(const DeviceImage& from, std::span<const Transfer> transfers, DeviceImage& to);

// SENSUNIT, SENSNUM, SENSCLASS.
void store_sensor_data(DeviceImage& image, const BlockWords<Transfer::SensorData>& w);
// The eight floats in order 0, validated (invalid ones are 0), EXERR and STATP.
void store_intermediate_results(IntermediateResults& r,
                                const BlockWords<Transfer::IntermediateResults>& w);

}  // namespace orn
