#pragma once
// Reads and writes on a non-blocking descriptor paced by poll() under the
// time-outs of a Windows COM port; shared by the tty and the TCP gateway port.
#include <cstddef>
#include <cstdint>

#include "link/pump.h"
#include "link/serial_port.h"

namespace orn {

// What a read() of 0 bytes means on the descriptor: a tty set to VMIN = VTIME = 0
// returns 0 when nothing is buffered, a socket returns 0 once the peer has closed.
enum class ZeroRead { NothingYet, PeerClosed };

// Reads up to n bytes: returns when n arrived, when the gap after a received
// byte exceeds the interval time-out, when multiplier * n + constant ms have
// passed (from the first byte under the first-byte rule, which also ends a read
// that has none by then), or when the far end is gone; returns how many arrived. While it
// waits, idle (if any) processes window events every few milliseconds.
size_t timed_read(int fd, uint8_t* buf, size_t n, const SerialTimeouts& t, Pump* idle, ZeroRead zero);

// Writes n bytes, waiting for room at most write_multiplier * n + write_constant
// ms (no limit when both are 0); returns how many were written. send_flags are
// used with send() on a socket; -1 means a plain write() (a tty).
size_t timed_write(int fd, const uint8_t* data, size_t n, const SerialTimeouts& t, int send_flags);

}  // namespace orn
