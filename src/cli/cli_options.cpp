#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string_view>

#include "device/input_checks.h"
#include "link/link_line.h"
#include "link/link_params.h"
#include "link/modbus_master.h"
#include "link/port_names.h"

namespace orn {
namespace {

constexpr uint32_t kRegisterSpace = 0x10000;

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

// One argument split at its first "=" when it is an option written "--name=value".
struct Arg {
  std::string name;
  std::optional<std::string> value;
};

Arg split(const std::string& arg) {
  const auto eq = arg.find('=');
  if (arg.rfind("--", 0) != 0 || eq == std::string::npos) return {arg, std::nullopt};
  return {arg.substr(0, eq), arg.substr(eq + 1)};
}

// Walks the arguments, handing out option values from "--name=value" or from
// the next argument.
class ArgReader {
 public:
  explicit ArgReader(const std::vector<std::string>& args) : args_(args) {}
  bool done() const { return i_ >= args_.size(); }
  Arg next() { return split(args_[i_++]); }
  std::optional<std::string> value(const Arg& a) {
    if (a.value) return a.value;
    if (done()) return std::nullopt;
    return args_[i_++];
  }

 private:
  const std::vector<std::string>& args_;
  size_t i_ = 0;
};

std::string bad_value(std::string_view option, std::string_view value, std::string_view expected) {
  return "неверное значение " + std::string(option) + " " + quoted(value) + ": ожидается " +
         std::string(expected);
}

// A global option with its value; returns an error text, or "" when taken.
std::string take_global(const std::string& name, const std::string& v, CliOptions& o) {
  auto number = [&](uint32_t min, uint32_t max, std::string_view expected,
                    std::optional<uint16_t>& target) -> std::string {
    const auto n = parse_cli_number(v, min, max);
    if (!n) return bad_value(name, v, expected);
    target = static_cast<uint16_t>(*n);
    return "";
  };
  if (name == "--device") {
    if (v.empty()) return bad_value(name, v, "путь к устройству");
    o.device = v;
  } else if (name == "--port") {
    return number(kPortNumberMin, kPortNumberMax, "номер порта от 1 до 255", o.port);
  } else if (name == "--port-map") {
    auto m = parse_port_mapping(v);
    if (!m) return bad_value(name, v, "N=ПУТЬ, где N - номер порта от 1 до 255");
    o.port_maps.emplace_back(m->port, std::move(m->path));
  } else if (name == "--rate") {
    const auto baud = parse_cli_number(v, 0, UINT32_MAX);
    const auto index = baud ? rate_index_for_baud(static_cast<uint32_t>(*baud)) : std::nullopt;
    if (!index) return bad_value(name, v, "1200, 2400, 4800, 9600, 19200, 38400, 57600 или 115200");
    o.rate_index = *index;
  } else if (name == "--parity") {
    if (v == "none") o.parity = kParityNone;
    else if (v == "odd") o.parity = kParityOdd;
    else if (v == "even") o.parity = kParityEven;
    else return bad_value(name, v, "none, odd или even");
  } else if (name == "--address") {
    return number(0, 255, "адрес от 0 до 255", o.address);
  } else if (name == "--attempts") {
    return number(1, 65535, "число попыток от 1 до 65535", o.attempts);
  } else if (name == "--trace") {
    if (v.empty()) return bad_value(name, v, "имя файла");
    o.trace = v;
  }
  return "";
}

bool is_global(const std::string& name) {
  static constexpr std::string_view kGlobal[] = {"--device", "--port",    "--port-map", "--rate",
                                                 "--parity", "--address", "--attempts", "--trace"};
  return std::find(std::begin(kGlobal), std::end(kGlobal), name) != std::end(kGlobal);
}

std::string unknown(std::string_view word) {
  return (word.rfind("-", 0) == 0 ? "неизвестный параметр " : "лишний аргумент ") + quoted(word);
}

std::string parse_read(ArgReader& r, CliOptions& o) {
  bool latched = false, constant = false;
  while (!r.done()) {
    const Arg a = r.next();
    if (a.name == "--latched" && !a.value) latched = true;
    else if (a.name == "--constant" && !a.value) constant = true;
    else return unknown(a.value ? a.name + "=" + *a.value : a.name);
  }
  if (latched && constant) return "--latched и --constant нельзя указывать вместе";
  o.block = latched ? MeasureBlock::Latched : live_block(constant);
  return "";
}

constexpr uint32_t kMaxPollIntervalMs = 3'600'000;

std::string parse_poll(ArgReader& r, CliOptions& o) {
  bool constant = false;
  while (!r.done()) {
    const Arg a = r.next();
    if (a.name == "--constant" && !a.value) {
      constant = true;
    } else if (a.name == "--count") {
      const auto v = r.value(a);
      if (!v) return "параметр --count требует значения";
      const auto n = parse_cli_number(*v, 1, UINT32_MAX);
      if (!n) return bad_value("--count", *v, "число циклов от 1");
      o.cycles = *n;
    } else if (a.name == "--interval") {
      const auto v = r.value(a);
      if (!v) return "параметр --interval требует значения";
      const auto n = parse_cli_number(*v, 0, kMaxPollIntervalMs);
      if (!n) return bad_value("--interval", *v, "пауза между циклами 0..3600000 мс");
      o.interval_ms = *n;
    } else {
      return unknown(a.value ? a.name + "=" + *a.value : a.name);
    }
  }
  o.block = live_block(constant);
  return "";
}

std::string parse_regs(ArgReader& r, CliOptions& o) {
  if (r.done()) return "после regs ожидается read или write";
  const std::string verb = r.next().name;
  if (verb != "read" && verb != "write") return "после regs ожидается read или write, а не " + quoted(verb);
  const bool read = verb == "read";
  o.command = read ? CliCommand::RegsRead : CliCommand::RegsWrite;
  if (r.done()) return "не указан адрес регистра";
  const std::string address = r.next().name;
  const auto start = parse_cli_number(address, 0, 0xFFFF);
  if (!start) return bad_value("адреса", address, "число от 0 до 65535 (0x0000..0xFFFF)");
  o.start = static_cast<uint16_t>(*start);
  uint32_t n = 0;
  if (read) {
    if (r.done()) return "не указано число регистров";
    const std::string count = r.next().name;
    const auto c = parse_cli_number(count, 1, kMaxReadCount);
    if (!c) return bad_value("числа регистров", count, "от 1 до 124");
    o.count = static_cast<uint8_t>(*c);
    if (!r.done()) return unknown(r.next().name);
    n = *c;
  } else {
    while (!r.done()) {
      const std::string value = r.next().name;
      const auto v = parse_cli_number(value, 0, 0xFFFF);
      if (!v) return bad_value("регистра", value, "число от 0 до 65535 (0x0000..0xFFFF)");
      o.values.push_back(static_cast<uint16_t>(*v));
    }
    if (o.values.empty()) return "не указаны значения регистров";
    if (o.values.size() > kMaxWriteCount) return "за один раз можно записать не более 123 регистров";
    n = static_cast<uint32_t>(o.values.size());
  }
  if (*start + n > kRegisterSpace) return "регистры выходят за адрес 0xFFFF";
  return "";
}

// Each item of a comma-separated list through take; false at the first it refuses.
template <class Take>
bool each_item(const std::string& list, Take take) {
  size_t from = 0;
  for (;;) {
    const size_t comma = list.find(',', from);
    if (!take(list.substr(from, comma == std::string::npos ? std::string::npos : comma - from))) return false;
    if (comma == std::string::npos) return true;
    from = comma + 1;
  }
}

std::string parse_search(ArgReader& r, CliOptions& o) {
  SearchSelection& s = o.search;
  s.first = 1;
  s.last = kLastListedAddress;
  while (!r.done()) {
    const Arg a = r.next();
    if (a.name == "--json" && !a.value) {
      o.json = true;
      continue;
    }
    static constexpr std::string_view kWithValue[] = {"--rates", "--parities", "--from", "--to", "--timeout"};
    if (std::find(std::begin(kWithValue), std::end(kWithValue), a.name) == std::end(kWithValue))
      return unknown(a.value ? a.name + "=" + *a.value : a.name);
    const auto v = r.value(a);
    if (!v) return "параметр " + a.name + " требует значения";
    if (a.name == "--rates") {
      const bool ok = each_item(*v, [&](const std::string& item) {
        const auto baud = parse_cli_number(item, 0, UINT32_MAX);
        const auto index = baud ? rate_index_for_baud(*baud) : std::nullopt;
        if (index) s.rates[*index - kRateIndexMin] = 1;
        return index.has_value();
      });
      if (!ok) return bad_value(a.name, *v, "список скоростей через запятую из 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200");
    } else if (a.name == "--parities") {
      const bool ok = each_item(*v, [&](const std::string& item) {
        const size_t code = item == "none" ? 0 : item == "odd" ? 1 : item == "even" ? 2 : kSearchParityCount;
        if (code < kSearchParityCount) s.parities[code] = 1;
        return code < kSearchParityCount;
      });
      if (!ok) return bad_value(a.name, *v, "список через запятую из none, odd, even");
    } else if (a.name == "--timeout") {
      const auto n = parse_cli_number(*v, 1, 65535);
      if (!n) return bad_value(a.name, *v, "время в мс от 1 до 65535");
      o.probe_timeout = static_cast<uint16_t>(*n);
    } else {
      const auto n = parse_cli_number(*v, 0, kLastListedAddress);
      if (!n) return bad_value(a.name, *v, "адрес от 0 до 247");
      (a.name == "--from" ? s.first : s.last) = static_cast<uint16_t>(*n);
    }
  }
  return "";
}

std::string parse_calib(ArgReader& r, CliOptions& o) {
  o.command = CliCommand::Calib;
  if (r.done()) return "после calib ожидается zero, span или trims";
  const std::string verb = r.next().name;
  if (verb == "zero") o.calib = CalibCommand::Zero;
  else if (verb == "span") o.calib = CalibCommand::Span;
  else if (verb == "trims") o.calib = CalibCommand::Trims;
  else return "после calib ожидается zero, span или trims, а не " + quoted(verb);
  const bool adjust = o.calib != CalibCommand::Trims;
  while (!r.done()) {
    const Arg a = r.next();
    if (a.name == "--yes" && !a.value) {
      o.yes = true;
    } else if (adjust && a.name == "--write" && !a.value) {
      o.write = true;
    } else if ((adjust && (a.name == "--target" || a.name == "--samples")) || (!adjust && a.name == "--set")) {
      const auto v = r.value(a);
      if (!v) return "параметр " + a.name + " требует значения";
      if (a.name == "--target") {
        o.target = *v;
      } else if (a.name == "--set") {
        o.trims = *v;
      } else {
        const auto n = parse_cli_number(*v, 0, 65535);
        if (!n) return bad_value(a.name, *v, "число выборок от 0 до 65535");
        o.samples = static_cast<uint16_t>(*n);
      }
    } else {
      return unknown(a.value ? a.name + "=" + *a.value : a.name);
    }
  }
  if (adjust && o.target.empty()) return "для calib " + verb + " нужен параметр --target V";
  if (adjust && !scan_real(o.target)) return bad_value("--target", o.target, "число");
  return "";
}

std::string parse_profile(ArgReader& r, CliOptions& o) {
  if (r.done()) return "после profile ожидается save или write";
  const std::string verb = r.next().name;
  if (verb != "save" && verb != "write") return "после profile ожидается save или write, а не " + quoted(verb);
  o.command = verb == "save" ? CliCommand::ProfileSave : CliCommand::ProfileWrite;
  while (!r.done()) {
    const Arg a = r.next();
    if (a.name == "--yes" && !a.value && o.command == CliCommand::ProfileWrite) o.yes = true;
    else if (a.name == "--take-link" && !a.value && o.command == CliCommand::ProfileWrite) o.take_link = true;
    else if (o.profile_file.empty() && a.name.rfind("-", 0) != 0) o.profile_file = a.name;
    else return unknown(a.value ? a.name + "=" + *a.value : a.name);
  }
  return o.profile_file.empty() ? "не указан файл профиля" : "";
}

std::string parse_config(ArgReader& r, CliOptions& o) {
  if (r.done()) return "после config ожидается read или write";
  const std::string verb = r.next().name;
  if (verb == "read") {
    o.command = CliCommand::ConfigRead;
    return r.done() ? "" : unknown(r.next().name);
  }
  if (verb != "write") return "после config ожидается read или write, а не " + quoted(verb);
  o.command = CliCommand::ConfigWrite;
  while (!r.done()) {
    const Arg a = r.next();
    if (a.name == "--yes" && !a.value) {
      o.yes = true;
      continue;
    }
    const std::string word = a.value ? a.name + "=" + *a.value : a.name;
    if (word.rfind("-", 0) == 0) return unknown(word);
    if (std::string error = add_config_assignment(word, o.assignments); !error.empty()) return error;
  }
  if (o.assignments.empty()) return "не указаны значения ИМЯ=ЗНАЧЕНИЕ";
  return "";
}

std::string parse_command(const std::vector<std::string>& words, CliOptions& o) {
  if (words.empty()) return "не указана команда";
  ArgReader r(words);
  const std::string command = r.next().name;
  if (command == "read") {
    o.command = CliCommand::Read;
    return parse_read(r, o);
  }
  if (command == "latch") {
    o.command = CliCommand::Latch;
    return r.done() ? "" : unknown(r.next().name);
  }
  if (command == "poll") {
    o.command = CliCommand::Poll;
    return parse_poll(r, o);
  }
  if (command == "regs") return parse_regs(r, o);
  if (command == "search") {
    o.command = CliCommand::Search;
    return parse_search(r, o);
  }
  if (command == "calib") return parse_calib(r, o);
  if (command == "profile") return parse_profile(r, o);
  if (command == "config") return parse_config(r, o);
  return command.rfind("-", 0) == 0 ? unknown(command) : "неизвестная команда " + quoted(command);
}

}  // namespace

std::optional<uint32_t> parse_cli_number(std::string_view text, uint32_t min, uint32_t max) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  // from_chars takes a leading "-"; a number here never has a sign.
  if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
  uint32_t n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n, base);
  if (ec != std::errc() || end != text.data() + text.size() || n < min || n > max) return std::nullopt;
  return n;
}

