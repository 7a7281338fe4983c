// The measurement model of the simulated transmitter.
//
// Everything inside the device is in kPa until the last step:
//   applied   p(t) from the pressure source (constant, ramp or noise);
//   sensor    s = sensor_gain * p + sensor_offset (the raw errors of the sensor);
//   senskpa   shift + shift_usr + shift_scale + diap_usr * diap * s
//             (factory zero and span, user zero, scale shift, user span);
//   avr       first-order damping of senskpa reaching 90 % of a step in T90 / 10 s;
//   sd        avr limited to [DIAPMIN, DIAPMAX], or, where XBND bit 0 (up) or
//             bit 1 (down) permits overrun, to the limit widened by MAXOVLD/MINOVLD;
//             beyond limit + overload the IZMERR bit 2 (up) or 1 (down) is raised;
//   cutoff    XBND bit 2: |v| < NULCUTOFF * span gives 0; XBND bit 3: v within
//             MAXCUTOFF * span of a limit gives that limit;
//   sqr       XSQR bit 0: the fraction r of the range becomes sqrt(r); with XSQR
//             bit 1, r below LINCUTOFF stays on the straight line r / sqrt(LINCUTOFF);
//   PIZMF     sqr in UNIT (percent of the range for unit 0), in the byte order fltype.
// IZMPsensun is senskpa in UNIT: a zero adjustment (new shift_usr = target - average
// + shift_scale + shift_usr) and a span adjustment (new diap_usr = (target - S) /
// (average - S) * diap_usr, S = shift + shift_usr + shift_scale) of a master both
// converge on it, because senskpa is linear in shift_usr and in diap_usr.
// The relative code is sqr as a fraction 0..65535 of the range. STATP carries
// fltype (bits 15-14), UNIT (13-8), damping on (7), square root on (6) and user
// correction on (5: a user trim differs from neutral). BTN bit 6 is INIT.
// The constant block at 0x0800 holds a fixed test value (123.456 in the current
// unit and byte order) so a master can check its decoding against a known number.
#include "transmitter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "link/crc16.h"
#include "link/link_params.h"
#include "text/cp1251.h"
#include "word_codec.h"

