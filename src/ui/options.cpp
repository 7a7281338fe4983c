#include "ui/options.h"

#include <QCommandLineParser>

#include "link/port_names.h"

namespace orn {
namespace {

constexpr int kLastPage = 3;
constexpr int kMaxTrendSeconds = 3600;

}  // namespace

OptionsResult parseOptions(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription("Сервисная программа датчиков давления ОРН20 MB");
  const QCommandLineOption help({"h", "help"}, "Показать эту справку.");
  const QCommandLineOption demo("demo", "Запуск с имитатором датчика на COM1.");
  const QCommandLineOption portMap("port-map", "Сопоставить порту N устройство PATH, шлюз tcp:HOST:PORT или сервер Modbus TCP modbus-tcp:HOST[:PORT] (повторяемый).",
                                   "N=PATH");
  const QCommandLineOption screenshot("screenshot", "Сохранить снимок окна в FILE и выйти.", "FILE");
  const QCommandLineOption page("page", "Показать страницу N (0..3).", "N");
  const QCommandLineOption press("press", "Нажать кнопку NAME (повторяемый).", "NAME");
  const QCommandLineOption trend(
      "trend", "Открыть окно «График»; со --screenshot снимок этого окна через SECONDS секунд.", "SECONDS");
  parser.addOptions({help, demo, portMap, screenshot, page, press, trend});

  OptionsResult result;
  if (!parser.parse(arguments)) {
    result.error = parser.errorText();
    return result;
  }
  if (parser.isSet(help)) {
    result.help = true;
    result.helpText = parser.helpText();
    return result;
  }
  if (!parser.positionalArguments().isEmpty()) {
    result.error = "Лишний аргумент: " + parser.positionalArguments().first();
    return result;
  }

  Options& o = result.options;
  o.demo = parser.isSet(demo);
  for (const QString& map : parser.values(portMap)) {
    const auto m = parse_port_mapping(map.toStdString());
    if (!m) {
      result.error = "Неверное значение --port-map: " + map + " (нужно N=PATH, N от 1 до 255)";
      return result;
    }
    o.portMaps.emplace_back(m->port, QString::fromStdString(m->path));
  }
  o.screenshot = parser.value(screenshot);
  if (parser.isSet(page)) {
    bool ok = false;
    const int n = parser.value(page).toInt(&ok);
    if (!ok || n < 0 || n > kLastPage) {
      result.error = "Неверный номер страницы: " + parser.value(page) + " (нужно 0..3)";
      return result;
    }
    o.page = n;
  }
  o.press = parser.values(press);
  if (parser.isSet(trend)) {
    bool ok = false;
    const int seconds = parser.value(trend).toInt(&ok);
    if (!ok || seconds < 0 || seconds > kMaxTrendSeconds) {
      result.error = "Неверное значение --trend: " + parser.value(trend) + " (нужно 0..3600)";
      return result;
    }
    o.trendSeconds = seconds;
  }
  return result;
}

}  // namespace orn
