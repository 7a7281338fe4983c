#include "cli/cli_config.h"

#include <cstdio>
#include <string>

#include "cli/config_registers.h"
#include "cli/json_line.h"
#include "cli/terminal_dialog.h"
#include "cli/write_report.h"
#include "device/group_transfers.h"
#include "device/protected_write.h"
#include "link/failure_report.h"
#include "link/line_names.h"

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
  if (reg.slot.word) {
    char word[16];
    std::snprintf(word, sizeof word, " (0x%04X)", static_cast<unsigned>(image.*reg.slot.word));
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

bool all_digits(std::string_view s, size_t from = 0) {
  if (s.size() <= from) return false;
  for (size_t i = from; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
  }
  return true;
}

// A JSON number as written: -?(0|[1-9][0-9]*)(.[0-9]+)?
bool json_number(std::string_view s) {
  if (!s.empty() && s[0] == '-') s.remove_prefix(1);
  const size_t point = s.find('.');
  const std::string_view whole = s.substr(0, point);
  if (!all_digits(whole) || (whole.size() > 1 && whole[0] == '0')) return false;
  return point == std::string_view::npos || all_digits(s, point + 1);
}

// The bytes of a text config read shows in quotes: \" \\ and \xNN undone.
std::string unquoted(std::string_view q) {
  std::string text;
  for (size_t i = 1; i + 1 < q.size(); ++i) {
    if (q[i] != '\\' || i + 2 >= q.size()) {
      text += q[i];
    } else if (q[i + 1] == 'x' && i + 4 < q.size()) {
      unsigned byte = 0;
      std::sscanf(std::string(q.substr(i + 2, 2)).c_str(), "%2x", &byte);
      text += static_cast<char>(byte);
      i += 3;
    } else {
      text += q[++i];
    }
  }
  return text;
}

}  // namespace

std::string config_json_value(std::string_view shown) {
  if (json_number(shown)) return std::string(shown);
  if (shown.size() > 2 && shown[0] == '0' && (shown[1] == 'x' || shown[1] == 'X')) {
    if (const auto n = parse_cli_number(shown, 0, UINT32_MAX)) return std::to_string(*n);
  }
  if (const size_t space = shown.find(" ("); space != std::string_view::npos && all_digits(shown.substr(0, space)) &&
                                               shown.back() == ')') {
    return std::string(shown.substr(0, space));
  }
  const bool quoted = shown.size() >= 2 && shown.front() == '"' && shown.back() == '"';
  return json_string(quoted ? unquoted(shown) : std::string(shown));
}

int run_config_read(ModbusMaster& master, CliContext& c, bool json) {
  DeviceImage image;
  NoProgress panel;
  const ReadOutcome read = read_configuration(master, image, panel);
  if (read.failed_step) {
    tell_failure(read.result, c);
    tell_step(read.failed_step, "значения не выведены", c);
    if (json) {
      JsonLine j;
      c.out << j.boolean("ok", false).string("step", read.failed_step).failure(read.result).line();
    }
    return kCliExitFailure;
  }
  for (const ConfigRegister& reg : config_registers()) {
    const std::string shown = reg.show(image);
    if (!json) {
      c.out << reg.name << '=' << shown << '\n';
      continue;
    }
    JsonLine j;
    c.out << j.string("name", reg.name).literal("value", config_json_value(shown)).string("text", shown).line();
  }
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
  DeviceImage as_read = image;  // the device as known: each answered write is laid over it
  for (const ConfigAssignment& a : o.assignments) a.reg->take(a.value, image);  // checked when parsed

  uint16_t never_read = 0;  // the settings were just read
  ProtectedWriteContext context{master, prompt, panel, never_read, c.journal, &as_read};
  // The journal's rows wait for the read after the writes, which verifies
  // them; on every other way out they go in unverified.
  struct Verdict {
    ChangeJournal* journal;
    void settle(const DeviceImage* read_back) {
      if (journal) journal->settle(read_back);
      journal = nullptr;
    }
    ~Verdict() { settle(nullptr); }
  } verdict{c.journal};
  if (c.journal) c.journal->hold();
  auto switch_link = [&] {
    adopt_device_link(image, link);
    c.err << "Связь продолжается с новыми параметрами: адрес " << link.address << ", "
          << baud_for_rate_index(link.rate_index) << " бод, четность " << parity_names(link.parity).option << "\n";
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
  verdict.settle(&after);
  bool same = true;
  for (const ConfigRegister& reg : config_registers()) {
    if (!reg.take) continue;
    if (!reg.differs(image, after)) continue;
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
