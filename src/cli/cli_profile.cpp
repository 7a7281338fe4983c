#include "cli/cli_profile.h"

#include <filesystem>

#include "calib/calib_transfers.h"
#include "cli/terminal_dialog.h"
#include "device/group_transfers.h"
#include "device/protected_write.h"
#include "link/failure_report.h"
#include "settings/profile.h"

namespace orn {
namespace {

// What a profile reads into and writes from.
struct ProfileMemory {
  DeviceImage image;
  SearchSelection search;
  MeasureLogSettings log;
  ProfileKept kept;
  ProfileTarget target() { return {image, search, log, kept}; }
};

bool file_error(const std::optional<std::string>& error, CliContext& c) {
  if (error) c.err << *error << "\n";
  return error.has_value();
}

}  // namespace

int run_profile_save(const std::string& path, ModbusMaster& master, CliContext& c) {
  ProfileMemory m;
  if (file_error(load_profile(path, m.target(), false), c)) return kCliExitFailure;
  TerminalPrompt prompt(nullptr, c.err, false);
  StreamProgress panel(c.err);
  ExchangeResult r = read_exchange_page(master, m.image);
  if (r.ok()) r = read_sensor_settings(master, m.image, panel);
  if (r.ok()) r = read_offset_group(master, m.image);
  if (r.ok()) r = read_span_group(master, m.image);
  if (!r.ok()) {
    report_exchange_failure(prompt, r);
    return kCliExitFailure;
  }
  m.kept.konstr_txt = register_text(m.image.constr_name.data(), m.image.constr_name.size());
  if (file_error(save_profile(path, m.target()), c)) return kCliExitFailure;
  c.err << "Профиль настроек записан в " << path << "\n";
  return kCliExitOk;
}

int refuse_profile_write(const CliOptions& o, CliContext& c) {
  // A profile that is not there would be written from the read defaults.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(o.profile_file, ec)) {
    c.err << "Файл профиля " << o.profile_file << " не найден\n";
    return kCliExitFailure;
  }
  return kCliExitOk;
}

int run_profile_write(const CliOptions& o, ModbusMaster& master, CliContext& c, LinkParams& link,
                      const std::function<bool()>& reopen) {
  ProfileMemory m;
  if (file_error(load_profile(o.profile_file, m.target(), false), c)) return kCliExitFailure;

  TerminalPrompt prompt(c.in, c.err, o.yes);
  StreamProgress panel(c.err);
  uint16_t never_read = 1;
  ProtectedWriteContext pc{master, prompt, panel, never_read};
  const auto inputs = [] { return true; };  // the values come from the profile, already in the image
  if (!write_sensor_settings_protected(pc, m.image, inputs).ok()) return kCliExitFailure;
  if (!write_user_trims_protected(pc, m.image, inputs).ok()) return kCliExitFailure;
  // Last: a device that takes a new address or rate answers there from now on.
  uint16_t init_flag = 0;
  bool reopened = true;
  const auto switch_link = [&] {
    adopt_device_link(m.image, link);
    reopened = reopen();
  };
  const WriteOutcome out = write_exchange_params_protected(pc, m.image, init_flag, switch_link);
  return out.ok() && reopened ? kCliExitOk : kCliExitFailure;
}

}  // namespace orn
