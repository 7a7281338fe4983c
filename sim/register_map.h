#pragma once
// Addresses of the simulated transmitter's holding registers and the table that
// says which of them exist and who may write them.
#include <cstdint>

namespace orn::sim {

inline constexpr uint16_t kAccessCode = 0x4B1D;
inline constexpr uint16_t kIdDesig = 1;
inline constexpr uint16_t kIdDev = 6;

// Measurement block layout (11 registers), shared by 0x0100, 0x0300 and 0x0800.
inline constexpr uint16_t kMeasBlock = 0x0100;
inline constexpr uint16_t kLatchedBlock = 0x0300;
inline constexpr uint16_t kConstBlock = 0x0800;
inline constexpr uint16_t kMeasBlockSize = 11;
inline constexpr uint16_t kIntermediate = 0x0120;
inline constexpr uint16_t kIntermediateSize = 18;
inline constexpr uint16_t kAdcBlock = 0x0200;
inline constexpr uint16_t kAdcBlockSize = 12;

namespace reg {
inline constexpr uint16_t MODEL = 0x0400, SN_HI = 0x0401, SN_LO = 0x0402, VER_HARD = 0x0403,
                          VER_SOFT = 0x0404, DAY = 0x0405, MONTH = 0x0406, YEAR = 0x0407,
                          ADR = 0x0408, RATE = 0x0409, PARITY = 0x040A, PROT = 0x040B,
                          TIMER = 0x040C, USER_TEXT = 0x040E, BLINK = 0x0416, LATCH = 0x0417,
                          INITFLAG = 0x0418, DELY = 0x041A, TimeGapDev = 0x041B;
inline constexpr uint16_t PGMCS = 0x047E, PGMCS1 = 0x047F, ID_DESIG = 0x0480, ID_DEV = 0x0481,
                          ID_ZERO = 0x0482, ULDESIG = 0x04F0, ULDEV = 0x04F1, FSET = 0x04FC,
                          HEAD_READ_ASK = 0x04FD, USERLOCK = 0x04FE, CLBLOCK = 0x04FF;
inline constexpr uint16_t UNIT = 0x0500, XNUL = 0x0501, XBND = 0x0502, SENSTYPE = 0x0503,
                          XFSET = 0x0504, XEPWR = 0x0505, XHCHK = 0x0506, T90 = 0x0507,
                          DIAPMINKPA = 0x0508, DIAPMAXKPA = 0x050A, NULCUTOFF = 0x050C,
                          MAXCUTOFF = 0x050D, LINCUTOFF = 0x050E, MAXOVLD = 0x050F,
                          MINOVLD = 0x0510, XSQR = 0x0511, shift = 0x0512, diap = 0x0514,
                          fltype = 0x0516, CONSTRMINKPA = 0x0517, CONSTRMAXKPA = 0x0519,
                          CONSTRNAME = 0x051F;
inline constexpr uint16_t SENSUNIT = 0x05E1, SENSNUM = 0x05E2, SENSCLASS = 0x05E4,
                          shift_usr = 0x0620, shift_scale = 0x0622, diap_usr = 0x0624,
                          DIGITS = 0x0626;
}  // namespace reg

// Who may write a register. User registers open with USERLOCK, calibration
// registers with CLBLOCK; Free ones (commands and the protection itself) never lock.
enum class Access : uint8_t { None, ReadOnly, User, Calib, Free };

// Access of one register; None means the address is outside the map.
// Reserved addresses inside a block read as 0 and refuse writes.
Access register_access(uint16_t address);

}  // namespace orn::sim
