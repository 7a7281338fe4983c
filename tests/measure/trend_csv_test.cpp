#include "measure/trend_csv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "support/temp_folder.h"

namespace orn {
namespace {

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string f;
  while (std::getline(in, f, ',')) fields.push_back(f);
  if (!line.empty() && line.back() == ',') fields.emplace_back();
  return fields;
}

TEST(TrendCsv, ValuesReadBackExactlyAndFailedReadsStayEmpty) {
  TrendBuffer b;
  const int64_t t0 = 1'765'000'000'123;
  const TrendSample samples[] = {
      {t0, 101.325f, 0x0000, 0x0200, 0x0000, true},
      {t0 + 1000, -0.1f, 0x0013, 0xC100, 0x8000, true},   // MPa, order 3 2 1 0, retried
      {t0 + 2000, 0.0f, 0x0000, 0x0000, 0x806E, false},  // no answer
      {t0 + 3000, 1.0e-7f, 0x0000, 0x3F00, 0x0000, true},  // unit code 63: no caption
      {t0 + 4000, 9999999.0f, 0x0080, 0x0B00, 0x0000, true},
  };
  for (const TrendSample& s : samples) b.append(s);
  test::TempFolder folder;
  const std::string path = folder.file("trend.csv");
  ASSERT_EQ(save_trend_csv(b, path), std::nullopt);

  std::ifstream in(path);
  std::string line;
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, kTrendCsvHeader);
  const char* units[] = {"кПа", "МПа", "", "", "миллибар"};
  for (size_t i = 0; i < std::size(samples); ++i) {
    SCOPED_TRACE(i);
    const TrendSample& s = samples[i];
    ASSERT_TRUE(std::getline(in, line));
    const auto f = split(line);
    ASSERT_EQ(f.size(), 6u) << line;
    EXPECT_TRUE(std::regex_match(f[0], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.123)"))) << f[0];
    char faults[8];
    std::snprintf(faults, sizeof faults, "0x%04X", static_cast<unsigned>(s.faults));
    EXPECT_EQ(f[5], faults);
    if (!s.good) {
      EXPECT_EQ(f[1] + f[2] + f[3] + f[4], "");
      continue;
    }
    EXPECT_EQ(std::strtof(f[1].c_str(), nullptr), s.value) << f[1];
    EXPECT_EQ(f[1].find(','), std::string::npos);
    EXPECT_EQ(f[2], units[i]);
    EXPECT_EQ(std::strtoul(f[3].c_str(), nullptr, 16), s.izmerr);
    EXPECT_EQ(std::strtoul(f[4].c_str(), nullptr, 16), s.statp);
  }
  EXPECT_FALSE(std::getline(in, line));
}

TEST(TrendCsv, AFileThatCannotBeWrittenIsReported) {
  TrendBuffer b;
  const auto error = save_trend_csv(b, "/nonexistent-folder/trend.csv");
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(*error, "Не удалось записать файл /nonexistent-folder/trend.csv");
}

}  // namespace
}  // namespace orn
