#include "device/image_blocks.h"

#include "device/value_codec.h"

namespace orn {
namespace {

// Offset of a named register inside a transfer's block.
constexpr size_t at(Transfer t, std::string_view reg) {
  return static_cast<size_t>(reg_address(reg) - transfer(t).start);
}

template <size_t N>
float float_at(const std::array<uint16_t, N>& w, size_t i) {
  return fixed_float(w[i], w[i + 1]);
}

// The intermediate results are validated like a measured value, in order 0.
template <size_t N>
float checked_float_at(const std::array<uint16_t, N>& w, size_t i) {
  return decode_float(w[i], w[i + 1], 0).value;
}

template <size_t N>
void put_float(std::array<uint16_t, N>& w, size_t i, float x) {
  const auto f = encode_float(x);
  w[i] = f[0];
  w[i + 1] = f[1];
}

}  // namespace

void store_sensor_settings(DeviceImage& image, const BlockWords<Transfer::SensorSettings>& w) {
  constexpr Transfer T = Transfer::SensorSettings;
  image.unit = w[at(T, "UNIT")];
  image.xnul = w[at(T, "XNUL")];
  image.xbnd = w[at(T, "XBND")];
  image.xfset = w[at(T, "XFSET")];
  image.t90 = w[at(T, "T90")];
  image.diapminkpa = float_at(w, at(T, "DIAPMINKPA"));
  image.diapmaxkpa = float_at(w, at(T, "DIAPMAXKPA"));
  image.nulcutoff = w[at(T, "NULCUTOFF")];
  image.maxcutoff = w[at(T, "MAXCUTOFF")];
  image.lincutoff = w[at(T, "LINCUTOFF")];
  image.maxovld = w[at(T, "MAXOVLD")];
  image.minovld = w[at(T, "MINOVLD")];
  image.xsqr = w[at(T, "XSQR")];
  image.shift = float_at(w, at(T, "shift"));
  image.diap = float_at(w, at(T, "diap"));
  image.fltype = w[at(T, "fltype")];
  image.constrminkpa = float_at(w, at(T, "CONSTRMINKPA"));
  image.constrmaxkpa = float_at(w, at(T, "CONSTRMAXKPA"));
}

BlockWords<Transfer::UnitXnulXbndWrite> unit_xnul_xbnd_words(const DeviceImage& image) {
  return {image.unit, image.xnul, image.xbnd};
}

BlockWords<Transfer::CutoffsWrite> cutoff_words(const DeviceImage& image) {
  return {image.nulcutoff, image.maxcutoff, image.lincutoff,
          image.maxovld,   image.minovld,   image.xsqr};
}

void store_sensor_data(DeviceImage& image, const BlockWords<Transfer::SensorData>& w) {
  constexpr Transfer T = Transfer::SensorData;
  image.sensunit = w[at(T, "SENSUNIT")];
  image.sensnum = decode_int32(w[at(T, "SENSNUM")], w[at(T, "SENSNUM") + 1]);
  image.sensclass = {w[at(T, "SENSCLASS")], w[at(T, "SENSCLASS") + 1]};
}

void store_intermediate_results(IntermediateResults& r,
                                const BlockWords<Transfer::IntermediateResults>& w) {
  constexpr Transfer T = Transfer::IntermediateResults;
  r.izmp_senskpa = checked_float_at(w, at(T, "IZMPsenskpa"));
  r.izmp_sensun = checked_float_at(w, at(T, "IZMPsensun"));
  r.izmp_avr = checked_float_at(w, at(T, "IZMPavr"));
  r.izmp_sd = checked_float_at(w, at(T, "IZMPsd"));
  r.izmp_cutoff = checked_float_at(w, at(T, "IZMPcutoff"));
  r.izmp_sqr = checked_float_at(w, at(T, "IZMPsqr"));
  r.izmtf = checked_float_at(w, at(T, "IZMTF"));
  r.dumm = checked_float_at(w, at(T, "dumm"));
  r.exerr = w[at(T, "EXERR")];
  r.statp = w[at(T, "STATP")];
}

BlockWords<Transfer::AllUserTrimsWrite> user_trim_words(const DeviceImage& image) {
  constexpr Transfer T = Transfer::AllUserTrimsWrite;
  BlockWords<T> w{};
  put_float(w, at(T, "shift_usr"), image.shift_usr);
  put_float(w, at(T, "shift_scale"), image.shift_scale);
  put_float(w, at(T, "diap_usr"), image.diap_usr);
  return w;
}

}  // namespace orn
