#include "support/scripted_port.h"

#include "link/crc16.h"

namespace orn::test {

Bytes with_crc(Bytes frame) {
  const size_t n = frame.size();
  frame.resize(n + 2);
  put_crc(frame.data(), n);
  return frame;
}

}  // namespace orn::test
