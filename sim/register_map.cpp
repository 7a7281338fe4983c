#include "register_map.h"

#include <array>

namespace orn::sim {
namespace {

struct Span {
  uint16_t first;
  uint16_t last;
  Access access;
};

// Every block of the map, in address order. Gaps between named registers that lie
// inside a block are ReadOnly reserved words (they read as 0).
constexpr std::array kSpans{
    Span{0x0100, 0x010A, Access::ReadOnly},  // measurement block
    Span{0x0120, 0x0131, Access::ReadOnly},  // intermediate results
    Span{0x0200, 0x020B, Access::ReadOnly},  // ADC codes
    Span{0x0300, 0x030A, Access::ReadOnly},  // latched block
    Span{0x03F0, 0x03FF, Access::ReadOnly},  // sensor load errors
    Span{0x0400, 0x0407, Access::ReadOnly},  // model, factory number, versions, date
    Span{0x0408, 0x040A, Access::User},      // ADR, RATE, PARITY
    Span{0x040B, 0x040B, Access::ReadOnly},  // PROT
    Span{0x040C, 0x040C, Access::User},      // TIMER
    Span{0x040D, 0x040D, Access::ReadOnly},
    Span{0x040E, 0x0415, Access::User},      // user text
    Span{0x0416, 0x0417, Access::Free},      // BLINK, LATCH
    Span{0x0418, 0x0419, Access::ReadOnly},  // INITFLAG, reserved
    Span{0x041A, 0x041B, Access::User},      // DELY, TimeGapDev
    Span{0x047E, 0x047E, Access::ReadOnly},  // PGMCS
    Span{0x047F, 0x047F, Access::Calib},     // PGMCS1
    Span{0x0480, 0x04EF, Access::ReadOnly},  // identity, reserved
    Span{0x04F0, 0x04F1, Access::Free},      // ULDESIG, ULDEV
    Span{0x04F2, 0x04FB, Access::ReadOnly},
    Span{0x04FC, 0x04FD, Access::Calib},     // FSET, HEAD_READ_ASK
    Span{0x04FE, 0x04FF, Access::Free},      // USERLOCK, CLBLOCK
    Span{0x0500, 0x0502, Access::User},      // UNIT, XNUL, XBND
    Span{0x0503, 0x0503, Access::ReadOnly},  // SENSTYPE
    Span{0x0504, 0x0504, Access::User},      // XFSET
    Span{0x0505, 0x0506, Access::ReadOnly},  // XEPWR, XHCHK
    Span{0x0507, 0x0507, Access::User},      // T90
    Span{0x0508, 0x050B, Access::ReadOnly},  // DIAPMINKPA, DIAPMAXKPA
    Span{0x050C, 0x0511, Access::User},      // cut-offs, overload, XSQR
    Span{0x0512, 0x0515, Access::Calib},     // shift, diap
    Span{0x0516, 0x0516, Access::User},      // fltype
    Span{0x0517, 0x052E, Access::ReadOnly},  // construction limits, reserved, CONSTRNAME
    Span{0x05E1, 0x061F, Access::ReadOnly},  // sensor data, reserved
    Span{0x0620, 0x0626, Access::User},      // user trims, DIGITS
    Span{0x0800, 0x080A, Access::ReadOnly},  // constant block
};

}  // namespace

Access register_access(uint16_t address) {
  for (const Span& s : kSpans) {
    if (address >= s.first && address <= s.last) return s.access;
  }
  return Access::None;
}

}  // namespace orn::sim
