#include "frame_reader.h"

namespace orn::sim {

size_t FrameReader::expected_frame_length(std::span<const uint8_t> buf) {
  if (buf.size() < 2) return 0;
  if (buf[1] == 0x03) return 8;
  if (buf[1] == 0x10) return buf.size() < 7 ? 0 : 9u + buf[6];
  return 0;
}

void FrameReader::push(std::span<const uint8_t> bytes, const Serve& serve) {
  for (const uint8_t b : bytes) {
    if (dropping_) continue;
    buf_.push_back(b);
    const size_t len = expected_frame_length(buf_);
    if (len != 0 && buf_.size() >= len) {
      serve(buf_);
      buf_.clear();
    } else if (buf_.size() >= kMaxFrame) {
      buf_.clear();
      dropping_ = true;
    }
  }
}

void FrameReader::silence(const Serve& serve) {
  if (!buf_.empty()) serve(buf_);
  buf_.clear();
  dropping_ = false;
}

}  // namespace orn::sim
