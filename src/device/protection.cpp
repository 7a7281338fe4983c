#include "device/protection.h"

#include "device/register_map.h"
#include "device/transfer_ops.h"

namespace orn {
namespace {

// The settle pause the device needs after each protection write.
constexpr uint32_t kSettleMs = 100;

}  // namespace

bool IdentityCheck::accepted() const {
  return result.ok() && values == std::array<uint16_t, 3>{kIdDesig, kIdDev, kIdZero};
}

IdentityCheck check_identity(ModbusMaster& master) {
  IdentityCheck id;
  static_assert(transfer(Transfer::Identity).count == 3);
  std::array<uint16_t, 3> answer{};
  id.result = read_transfer(master, Transfer::Identity, answer.data());
  if (id.result.ok()) id.values = answer;
  return id;
}

ExchangeResult unlock_device(ModbusMaster& master) {
  const uint16_t designation[2] = {kIdDesig, kIdDev};
  ExchangeResult r = write_transfer(master, Transfer::UnlockDesignation, designation);
  if (!r.ok()) return r;
  master.pump().wait(kSettleMs);
  const uint16_t open[2] = {kAccessCode, kAccessCode};
  r = write_transfer(master, Transfer::ProtectionUnlock, open);
  if (!r.ok()) return r;
  master.pump().wait(kSettleMs);
  return r;
}

ExchangeResult lock_device(ModbusMaster& master) {
  const uint16_t closed[2] = {0, 0};
  ExchangeResult r = write_transfer(master, Transfer::ProtectionLock, closed);
  if (r.ok()) master.pump().wait(kSettleMs);
  return r;
}

}  // namespace orn