namespace orn::sim {
namespace {

constexpr float kConstantValue = 123.456f;

double fraction(uint16_t word) { return word / 65535.0; }

struct AreaRange {
  uint16_t first;
  uint16_t count;
};
// Working parameters kept in the factory area (the exchange settings are not:
// a factory reset must not cut the device off the line).
constexpr std::array kFactoryArea{AreaRange{0x0500, 3}, AreaRange{0x0504, 1}, AreaRange{0x0507, 1},
                                  AreaRange{0x050C, 11}, AreaRange{0x0620, 7}};

void put_u16(std::vector<uint8_t>& f, uint16_t v) {
  f.push_back(static_cast<uint8_t>(v >> 8));
  f.push_back(static_cast<uint8_t>(v & 0xFF));
}

void append_crc(std::vector<uint8_t>& f) {
  const size_t n = f.size();
  f.resize(n + 2);
  put_crc(f.data(), n);
}

}  // namespace

uint32_t baud_of_rate_index(uint16_t index) { return baud_for_rate_index(index); }

uint16_t rate_index_of_baud(uint32_t baud) { return rate_index_for_baud(baud).value_or(0); }

std::vector<uint8_t> exception_frame(uint8_t address, uint8_t function, uint8_t code) {
  std::vector<uint8_t> f{address, static_cast<uint8_t>(function | 0x80), code};
  append_crc(f);
  return f;
}

Transmitter::Transmitter(const TransmitterConfig& config) : config_(config), init_(config.init) {
  auto& r = regs_;
  r[reg::MODEL] = 206;
  r[reg::SN_HI] = static_cast<uint16_t>(config.serial_number / 10000 % 65536);
  r[reg::SN_LO] = static_cast<uint16_t>(config.serial_number % 10000);
  r[reg::VER_HARD] = 3;
  r[reg::VER_SOFT] = 14;
  r[reg::DAY] = 15;
  r[reg::MONTH] = 6;
  r[reg::YEAR] = 14;
  r[reg::ADR] = config.link.address;
  r[reg::RATE] = rate_index_of_baud(config.link.baud);
  if (r[reg::RATE] == 0) r[reg::RATE] = 7;
  r[reg::PARITY] = config.link.parity;
  pack_text_high_first(orn::utf8_to_cp1251("Симулятор ОРН20"), &r[reg::USER_TEXT], 8);
  r[reg::PGMCS] = 0xA5C3;
  r[reg::PGMCS1] = 0xA5C3;
  r[reg::ID_DESIG] = kIdDesig;
  r[reg::ID_DEV] = kIdDev;
  r[reg::ID_ZERO] = 0;
  r[reg::UNIT] = 2;
  r[reg::XNUL] = 0x0002;
  r[reg::SENSTYPE] = 1;
  r[reg::XFSET] = 0x0001;
  poke_float(reg::DIAPMINKPA, 0.0f);
  poke_float(reg::DIAPMAXKPA, 250.0f);
  r[reg::MAXOVLD] = 6553;  // 10 %
  r[reg::MINOVLD] = 6553;
  poke_float(reg::shift, 0.0f);
  poke_float(reg::diap, 1.0f);
  poke_float(reg::CONSTRMINKPA, 0.0f);
  poke_float(reg::CONSTRMAXKPA, 250.0f);
  pack_text_high_first(orn::utf8_to_cp1251("ДИ 0...250 кПа"), &r[reg::CONSTRNAME], 16);
  r[reg::SENSUNIT] = 2;
  r[reg::SENSNUM] = 0x0001;
  r[reg::SENSNUM + 1] = 0xE240;  // 123456
  pack_text_low_first("0.1", &r[reg::SENSCLASS], 2);
  poke_float(reg::shift_usr, 0.0f);
  poke_float(reg::shift_scale, 0.0f);
  poke_float(reg::diap_usr, 1.0f);
  r[reg::DIGITS] = 2;
  factory_ = regs_;
  active_ = init_ ? LinkSettings{} : config.link;
}

void Transmitter::poke_float(uint16_t address, float value) {
  const auto w = float_to_words(value, 0);
  regs_[address] = w[0];
  regs_[static_cast<uint16_t>(address + 1)] = w[1];
}

float Transmitter::stored_float(uint16_t address) const {
  return float_from_words(regs_[address], regs_[static_cast<uint16_t>(address + 1)]);
}

void Transmitter::set_init(bool on) {
  init_ = on;
  settle();
}

void Transmitter::settle() {
  if (init_) {
    active_ = LinkSettings{};
    return;
  }
  active_ = {regs_[reg::ADR], baud_of_rate_index(regs_[reg::RATE]), regs_[reg::PARITY]};
}

Stages Transmitter::compute(uint64_t now_ms) {
  Stages s;
  const double min = stored_float(reg::DIAPMINKPA);
  const double max = stored_float(reg::DIAPMAXKPA);
  const double span = max - min;
  s.applied = config_.pressure.at(now_ms);
  s.sensor = config_.sensor_gain * s.applied + config_.sensor_offset_kpa;
  const double su = stored_float(reg::shift_usr);
  const double ss = stored_float(reg::shift_scale);
  const double du = stored_float(reg::diap_usr);
  s.senskpa = stored_float(reg::shift) + su + ss + du * stored_float(reg::diap) * s.sensor;

  // 90 % of a step after T90 tenths of a second: time constant T90 / 10 / ln 10.
  const double tau_ms = regs_[reg::T90] * 100.0 / std::numbers::ln10;
  if (!damped_valid_ || tau_ms <= 0.0 || now_ms < damped_at_) {
    damped_kpa_ = s.senskpa;
  } else {
    const double alpha = 1.0 - std::exp(-static_cast<double>(now_ms - damped_at_) / tau_ms);
    damped_kpa_ += alpha * (s.senskpa - damped_kpa_);
  }
  damped_valid_ = std::isfinite(damped_kpa_);
  damped_at_ = now_ms;
  s.avr = damped_kpa_;

  const uint16_t xbnd = regs_[reg::XBND];
  const double upper_error = max + fraction(regs_[reg::MAXOVLD]) * span;
  const double lower_error = min - fraction(regs_[reg::MINOVLD]) * span;
  uint16_t err = config_.izmerr;
  if (s.avr > upper_error) err |= 0x0004;
  if (s.avr < lower_error) err |= 0x0002;
  const double hi = (xbnd & 0x0001) ? upper_error : max;
  const double lo = (xbnd & 0x0002) ? lower_error : min;
  s.sd = std::clamp(s.avr, std::min(lo, hi), std::max(lo, hi));

  s.cutoff = s.sd;
  if ((xbnd & 0x0004) && std::abs(s.cutoff) < fraction(regs_[reg::NULCUTOFF]) * span) s.cutoff = 0;
  if (xbnd & 0x0008) {
    const double band = fraction(regs_[reg::MAXCUTOFF]) * span;
    if (std::abs(s.cutoff - max) < band) s.cutoff = max;
    if (std::abs(s.cutoff - min) < band) s.cutoff = min;
  }

  s.sqr = s.cutoff;
  const uint16_t xsqr = regs_[reg::XSQR];
  if ((xsqr & 0x0001) && span > 0) {
    const double r = std::max(0.0, (s.cutoff - min) / span);
    const double lin = std::min(fraction(regs_[reg::LINCUTOFF]), 0.1);
    const double root = ((xsqr & 0x0002) && lin > 0 && r < lin) ? r / std::sqrt(lin) : std::sqrt(r);
    s.sqr = min + root * span;
  }
  if (!std::isfinite(s.sqr)) err |= 0x0040;

  const double rel = span > 0 ? std::clamp((s.sqr - min) / span, 0.0, 1.0) : 0.0;
  s.relative = static_cast<uint16_t>(std::lround(rel * 65535.0));
  s.izmerr = err;
  const bool corrected = su != 0.0 || ss != 0.0 || du != 1.0;
  s.statp = static_cast<uint16_t>(((regs_[reg::fltype] & 3u) << 14) | ((regs_[reg::UNIT] & 0x3Fu) << 8) |
                                  (regs_[reg::T90] > 0 ? 0x80u : 0u) | ((xsqr & 1u) << 6) |
                                  (corrected ? 0x20u : 0u));
  return s;
}

Transmitter::BlockWords Transmitter::measurement_words(const Stages& s) const {
  const double min = stored_float(reg::DIAPMINKPA);
  const double max = stored_float(reg::DIAPMAXKPA);
  const auto value = static_cast<float>(kpa_to_unit(s.sqr, regs_[reg::UNIT], min, max));
  const auto p = float_to_words(value, regs_[reg::fltype]);
  const auto t = float_to_words(config_.temperature, 0);
  const auto btn = static_cast<uint16_t>(config_.btn | (init_ ? 0x0040 : 0));
  return {p[0], p[1], s.relative, s.izmerr, s.statp, 0, 0, btn, t[0], t[1], 0};
}

Transmitter::BlockWords Transmitter::constant_words() const {
  const auto p = float_to_words(kConstantValue, regs_[reg::fltype]);
  const auto t = float_to_words(25.0f, 0);
  const auto statp = static_cast<uint16_t>(((regs_[reg::fltype] & 3u) << 14) | ((regs_[reg::UNIT] & 0x3Fu) << 8));
  const auto btn = static_cast<uint16_t>(config_.btn | (init_ ? 0x0040 : 0));
  return {p[0], p[1], 0x8000, 0, statp, 0, 0, btn, t[0], t[1], 0};
}

uint16_t Transmitter::read_register(uint16_t address, uint64_t now_ms) {
  uint16_t v = 0;
  read(address, 1, now_ms, &v);
  return v;
}

uint8_t Transmitter::read(uint16_t start, uint16_t count, uint64_t now_ms, uint16_t* out) {
  if (count == 0 || start + count > 0x10000) return kExIllegalAddress;
  for (uint32_t a = start; a < start + count; ++a) {
    if (register_access(static_cast<uint16_t>(a)) == Access::None) return kExIllegalAddress;
  }
  auto overlaps = [&](uint16_t first, uint16_t n) { return start < first + n && first < start + count; };
  std::optional<Stages> s;
  if (overlaps(kMeasBlock, kMeasBlockSize) || overlaps(kIntermediate, kIntermediateSize) ||
      overlaps(kAdcBlock, kAdcBlockSize)) {
    s = compute(now_ms);
  }
  BlockWords meas{};
  std::array<uint16_t, kIntermediateSize> inter{};
  std::array<uint16_t, kAdcBlockSize> adc{};
  if (s) {
    meas = measurement_words(*s);
    const double min = stored_float(reg::DIAPMINKPA);
    const double max = stored_float(reg::DIAPMAXKPA);
    const uint16_t unit = regs_[reg::UNIT];
    const std::array<double, 8> floats{s->senskpa,
                                       kpa_to_unit(s->senskpa, unit, min, max),
                                       kpa_to_unit(s->avr, unit, min, max),
                                       kpa_to_unit(s->sd, unit, min, max),
                                       kpa_to_unit(s->cutoff, unit, min, max),
                                       kpa_to_unit(s->sqr, unit, min, max),
                                       config_.temperature,
                                       0.0};
    for (size_t i = 0; i < floats.size(); ++i) {
      const auto w = float_to_words(static_cast<float>(floats[i]), 0);
      inter[2 * i] = w[0];
      inter[2 * i + 1] = w[1];
    }
    inter[16] = s->izmerr;
    inter[17] = s->statp;
    // Plausible 24-bit converter codes: pressure over the range, temperature in mK.
    const double full = max > 0 ? s->sensor / max : 0.0;
    const std::array<int32_t, 5> codes{static_cast<int32_t>(std::lround(std::clamp(full, -2.0, 2.0) * 0x3FFFFF)),
                                       static_cast<int32_t>(std::lround(config_.temperature * 1000.0)),
                                       0x400000, 0, 0};
    for (size_t i = 0; i < codes.size(); ++i) {
      const auto u = static_cast<uint32_t>(codes[i]);
      adc[2 * i] = static_cast<uint16_t>(u >> 16);
      adc[2 * i + 1] = static_cast<uint16_t>(u & 0xFFFF);
    }
    adc[10] = (s->izmerr & 0x0010) ? 1 : 0;
  }
  const BlockWords constant = constant_words();
  for (uint16_t i = 0; i < count; ++i) {
    const auto a = static_cast<uint16_t>(start + i);
    uint16_t v = regs_[a];
    if (a >= kMeasBlock && a < kMeasBlock + kMeasBlockSize) v = meas[a - kMeasBlock];
    else if (a >= kIntermediate && a < kIntermediate + kIntermediateSize) v = inter[a - kIntermediate];
    else if (a >= kAdcBlock && a < kAdcBlock + kAdcBlockSize) v = adc[a - kAdcBlock];
    else if (a >= kLatchedBlock && a < kLatchedBlock + kMeasBlockSize) v = latched_[a - kLatchedBlock];
    else if (a >= kConstBlock && a < kConstBlock + kMeasBlockSize) v = constant[a - kConstBlock];
    else if (a == reg::INITFLAG) v = init_ ? 1 : 0;
    else if (a == reg::USERLOCK) v = user_open_ ? kAccessCode : 0;
    else if (a == reg::CLBLOCK) v = calib_open_ ? kAccessCode : 0;
    out[i] = v;
  }
  return 0;
}

uint8_t Transmitter::check_write(uint16_t start, uint16_t count, const uint16_t* values) const {
  if (count == 0 || start + count > 0x10000) return kExIllegalAddress;
  for (uint16_t i = 0; i < count; ++i) {
    const Access a = register_access(static_cast<uint16_t>(start + i));
    if (a == Access::None || a == Access::ReadOnly) return kExIllegalAddress;
  }
  for (uint16_t i = 0; i < count; ++i) {
    const Access a = register_access(static_cast<uint16_t>(start + i));
    if ((a == Access::User && !user_open_) || (a == Access::Calib && !calib_open_)) return kExLocked;
  }
  for (uint16_t i = 0; i < count; ++i) {
    const uint16_t v = values[i];
    switch (start + i) {
      case reg::ADR: if (v < 1 || v > 247) return kExIllegalValue; break;
      case reg::RATE: if (v < 3 || v > 10) return kExIllegalValue; break;
      case reg::PARITY: if (v > 2) return kExIllegalValue; break;
      case reg::DELY: if (v > 255) return kExIllegalValue; break;
      case reg::UNIT: if (v >= kUnitCount) return kExIllegalValue; break;
      case reg::fltype: if (v > 3) return kExIllegalValue; break;
      case reg::DIGITS: if (v > 3) return kExIllegalValue; break;
      case reg::FSET: if (v != 1 && v != kAccessCode) return kExIllegalValue; break;
      case reg::HEAD_READ_ASK: if (v != kAccessCode) return kExIllegalValue; break;
      case reg::USERLOCK:
      case reg::CLBLOCK:
        if (v != 0 && v != kAccessCode) return kExIllegalValue;
        if (v == kAccessCode && !designated_) return kExLocked;
        break;
      default: break;
    }
  }
  return 0;
}

uint8_t Transmitter::write(uint16_t start, uint16_t count, const uint16_t* values, uint64_t now_ms) {
  if (const uint8_t ex = check_write(start, count, values)) return ex;
  for (uint16_t i = 0; i < count; ++i) regs_[static_cast<uint16_t>(start + i)] = values[i];
  for (uint16_t i = 0; i < count; ++i) apply_write(static_cast<uint16_t>(start + i), values[i], now_ms);
  return 0;
}

void Transmitter::apply_write(uint16_t address, uint16_t value, uint64_t now_ms) {
  switch (address) {
    case reg::BLINK:
      if (value == 1) ++blinks_;
      break;
    case reg::LATCH:
      if (value == 1) latched_ = measurement_words(compute(now_ms));
      break;
    case reg::ULDESIG:
    case reg::ULDEV:
      designated_ = regs_[reg::ULDESIG] == kIdDesig && regs_[reg::ULDEV] == kIdDev;
      break;
    case reg::USERLOCK:
    case reg::CLBLOCK:
      (address == reg::USERLOCK ? user_open_ : calib_open_) = value == kAccessCode;
      if (!user_open_ && !calib_open_) {
        // Fully locked again: the next unlock starts from the designation step.
        designated_ = false;
        regs_[reg::ULDESIG] = regs_[reg::ULDEV] = 0;
      }
      break;
    case reg::FSET:
      copy_factory(value == kAccessCode);
      break;
    case reg::HEAD_READ_ASK:
      silent_until_ = now_ms + config_.head_read_silence_ms;
      break;
    default:
      break;
  }
}

void Transmitter::copy_factory(bool to_factory) {
  for (const AreaRange& r : kFactoryArea) {
    for (uint16_t i = 0; i < r.count; ++i) {
      const auto a = static_cast<uint16_t>(r.first + i);
      if (to_factory) factory_[a] = regs_[a];
      else regs_[a] = factory_[a];
    }
  }
}

std::optional<Reply> Transmitter::serve(std::span<const uint8_t> frame, uint64_t now_ms) {
  if (frame.size() < 4 || !crc_matches(frame.data(), frame.size() - 2)) return std::nullopt;
  if (silent_at(now_ms)) return std::nullopt;
  const uint8_t address = frame[0];
  const bool broadcast = address == 0;
  if (!broadcast && address != active_.address) return std::nullopt;
  const uint8_t function = frame[1];
  auto word = [&](size_t i) { return static_cast<uint16_t>(frame[i] << 8 | frame[i + 1]); };

  Reply reply;
  reply.delay_ms = regs_[reg::DELY];
  auto fail = [&](uint8_t code) -> std::optional<Reply> {
    if (broadcast) return std::nullopt;
    reply.bytes = exception_frame(address, function, code);
    return reply;
  };

  if (function == 0x03) {
    if (broadcast) return std::nullopt;
    if (frame.size() != 8) return fail(kExIllegalValue);
    const uint16_t start = word(2);
    const uint16_t count = word(4);
    if (count < 1 || count > 125) return fail(kExIllegalValue);
    std::vector<uint16_t> values(count);
    if (const uint8_t ex = read(start, count, now_ms, values.data())) return fail(ex);
    reply.bytes = {address, function, static_cast<uint8_t>(2 * count)};
    for (uint16_t v : values) put_u16(reply.bytes, v);
    append_crc(reply.bytes);
    return reply;
  }
  if (function == 0x10) {
    if (frame.size() < 9) return fail(kExIllegalValue);
    const uint16_t start = word(2);
    const uint16_t count = word(4);
    const uint8_t bytes = frame[6];
    if (count < 1 || count > 123 || bytes != 2 * count || frame.size() != 9u + bytes) {
      return fail(kExIllegalValue);
    }
    std::vector<uint16_t> values(count);
    for (uint16_t i = 0; i < count; ++i) values[i] = word(7 + 2 * i);
    if (const uint8_t ex = write(start, count, values.data(), now_ms)) return fail(ex);
    if (broadcast) return std::nullopt;
    reply.bytes.assign(frame.begin(), frame.begin() + 6);
    append_crc(reply.bytes);
    return reply;
  }
  return fail(kExIllegalFunction);
}

}  // namespace orn::sim
