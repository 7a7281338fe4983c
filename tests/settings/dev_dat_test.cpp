#include "settings/dev_dat.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <filesystem>
#include <functional>
#include <future>
#include <utility>
#include <vector>

#include "support/temp_folder.h"
#include "settings/to_dat.h"

namespace orn {
namespace {

using test::read_bytes;
using test::TempFolder;
using test::write_bytes;

// dev.dat as the first start writes it: created keys, then Reask_val and
// read_hold_reg_err_msk appended by the read-back.
constexpr const char* kCreated =
    "[COM_SETTINGS]\r\n"
    "Number=1\r\n"
    "Settings=19200,N,8,1\r\n"
    "DELY=0\r\n"
    "[DEVICE]\r\n"
    "NetAdrr=1\r\n"
    "[SETTINGS]\r\n"
    "TimeOut=2000\r\n"
    "TimeGapDev=0\r\n"
    "TimeGapPrg=0\r\n"
    "Reask_val=2\r\n"
    "read_hold_reg_err_msk=127\r\n"
    "[LOG]\r\n"
    "UseLogFile=0\r\n"
    "LogFileName=COM.txt\r\n";

struct Loaded {
  LinkParams link;
  ExchangeSettings exchange;
  DevDatDevice device;
};

class DevDatTest : public ::testing::Test {
 protected:
  std::optional<std::string> load() {
    return load_dev_dat(folder.path(), got.link, got.exchange, got.device);
  }
  std::optional<std::string> save() {
    return save_dev_dat(folder.path(), got.link, got.exchange, got.device);
  }
  std::string file() const { return read_bytes(path); }

