#include "device/group_transfers.h"

#include "device/image_blocks.h"
#include "device/register_map.h"
#include "device/transfer_ops.h"

namespace orn {
namespace {

constexpr uint32_t kAfterVersionsMs = 100;
constexpr const char* kReadingSensor = "Идет чтение настроек датчика";

// Reads one transfer and hands its words to store only when the read succeeded.
template <Transfer T, typename Store>
ExchangeResult read_block(ModbusMaster& master, Store store) {
  BlockWords<T> w{};
  const ExchangeResult r = read_transfer(master, T, w.data());
  if (r.ok()) store(w);
  return r;
}

}  // namespace

ExchangeResult read_exchange_params(ModbusMaster& master, DeviceImage& image) {
  return read_sequence(master, kExchangeParamsReads, image);
}

ExchangeResult read_factory_number_and_date(ModbusMaster& master, DeviceImage& image) {
  ExchangeResult r = read_kept(master, Transfer::FactoryNumber, image);
  if (!r.ok()) return r;
  return read_kept(master, Transfer::Date, image);
}

ExchangeResult read_versions(ModbusMaster& master, DeviceImage& image) {
  const ExchangeResult r = read_kept(master, Transfer::Versions, image);
  if (!r.ok()) return r;
  master.pump().wait(kAfterVersionsMs);
  return r;
}

ExchangeResult read_watchdog(ModbusMaster& master, DeviceImage& image) {
  return read_kept(master, Transfer::Watchdog, image);
}

ExchangeResult read_model(ModbusMaster& master, DeviceImage& image) {
  return read_kept(master, Transfer::Model, image);
}

ExchangeResult read_init_flag(ModbusMaster& master, uint16_t& init_flag) {
  return read_block<Transfer::InitState>(master, [&](const auto& w) { init_flag = w[0]; });
}

ExchangeResult read_device_gap(ModbusMaster& master, DeviceImage& image) {
  return read_sequence(master, kDeviceGapReads, image);
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
  // The kept blocks of kSensorSettingsKept, with the construction name and the sensor data between.
  ShownPanel shown(panel, kReadingSensor);
  ExchangeResult r = read_kept(master, Transfer::SensorSettings, image);
  if (!r.ok()) return r;
  r = read_kept(master, Transfer::UserTextRead, image);
  if (!r.ok()) return r;
  r = read_block<Transfer::ConstructionName>(master, [&](const auto& w) { image.constr_name = w; });
  if (!r.ok()) return r;
  r = read_block<Transfer::SensorData>(master, [&](const auto& w) { store_sensor_data(image, w); });
  if (!r.ok()) return r;
  return read_kept(master, Transfer::DigitsRead, image);
}

}  // namespace orn
