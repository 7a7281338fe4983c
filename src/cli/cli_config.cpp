#include "cli/cli_config.h"

#include <cstdio>
#include <string>

#include "cli/config_registers.h"
#include "cli/terminal_dialog.h"
#include "cli/write_report.h"
#include "device/group_transfers.h"
#include "device/protected_write.h"
#include "link/failure_report.h"

namespace orn {
namespace {

constexpr const char* kPrefix = "orn20mb-cli: ";

struct ReadStep {
  const char* name;
  ExchangeResult (*read)(ModbusMaster&, DeviceImage&, Progress&);
};

// Everything config read prints, group by group.
constexpr ReadStep kReadSteps[] = {
    {"чтение параметров обмена",
     [](ModbusMaster& m, DeviceImage& image, Progress&) { return read_exchange_page(m, image); }},
    {"чтение флага INIT",
     [](ModbusMaster& m, DeviceImage& image, Progress&) { return read_init_flag(m, image.init_flag); }},
    {"чтение временного зазора прибора",
     [](ModbusMaster& m, DeviceImage& image, Progress&) { return read_device_gap(m, image); }},
    {"чтение настроек датчика", read_sensor_settings},
};

struct ReadOutcome {
  ExchangeResult result;
  const char* failed_step = nullptr;
};

ReadOutcome read_configuration(ModbusMaster& master, DeviceImage& image, Progress& panel) {
  for (const ReadStep& step : kReadSteps) {
    const ExchangeResult r = step.read(master, image, panel);
    if (!r.ok()) return {r, step.name};
  }
  return {};
}

void tell_failure(const ExchangeResult& r, CliContext& c) {
  if (auto m = failure_message(r)) c.err << m->text << "\n";
}

// The step that failed and what it left on the device.
void tell_step(std::string_view step, std::string_view state, CliContext& c) {
  c.err << kPrefix << "ошибка обмена на шаге «" << step << "»; " << state << "\n";
}

// The groups in the order they are written: the exchange parameters last,
// since after them the link moves to the device's new settings.
struct GroupWrite {
  ConfigGroup group;
  WrittenGroup names;
};
constexpr GroupWrite kWriteOrder[] = {
    {ConfigGroup::Sensor, kSensorGroup},
    {ConfigGroup::DeviceGap, kDeviceGapGroup},
    {ConfigGroup::Exchange, kExchangeGroup},
};

// A value with its register word where it has one, so that a difference
// hidden by the shown form (T90 in whole seconds) is still told.
std::string shown(const ConfigRegister& reg, const DeviceImage& image) {
  std::string text = std::string(reg.name) + "=" + reg.show(image);
  if (reg.word) {
    char word[16];
    std::snprintf(word, sizeof word, " (0x%04X)", static_cast<unsigned>(image.*reg.word));
    text += word;
  }
  return text;
}

bool named(const CliOptions& o, const ConfigRegister& reg) {
  for (const ConfigAssignment& a : o.assignments) {
    if (a.reg == &reg) return true;
  }
  return false;
}

}  // namespace

int run_config_read(ModbusMaster& master, CliContext& c) {
  DeviceImage image;
  NoProgress panel;
  const ReadOutcome read = read_configuration(master, image, panel);
  if (read.failed_step) {
    tell_failure(read.result, c);
    tell_step(read.failed_step, "значения не выведены", c);
    return kCliExitFailure;
  }
  for (const ConfigRegister& reg : config_registers()) c.out << reg.name << '=' << reg.show(image) << '\n';
  return kCliExitOk;
}

int run_config_write(const CliOptions& o, ModbusMaster& master, LinkParams& link,
                     const std::function<bool()>& reopen, CliContext& c) {
  TerminalPrompt prompt(c.in, c.err, o.yes);
  StreamProgress panel(c.err);

  // Every register of a group is sent: the unnamed ones as just read.
  DeviceImage image;
  c.err << "Чтение параметров прибора\n";
  if (const ReadOutcome read = read_configuration(master, image, panel); read.failed_step) {
    tell_failure(read.result, c);
    tell_step(read.failed_step, "ничего не записано", c);
    return kCliExitFailure;
  }
  for (const ConfigAssignment& a : o.assignments) a.reg->take(a.value, image);  // checked when parsed

  uint16_t never_read = 0;  // the settings were just read
  ProtectedWriteContext context{master, prompt, panel, never_read};
  auto switch_link = [&] {
    adopt_device_link(image, link);
    c.err << "Связь продолжается с новыми параметрами: адрес " << link.address << ", "
          << baud_for_rate_index(link.rate_index) << " бод, четность " << parity_name(link.parity) << "\n";
    reopen();
  };
  for (const GroupWrite& g : kWriteOrder) {
    std::string values;
    for (const ConfigRegister& reg : config_registers()) {
      if (reg.group == g.group && named(o, reg)) values += " " + std::string(reg.name) + "=" + reg.show(image);
    }
    if (values.empty()) continue;
    WriteOutcome out;
    if (master.stopping()) {
      out.step = WriteStep::Stopped;
    } else {
      c.err << "Новые значения:" << values << "\n";
      switch (g.group) {
        case ConfigGroup::Sensor: out = write_sensor_settings_protected(context, image, {}); break;
        case ConfigGroup::DeviceGap: out = write_device_gap_protected(context, image); break;
        case ConfigGroup::Exchange:
          out = write_exchange_params_protected(context, image, image.init_flag, switch_link);
          break;
        case ConfigGroup::None: break;
      }
    }
    if (const int status = tell_write_end(out, g.names, c)) return status;
  }

  c.err << "Проверка: чтение после записи\n";
  DeviceImage after;
  if (const ReadOutcome read = read_configuration(master, after, panel); read.failed_step) {
    tell_failure(read.result, c);
    tell_step(std::string(read.failed_step) + " после записи", "записано, защита от записи установлена", c);
    return kCliExitFailure;
  }
  bool same = true;
  for (const ConfigRegister& reg : config_registers()) {
    if (!reg.take) continue;
    const bool differs = reg.word ? image.*reg.word != after.*reg.word : reg.show(image) != reg.show(after);
    if (!differs) continue;
    same = false;
    c.err << kPrefix << "после записи прочитано " << shown(reg, after) << ", а записано " << shown(reg, image)
          << "\n";
  }
  if (!same) return kCliExitFailure;
  for (const ConfigRegister& reg : config_registers()) {
    if (named(o, reg)) c.out << reg.name << '=' << reg.show(after) << '\n';
  }
  return kCliExitOk;
}

}  // namespace orn