  TempFolder folder;
  std::string path = folder.file("dev.dat");
  Loaded got;
};

TEST_F(DevDatTest, MissingFileIsCreatedWithTracingOff) {
  ASSERT_EQ(load(), std::nullopt);
  EXPECT_EQ(file(), kCreated);
  EXPECT_EQ(got.link.port, 1);
  EXPECT_EQ(got.link.rate_index, 7);
  EXPECT_EQ(got.link.parity, 0);
  EXPECT_EQ(got.link.address, 1);
  EXPECT_EQ(got.exchange.timeout, 2000);
  EXPECT_EQ(got.exchange.reask_val, 2);
  EXPECT_EQ(got.exchange.retry_mask, 127);
  EXPECT_EQ(got.exchange.use_log_file, 0);
  EXPECT_EQ(got.exchange.log_file_name, "COM.txt");
  EXPECT_EQ(got.exchange.time_gap_prg, 0);
  EXPECT_EQ(got.device.dely, 0);
  EXPECT_EQ(got.device.time_gap_dev, 0);
  // A second start reads the file it wrote and changes nothing.
  ASSERT_EQ(load(), std::nullopt);
  EXPECT_EQ(file(), kCreated);
}

uint16_t field(const Loaded& l, std::string_view name) {
  if (name == "rate") return l.link.rate_index;
  if (name == "parity") return l.link.parity;
  if (name == "port") return l.link.port;
  if (name == "address") return l.link.address;
  if (name == "reask") return l.exchange.reask_val;
  if (name == "mask") return l.exchange.retry_mask;
  if (name == "timeout") return l.exchange.timeout;
  if (name == "gap_prg") return l.exchange.time_gap_prg;
  if (name == "gap_dev") return l.device.time_gap_dev;
  ADD_FAILURE() << "unknown field " << name;
  return 0;
}

TEST_F(DevDatTest, OddValuesAreLimitedAndWrittenBack) {
  struct Case {
    const char* line_in;   // replaces the line of the same key in kCreated
    const char* line_out;  // that line after the load
    std::vector<std::pair<const char*, uint16_t>> expected;
  };
  const Case cases[] = {
      {"Settings=9600,E,8,1", "Settings=9600,E,8,1", {{"rate", 6}, {"parity", 2}}},
      {"Settings=19200,n,8,1", "Settings=19200,n,8,1", {{"rate", 7}, {"parity", 0}}},
      {"Settings=N", "Settings=N", {{"rate", 7}, {"parity", 0}}},
      {"Settings=115200,O,8,1", "Settings=115200,O,8,1", {{"rate", 10}, {"parity", 1}}},
      {"Settings=1200,E,8,1", "Settings=1200,E,8,1", {{"rate", 3}, {"parity", 2}}},
      {"Settings=38400,N,8,1", "Settings=38400,N,8,1", {{"rate", 8}, {"parity", 0}}},
      {"NetAdrr=0", "NetAdrr=1", {{"address", 1}}},
      {"NetAdrr=300", "NetAdrr=1", {{"address", 1}}},
      {"NetAdrr=255", "NetAdrr=255", {{"address", 255}}},
      {"Reask_val=0", "Reask_val=1", {{"reask", 1}}},
      {"TimeGapPrg=1000", "TimeGapPrg=255", {{"gap_prg", 255}}},
      {"TimeGapDev=256", "TimeGapDev=255", {{"gap_dev", 255}}},
      {"TimeOut=0x3E8", "TimeOut=1000", {{"timeout", 1000}}},
      {"TimeOut=$3E8", "TimeOut=1000", {{"timeout", 1000}}},
      {"TimeOut= 1500 ", "TimeOut= 1500 ", {{"timeout", 1500}}},  // unchanged: kept
      {"TimeOut=abc", "TimeOut=2000", {{"timeout", 2000}}},
      {"Number=65537", "Number=1", {{"port", 1}}},
      {"read_hold_reg_err_msk=$FF", "read_hold_reg_err_msk=255", {{"mask", 255}}},
  };
  for (const Case& c : cases) {
    const std::string in(c.line_in);
    const std::string key = in.substr(0, in.find('=') + 1);
    std::string text = kCreated;
    const auto at = text.find("\n" + key) + 1;
    text.replace(at, text.find('\r', at) - at, in);
    write_bytes(path, text);
    got = Loaded{};
    ASSERT_EQ(load(), std::nullopt) << c.line_in;
    std::string expected_file = kCreated;
    expected_file.replace(at, expected_file.find('\r', at) - at, c.line_out);
    EXPECT_EQ(file(), expected_file) << c.line_in;
    for (const auto& [name, value] : c.expected) {
      EXPECT_EQ(field(got, name), value) << c.line_in << ": " << name;
    }
  }
}

TEST_F(DevDatTest, FileWithoutLogSectionTurnsTracingOn) {
  write_bytes(path, "[COM_SETTINGS]\r\nNumber=3\r\n");
  ASSERT_EQ(load(), std::nullopt);
  EXPECT_EQ(got.exchange.use_log_file, 1);
  EXPECT_EQ(got.exchange.log_file_name, "COM.txt");
  EXPECT_EQ(file(),
            "[COM_SETTINGS]\r\n"
            "Number=3\r\n"
            "Settings=19200,N,8,1\r\n"
            "DELY=0\r\n"
            "[SETTINGS]\r\n"
            "Reask_val=2\r\n"
            "read_hold_reg_err_msk=127\r\n"
            "TimeOut=2000\r\n"
            "TimeGapDev=0\r\n"
            "TimeGapPrg=0\r\n"
            "[DEVICE]\r\n"
            "NetAdrr=1\r\n"
            "[LOG]\r\n"
            "UseLogFile=1\r\n"
            "LogFileName=COM.txt\r\n");
}

TEST_F(DevDatTest, ForeignContentAndSpellingSurviveLoadAndSave) {
  // As a file from elsewhere might look: other spellings, a Cyrillic comment
  // and trace name, a section of another tool, LF-only line ends.
  const std::string original =
      "; \xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8\n"  // ; Настройки
      "[com_settings]\n"
      "NUMBER=2\n"
      "Settings=9600,E,8,1\n"
      "DELY=3\n"
      "Comment=keep me\n"
      "[PORTS]\n"
      "2=/dev/ttyUSB0\n"
      "[DEVICE]\n"
      "NetAdrr=5\n"
      "[SETTINGS]\n"
      "TimeOut=1000\n"
      "TimeGapDev=0\n"
      "TimeGapPrg=0\n"
      "Reask_val=3\n"
      "read_hold_reg_err_msk=3\n"
      "[LOG]\n"
      "UseLogFile=1\n"
      "LogFileName=\xE6\xF3\xF0\xED\xE0\xEB.txt\n";  // журнал.txt
  write_bytes(path, original);
  ASSERT_EQ(load(), std::nullopt);
  EXPECT_EQ(file(), original);
  EXPECT_EQ(got.exchange.log_file_name, "журнал.txt");
  EXPECT_EQ(got.exchange.retry_mask, 3);

  got.link.rate_index = 8;
  got.link.parity = 1;
  got.exchange.retry_mask = 0x7F;           // never written at close
  got.exchange.log_file_name = "other.txt";  // never written at close
  ASSERT_EQ(save(), std::nullopt);
  std::string expected = original;
  expected.replace(expected.find("9600,E,8,1"), 10, "38400,O,8,2");
  EXPECT_EQ(file(), expected);
}

TEST_F(DevDatTest, SaveWritesMemoryValuesInOrder) {
  ASSERT_EQ(load(), std::nullopt);
  got.link = {3, 6, 2, 17};
  got.exchange.reask_val = 4;
  got.exchange.timeout = 1500;
  got.exchange.use_log_file = 1;
  got.exchange.time_gap_prg = 300;
  got.device = {5, 7};
  ASSERT_EQ(save(), std::nullopt);
  EXPECT_EQ(file(),
            "[COM_SETTINGS]\r\n"
            "Number=3\r\n"
            "Settings=9600,E,8,2\r\n"
            "DELY=5\r\n"
            "[DEVICE]\r\n"
            "NetAdrr=17\r\n"
            "[SETTINGS]\r\n"
            "TimeOut=1500\r\n"
            "TimeGapDev=7\r\n"
            "TimeGapPrg=255\r\n"
            "Reask_val=4\r\n"
            "read_hold_reg_err_msk=127\r\n"
            "[LOG]\r\n"
            "UseLogFile=1\r\n"
            "LogFileName=COM.txt\r\n");
}

TEST_F(DevDatTest, SaveCreatesMissingFile) {
  ASSERT_EQ(save(), std::nullopt);
  EXPECT_EQ(file(),
            "[LOG]\r\n"
            "LogFileName=COM.txt\r\n"
            "UseLogFile=0\r\n"
            "[SETTINGS]\r\n"
            "reask_val=2\r\n"
            "TimeOut=2000\r\n"
            "TimeGapDev=0\r\n"
            "TimeGapPrg=0\r\n"
            "[COM_SETTINGS]\r\n"
            "Number=1\r\n"
            "Settings=19200,N,8,2\r\n"
            "DELY=0\r\n"
            "[DEVICE]\r\n"
            "NetAdrr=1\r\n");
}

TEST(LineSettingsText, RateAndParityCodes) {
  struct Case {
    uint16_t rate_index;
    uint16_t parity;
    const char* expected;
  };
  const Case cases[] = {{3, 0, "1200,N,8,2"},   {6, 2, "9600,E,8,2"},  {7, 0, "19200,N,8,2"},
                        {10, 1, "115200,O,8,2"}, {2, 5, "19200,N,8,2"}, {11, 1, "19200,O,8,2"}};
  for (const Case& c : cases) {
    EXPECT_EQ(line_settings_text(c.rate_index, c.parity), c.expected) << c.rate_index;
  }
}

TEST_F(DevDatTest, ReadOnlyFileIsReportedAndKept) {
  std::string text = kCreated;
  text.replace(text.find("Number=1"), 8, "Number=4");
  write_bytes(path, text);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(load(), "Unable to write to " + path);
  EXPECT_EQ(file(), text);
  EXPECT_EQ(got.link.port, 4);  // the settings the file holds are still used
  got.link.port = 9;
  EXPECT_EQ(save(), "Unable to write to " + path);
  EXPECT_EQ(file(), text);
}

TEST_F(DevDatTest, MissingFolderIsReported) {
  const std::string missing = folder.file("gone");
  EXPECT_EQ(load_dev_dat(missing, got.link, got.exchange, got.device),
            "Unable to write to " + missing + "/dev.dat");
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(DevDatTest, UnreadableFileIsNotOverwritten) {
  std::filesystem::create_directory(path);
  EXPECT_EQ(load(), "Unable to read " + path);
  EXPECT_EQ(save(), "Unable to read " + path);
  EXPECT_TRUE(std::filesystem::is_directory(path));
}

// Files saved by other editors: a UTF-8 byte order mark, lone CR line ends, a
// byte that has no character. The user's settings must load, no section may be
// added twice, and what is not changed keeps its bytes.
TEST_F(DevDatTest, FilesFromOtherEditorsLoadWithTheirSettings) {
  std::string with_cr = kCreated;
  for (size_t at = with_cr.find("\r\n"); at != std::string::npos; at = with_cr.find("\r\n", at))
    with_cr.erase(at + 1, 1), ++at;
  std::string with_mark = "\xEF\xBB\xBF" + std::string(kCreated);
  std::string odd_byte = kCreated;
  odd_byte.replace(odd_byte.find("COM.txt"), 7, "C\x98M.txt");
  struct Case {
    const char* name;
    std::string original;
  };
  const Case cases[] = {{"UTF-8 mark", with_mark}, {"CR line ends", with_cr}, {"byte 0x98", odd_byte}};
  for (const Case& c : cases) {
    std::string text = c.original;
    text.replace(text.find("19200,N,8,1"), 11, "9600,E,8,1");
    write_bytes(path, text);
    got = Loaded{};
    ASSERT_EQ(load(), std::nullopt) << c.name;
    EXPECT_EQ(got.link.rate_index, 6) << c.name;
    EXPECT_EQ(got.link.parity, 2) << c.name;
    EXPECT_EQ(file(), text) << c.name << ": every key was there, so nothing changes";
    ASSERT_EQ(save(), std::nullopt) << c.name;
    std::string expected = text;
    expected.replace(expected.find("9600,E,8,1"), 10, "9600,E,8,2");
    EXPECT_EQ(file(), expected) << c.name;
  }
}

// A FIFO or a device in place of a settings file is refused at once with the
// usual messages; reading it would block until someone writes to it.
TEST_F(DevDatTest, NonRegularFilesAreRefusedWithoutBlocking) {
  struct Case {
    const char* name;
    std::function<std::optional<std::string>()> load;
  };
  RateTimeouts timeouts;
  const Case cases[] = {
      {kDevDatName, [&] { return load(); }},
      {kToDatName, [&] { return load_to_dat(folder.path(), timeouts); }},
  };
  for (const Case& c : cases) {
    const std::string fifo = folder.file(c.name);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    auto loading = std::async(std::launch::async, c.load);
    if (loading.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
      ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // lets the blocked open go on
      ADD_FAILURE() << c.name << ": the load blocked on the FIFO";
    }
    EXPECT_EQ(loading.get(), "Unable to read " + fifo) << c.name;
    EXPECT_TRUE(std::filesystem::is_fifo(fifo)) << c.name;
  }
  EXPECT_EQ(save(), "Unable to read " + path);

  std::filesystem::remove(path);
  std::filesystem::create_symlink("/dev/null", path);
  EXPECT_EQ(load(), "Unable to read " + path);
  EXPECT_EQ(save(), "Unable to read " + path);
  EXPECT_TRUE(std::filesystem::is_symlink(path));
}

// A folder where no new file can be made, holding a writable dev.dat: the
// settings are still saved, by rewriting the file in place.
TEST_F(DevDatTest, ReadOnlyFolderStillSavesAWritableFile) {
  ASSERT_EQ(load(), std::nullopt);
  ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
  got.link.port = 7;
  const auto saved = save();
  const std::string text = file();
  chmod(folder.path().c_str(), 0755);
  EXPECT_EQ(saved, std::nullopt);
  EXPECT_NE(text.find("Number=7\r\n"), std::string::npos) << text;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST_F(DevDatTest, RussianLocaleChangesNoByte) {
  ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr);
  write_bytes(path, "[SETTINGS]\r\nTimeOut=0x3E8\r\n");
  const auto loaded = load();
  got.exchange.timeout = 12345;
  const auto saved = save();
  std::setlocale(LC_ALL, "C");
  ASSERT_EQ(loaded, std::nullopt);
  ASSERT_EQ(saved, std::nullopt);
  EXPECT_EQ(file(),
            "[SETTINGS]\r\n"
            "TimeOut=12345\r\n"
            "Reask_val=2\r\n"
            "read_hold_reg_err_msk=127\r\n"
            "TimeGapDev=0\r\n"
            "TimeGapPrg=0\r\n"
            "[COM_SETTINGS]\r\n"
            "Number=1\r\n"
            "Settings=19200,N,8,2\r\n"
            "DELY=0\r\n"
            "[DEVICE]\r\n"
            "NetAdrr=1\r\n"
            "[LOG]\r\n"
            "UseLogFile=1\r\n"
            "LogFileName=COM.txt\r\n");
}

}  // namespace
}  // namespace orn
