#include "measure/measured_value.h"

#include "device/value_codec.h"

namespace orn {

uint16_t block_address(MeasureBlock block) {
  switch (block) {
    case MeasureBlock::Constant: return reg_address("CONSTANT");
    case MeasureBlock::Latched: return reg_address("LATCHED");
    case MeasureBlock::Measurement: break;
  }
  return reg_address("MEASUREMENT");
}

void decode_measurement(const uint16_t (&words)[kMeasurementBlockCount], MeasureBlock block,
                        MeasuredValue& record) {
  using O = MeasurementOffset;
  record.statp = words[O::kStatp];
  record.pizmf =
      decode_float(words[O::kPizmf], words[O::kPizmf + 1], statp_byte_order(record.statp)).value;
  record.relative = words[O::kRelative];
  record.izmerr = words[O::kIzmerr];
  record.btn = words[O::kBtn];
  record.tizmf = decode_float(words[O::kTizmf], words[O::kTizmf + 1], 0).value;
  if (block != MeasureBlock::Latched) record.init = (record.btn & kBtnInit) ? 1 : 0;
}

ExchangeResult read_measurement(ModbusMaster& master, MeasureBlock block, MeasuredValue& record) {
  // The master fills the buffer even after a failure, so decode only a good answer.
  uint16_t words[kMeasurementBlockCount] = {};
  const ExchangeResult r = master.read(block_address(block), kMeasurementBlockCount, words);
  record.faults = r.faults;
  record.unchecked = r.unchecked;
  if (r.ok()) decode_measurement(words, block, record);
  return r;
}

ExchangeResult latch_measurement(ModbusMaster& master) {
  constexpr const RegisterEntry& latch = register_entry("LATCH");
  const uint16_t one = 1;
  return master.write(latch.address, 1, &one, latch.label);
}

}  // namespace orn
