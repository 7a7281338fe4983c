#pragma once
// The device image: the in-memory copy of every value read from the
// transmitter, one field per register or value. Group reads fill it, inputs
// change it, group writes send from it. Fields are named for their registers.
#include <array>
#include <cstdint>

namespace orn {

struct IntermediateResults {
  float izmp_senskpa = 0;  // IZMPsenskpa
  float izmp_sensun = 0;   // IZMPsensun: the sample the adjustments use
  float izmp_avr = 0;      // IZMPavr
  float izmp_sd = 0;       // IZMPsd
  float izmp_cutoff = 0;   // IZMPcutoff
  float izmp_sqr = 0;      // IZMPsqr
  float izmtf = 0;         // IZMTF
  float dumm = 0;
  uint16_t exerr = 0;      // EXERR
  uint16_t statp = 0;      // STATP
};

struct AdcCodes {
  std::array<int32_t, 5> a{};  // A1..A5
  uint16_t aerr = 0;           // AERR
  uint16_t astat = 0;          // ASTAT
};

struct DeviceImage {
  // Identity data of the exchange page.
  uint16_t model = 0;     // MODEL
  uint16_t sn_hi = 0;     // SN_HI
  uint16_t sn_lo = 0;     // SN_LO
  uint16_t ver_hard = 0;  // VER_HARD
  uint16_t ver_soft = 0;  // VER_SOFT
  uint16_t day = 0;       // DAY
  uint16_t month = 0;     // MONTH
  uint16_t year = 0;      // YEAR

  // Exchange parameters.
  uint16_t adr = 0;           // ADR
  uint16_t rate = 0;          // RATE
  uint16_t parity = 0;        // PARITY
  uint16_t prot = 0;          // PROT: kept, never shown or written
  uint16_t timer = 0;         // TIMER
  uint16_t init_flag = 0;     // INITFLAG
  uint16_t dely = 0;          // DELY
  uint16_t time_gap_dev = 0;  // TimeGapDev

  // User text and construction name as read: raw Windows-1251 bytes, high byte first.
  std::array<uint16_t, 8> user_text{};
  std::array<uint16_t, 16> constr_name{};  // CONSTRNAME

  // Identity registers.
  uint16_t id_desig = 0;  // ID_DESIG
  uint16_t id_dev = 0;    // ID_DEV
  uint16_t id_zero = 0;   // ID_ZERO

  // Sensor settings. The bit fields keep the bits the tool does not control as read.
  uint16_t unit = 0;        // UNIT
  uint16_t xnul = 0;        // XNUL
  uint16_t xbnd = 0;        // XBND
  uint16_t xfset = 0;       // XFSET
  uint16_t t90 = 0;         // T90
  float diapminkpa = 0;     // DIAPMINKPA
  float diapmaxkpa = 0;     // DIAPMAXKPA
  uint16_t nulcutoff = 0;   // NULCUTOFF
  uint16_t maxcutoff = 0;   // MAXCUTOFF
  uint16_t lincutoff = 0;   // LINCUTOFF
  uint16_t maxovld = 0;     // MAXOVLD
  uint16_t minovld = 0;     // MINOVLD
  uint16_t xsqr = 0;        // XSQR
  float shift = 0;          // shift
  float diap = 0;           // diap
  uint16_t fltype = 0;      // fltype
  float constrminkpa = 0;   // CONSTRMINKPA
  float constrmaxkpa = 0;   // CONSTRMAXKPA

  // Sensor data and user trims.
  uint16_t sensunit = 0;                   // SENSUNIT
  int32_t sensnum = 0;                     // SENSNUM
  std::array<uint16_t, 2> sensclass{};     // SENSCLASS, low byte first
  float shift_usr = 0;                     // shift_usr, kPa
  float shift_scale = 0;                   // shift_scale, kPa
  float diap_usr = 0;                      // diap_usr
  uint16_t digits = 0;                     // DIGITS

  IntermediateResults intermediate;
  AdcCodes adc;
};

}  // namespace orn
