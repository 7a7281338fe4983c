// orn20mb-cli poll allocates nothing per cycle, traced, with failed reads
// among the good ones: the same command run for more cycles makes exactly as
// many heap allocations (those of its start and end) as a short run.
#include <gtest/gtest.h>

#include <ostream>
#include <streambuf>

#include "cli/cli_run.h"
#include "support/temp_folder.h"
#include "support/allocation_counter.h"
#include "support/canned_port.h"
#include "support/fakes.h"

namespace orn {
namespace {

// An output that counts its lines and keeps nothing, as a terminal would.
class LineCounter final : public std::streambuf {
 public:
  int lines = 0;

 protected:
  int_type overflow(int_type c) override {
    lines += c == '\n';
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    for (std::streamsize i = 0; i < n; ++i) lines += s[i] == '\n';
    return n;
  }
};

struct PollRun {
  long allocations;
  int lines;
};

PollRun poll(const test::TempFolder& folder, const char* cycles, bool json = false,
             const std::vector<std::string>& more = {}) {
  std::vector<std::string> args = {"--device", "/dev/null", "--attempts", "1", "--trace", folder.file("COM.txt"),
                                   "poll", "--count", cycles};
  if (json) args.push_back("--json");
  args.insert(args.end(), more.begin(), more.end());
  const CliParse parsed = parse_cli_options(args);
  EXPECT_EQ(parsed.error, "");
  test::CannedPort port;
  test::VirtualPump pump;
  pump.waits.reserve(1000);
  test::FixedClock clock;
  LineCounter out_lines, err_lines;
  std::ostream out(&out_lines), err(&err_lines);
  CliContext c{port, pump, clock, out, err, folder.path()};
  const long before = test::allocations();
  run_cli(parsed.options, c);
  return {test::allocations() - before, out_lines.lines};
}

TEST(CliPollAllocation, MoreCyclesAllocateNoMore) {
  if (!test::kAllocationsCounted) GTEST_SKIP() << "the sanitizer owns malloc";
  const test::TempFolder folder;
  poll(folder, "3");  // the code-page table and the files exist from here on
  const PollRun few = poll(folder, "6");
  const PollRun many = poll(folder, "66");
  EXPECT_EQ(many.lines - few.lines, 60);  // a line per cycle
  EXPECT_EQ(many.allocations, few.allocations);
}

// The same with --json: each line is formatted in a buffer of its own.
TEST(CliPollAllocation, MoreJsonCyclesAllocateNoMore) {
  if (!test::kAllocationsCounted) GTEST_SKIP() << "the sanitizer owns malloc";
  const test::TempFolder folder;
  poll(folder, "3", true);
  const PollRun few = poll(folder, "6", true);
  const PollRun many = poll(folder, "66", true);
  EXPECT_EQ(many.lines - few.lines, 60);
  EXPECT_EQ(many.allocations, few.allocations);
}

// A line of transmitters, each read ending at its answer's last byte, with
// late bytes reported before most reads (the port answers the silence check
// too) and failed reads among them, in both output forms.
TEST(CliPollAllocation, MoreCyclesOfALineAllocateNoMore) {
  if (!test::kAllocationsCounted) GTEST_SKIP() << "the sanitizer owns malloc";
  const test::TempFolder folder;
  const std::vector<std::string> line = {"--addresses", "1-3,9", "--no-tail-wait", "--interval", "0"};
  for (const bool json : {false, true}) {
    SCOPED_TRACE(json);
    poll(folder, "3", json, line);
    const PollRun few = poll(folder, "6", json, line);
    const PollRun many = poll(folder, "66", json, line);
    EXPECT_EQ(many.lines - few.lines, 240);  // a line per read, four reads a cycle
    EXPECT_EQ(many.allocations, few.allocations);
  }
}

}  // namespace
}  // namespace orn
