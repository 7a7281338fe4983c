#include "device/group_transfers.h"

#include "device/image_blocks.h"
#include "device/register_map.h"
#include "device/transfer_ops.h"

namespace orn {
namespace {

constexpr uint32_t kAfterVersionsMs = 100;
constexpr const char* kReadingSensor = "Идет чтение настроек датчика";
constexpr const char* kWritingSensor = "Идет запись параметров датчика";

// Reads one transfer and hands its words to store only when the read succeeded.
template <Transfer T, typename Store>
ExchangeResult read_block(ModbusMaster& master, Store store) {
  BlockWords<T> w{};
  const ExchangeResult r = read_transfer(master, T, w.data());
  if (r.ok()) store(w);
  return r;
}

template <Transfer T>
ExchangeResult write_block(ModbusMaster& master, const BlockWords<T>& w) {
  return write_transfer(master, T, w.data());
}

// Hides the panel on every way out of a transfer sequence.
class ShownPanel {
 public:
  ShownPanel(Progress& panel, std::string_view text) : panel_(panel) { panel_.show(text); }
  ~ShownPanel() { panel_.hide(); }
  ShownPanel(const ShownPanel&) = delete;
  ShownPanel& operator=(const ShownPanel&) = delete;

 private:
  Progress& panel_;
};

}  // namespace

ExchangeResult read_exchange_params(ModbusMaster& master, DeviceImage& image) {
  constexpr Transfer T = Transfer::ExchangeParamsRead;
  ExchangeResult r = read_block<T>(master, [&](const BlockWords<T>& w) {
    image.adr = w[block_offset(T, "ADR")];
    image.rate = w[block_offset(T, "RATE")];
    image.parity = w[block_offset(T, "PARITY")];
    image.prot = w[block_offset(T, "PROT")];
    image.timer = w[block_offset(T, "TIMER")];
  });
  if (!r.ok()) return r;
  return read_block<Transfer::ReplyDelayRead>(master, [&](const auto& w) { image.dely = w[0]; });
}

ExchangeResult read_factory_number_and_date(ModbusMaster& master, DeviceImage& image) {
  constexpr Transfer N = Transfer::FactoryNumber;
  ExchangeResult r = read_block<N>(master, [&](const BlockWords<N>& w) {
    image.sn_hi = w[block_offset(N, "SN_HI")];
    image.sn_lo = w[block_offset(N, "SN_LO")];
  });
  if (!r.ok()) return r;
  constexpr Transfer D = Transfer::Date;
  return read_block<D>(master, [&](const BlockWords<D>& w) {
    image.day = w[block_offset(D, "DAY")];
    image.month = w[block_offset(D, "MONTH")];
    image.year = w[block_offset(D, "YEAR")];
  });
}

ExchangeResult read_versions(ModbusMaster& master, DeviceImage& image) {
  constexpr Transfer T = Transfer::Versions;
  const ExchangeResult r = read_block<T>(master, [&](const BlockWords<T>& w) {
    image.ver_hard = w[block_offset(T, "VER_HARD")];
    image.ver_soft = w[block_offset(T, "VER_SOFT")];
  });
  if (!r.ok()) return r;
  master.pump().wait(kAfterVersionsMs);
  return r;
}

ExchangeResult read_watchdog(ModbusMaster& master, DeviceImage& image) {
  return read_block<Transfer::Watchdog>(master, [&](const auto& w) { image.timer = w[0]; });
}

ExchangeResult read_model(ModbusMaster& master, DeviceImage& image) {
  return read_block<Transfer::Model>(master, [&](const auto& w) { image.model = w[0]; });
}

ExchangeResult read_init_flag(ModbusMaster& master, uint16_t& init_flag) {
  return read_block<Transfer::InitState>(master, [&](const auto& w) { init_flag = w[0]; });
}

ExchangeResult read_device_gap(ModbusMaster& master, DeviceImage& image) {
  return read_block<Transfer::DeviceGapRead>(master, [&](const auto& w) { image.time_gap_dev = w[0]; });
}

ExchangeResult read_exchange_page(ModbusMaster& master, DeviceImage& image) {
  using Read = ExchangeResult (*)(ModbusMaster&, DeviceImage&);
  constexpr Read kReads[] = {read_exchange_params, read_factory_number_and_date, read_versions,
                             read_watchdog, read_model};
  ExchangeResult r;
  for (Read read : kReads) {
    r = read(master, image);
    if (!r.ok()) break;
  }
  return r;
}

ExchangeResult read_sensor_settings(ModbusMaster& master, DeviceImage& image, Progress& panel) {
  ShownPanel shown(panel, kReadingSensor);
  ExchangeResult r = read_block<Transfer::SensorSettings>(
      master, [&](const auto& w) { store_sensor_settings(image, w); });
  if (!r.ok()) return r;
  r = read_block<Transfer::UserTextRead>(master, [&](const auto& w) { image.user_text = w; });
  if (!r.ok()) return r;
  r = read_block<Transfer::ConstructionName>(master, [&](const auto& w) { image.constr_name = w; });
  if (!r.ok()) return r;
  r = read_block<Transfer::SensorData>(master, [&](const auto& w) { store_sensor_data(image, w); });
  if (!r.ok()) return r;
  return read_block<Transfer::DigitsRead>(master, [&](const auto& w) { image.digits = w[0]; });
}

ExchangeResult write_exchange_params(ModbusMaster& master, const DeviceImage& image) {
  ExchangeResult r = write_block<Transfer::FltypeWrite>(master, {image.fltype});
  if (!r.ok()) return r;
  r = write_block<Transfer::ReplyDelayWrite>(master, {image.dely});
  if (!r.ok()) return r;
  return write_block<Transfer::ExchangeParamsWrite>(master, {image.adr, image.rate, image.parity});
}

ExchangeResult write_sensor_settings(ModbusMaster& master, const DeviceImage& image, Progress& panel) {
  ShownPanel shown(panel, kWritingSensor);
  ExchangeResult r = write_block<Transfer::UnitXnulXbndWrite>(master, unit_xnul_xbnd_words(image));
  if (!r.ok()) return r;
  r = write_block<Transfer::XfsetWrite>(master, {image.xfset});
  if (!r.ok()) return r;
  r = write_block<Transfer::T90Write>(master, {image.t90});
  if (!r.ok()) return r;
  r = write_block<Transfer::CutoffsWrite>(master, cutoff_words(image));
  if (!r.ok()) return r;
  r = write_block<Transfer::FltypeWrite>(master, {image.fltype});
  if (!r.ok()) return r;
  r = write_block<Transfer::UserTextWrite>(master, image.user_text);
  if (!r.ok()) return r;
  return write_block<Transfer::DigitsWrite>(master, {image.digits});
}

ExchangeResult write_user_trims(ModbusMaster& master, const DeviceImage& image, Progress& panel) {
  ShownPanel shown(panel, kWritingSensor);
  return write_block<Transfer::AllUserTrimsWrite>(master, user_trim_words(image));
}

ExchangeResult write_device_gap(ModbusMaster& master, const DeviceImage& image) {
  return write_block<Transfer::DeviceGapWrite>(master, {image.time_gap_dev});
}

}  // namespace orn
