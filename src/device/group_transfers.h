#pragma once
// The configuration groups moved between the transmitter and the device
// image. Each operation returns the result of its first failed transaction
// (or of the last one); a block is stored into the image only after its own
// read succeeded, so a failure leaves that block as it was.
#include "device/device_image.h"
#include "device/progress.h"
#include "device/register_map.h"
#include "device/transfer_ops.h"
#include "link/faults.h"
#include "link/modbus_master.h"

namespace orn {

// The blocks a read of the exchange parameters, of the device gap and of the
// sensor settings leaves in the image as the device holds them.
inline constexpr Transfer kExchangeParamsReads[] = {Transfer::ExchangeParamsRead, Transfer::ReplyDelayRead};
inline constexpr Transfer kDeviceGapReads[] = {Transfer::DeviceGapRead};
inline constexpr Transfer kSensorSettingsKept[] = {Transfer::SensorSettings, Transfer::UserTextRead,
                                                   Transfer::DigitsRead};

// Page "Параметры обмена".
ExchangeResult read_exchange_params(ModbusMaster& master, DeviceImage& image);  // ADR..TIMER, DELY
ExchangeResult read_factory_number_and_date(ModbusMaster& master, DeviceImage& image);
ExchangeResult read_versions(ModbusMaster& master, DeviceImage& image);
ExchangeResult read_watchdog(ModbusMaster& master, DeviceImage& image);
ExchangeResult read_model(ModbusMaster& master, DeviceImage& image);
// INITFLAG into init_flag (the window's one INIT flag, also set by measurements).
ExchangeResult read_init_flag(ModbusMaster& master, uint16_t& init_flag);
ExchangeResult read_device_gap(ModbusMaster& master, DeviceImage& image);
// The five reads of the page's "read all", in order, stopping at the first failure.
ExchangeResult read_exchange_page(ModbusMaster& master, DeviceImage& image);

// Page "Настройки датчика": the settings block, user text, construction name,
// sensor data and DIGITS, with the panel shown while they run.
ExchangeResult read_sensor_settings(ModbusMaster& master, DeviceImage& image, Progress& panel);

// The transfers of each group write, in the order they go out, all from the
// image: fltype, DELY, then ADR, RATE, PARITY; unit and flags, XFSET, T90,
// cut-offs, fltype, user text, DIGITS; the three user trims in one transaction.
inline constexpr Transfer kExchangeParamsWrites[] = {Transfer::FltypeWrite, Transfer::ReplyDelayWrite,
                                                     Transfer::ExchangeParamsWrite};
inline constexpr Transfer kSensorSettingsWrites[] = {
    Transfer::UnitXnulXbndWrite, Transfer::XfsetWrite,    Transfer::T90Write,   Transfer::CutoffsWrite,
    Transfer::FltypeWrite,       Transfer::UserTextWrite, Transfer::DigitsWrite,
};
inline constexpr Transfer kUserTrimsWrites[] = {Transfer::AllUserTrimsWrite};
inline constexpr Transfer kDeviceGapWrites[] = {Transfer::DeviceGapWrite};
static_assert(all_kept_whole(kExchangeParamsWrites) && all_kept_whole(kSensorSettingsWrites) &&
                  all_kept_whole(kUserTrimsWrites) && all_kept_whole(kDeviceGapWrites),
              "group writes send only registers the image keeps");
// Shown on the panel while the sensor settings or the user trims are written.
inline constexpr const char* kWritingSensor = "Идет запись параметров датчика";

}  // namespace orn
