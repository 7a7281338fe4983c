#pragma once
// Splits what a slave receives into request frames. A frame ends as soon as
// its header tells its length and that many bytes are in, or else when the
// line falls silent. No frame is longer than 256 bytes: a longer run of bytes
// without a silence cannot be one and is dropped up to the next silence, so a
// continuous stream never grows the buffer.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace orn::sim {

class FrameReader {
 public:
  static constexpr size_t kMaxFrame = 256;
  using Serve = std::function<void(std::span<const uint8_t>)>;

  FrameReader() { buf_.reserve(kMaxFrame); }

  // Takes received bytes and hands every frame they complete to serve.
  void push(std::span<const uint8_t> bytes, const Serve& serve);
  // The line fell silent: the bytes buffered so far are a frame of their own.
  void silence(const Serve& serve);
  // Bytes have arrived since the last silence (buffered or being dropped).
  bool waiting() const { return !buf_.empty() || dropping_; }
  size_t buffered() const { return buf_.size(); }

  // Bytes that complete a request frame, 0 while that cannot be told yet.
  static size_t expected_frame_length(std::span<const uint8_t> buf);

 private:
  std::vector<uint8_t> buf_;
  bool dropping_ = false;
};

}  // namespace orn::sim
