#include "fault_injection.h"

#include <algorithm>
#include <array>
#include <utility>

#include "link/crc16.h"
#include "pressure_source.h"

namespace orn::sim {
namespace {

constexpr std::array<std::pair<std::string_view, FaultKind>, 9> kNames{{
    {"silence", FaultKind::Silence},
    {"crc", FaultKind::BadCrc},
    {"address", FaultKind::ForeignAddress},
    {"function", FaultKind::WrongFunction},
    {"exception", FaultKind::Exception},
    {"surplus", FaultKind::Surplus},
    {"truncated", FaultKind::Truncated},
    {"delay", FaultKind::Delay},
    {"line-error", FaultKind::LineError},
}};

void recrc(std::vector<uint8_t>& f) {
  if (f.size() < 4) return;
  put_crc(f.data(), f.size() - 2);
}

}  // namespace

std::optional<FaultKind> fault_kind_from_name(std::string_view name) {
  for (const auto& [n, k] : kNames) {
    if (n == name) return k;
  }
  return std::nullopt;
}

std::string_view fault_kind_name(FaultKind kind) {
  for (const auto& [n, k] : kNames) {
    if (k == kind) return n;
  }
  return {};
}

void FaultInjector::set_random(double probability, std::vector<Fault> kinds, uint64_t seed) {
  probability_ = probability;
  kinds_ = std::move(kinds);
  state_ = seed;
}

void FaultInjector::clear() {
  queue_.clear();
  probability_ = 0;
  kinds_.clear();
}

uint64_t FaultInjector::random_bits() {
  state_ += 0x9E3779B97F4A7C15ULL;
  return splitmix64(state_);
}

std::optional<Fault> FaultInjector::next(const Reply& reply) {
  if (!queue_.empty()) {
    const Fault f = queue_.front();
    queue_.pop_front();
    return f;
  }
  if (kinds_.empty() || probability_ <= 0) return std::nullopt;
  if (!random_addresses_.empty() &&
      (reply.bytes.empty() || std::find(random_addresses_.begin(), random_addresses_.end(), reply.bytes[0]) ==
                                  random_addresses_.end()))
    return std::nullopt;
  if (unit_interval(random_bits()) >= probability_) return std::nullopt;
  return kinds_[random_bits() % kinds_.size()];
}

bool FaultInjector::apply(Reply& reply) {
  const std::optional<Fault> f = next(reply);
  if (!f) return true;
  ++applied_;
  ++applied_by_kind_[static_cast<size_t>(f->kind)];
  auto& b = reply.bytes;
  switch (f->kind) {
    case FaultKind::Silence:
      return false;
    case FaultKind::BadCrc:
      b.back() = static_cast<uint8_t>(~b.back());
      break;
    case FaultKind::ForeignAddress:
      b[0] = static_cast<uint8_t>(b[0] == 247 ? 1 : b[0] + 1);
      recrc(b);
      break;
    case FaultKind::WrongFunction:
      b[1] = static_cast<uint8_t>(b[1] ^ 0x01);
      recrc(b);
      break;
    case FaultKind::Exception:
      b = exception_frame(b[0], static_cast<uint8_t>(b[1] & 0x7F),
                          static_cast<uint8_t>(f->value == 0 ? 4 : f->value));
      break;
    case FaultKind::Surplus:
      b.insert(b.end(), f->value == 0 ? 2 : f->value, uint8_t{0xFF});
      break;
    case FaultKind::Truncated: {
      const size_t cut = f->value == 0 ? 3 : f->value;
      b.resize(cut >= b.size() ? 1 : b.size() - cut);
      break;
    }
    case FaultKind::Delay:
      reply.delay_ms += f->value == 0 ? 1000 : f->value;
      break;
    case FaultKind::LineError:
      reply.line_errors |= kLineErrorParity;
      break;
  }
  return true;
}

}  // namespace orn::sim
