#include "device/write_journal.h"

#include <bit>
#include <charconv>

#include "device/value_codec.h"

namespace orn {
namespace {

bool same(const ImageSlot& s, const DeviceImage& a, const DeviceImage& b) {
  if (s.word) return a.*s.word == b.*s.word;
  if (s.real) return std::bit_cast<uint32_t>(a.*s.real) == std::bit_cast<uint32_t>(b.*s.real);
  if (s.whole) return a.*s.whole == b.*s.whole;
  if (s.text) return a.*s.text == b.*s.text;
  return true;
}

}  // namespace

std::string register_text(const RegisterEntry& e, const DeviceImage& image) {
  const ImageSlot& s = e.slot;
  if (s.word) return std::to_string(image.*s.word);
  if (s.whole) return std::to_string(image.*s.whole);
  if (s.text) return unpack_text((image.*s.text).data(), (image.*s.text).size());
  if (!s.real) return "";
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, image.*s.real);
  return ec == std::errc() ? std::string(text, end) : std::string();
}

std::vector<ChangedRegister> changed_registers(std::span<const Transfer> sent, const DeviceImage& before,
                                               const DeviceImage& after) {
  std::vector<ChangedRegister> changes;
  for (size_t i = 0; i < sent.size(); ++i) {
    for (const RegisterEntry& e : kRegisterMap) {
      if (e.slot.empty() || !block_holds(transfer(sent[i]), e) || same(e.slot, before, after)) continue;
      bool listed = false;  // fltype goes out twice in some commands
      for (const ChangedRegister& c : changes) listed = listed || c.name == e.name;
      if (!listed) changes.push_back({e.name, register_text(e, before), register_text(e, after), i});
    }
  }
  return changes;
}

}  // namespace orn
