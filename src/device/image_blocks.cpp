#include "device/image_blocks.h"

#include "device/sensor_fields.h"
#include "device/value_codec.h"

namespace orn {
namespace {

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
  image.unit = w[block_offset(T, "UNIT")];
  image.xnul = w[block_offset(T, "XNUL")];
  image.xbnd = w[block_offset(T, "XBND")];
  image.xfset = w[block_offset(T, "XFSET")];
  image.diapminkpa = float_at(w, block_offset(T, "DIAPMINKPA"));
  image.diapmaxkpa = float_at(w, block_offset(T, "DIAPMAXKPA"));
  image.xsqr = w[block_offset(T, "XSQR")];
  image.shift = float_at(w, block_offset(T, "shift"));
  image.diap = float_at(w, block_offset(T, "diap"));
  image.fltype = w[block_offset(T, "fltype")];
  image.constrminkpa = float_at(w, block_offset(T, "CONSTRMINKPA"));
  image.constrmaxkpa = float_at(w, block_offset(T, "CONSTRMAXKPA"));
  // The page's sensor fields that this block carries (DIGITS has a read of its own).
  for (const SensorField& f : kSensorFields) {
    if (block_holds(T, f.reg)) image.*f.word = w[block_offset(T, f.reg)];
  }
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
  image.sensunit = w[block_offset(T, "SENSUNIT")];
  image.sensnum = decode_int32(w[block_offset(T, "SENSNUM")], w[block_offset(T, "SENSNUM") + 1]);
  image.sensclass = {w[block_offset(T, "SENSCLASS")], w[block_offset(T, "SENSCLASS") + 1]};
}

void store_intermediate_results(IntermediateResults& r,
                                const BlockWords<Transfer::IntermediateResults>& w) {
  constexpr Transfer T = Transfer::IntermediateResults;
  r.izmp_senskpa = checked_float_at(w, block_offset(T, "IZMPsenskpa"));
  r.izmp_sensun = checked_float_at(w, block_offset(T, "IZMPsensun"));
  r.izmp_avr = checked_float_at(w, block_offset(T, "IZMPavr"));
  r.izmp_sd = checked_float_at(w, block_offset(T, "IZMPsd"));
  r.izmp_cutoff = checked_float_at(w, block_offset(T, "IZMPcutoff"));
  r.izmp_sqr = checked_float_at(w, block_offset(T, "IZMPsqr"));
  r.izmtf = checked_float_at(w, block_offset(T, "IZMTF"));
  r.dumm = checked_float_at(w, block_offset(T, "dumm"));
  r.exerr = w[block_offset(T, "EXERR")];
  r.statp = w[block_offset(T, "STATP")];
}

BlockWords<Transfer::AllUserTrimsWrite> user_trim_words(const DeviceImage& image) {
  constexpr Transfer T = Transfer::AllUserTrimsWrite;
  BlockWords<T> w{};
  put_float(w, block_offset(T, "shift_usr"), image.shift_usr);
  put_float(w, block_offset(T, "shift_scale"), image.shift_scale);
  put_float(w, block_offset(T, "diap_usr"), image.diap_usr);
  return w;
}

}  // namespace orn
