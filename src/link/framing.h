#pragma once
// How a PDU travels: the envelope around it, the length of a complete answer,
// how an answer is read off the port and the checks of its envelope. RTU puts
// the network address before the PDU and a CRC after it; Modbus TCP puts an
// MBAP header (transaction id, protocol 0, length, unit id) before it.
#include <cstddef>
#include <cstdint>

#include "link/serial_port.h"

namespace orn {

// Room for the longest frame of either framing (MBAP header and a 253-byte PDU).
inline constexpr size_t kFrameBufferSize = 260;

class Framing {
 public:
  virtual ~Framing() = default;
  // Where the PDU starts in a frame.
  virtual size_t pdu_offset() const = 0;
  // Completes the frame whose PDU of pdu_size bytes is already at
  // frame + pdu_offset(); returns the frame's length.
  virtual size_t seal(uint8_t* frame, size_t pdu_size, uint16_t address) = 0;
  // Length of a complete answer that carries pdu_size bytes of PDU.
  virtual size_t answer_length(size_t pdu_size) const = 0;
  // Reads one answer into a zero-filled buffer of kFrameBufferSize bytes;
  // ask is how many bytes a read of unframed bytes asks for. Returns how many arrived.
  virtual size_t receive(SerialPort& port, uint8_t* answer, size_t ask) = 0;
  // The envelope's faults, made at the positions of a complete answer of
  // expected bytes: kFaultLength, kFaultAddress, kFaultCrc, kFaultNoAnswer.
  // Address 0 takes an answer from any address.
  virtual uint16_t check(const uint8_t* answer, size_t received, size_t expected, uint16_t address) const = 0;
};

class RtuFraming final : public Framing {
 public:
  size_t pdu_offset() const override { return 1; }
  size_t seal(uint8_t* frame, size_t pdu_size, uint16_t address) override;
  size_t answer_length(size_t pdu_size) const override { return pdu_size + 3; }
  // One read of ask bytes: the end of an RTU frame is a silence.
  size_t receive(SerialPort& port, uint8_t* answer, size_t ask) override;
  uint16_t check(const uint8_t* answer, size_t received, size_t expected, uint16_t address) const override;
};

inline constexpr size_t kMbapHeaderSize = 7;

class MbapFraming final : public Framing {
 public:
  size_t pdu_offset() const override { return kMbapHeaderSize; }
  // Every frame takes the next transaction id.
  size_t seal(uint8_t* frame, size_t pdu_size, uint16_t address) override;
  size_t answer_length(size_t pdu_size) const override { return pdu_size + kMbapHeaderSize; }
  // The header first, then as many bytes as its length field announces (as
  // far as the buffer goes); ask is not used, a stream has no silences.
  size_t receive(SerialPort& port, uint8_t* answer, size_t ask) override;
  // A length field or a byte count other than a complete answer's is a wrong
  // length; another transaction id, a protocol other than 0, another unit id
  // or a header cut short is a foreign answer (kFaultAddress). No CRC.
  uint16_t check(const uint8_t* answer, size_t received, size_t expected, uint16_t address) const override;

  // The id of the last sealed frame.
  uint16_t transaction_id() const { return id_; }

 private:
  uint16_t id_ = 0;
};

}  // namespace orn
