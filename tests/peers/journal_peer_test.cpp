// The journal of writes of orn20mb-cli config write against the registers a
// libmodbus register store took: every register whose words the store
// received changed has its row, with the store's value before and after, and
// a row's outcome says what the store holds, write protection included.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "cli/run_program.h"
#include "device/register_map.h"
#include "device/value_codec.h"
#include "support/child_process.h"
#include "support/journal_rows.h"
#include "support/null_modem.h"
#include "support/temp_folder.h"

namespace orn {
namespace {

using Words = std::map<uint16_t, uint16_t>;

// The configuration registers the journal can name.
constexpr uint16_t kFirst = 0x0400;
constexpr uint16_t kEnd = 0x0627;

struct Row {
  std::string name, before, after, outcome;
  bool operator==(const Row&) const = default;
};
void PrintTo(const Row& r, std::ostream* os) { *os << r.name << ";" << r.before << ";" << r.after << ";" << r.outcome; }

class JournalAgainstLibmodbus : public ::testing::Test {
 protected:
  void TearDown() override {
    if (slave) {
      EXPECT_EQ(slave->terminate(), 0);
    }
  }
  // refused: a register whose writes the store refuses with exception 4.
  void start(const std::string& refused = "") {
    std::vector<std::string> argv = {LIBMODBUS_SLAVE, modem.path_a()};
    if (!refused.empty()) argv.insert(argv.end(), {"1", "0", "19200", refused});
    slave = std::make_unique<test::ChildProcess>(argv);
    ASSERT_EQ(slave->read_line(10000), "ready");
  }
  test::ProgramResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), {ORN20MB_CLI, "--device", modem.path_b()});
    return test::run_program(args, folder.path());
  }
  // The store's configuration words, read with regs read.
  Words store() {
    Words words;
    for (unsigned at = kFirst; at < kEnd; at += 124) {
      const unsigned n = std::min(124u, kEnd - at);
      const auto r = cli({"regs", "read", std::to_string(at), std::to_string(n)});
      EXPECT_EQ(r.status, 0) << r.err;
      std::istringstream in(r.out);
      unsigned address = 0, word = 0;
      for (std::string line; std::getline(in, line);) {
        if (std::sscanf(line.c_str(), "0x%x 0x%x", &address, &word) == 2)
          words[static_cast<uint16_t>(address)] = static_cast<uint16_t>(word);
      }
    }
    EXPECT_EQ(words.size(), static_cast<size_t>(kEnd - kFirst));
    return words;
  }
  // The writes the store printed, in the order it took them: start, words.
  std::vector<std::pair<uint16_t, std::vector<uint16_t>>> taken() {
    std::vector<std::pair<uint16_t, std::vector<uint16_t>>> writes;
    for (std::string line; !(line = slave->read_line(300)).empty();) {
      std::istringstream in(line);
      std::string word;
      in >> word;
      EXPECT_EQ(word, "write") << line;
      std::vector<uint16_t> words;
      while (in >> word) words.push_back(static_cast<uint16_t>(std::stoul(word, nullptr, 16)));
      writes.emplace_back(words.front(), std::vector<uint16_t>(words.begin() + 1, words.end()));
    }
    return writes;
  }
  std::vector<Row> journal() const {
    std::vector<Row> rows;
    for (const std::string& line : test::journal_rows(folder.file("changes.csv"))) {
      std::vector<std::string> fields;
      std::istringstream cells(line);
      for (std::string cell; std::getline(cells, cell, ';');) fields.push_back(cell);
      EXPECT_EQ(fields.size(), 10u) << line;
      if (fields.size() == 10) rows.push_back({fields[6], fields[7], fields[8], fields[9]});
    }
    return rows;
  }
  // A register's value as the journal writes it, from the store's words.
  static std::string text(const RegisterEntry& e, const Words& words) {
    std::vector<uint16_t> w;
    for (uint16_t k = 0; k < e.count; ++k) w.push_back(words.at(static_cast<uint16_t>(e.address + k)));
    if (e.type == RegType::Word) return std::to_string(w[0]);
    if (e.type == RegType::Text) return unpack_text(w.data(), w.size());
    ADD_FAILURE() << e.name << ": a register of this type is not compared here";
    return "";
  }
  // The registers the journal names whose words differ between the two, in
  // the order the store took their first write.
  static std::vector<Row> changed(const Words& before, const Words& after,
                                  const std::vector<std::pair<uint16_t, std::vector<uint16_t>>>& writes,
                                  const std::string& outcome) {
    std::vector<Row> rows;
    for (const auto& [start, words] : writes) {
      for (const RegisterEntry& e : kRegisterMap) {
        if (e.slot.empty() || e.address < start || e.address >= start + words.size()) continue;
        if (text(e, before) == text(e, after)) continue;
        bool listed = false;
        for (const Row& r : rows) listed = listed || r.name == e.name;
        if (!listed) rows.push_back({std::string(e.name), text(e, before), text(e, after), outcome});
      }
    }
    return rows;
  }
  static bool locked(const Words& words) {
    return words.at(reg_address("USERLOCK")) == 0 && words.at(reg_address("CLBLOCK")) == 0;
  }

  test::NullModem modem;
  std::unique_ptr<test::ChildProcess> slave;
  test::TempFolder folder;
};

