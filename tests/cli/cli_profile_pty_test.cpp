// orn20mb-cli profile save / profile write as programs on pseudo-terminals
// against two orn20mb-sim transmitters: one configuration cloned onto another.
#include <gtest/gtest.h>

#include <string>

#include "cli/run_program.h"
#include "support/temp_folder.h"
#include "support/child_process.h"
#include "text/cp1251.h"

namespace orn {
namespace {

using test::read_bytes;
using test::run_program;
using test::write_bytes;

std::string crlf(const std::string& utf8_lines) {
  std::string out;
  for (char ch : utf8_lines) out += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  return utf8_to_cp1251(out);
}

TEST(CliProfileOnAPty, SavedProfileWrittenToASecondTransmitterGivesEqualConfigurations) {
  test::ChildProcess first({ORN20MB_SIM, "--address", "1"});
  test::ChildProcess second({ORN20MB_SIM, "--address", "9", "--rate", "9600"});
  const std::string a = first.read_line(10000);
  const std::string b = second.read_line(10000);
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  test::TempFolder folder;

  // A configuration unlike the simulator's own, written to the first transmitter.
  write_bytes(folder.file("plant.prf"), crlf("[CH]\nunit=6\nT90=5\ndiap_usr=1.002000\nshift_usr=0.250000\n"
                                             "shift_scale=1.500000\n[USR]\nusr_txt=Котельная 2\n[X]\nXSQR=1\n"
                                             "XBND=12\n[CUTOFF]\nNULCUTOFF=655\n[IND]\npoint=2\n"
                                             "[NEW_COMM]\nNET_NUM=1\nNET_SPD=7\nNET_PAR=0\nNET_DELY=3\nNET_FLTYPE=2\n"));
  const std::string plant_before = read_bytes(folder.file("plant.prf"));
  auto cli = [&](const std::string& device, std::initializer_list<std::string> args) {
    std::vector<std::string> argv{ORN20MB_CLI, "--device", device, "--attempts", "1"};
    argv.insert(argv.end(), args);
    return run_program(argv, folder.path());
  };
  // What the write will change, as profile diff sees it first: exit 1 with each difference.
  auto r = cli(a, {"--address", "1", "profile", "diff", "plant.prf"});
  EXPECT_EQ(r.status, 1) << r.err;
  for (const char* line : {"UNIT: профиль 6, прибор 2\n", "NULCUTOFF: профиль 655, прибор 0\n",
                           "DIGITS: профиль 2, прибор 2\n"}) {
    const bool expected = std::string(line).rfind("DIGITS", 0) != 0;  // an equal value is no difference
    EXPECT_EQ(r.out.find(line) != std::string::npos, expected) << line << r.out;
  }
  r = cli(a, {"--address", "1", "profile", "write", "--yes", "plant.prf"});
  ASSERT_EQ(r.status, 0) << r.err;
  r = cli(a, {"--address", "1", "profile", "diff", "--json", "plant.prf"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(read_bytes(folder.file("plant.prf")), plant_before) << "profile write changed its file";

  r = cli(a, {"--address", "1", "profile", "save", "first.prf"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string saved = cp1251_to_utf8(read_bytes(folder.file("first.prf")));
  for (const char* line : {"unit=6\r\n", "T90=5\r\n", "usr_txt=Котельная 2\r\n", "XSQR=1\r\n", "NULCUTOFF=655\r\n",
                           "point=2\r\n", "NET_DELY=3\r\n", "NET_FLTYPE=2\r\n", "diap_usr=1.002000     \r\n",
                           "shift_usr=0.250000     \r\n", "shift_scale=1.500000     \r\n"})
    EXPECT_NE(saved.find(line), std::string::npos) << line << " missing in\n" << saved;

  // The second transmitter answers at address 9 and 9600 baud until it takes the profile's link.
  // The link is compared only when profile write would take it.
  r = cli(b, {"--address", "9", "--rate", "9600", "profile", "diff", "first.prf"});
  EXPECT_EQ(r.out.find("ADR:"), std::string::npos) << r.out;
  r = cli(b, {"--address", "9", "--rate", "9600", "profile", "diff", "--take-link", "first.prf"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("ADR: профиль 1, прибор 9\n"), std::string::npos) << r.out;
  r = cli(b, {"--address", "9", "--rate", "9600", "profile", "write", "--yes", "--take-link", "first.prf"});
  ASSERT_EQ(r.status, 0) << r.err;
  r = cli(b, {"--address", "1", "--rate", "19200", "profile", "save", "second.prf"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_bytes(folder.file("second.prf")), read_bytes(folder.file("first.prf")));

  EXPECT_EQ(first.terminate(), 0);
  EXPECT_EQ(second.terminate(), 0);
}

TEST(CliProfileOnAPty, WriteWithoutAnAnswerNeitherAsksNorWrites) {
  test::TempFolder folder;
  write_bytes(folder.file("plant.prf"), crlf("[CH]\nunit=6\n"));
  // Standard input of the test is no terminal: without --yes nothing is sent.
  const auto r = run_program({ORN20MB_CLI, "--device", "/dev/null", "profile", "write", "plant.prf"}, folder.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--yes"), std::string::npos) << r.err;
  const auto missing = run_program({ORN20MB_CLI, "--device", "/dev/null", "profile", "write", "--yes", "none.prf"},
                                   folder.path());
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.err.find("none.prf"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace orn
