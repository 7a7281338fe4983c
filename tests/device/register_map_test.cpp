#include "device/register_map.h"

#include <gtest/gtest.h>

namespace orn {
namespace {

const RegisterEntry* entry_at(uint16_t address) {
  for (const RegisterEntry& e : kRegisterMap) {
    if (address >= e.address && address < e.address + e.count) return &e;
  }
  return nullptr;
}

TEST(RegisterMap, EntriesDoNotOverlap) {
  for (const RegisterEntry& a : kRegisterMap) {
    for (const RegisterEntry& b : kRegisterMap) {
      if (&a == &b) continue;
      const bool apart = a.address + a.count <= b.address || b.address + b.count <= a.address;
      EXPECT_TRUE(apart) << a.name << " overlaps " << b.name;
    }
  }
}

// Every transfer moves only defined registers, in a direction their access allows,
// and every write carries a label for the trace.
TEST(RegisterMap, TransfersStayInsideTheMap) {
  for (const TransferEntry& t : kTransfers) {
    SCOPED_TRACE(std::string(t.name));
    const Access needed = t.function == Function::Read ? kRead : kWrite;
    for (unsigned k = 0; k < t.count; ++k) {
      const RegisterEntry* e = entry_at(static_cast<uint16_t>(t.start + k));
      if (!e) {
        EXPECT_TRUE(false) << "register " << std::hex << t.start + k << " is not in the map";
        continue;
      }
      EXPECT_NE(e->access & needed, 0) << e->name;
    }
    if (t.function == Function::Write) {
      EXPECT_FALSE(t.label.empty());
    } else {
      EXPECT_TRUE(t.label.empty());
    }
  }
}

TEST(RegisterMap, GroupsThatMustNotGrow) {
  const TransferEntry& settings = transfer(Transfer::SensorSettings);
  EXPECT_EQ(settings.start + settings.count - 1, 0x051A);  // 0x051B..0x051E never touched
  const TransferEntry& unit = transfer(Transfer::UnitXnulXbndWrite);
  EXPECT_EQ(unit.count, 3);  // never SENSTYPE
  EXPECT_LT(unit.start + unit.count - 1, reg_address("SENSTYPE"));
  EXPECT_EQ(transfer(Transfer::ProtectionUnlock).label, "USERLOCK, CLBLOCK");
  EXPECT_EQ(transfer(Transfer::ProtectionLock).label, "USERLOCK");
  for (uint16_t a = 0x051B; a <= 0x051E; ++a) EXPECT_EQ(entry_at(a), nullptr);
}

}  // namespace
}  // namespace orn
