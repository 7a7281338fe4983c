#include "calib/calib_transfers.h"

#include <array>

#include "device/image_blocks.h"
#include "device/register_map.h"
#include "device/transfer_ops.h"
#include "device/value_codec.h"

namespace orn {
namespace {

constexpr uint32_t kAfterWriteGroupMs = 300;

// Reads one transfer; store gets the words only when the read went through.
template <Transfer T, typename Store>
bool read_step(ModbusMaster& master, ExchangeResult& r, Store store) {
  BlockWords<T> w{};
  r = read_transfer(master, T, w.data());
  if (!r.ok()) return false;
  store(w);
  return true;
}

}  // namespace

ExchangeResult read_offset_group(ModbusMaster& master, DeviceImage& image) {
  ExchangeResult r = read_kept(master, Transfer::ShiftRead, image);
  if (!r.ok()) return r;
  r = read_kept(master, Transfer::UserTrimsRead, image);
  if (!r.ok()) return r;
  return {};
}

ExchangeResult read_span_group(ModbusMaster& master, DeviceImage& image) {
  ExchangeResult r = read_kept(master, Transfer::DiapRead, image);
  if (!r.ok()) return r;
  r = read_kept(master, Transfer::DiapUsrRead, image);
  if (!r.ok()) return r;
  return {};
}

ExchangeResult read_unit(ModbusMaster& master, DeviceImage& image) {
  const ExchangeResult r = read_kept(master, Transfer::Unit, image);
  if (!r.ok()) return r;
  return {};
}

ExchangeResult read_intermediate_block(ModbusMaster& master, DeviceImage& image) {
  ExchangeResult r;
  if (!read_step<Transfer::IntermediateResults>(
          master, r, [&](const auto& w) { store_intermediate_results(image.intermediate, w); }))
    return r;
  return {};
}

// A write that needed a retry also ends its group; the pause follows a group
// that went through.
ExchangeResult write_adjustment_group(ModbusMaster& master, std::span<const Transfer> transfers,
                                      const DeviceImage& image, size_t& answered) {
  ExchangeResult r;
  answered = 0;
  for (const Transfer t : transfers) {
    r = write_kept(master, t, image);
    if (r.ok()) ++answered;
    if (r.faults != 0 || r.exception != 0) return r;
  }
  master.pump().wait(kAfterWriteGroupMs);
  return r;
}

}  // namespace orn
