#include "sim_options.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

#include "link/line_names.h"

namespace orn::sim {
namespace {

template <typename T>
std::optional<T> number(const std::string& s) {
  T v{};
  const char* end = s.data() + s.size();
  const auto r = std::from_chars(s.data(), end, v);
  if (s.empty() || r.ec != std::errc() || r.ptr != end) return std::nullopt;
  return v;
}

// A parity by its option name or the name's first letter.
std::optional<uint16_t> parity_of(const std::string& s) {
  for (const ParityName& p : kParityNames) {
    if (s == p.option || (s.size() == 1 && s[0] == p.option[0])) return p.code;
  }
  return std::nullopt;
}

bool valid_baud(uint32_t baud) { return rate_index_of_baud(baud) != 0; }

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> out;
  size_t from = 0;
  for (size_t at = s.find(sep); at != std::string::npos; at = s.find(sep, from)) {
    out.push_back(s.substr(from, at - from));
    from = at + 1;
  }
  out.push_back(s.substr(from));
  return out;
}

}  // namespace

std::string sim_usage() {
  return "Использование: orn20mb-sim [параметры]\n"
         "Имитатор датчиков давления на линии Modbus RTU через псевдотерминал.\n"
         "Печатает путь к подчиненной стороне псевдотерминала и работает до SIGINT/SIGTERM.\n"
         "\n"
         "  --link ПУТЬ              создать символическую ссылку на псевдотерминал (удаляется при выходе)\n"
         "  --modbus-tcp ПОРТ        вместо псевдотерминала служить сервером Modbus TCP на 127.0.0.1:ПОРТ\n"
         "                           (0: любой свободный порт); печатает modbus-tcp:127.0.0.1:ПОРТ\n"
         "  --address A[,A...]       сетевые адреса датчиков 1..247 (по умолчанию 1)\n"
         "  --rate БОД               скорость датчиков: 1200..115200 (по умолчанию 19200)\n"
         "  --parity none|odd|even   четность датчиков (по умолчанию none)\n"
         "  --device A:БОД:ЧЕТНОСТЬ  еще один датчик со своими параметрами обмена (можно повторять)\n"
         "  --init                   датчики в состоянии INIT (адрес 1, 19200, без четности)\n"
         "  --pressure-model constant|ramp|noise\n"
         "                           модель давления (по умолчанию constant)\n"
         "  --pressure КПА           давление для constant и центр для noise (по умолчанию 100)\n"
         "  --pressure-steps КПА,... ступени давления для проверки калибровки: следующая ступень\n"
         "                           по сигналу SIGUSR1 или через --step-period; последняя остается\n"
         "  --step-period МС         смена ступени по времени каждые МС (по умолчанию 0: по SIGUSR1)\n"
         "  --ramp-low КПА           нижняя точка пилы ramp (по умолчанию 0)\n"
         "  --ramp-high КПА          верхняя точка пилы ramp (по умолчанию 250)\n"
         "  --period МС              период пилы ramp (по умолчанию 20000)\n"
         "  --noise КПА              полуразмах шума noise (по умолчанию 0.5)\n"
         "  --sensor-offset КПА      смещение нуля сенсора (по умолчанию 0)\n"
         "  --sensor-gain K          коэффициент сенсора (по умолчанию 1)\n"
         "  --temperature C          температура сенсора (по умолчанию 23.5)\n"
         "  --izmerr МАСКА           биты ошибок IZMERR, выставляемые всегда (по умолчанию 0)\n"
         "  --btn МАСКА              биты контактов BTN, выставляемые всегда (по умолчанию 0)\n"
         "  --delay МС               задержка ответа DELY 0..255 (по умолчанию 0)\n"
         "  --paced                  линия со скоростью настоящей: запрос принимается за время\n"
         "                           своих символов, ответ начинается через 3,5 символа и задержку\n"
         "                           DELY, байты ответа идут с интервалом в один символ\n"
         "  --head-read-silence МС   молчание после HEAD_READ_ASK (по умолчанию 55000)\n"
         "  --fault ВИД[:ЧИСЛО]      вид случайной ошибки ответа (можно повторять): silence, crc,\n"
         "                           address, function, exception[:код], surplus[:байт],\n"
         "                           truncated[:байт], delay[:мс], line-error\n"
         "  --fault-rate P           вероятность ошибки в ответе 0..1 (по умолчанию 0)\n"
         "  --fault-address A[,A...] случайные ошибки только в ответах этих адресов (по умолчанию всех)\n"
         "  --seed N                 начальное значение генератора (по умолчанию 1)\n"
         "  --help                   эта справка\n"
         "\n"
         "Код выхода: 0 при нормальном завершении, 1 при ошибке псевдотерминала или сокета, 2 при ошибке в параметрах.\n";
}

