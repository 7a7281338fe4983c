#include "device/image_blocks.h"

#include <algorithm>

#include "device/value_codec.h"

namespace orn {
namespace {

// The intermediate results are validated like a measured value, in order 0.
template <size_t N>
float checked_float_at(const std::array<uint16_t, N>& w, size_t i) {
  return decode_float(w[i], w[i + 1], 0).value;
}

}  // namespace

void store_kept(DeviceImage& image, Transfer t, const uint16_t* words) {
  const TransferEntry& x = transfer(t);
  for (const RegisterEntry& e : kRegisterMap) {
    if (e.slot.empty() || !block_holds(x, e)) continue;
    const uint16_t* w = words + (e.address - x.start);
    if (e.slot.word) {
      image.*e.slot.word = w[0];
    } else if (e.slot.text) {
      std::copy(w, w + e.count, (image.*e.slot.text).begin());
    } else if (e.slot.real) {
      image.*e.slot.real = fixed_float(w[0], w[1]);
    } else {
      image.*e.slot.whole = decode_int32(w[0], w[1]);
    }
  }
}

void put_kept(const DeviceImage& image, Transfer t, uint16_t* words) {
  const TransferEntry& x = transfer(t);
  for (const RegisterEntry& e : kRegisterMap) {
    if (e.slot.empty() || !block_holds(x, e)) continue;
    uint16_t* w = words + (e.address - x.start);
    if (e.slot.word) {
      w[0] = image.*e.slot.word;
      continue;
    }
    if (e.slot.text) {
      std::copy((image.*e.slot.text).begin(), (image.*e.slot.text).end(), w);
      continue;
    }
    const std::array<uint16_t, 2> f =
        e.slot.real ? encode_float(image.*e.slot.real) : encode_int32(image.*e.slot.whole);
    w[0] = f[0];
    w[1] = f[1];
  }
}

void copy_kept(const DeviceImage& from, std::span<const Transfer> transfers, DeviceImage& to) {
  std::array<uint16_t, longest_transfer()> words{};
  for (const Transfer t : transfers) {
    put_kept(from, t, words.data());
    store_kept(to, t, words.data());
  }
}

void store_sensor_data(DeviceImage& image, const BlockWords<Transfer::SensorData>& w) {
  constexpr Transfer T = Transfer::SensorData;
  store_kept(image, T, w.data());
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

}  // namespace orn