TEST_F(JournalAgainstLibmodbus, EveryChangedRegisterTheStoreTookIsARow) {
  ASSERT_NO_FATAL_FAILURE(start());
  const Words before = store();
  const auto r = cli({"config", "write", "--yes", "DELY=7", "TimeGapDev=3", "NULCUTOFF=2.5", "T90=4",
                      "USERTEXT=Линия 3", "DIGITS=1"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto writes = taken();
  const Words after = store();
  Words received = before;  // the store's words as its printed writes leave them
  for (const auto& [start, words] : writes) {
    for (size_t k = 0; k < words.size(); ++k) received[static_cast<uint16_t>(start + k)] = words[k];
  }
  EXPECT_EQ(received, after);

  const std::vector<Row> rows = journal();
  EXPECT_EQ(rows, changed(before, after, writes, "записано и прочитано обратно"));
  EXPECT_EQ(rows.size(), 6u);  // every named register holds another value than before
  EXPECT_TRUE(locked(after));
}

TEST_F(JournalAgainstLibmodbus, AWriteTheStoreRefusedLeavesItsRowAndTheProtectionOpen) {
  ASSERT_NO_FATAL_FAILURE(start("0x0626"));  // DIGITS, the sensor group's last write
  const Words before = store();
  const auto r = cli({"--attempts", "1", "config", "write", "--yes", "NULCUTOFF=2.5", "DIGITS=1"});
  EXPECT_EQ(r.status, 3) << r.err;
  const auto writes = taken();
  const Words after = store();

  const std::vector<Row> rows = journal();
  ASSERT_EQ(rows.size(), 2u);
  // What the store took, and nothing of the refused register.
  EXPECT_EQ(std::vector<Row>{rows[0]},
            changed(before, after, writes, "записано, но команда завершилась ошибкой, прибор оставлен без защиты от записи"));
  const RegisterEntry& digits = register_entry("DIGITS");
  EXPECT_EQ(rows[1].name, "DIGITS");
  EXPECT_EQ(rows[1].before, text(digits, after));
  EXPECT_EQ(rows[1].after, "1");
  EXPECT_EQ(rows[1].outcome.rfind("ошибка на шаге записи, значение могло не дойти до прибора (", 0), 0u)
      << rows[1].outcome;
  EXPECT_NE(rows[1].outcome.find(", прибор оставлен без защиты от записи"), std::string::npos);
  EXPECT_FALSE(locked(after));
}

}  // namespace
}  // namespace orn
