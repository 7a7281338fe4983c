// orn20mb-cli poll --addresses against orn20mb-sim on a pseudo-terminal,
// where one transmitter adds surplus bytes to some answers at random: waited
// for, they spoil its answers; with --no-tail-wait its answers are taken at
// their last byte and the bytes are reported as late before the next
// transmitter's read, whose answer they leave intact. The line is not paced:
// the surplus comes with the answer, so no scheduling delay can push it past
// the 3.5 characters of silence.
#include <gtest/gtest.h>

#include <string>

#include "cli/cli_sim_program.h"

namespace orn {
namespace {

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

class PollLineOnSim : public test::CliAgainstSimProgram {};

TEST_F(PollLineOnSim, SurplusBytesSpoilAnAnswerWaitedForOrAreLateForTheNextRead) {
  ASSERT_NO_FATAL_FAILURE(start({"--address", "1,2,3", "--fault", "surplus:2", "--fault-rate", "0.5",
                                 "--fault-address", "2", "--seed", "3"}));
  const std::vector<std::string> poll = {"--attempts", "1", "poll", "--addresses", "1-3", "--count", "12",
                                         "--interval", "0", "--json"};
  const auto waited = cli(poll);
  EXPECT_EQ(waited.status, 3) << waited.err;
  const size_t spoiled = count(waited.err, "адрес 2: ");
  EXPECT_GT(spoiled, 0u) << waited.err;
  EXPECT_EQ(count(waited.err, "\n"), spoiled) << "only address 2 fails: " << waited.err;
  EXPECT_EQ(count(waited.out, "\"ok\":false"), spoiled);

  std::vector<std::string> taken = poll;
  taken.push_back("--no-tail-wait");
  const auto r = cli(taken);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count(r.out, "\"ok\":false"), 0u) << r.out;
  const size_t late = count(r.err, "Лишние байты после ответа адреса 2: 2\n");
  EXPECT_GT(late, 0u) << r.err;
  EXPECT_EQ(count(r.err, "\n"), late) << r.err;
  for (const char* counters : {"{\"address\":1,\"cycles\":12,\"meas_errors\":0,\"exch_errors\":0,\"retries\":0}\n",
                               "{\"address\":2,\"cycles\":12,\"meas_errors\":0,\"exch_errors\":0,\"retries\":0}\n",
                               "{\"address\":3,\"cycles\":12,\"meas_errors\":0,\"exch_errors\":0,\"retries\":0}\n"})
    EXPECT_EQ(count(r.out, counters), 1u) << counters << r.out;
}

}  // namespace
}  // namespace orn
