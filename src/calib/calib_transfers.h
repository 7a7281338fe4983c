#pragma once
// The register groups of the zero and span adjustment. A read group ends at a
// transaction with fault bits 14..0 or an exception; a write group also at
// one that needed a retry. A group returns the result of the transaction that
// ended it, or a clean result when every transaction went through.
#include "device/device_image.h"
#include "device/transfer_ops.h"
#include "link/faults.h"
#include "link/modbus_master.h"

namespace orn {

// shift, then shift_usr and shift_scale.
ExchangeResult read_offset_group(ModbusMaster& master, DeviceImage& image);
// diap, then diap_usr.
ExchangeResult read_span_group(ModbusMaster& master, DeviceImage& image);
// UNIT alone.
ExchangeResult read_unit(ModbusMaster& master, DeviceImage& image);
// IZMPsenskpa .. STATP of the intermediate results.
ExchangeResult read_intermediate_block(ModbusMaster& master, DeviceImage& image);

// The transfers of the two write groups, in the order they go out.
inline constexpr Transfer kOffsetWrites[] = {Transfer::ShiftWrite, Transfer::UserTrimsWrite};
inline constexpr Transfer kSpanWrites[] = {Transfer::DiapWrite, Transfer::DiapUsrWrite};
static_assert(all_kept_whole(kOffsetWrites) && all_kept_whole(kSpanWrites), "adjustment writes come from the image");

// One of the two write groups, then a 300 ms pause after both of its writes;
// answered counts the writes that went through.
ExchangeResult write_adjustment_group(ModbusMaster& master, std::span<const Transfer> transfers,
                                      const DeviceImage& image, size_t& answered);

}  // namespace orn
