#include "records/record_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <sstream>

#include "records/record_identity.h"
#include "support/temp_folder.h"

namespace orn {
namespace {

constexpr std::array<std::string_view, 3> kHeader = {"время", "регистр", "значение"};

TEST(RecordFile, HeaderOnceThenRowsWithFieldsQuotedWhereTheyMustBe) {
  struct Case {
    std::string field;
    std::string stored;
  };
  const Case cases[] = {
      {"UNIT", "UNIT"},
      {"1.5", "1.5"},
      {"a;b", "\"a;b\""},
      {"текст \"в кавычках\"", "\"текст \"\"в кавычках\"\"\""},
      {"две\nстроки", "\"две\nстроки\""},
      {"", ""},
  };
  test::TempFolder dir;
  const std::string path = dir.file("changes.csv");
  std::string expected = "время;регистр;значение\n";
  for (const Case& c : cases) {
    EXPECT_EQ(csv_field(c.field), c.stored);
    const std::array<std::string, 3> row = {"t", c.field, "x"};
    EXPECT_EQ(append_record(path, kHeader, row), std::nullopt);
    expected += "t;" + c.stored + ";x\n";
  }
  EXPECT_EQ(test::read_bytes(path), expected);
}

TEST(RecordFile, AFileThatCannotTakeARowIsReportedByName) {
  test::TempFolder dir;
  const std::array<std::string, 3> row = {"t", "r", "v"};
  const std::string missing = dir.file("нет/changes.csv");
  const auto no_folder = append_record(missing, kHeader, row);
  ASSERT_TRUE(no_folder.has_value());
  EXPECT_NE(no_folder->find(missing), std::string::npos) << *no_folder;

  const std::string fifo = dir.file("fifo.csv");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto not_regular = append_record(fifo, kHeader, row);
  ASSERT_TRUE(not_regular.has_value());
  EXPECT_NE(not_regular->find("не обычный файл"), std::string::npos) << *not_regular;

  const std::string folder = dir.file("folder.csv");
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  EXPECT_TRUE(append_record(folder, kHeader, row).has_value());
}

// Several programs appending at once (the window and a CLI run) leave whole
// rows, each exactly once, and one header.
TEST(RecordFile, ConcurrentWritersLeaveWholeRows) {
  test::TempFolder dir;
  const std::string path = dir.file("calibration.csv");
  constexpr int kWriters = 4, kRows = 300;
  const std::string long_value(500, 'x');
  pid_t children[kWriters];
  for (int w = 0; w < kWriters; ++w) {
    children[w] = ::fork();
    ASSERT_GE(children[w], 0);
    if (children[w] == 0) {
      for (int i = 0; i < kRows; ++i) {
        const std::array<std::string, 3> row = {std::to_string(w), std::to_string(i), long_value};
        if (append_record(path, kHeader, row)) ::_exit(1);
      }
      ::_exit(0);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::istringstream lines(test::read_bytes(path));
  std::string line;
  int headers = 0, rows = 0;
  while (std::getline(lines, line)) {
    if (line == "время;регистр;значение") {
      ++headers;
      continue;
    }
    ++rows;
    ASSERT_EQ(line.size() - line.rfind(';'), long_value.size() + 1) << "a broken row: " << line.substr(0, 40);
  }
  EXPECT_EQ(headers, 1);
  EXPECT_EQ(rows, kWriters * kRows);
}

TEST(RecordIdentity, TimeIsLocalAndTheFactoryNumberHasBothParts) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  EXPECT_EQ(record_time(0), "1970-01-01 00:00:00");
  ::setenv("TZ", "MSK-3", 1);  // three hours east of UTC, without tzdata
  ::tzset();
  EXPECT_EQ(record_time(86400 * 365), "1971-01-01 03:00:00");
  ::unsetenv("TZ");
  ::tzset();
  DeviceImage image;
  image.sn_hi = 12;
  image.sn_lo = 3456;
  EXPECT_EQ(factory_number_text(image), "12-3456");
  EXPECT_FALSE(login_name().empty());
}

}  // namespace
}  // namespace orn
