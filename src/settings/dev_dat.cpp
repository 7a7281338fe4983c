#include "settings/dev_dat.h"

#include <algorithm>
#include <string_view>

#include "settings/ini_file.h"

namespace orn {
namespace {

constexpr std::string_view kCom = "COM_SETTINGS";
constexpr std::string_view kDevice = "DEVICE";
constexpr std::string_view kSettings = "SETTINGS";
constexpr std::string_view kLog = "LOG";
constexpr std::string_view kDefaultLineSettings = "19200,N,8,1";
constexpr std::string_view kDefaultLogFile = "COM.txt";
constexpr uint16_t kGapMax = 255;

uint16_t limit_address(uint16_t a) { return (a == 0 || a > 255) ? 1 : a; }

}  // namespace

RateParity parse_line_settings(std::string_view text) {
  RateParity r;
  for (uint16_t i = kRateIndexMin; i <= kRateIndexMax; ++i) {
    if (text.find(std::to_string(baud_for_rate_index(i))) != std::string_view::npos) r.rate_index = i;
  }
  if (text.find('N') != std::string_view::npos) r.parity = 0;
  if (text.find('E') != std::string_view::npos) r.parity = 2;
  if (text.find('O') != std::string_view::npos) r.parity = 1;
  return r;
}

std::string line_settings_text(uint16_t rate_index, uint16_t parity) {
  std::string s = std::to_string(baud_for_rate_index(rate_index));
  s += parity == 1 ? ",O," : parity == 2 ? ",E," : ",N,";
  s += "8,2";
  return s;
}

std::optional<std::string> load_dev_dat(const std::string& folder, LinkParams& link,
                                        ExchangeSettings& exchange, DevDatDevice& device,
                                        bool write_back) {
  IniFile ini(settings_path(folder, kDevDatName));
  if (auto error = ini.load()) return error;
  if (!ini.existed()) {
    ini.write_u16(kCom, "Number", 1);
    ini.write_string(kCom, "Settings", kDefaultLineSettings);
    ini.write_u16(kCom, "DELY", 0);
    ini.write_u16(kDevice, "NetAdrr", 1);
    ini.write_u16(kSettings, "TimeOut", 2000);
    ini.write_u16(kSettings, "TimeGapDev", 0);
    ini.write_u16(kSettings, "TimeGapPrg", 0);
    ini.write_u16(kLog, "UseLogFile", 0);
    ini.write_string(kLog, "LogFileName", kDefaultLogFile);
  }
  // Each key is read, limited and written straight back, so the file lists
  // every key after a start.
  auto u16 = [&ini](std::string_view section, std::string_view key, uint16_t fallback,
                    auto limit) {
    const uint16_t v = limit(ini.read_u16(section, key, fallback));
    ini.write_u16(section, key, v);
    return v;
  };
  auto as_is = [](uint16_t v) { return v; };
  auto gap = [](uint16_t v) { return std::min(v, kGapMax); };
  exchange.reask_val = u16(kSettings, "Reask_val", 2, [](uint16_t v) -> uint16_t {
    return v == 0 ? 1 : v;
  });
  exchange.retry_mask = u16(kSettings, "read_hold_reg_err_msk", 127, as_is);
  link.port = u16(kCom, "Number", 1, as_is);
  const std::string line_settings = ini.read_string(kCom, "Settings", kDefaultLineSettings);
  ini.write_string(kCom, "Settings", line_settings);
  link.address = u16(kDevice, "NetAdrr", 1, limit_address);
  device.dely = u16(kCom, "DELY", 0, as_is);
  exchange.timeout = u16(kSettings, "TimeOut", 2000, as_is);
  exchange.use_log_file = u16(kLog, "UseLogFile", 1, as_is);
  exchange.log_file_name = ini.read_string(kLog, "LogFileName", kDefaultLogFile);
  ini.write_string(kLog, "LogFileName", exchange.log_file_name);
  device.time_gap_dev = u16(kSettings, "TimeGapDev", 0, gap);
  exchange.time_gap_prg = u16(kSettings, "TimeGapPrg", 0, gap);

  const RateParity rp = parse_line_settings(line_settings);
  link.rate_index = rp.rate_index;
  link.parity = rp.parity;
  if (!write_back) return std::nullopt;
  return ini.save();
}

std::optional<std::string> save_dev_dat(const std::string& folder, const LinkParams& link,
                                        const ExchangeSettings& exchange,
                                        const DevDatDevice& device) {
  IniFile ini(settings_path(folder, kDevDatName));
  if (auto error = ini.load()) return error;
  if (!ini.existed()) ini.write_string(kLog, "LogFileName", kDefaultLogFile);
  // Same key as Reask_val: names match without regard to case.
  ini.write_u16(kSettings, "reask_val", exchange.reask_val);
  ini.write_u16(kCom, "Number", link.port);
  ini.write_string(kCom, "Settings", line_settings_text(link.rate_index, link.parity));
  ini.write_u16(kDevice, "NetAdrr", link.address);
  ini.write_u16(kCom, "DELY", device.dely);
  ini.write_u16(kSettings, "TimeOut", exchange.timeout);
  ini.write_u16(kLog, "UseLogFile", exchange.use_log_file);
  ini.write_u16(kSettings, "TimeGapDev", std::min(device.time_gap_dev, kGapMax));
  ini.write_u16(kSettings, "TimeGapPrg", std::min(exchange.time_gap_prg, kGapMax));
  return ini.save();
}

}  // namespace orn
