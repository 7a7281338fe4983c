#pragma once
// Command-line options of the window program.
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace orn {

struct Options {
  bool demo = false;                                  // start with a simulated transmitter
  std::vector<std::pair<int, QString>> portMaps;      // --port-map N=PATH, in order
  QString screenshot;                                 // PNG to write; empty: run normally
  std::optional<int> page;                            // notebook page to show, 0..3
  QStringList press;                                  // buttons to click, in order
  std::optional<int> trendSeconds;                    // --trend: open the chart; the screenshot after that long
};

struct OptionsResult {
  Options options;
  QString error;      // non-empty: a usage error to print before exiting with 2
  bool help = false;  // --help: print helpText and exit with 0
  QString helpText;
};

// arguments as QCoreApplication::arguments(): the program name first.
OptionsResult parseOptions(const QStringList& arguments);

}  // namespace orn
