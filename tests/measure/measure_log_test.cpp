// The measured-value log: exact line bytes, CR LF on disk, a Russian locale,
// and files that cannot be written.
#include "measure/measure_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <stdlib.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace orn {
namespace {

MeasuredValue record_of(float pizmf, uint16_t izmerr, float tizmf, uint16_t statp, uint16_t btn) {
  MeasuredValue r;
  r.pizmf = pizmf;
  r.izmerr = izmerr;
  r.tizmf = tizmf;
  r.statp = statp;
  r.btn = btn;
  return r;
}

struct LineCase {
  MeasuredValue record;
  LocalTime time;
  const char* line;
};

const LineCase kLines[] = {
    {record_of(101.325f, 0, 23.5f, 0xC200, 0x0040), {2026, 3, 5, 7, 4, 9, 0},
     "5.3.2026 07:04:09  PIZMF=   101.3250 IZMERR=   0 TIZMF=      23.50 STATP=c200 BTN=  40    \n"},
    {record_of(-0.5f, 0x1FFF, -40.125f, 0x0B00, 0xFFFF), {2025, 12, 31, 23, 59, 59, 999},
     "31.12.2025 23:59:59  PIZMF=    -0.5000 IZMERR=1fff TIZMF=     -40.12 STATP= b00 BTN=ffff    \n"},
    {record_of(9999999.0f, 0, 0.0f, 0, 0), {2026, 1, 1, 0, 0, 0, 0},
     "1.1.2026 00:00:00  PIZMF=9999999.0000 IZMERR=   0 TIZMF=       0.00 STATP=   0 BTN=   0    \n"},
};

TEST(MeasureLogLine, HasTheExactFormat) {
  for (const LineCase& c : kLines) EXPECT_EQ(measure_log_line(c.record, c.time).view(), c.line);
}

TEST(MeasureLogLine, ARussianLocaleChangesNoByte) {
  setenv("LANG", "ru_RU.UTF-8", 1);
  ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr) << "ru_RU.UTF-8 is not installed";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  EXPECT_STREQ(probe, "1,5");  // the locale is really in force
  for (const LineCase& c : kLines) EXPECT_EQ(measure_log_line(c.record, c.time).view(), c.line);
  std::setlocale(LC_ALL, "C");
}

class MeasureLogFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orn-measure-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    folder = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::string bytes(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::filesystem::path folder;
};

TEST_F(MeasureLogFile, AppendsOneLinePerCallWithCrLf) {
  const MeasureLogSettings log{1, (folder / "izm.txt").string()};
  EXPECT_EQ(append_measure_log(log, kLines[0].record, kLines[0].time), kMeasureLogOk);
  EXPECT_EQ(append_measure_log(log, kLines[1].record, kLines[1].time), kMeasureLogOk);
  std::string expected;
  for (int i = 0; i < 2; ++i) {
    std::string line = kLines[i].line;
    line.insert(line.size() - 1, "\r");
    expected += line;
  }
  EXPECT_EQ(bytes(log.izm_name), expected);
}

TEST_F(MeasureLogFile, SwitchedOffWritesNothing) {
  const MeasureLogSettings log{0, (folder / "izm.txt").string()};
  EXPECT_EQ(append_measure_log(log, kLines[0].record, kLines[0].time), kMeasureLogOk);
  EXPECT_FALSE(std::filesystem::exists(log.izm_name));
}

TEST_F(MeasureLogFile, AFileThatCannotBeOpenedLosesTheLineSilently) {
  std::filesystem::create_directory(folder / "a_directory");
  // A FIFO nobody reads would block the open forever.
  ASSERT_EQ(mkfifo((folder / "a_fifo").c_str(), 0644), 0);
  const std::string names[] = {(folder / "missing" / "izm.txt").string(),
                               (folder / "a_directory").string(), (folder / "a_fifo").string(), ""};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(append_measure_log({1, name}, kLines[0].record, kLines[0].time),
              kMeasureLogUnwritable);
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

TEST_F(MeasureLogFile, ARelativeNameIsTakenInTheCurrentDirectory) {
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  const int result = append_measure_log({1, "izm.txt"}, kLines[0].record, kLines[0].time);
  std::filesystem::current_path(previous);
  EXPECT_EQ(result, kMeasureLogOk);
  EXPECT_TRUE(std::filesystem::exists(folder / "izm.txt"));
}

}  // namespace
}  // namespace orn
