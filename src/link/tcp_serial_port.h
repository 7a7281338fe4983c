#pragma once
// SerialPort on a TCP connection: to an Ethernet-to-RS-485 gateway that passes
// raw RTU frames, named "tcp:HOST:PORT", or to a Modbus TCP server (MBAP
// frames), named "modbus-tcp:HOST[:PORT]" with port 502 by default, wherever a
// device path is expected. Reads and writes keep the time-outs of a COM port;
// rate and parity are accepted and ignored (the gateway or server holds them);
// there are no line errors and no modem lines.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/pump.h"
#include "link/serial_port.h"

namespace orn {

inline constexpr std::string_view kTcpPathPrefix = "tcp:";
inline constexpr std::string_view kModbusTcpPathPrefix = "modbus-tcp:";
inline constexpr std::string_view kModbusTcpDefaultPort = "502";

struct TcpGatewayAddress {
  std::string host;  // a name or an address; an IPv6 address written in brackets
  std::string port;  // 1..65535
};

// True for a path that names a gateway ("tcp:" prefix), well formed or not.
bool is_tcp_path(std::string_view path);
// Splits "tcp:HOST:PORT" ("tcp:[::1]:502" for IPv6); nothing when it is not
// that form or the port is not 1..65535.
std::optional<TcpGatewayAddress> parse_tcp_path(std::string_view path);
// True for a path that names a Modbus TCP server ("modbus-tcp:" prefix).
bool is_modbus_tcp_path(std::string_view path);
// Splits "modbus-tcp:HOST[:PORT]" ("modbus-tcp:[::1]:1502" for IPv6); the port
// is 502 when not given; nothing when it is not that form or the port is not 1..65535.
std::optional<TcpGatewayAddress> parse_modbus_tcp_path(std::string_view path);
// True for either kind of TCP path.
inline bool is_network_path(std::string_view path) { return is_tcp_path(path) || is_modbus_tcp_path(path); }

class TcpSerialPort final : public SerialPort {
 public:
  // connect_timeout_ms bounds how long open and probe wait for the gateway to accept.
  explicit TcpSerialPort(int connect_timeout_ms = kDefaultConnectTimeoutMs)
      : connect_timeout_ms_(connect_timeout_ms) {}
  ~TcpSerialPort() override;
  TcpSerialPort(const TcpSerialPort&) = delete;
  TcpSerialPort& operator=(const TcpSerialPort&) = delete;

  bool open(const std::string& path, uint32_t baud, uint16_t parity) override;
  void close() override;
  bool is_open() const override { return fd_ >= 0; }
  // Connects and disconnects at once: the gateway is there and accepts.
  bool probe(const std::string& path) override;
  std::string open_error() const override { return error_; }

  void set_timeouts(const SerialTimeouts& t) override { timeouts_ = t; }
  // Discards what the gateway sent and nobody has read yet.
  void purge() override;
  size_t write(const uint8_t* data, size_t n) override;
  // Ends early, with what arrived, once the gateway has closed the connection.
  size_t read(uint8_t* buf, size_t n) override;
  uint32_t take_line_errors() override { return 0; }
  void set_rts(bool) override {}
  void set_dtr(bool) override {}
  // MBAP frames when the last open was of a "modbus-tcp:" path.
  FrameFormat frame_format() const override { return format_; }

  // As PosixSerialPort::set_idle: window events are processed while a read waits.
  void set_idle(Pump* pump) { idle_ = pump; }

  static constexpr int kDefaultConnectTimeoutMs = 3000;

 private:
  // A connected non-blocking socket, or -1 with error_ saying why.
  int connect_to(const std::string& path);

  int connect_timeout_ms_;
  int fd_ = -1;
  SerialTimeouts timeouts_{};
  Pump* idle_ = nullptr;
  FrameFormat format_ = FrameFormat::Rtu;
  std::string error_;
};

}  // namespace orn