ParsedOptions parse_sim_options(const std::vector<std::string>& args) {
  ParsedOptions out;
  SimOptions& o = out.options;
  TransmitterConfig base;
  std::vector<uint16_t> addresses{1};
  std::vector<TransmitterConfig> extra;
  bool init = false;

  auto bad = [&](const std::string& opt, const std::string& value) {
    out.error = "Недопустимое значение параметра " + opt + ": " + value;
  };
  using Handler = std::function<bool(const std::string&)>;
  auto unsigned_into = [](auto& field, uint64_t max) {
    return Handler([&field, max](const std::string& v) {
      auto n = number<uint64_t>(v);
      if (!n || *n > max) return false;
      field = static_cast<std::remove_reference_t<decltype(field)>>(*n);
      return true;
    });
  };
  auto double_into = [](double& field) {
    return Handler([&field](const std::string& v) {
      auto n = number<double>(v);
      if (!n) return false;
      field = *n;
      return true;
    });
  };
  double temperature = base.temperature;
  const std::map<std::string, Handler> with_value{
      {"--link", [&](const std::string& v) { o.link = v; return !v.empty(); }},
      {"--modbus-tcp",
       [&](const std::string& v) {
         auto n = number<uint16_t>(v);
         if (n) o.modbus_tcp = *n;
         return n.has_value();
       }},
      {"--address",
       [&](const std::string& v) {
         addresses.clear();
         for (const std::string& a : split(v, ',')) {
           auto n = number<uint16_t>(a);
           if (!n || *n < 1 || *n > 247) return false;
           addresses.push_back(*n);
         }
         return true;
       }},
      {"--rate",
       [&](const std::string& v) {
         auto n = number<uint32_t>(v);
         if (!n || !valid_baud(*n)) return false;
         base.link.baud = *n;
         return true;
       }},
      {"--parity",
       [&](const std::string& v) {
         auto p = parity_of(v);
         if (p) base.link.parity = *p;
         return p.has_value();
       }},
      {"--device",
       [&](const std::string& v) {
         const auto parts = split(v, ':');
         if (parts.size() != 3) return false;
         auto a = number<uint16_t>(parts[0]);
         auto b = number<uint32_t>(parts[1]);
         auto p = parity_of(parts[2]);
         if (!a || *a < 1 || *a > 247 || !b || !valid_baud(*b) || !p) return false;
         TransmitterConfig c;
         c.link = {*a, *b, *p};
         extra.push_back(c);
         return true;
       }},
      {"--pressure-model",
       [&](const std::string& v) {
         if (v == "constant") base.pressure.model = PressureModel::Constant;
         else if (v == "ramp") base.pressure.model = PressureModel::Ramp;
         else if (v == "noise") base.pressure.model = PressureModel::Noise;
         else return false;
         return true;
       }},
      {"--pressure", double_into(base.pressure.kpa)},
      {"--pressure-steps",
       [&](const std::string& v) {
         base.pressure.steps.clear();
         for (const std::string& item : split(v, ',')) {
           auto n = number<double>(item);
           if (!n || !std::isfinite(*n)) return false;
           base.pressure.steps.push_back(*n);
         }
         base.pressure.model = PressureModel::Steps;
         return true;
       }},
      {"--step-period", unsigned_into(base.pressure.step_ms, UINT32_MAX)},
      {"--ramp-low", double_into(base.pressure.ramp_low)},
      {"--ramp-high", double_into(base.pressure.ramp_high)},
      {"--period", unsigned_into(base.pressure.period_ms, UINT32_MAX)},
      {"--noise", double_into(base.pressure.noise)},
      {"--sensor-offset", double_into(base.sensor_offset_kpa)},
      {"--sensor-gain", double_into(base.sensor_gain)},
      {"--temperature", double_into(temperature)},
      {"--izmerr", unsigned_into(base.izmerr, 0xFFFF)},
      {"--btn", unsigned_into(base.btn, 0xFFFF)},
      {"--delay", unsigned_into(o.delay_ms, 255)},
      {"--head-read-silence", unsigned_into(base.head_read_silence_ms, UINT32_MAX)},
      {"--fault",
       [&](const std::string& v) {
         const auto parts = split(v, ':');
         auto k = fault_kind_from_name(parts[0]);
         if (!k || parts.size() > 2) return false;
         Fault f{*k, 0};
         if (parts.size() == 2) {
           auto n = number<uint32_t>(parts[1]);
           if (!n) return false;
           f.value = *n;
         }
         o.random_faults.push_back(f);
         return true;
       }},
      {"--fault-rate",
       [&](const std::string& v) {
         auto n = number<double>(v);
         if (!n || *n < 0 || *n > 1) return false;
         o.fault_rate = *n;
         return true;
       }},
      {"--fault-address",
       [&](const std::string& v) {
         o.fault_addresses.clear();
         for (const std::string& a : split(v, ',')) {
           auto n = number<uint16_t>(a);
           if (!n || *n < 1 || *n > 247) return false;
           o.fault_addresses.push_back(*n);
         }
         return true;
       }},
      {"--seed", unsigned_into(o.seed, UINT64_MAX)},
  };

  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      o.help = true;
      continue;
    }
    if (a == "--init") {
      init = true;
      continue;
    }
    if (a == "--paced") {
      o.paced = true;
      continue;
    }
    std::string name = a;
    std::string value;
    bool has_value = false;
    if (const size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
      has_value = true;
    }
    const auto h = with_value.find(name);
    if (h == with_value.end()) {
      out.error = "Неизвестный параметр: " + a;
      return out;
    }
    if (!has_value) {
      if (i + 1 >= args.size()) {
        out.error = "Параметру " + name + " не хватает значения";
        return out;
      }
      value = args[++i];
    }
    if (!h->second(value)) {
      bad(name, value);
      return out;
    }
  }
  if (o.modbus_tcp && (!o.link.empty() || o.paced)) {
    out.error = "--modbus-tcp нельзя сочетать с --link и --paced";
    return out;
  }
  if (o.fault_rate > 0 && o.random_faults.empty()) {
    out.error = "Для --fault-rate нужен хотя бы один --fault";
    return out;
  }
  base.temperature = static_cast<float>(temperature);
  base.init = init;
  base.pressure.seed = o.seed;
  for (uint16_t address : addresses) {
    TransmitterConfig c = base;
    c.link.address = address;
    o.devices.push_back(c);
  }
  for (TransmitterConfig c : extra) {
    const LinkSettings link = c.link;
    c = base;
    c.link = link;
    o.devices.push_back(c);
  }
  for (size_t i = 0; i < o.devices.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (o.devices[i].link.address == o.devices[j].link.address) {
        out.error = "Адрес " + std::to_string(o.devices[i].link.address) + " повторяется";
        return out;
      }
    }
    o.devices[i].serial_number += static_cast<uint32_t>(i);
  }
  return out;
}

}  // namespace orn::sim
