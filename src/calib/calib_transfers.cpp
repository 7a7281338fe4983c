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

// A write that needed a retry also ends its group.
bool write_ended(const ExchangeResult& r) { return r.faults != 0 || r.exception != 0; }

template <size_t N>
float float_at(const std::array<uint16_t, N>& w, size_t at) {
  return fixed_float(w[at], w[at + 1]);
}

template <size_t N>
void put_float(std::array<uint16_t, N>& w, size_t at, float x) {
  const auto words = encode_float(x);
  w[at] = words[0];
  w[at + 1] = words[1];
}

}  // namespace

ExchangeResult read_offset_group(ModbusMaster& master, DeviceImage& image) {
  ExchangeResult r;
  if (!read_step<Transfer::ShiftRead>(master, r, [&](const auto& w) { image.shift = float_at(w, 0); }))
    return r;
  constexpr Transfer T = Transfer::UserTrimsRead;
  if (!read_step<T>(master, r, [&](const BlockWords<T>& w) {
        image.shift_usr = float_at(w, block_offset(T, "shift_usr"));
        image.shift_scale = float_at(w, block_offset(T, "shift_scale"));
      }))
    return r;
  return {};
}

ExchangeResult read_span_group(ModbusMaster& master, DeviceImage& image) {
  ExchangeResult r;
  if (!read_step<Transfer::DiapRead>(master, r, [&](const auto& w) { image.diap = float_at(w, 0); }))
    return r;
  if (!read_step<Transfer::DiapUsrRead>(master, r, [&](const auto& w) { image.diap_usr = float_at(w, 0); }))
    return r;
  return {};
}

ExchangeResult read_unit(ModbusMaster& master, DeviceImage& image) {
  ExchangeResult r;
  if (!read_step<Transfer::Unit>(master, r, [&](const auto& w) { image.unit = w[0]; })) return r;
  return {};
}

ExchangeResult read_intermediate_block(ModbusMaster& master, DeviceImage& image) {
  ExchangeResult r;
  if (!read_step<Transfer::IntermediateResults>(
          master, r, [&](const auto& w) { store_intermediate_results(image.intermediate, w); }))
    return r;
  return {};
}

ExchangeResult write_offset_group(ModbusMaster& master, const DeviceImage& image) {
  BlockWords<Transfer::ShiftWrite> shift{};
  put_float(shift, 0, image.shift);
  ExchangeResult r = write_transfer(master, Transfer::ShiftWrite, shift.data());
  if (write_ended(r)) return r;
  constexpr Transfer T = Transfer::UserTrimsWrite;
  BlockWords<T> trims{};
  put_float(trims, block_offset(T, "shift_usr"), image.shift_usr);
  put_float(trims, block_offset(T, "shift_scale"), image.shift_scale);
  r = write_transfer(master, T, trims.data());
  if (write_ended(r)) return r;
  master.pump().wait(kAfterWriteGroupMs);
  return r;
}

ExchangeResult write_span_group(ModbusMaster& master, const DeviceImage& image) {
  BlockWords<Transfer::DiapWrite> diap{};
  put_float(diap, 0, image.diap);
  ExchangeResult r = write_transfer(master, Transfer::DiapWrite, diap.data());
  if (write_ended(r)) return r;
  BlockWords<Transfer::DiapUsrWrite> diap_usr{};
  put_float(diap_usr, 0, image.diap_usr);
  r = write_transfer(master, Transfer::DiapUsrWrite, diap_usr.data());
  if (write_ended(r)) return r;
  master.pump().wait(kAfterWriteGroupMs);
  return r;
}

}  // namespace orn