CliParse parse_cli_options(const std::vector<std::string>& args) {
  CliParse p;
  CliOptions& o = p.options;
  if (std::find_if(args.begin(), args.end(), [](const std::string& a) {
        return a == "--help" || a == "-h";
      }) != args.end()) {
    o.help = true;
    return p;
  }
  std::vector<std::string> words;  // the command with its own arguments
  ArgReader r(args);
  while (!r.done() && p.error.empty()) {
    const Arg a = r.next();
    if (!is_global(a.name)) {
      words.push_back(a.value ? a.name + "=" + *a.value : a.name);
      continue;
    }
    const auto v = r.value(a);
    p.error = v ? take_global(a.name, *v, o) : "параметр " + a.name + " требует значения";
  }
  if (p.error.empty() && o.device && o.port) p.error = "--device и --port нельзя указывать вместе";
  if (p.error.empty()) p.error = parse_command(words, o);
  return p;
}

std::string cli_usage() {
  return R"(Использование:
  orn20mb-cli [--device ПУТЬ | --port N] [--port-map N=ПУТЬ]... [--rate БОД]
              [--parity none|odd|even] [--address A] [--attempts N] [--trace ФАЙЛ] КОМАНДА

Команды:
  read [--latched | --constant]     однократное чтение блока измерения (0x0100);
                                    --latched: защелкнутое значение (0x0300),
                                    --constant: блок константы (0x0800)
  latch                             защелкнуть значения (запись 1 в регистр 0x0417)
  poll [--count N] [--interval МС] [--constant]
                                    циклический опрос: N циклов, без --count -
                                    до сигнала остановки (Ctrl+C), с паузой
                                    МС после каждого цикла (по умолчанию 1000,
                                    0 - циклы подряд)
  regs read АДРЕС ЧИСЛО             чтение регистров (функция 0x03), ЧИСЛО от 1 до 124
  regs write АДРЕС ЗНАЧЕНИЕ...      запись регистров (функция 0x10), от 1 до 123 значений
  search [--rates БОД,...] [--parities none,odd,even] [--from A] [--to B]
         [--attempts N] [--timeout МС] [--json]
                                    поиск приборов на линии: каждая комбинация
                                    скорости, адреса и четности проверяется
                                    чтением блока измерения; по умолчанию 9600 и
                                    19200, все три четности, адреса 1..247;
                                    --timeout: допуск прибора на начало ответа
                                    в мс (по умолчанию 25), считается от конца
                                    запроса на линии и паузы в 3,5 символа на
                                    проверяемой скорости и четности; начавшийся
                                    ответ читается до конца; тайм-ауты to.dat
                                    при поиске не действуют
  calib zero --target V [--samples N] [--write] [--yes]
  calib span --target V [--samples N] [--write] [--yes]
                                    подстройка нуля или диапазона: N выборок
                                    промежуточного значения (по умолчанию 32),
                                    требуемое значение V в единицах прибора;
                                    печатает каждую выборку со скользящим
                                    средним и рассчитанное значение, с --write
                                    записывает его (прибор перед этим
                                    проверяется и разблокируется, после
                                    записи защита от записи ставится снова;
                                    без --write защита не снимается);
                                    значения в % пересчитываются по
                                    диапазону из настроек датчика
  calib trims [--set СДВИГ,НОЛЬ,ПОДСТР] [--yes]
                                    чтение сдвига шкалы, пользовательского нуля
                                    (в единицах прибора) и пользовательской
                                    подстройки; --set проверяет и записывает их
  profile save ФАЙЛ                 прочитать настройки прибора (параметры обмена,
                                    настройки датчика, пользовательские
                                    подстройки) в профиль, который
                                    открывает окно программы
  profile write [--yes] [--take-link] ФАЙЛ
                                    записать в прибор то, что есть в файле
                                    профиля: настройки датчика,
                                    пользовательские подстройки и параметры
                                    обмена, с теми же вопросами и защитой
                                    записи, что и в окне; ключи, которых нет
                                    в файле, остаются как в приборе, группа
                                    без изменений не записывается, новые
                                    значения печатаются перед вопросом;
                                    адрес, скорость и четность прибора
                                    сохраняются, --take-link берет их из
                                    профиля (NET_NUM, NET_SPD, NET_PAR)
  --yes                             на все вопросы отвечать "да"; без него
                                    вопросы задаются на терминале
  config read                       параметры обмена и настройки датчика: каждый
                                    регистр строкой ИМЯ=ЗНАЧЕНИЕ (имя по карте
                                    регистров)
  config write [--yes] ИМЯ=ЗНАЧЕНИЕ...
                                    защищенная запись групп с названными
                                    регистрами (остальные регистры группы -
                                    как прочитаны из прибора) и чтение для
                                    проверки; после смены ADR, RATE, PARITY
                                    связь продолжается с новыми параметрами;
                                    каждый вопрос задается на терминале,
                                    --yes отвечает "да" на все

Параметры связи (без них берутся из dev.dat и to.dat текущей папки, если они
есть, иначе значения по умолчанию; файлы настроек только читаются):
  --device ПУТЬ        устройство последовательного порта, например /dev/ttyUSB0,
                       или шлюз Ethernet-RS-485 tcp:УЗЕЛ:ПОРТ (кадры RTU по TCP;
                       скорость и четность задаются в самом шлюзе)
  --port N             номер порта 1..255 (1..32 /dev/ttyS*, 33..64 /dev/ttyUSB*,
                       65..96 /dev/ttyACM*, а также раздел [PORTS] в dev.dat)
  --port-map N=ПУТЬ    сопоставить номеру порта устройство или tcp:УЗЕЛ:ПОРТ
                       (можно повторять)
  --rate БОД           1200, 2400, 4800, 9600, 19200, 38400, 57600 или 115200
  --parity ЧЕТНОСТЬ    none, odd или even
  --address A          сетевой адрес 0..255 (0: принимать ответ любого адреса,
                       255: не проверять ответ; тогда чтение не дает значений)
  --attempts N         число попыток обмена 1..65535
  --trace ФАЙЛ         записывать протокол обмена в ФАЙЛ
  --help               эта справка

Числа: десятичные или шестнадцатеричные с префиксом 0x; значения 0..65535.

Вывод: read и poll печатают на каждое чтение строку журнала измерений
  "Д.М.ГГГГ ЧЧ:ММ:СС  PIZMF=... IZMERR=... TIZMF=... STATP=... BTN=...",
  poll после неудачного цикла повторяет последние прочитанные значения и в конце
  печатает "cycles=N meas_errors=N exch_errors=N retries=N";
  regs read печатает для каждого регистра "0xАДРЕС 0xЗНАЧЕНИЕ ЗНАЧЕНИЕ";
  calib печатает выборки "N  IZMPsensun=... среднее=..." и итог
  "shift_usr=... ЕДИНИЦА" или "diap_usr=...", trims - три поля;
  search печатает каждую находку строкой списка окна
  "Скорость 19200  без парит. Сет. номер 1" или, с --json, объектом
  {"baud":19200,"parity":"none","address":1}; ход поиска и итог идут в поток
  ошибок (на терминале - одной строкой с числом проверок и оставшимся временем);
  config write пишет шаги, вопросы и сообщения в поток ошибок, а в вывод -
  прочитанные после записи значения названных регистров.

Значения config (запись принимает вывод config read):
  RATE в бодах; PARITY none, odd или even; UNIT и fltype кодом, названием или
  как в выводе (2, кПа или 2 (кПа) в кавычках); проценты числом (1.5, 1.5%);
  T90 в секундах 0..100; XNUL, XBND, XFSET, XSQR словом, у которого меняются
  только биты, доступные в окне; тексты до 16 символов, в кавычках с \", \\
  и \xNN для байта. Записываются: ADR RATE PARITY DELY TimeGapDev UNIT XNUL
  XBND XFSET T90 NULCUTOFF MAXCUTOFF LINCUTOFF MAXOVLD MINOVLD XSQR fltype
  USERTEXT DIGITS.

Код завершения (сообщение об ошибке выводится в поток ошибок):
  у всех команд: 0 успех; 2 ошибка в командной строке; 3 ошибка обмена или
    порт не открывается; 128 + N после сигнала остановки N (SIGINT, SIGTERM,
    SIGHUP)
  read, latch, regs read, regs write, config read, profile save: только эти;
    для profile save 3 также файл профиля не читается или не записывается
  poll: 3, если не удался хотя бы один цикл
  search: 3, если ни один прибор не найден
  config write, profile write: 1 запись отменена ответом "нет"; 2 также
    вопросы без --yes, когда стандартный ввод не терминал; 3 также любая
    ошибка после снятия защиты от записи, в том числе неотвеченная установка
    защиты (с фразой о защите от записи), для config write и после записи
    прочитано не то, что записано, для profile write файл профиля не найден
  calib: 2 также вопросы без --yes, когда стандартный ввод не терминал;
    3 также ответ "нет", неверное значение (тогда ничего не записывается) и
    любая ошибка после снятия защиты от записи (с фразой о защите от записи)

Сигнал остановки (SIGINT, SIGTERM, SIGHUP): идущий обмен завершает текущую
  попытку, новое не начинается - ни следующая группа записи, ни выборка, ни
  проверка поиска, рассчитанное значение не записывается; защищенная запись,
  уже снявшая защиту, ставит ее снова; затем команда сообщает, что записано и
  что нет (poll печатает счетчики, search - сколько проверено и найдено), и
  завершается примерно за секунду.
)";
}

}  // namespace orn
