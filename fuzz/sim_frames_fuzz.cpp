// The simulator's frame handling: any bytes, in chunks of any size with
// silences between some of them, go through the frame reader to a line with
// two transmitters and random faults. The buffer never exceeds one frame, and
// an answer without an injected fault is a well-formed frame.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "link/crc16.h"
#include "sim/fault_injection.h"
#include "sim/frame_reader.h"
#include "sim/sim_line.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orn::sim;
  if (size < 1) return 0;
  // Built once; every input starts from the same two devices (a copy is far
  // cheaper than building their register space again).
  static SimLine line;
  static std::vector<Transmitter> fresh;
  if (fresh.empty()) {
    TransmitterConfig config;
    fresh.push_back(line.add(config));
    config.link.address = 2;
    fresh.push_back(line.add(config));
  }
  for (size_t i = 0; i < fresh.size(); ++i) line.device(i) = fresh[i];
  line.faults().clear();
  line.faults().set_random((data[0] & 7) / 10.0,
                           {{FaultKind::Silence}, {FaultKind::BadCrc}, {FaultKind::ForeignAddress},
                            {FaultKind::WrongFunction}, {FaultKind::Exception}, {FaultKind::Surplus},
                            {FaultKind::Truncated}, {FaultKind::Delay}, {FaultKind::LineError}},
                           data[0]);
  uint64_t now_ms = 0;
  FrameReader reader;
  const FrameReader::Serve serve = [&](std::span<const uint8_t> frame) {
    require(!frame.empty() && frame.size() <= FrameReader::kMaxFrame);
    const unsigned faults_before = line.faults().applied();
    const auto reply = line.transact(frame, 19200, std::nullopt, now_ms);
    if (reply && line.faults().applied() == faults_before) {
      const auto& b = reply->bytes;
      require(b.size() >= 5 && orn::crc_matches(b.data(), b.size() - 2));
      require(b[0] == frame[0]);
    }
  };
  // Chunks: a length byte, then that many bytes; length 0 is a silence.
  for (size_t i = 1; i < size;) {
    const size_t len = data[i++];
    now_ms += 5;
    if (len == 0) {
      reader.silence(serve);
      continue;
    }
    const size_t take = len < size - i ? len : size - i;
    reader.push({data + i, take}, serve);
    require(reader.buffered() < FrameReader::kMaxFrame);
    i += take;
  }
  reader.silence(serve);
  return 0;
}
