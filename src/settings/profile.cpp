#include "settings/profile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <type_traits>
#include <variant>

#include "device/input_checks.h"
#include "device/value_codec.h"
#include "link/line_names.h"
#include "link/link_params.h"
#include "settings/atomic_file.h"
#include "settings/ini_file.h"
#include "units/number_format.h"

namespace orn {
namespace {

constexpr uint16_t kPointMax = 3;

// The three ways a number is written.
enum class NumberForm { TwoDecimals, SixDecimals, Shortest };

std::string number_text(double x, NumberForm form) {
  switch (form) {
    case NumberForm::TwoDecimals: return format_number(x, NumberFormat::Percent);
    case NumberForm::SixDecimals: return format_number(x, NumberFormat::Trim);
    case NumberForm::Shortest: break;
  }
  // The shortest text that reads back as the same float: the values kept as floats.
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, static_cast<float>(x));
  return std::string(text, r.ptr);
}

std::string hex_text(uint32_t x) {
  char text[16];
  const auto r = std::to_chars(text, text + sizeof text, x, 16);
  std::string s(text, r.ptr);
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

// Reads a value the way "%X" scans it: blanks, an optional "0X", then
// hexadecimal digits as far as they go; 0 when there are none.
uint32_t scan_hex(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
      std::isxdigit(static_cast<unsigned char>(text[2])))
    text.remove_prefix(2);
  uint64_t value = 0;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) break;
    value = (value << 4) | static_cast<uint64_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                                                   : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10);
    value &= 0xFFFFFFFFu;  // "%X" into an unsigned 32-bit value keeps its low bits
  }
  return static_cast<uint32_t>(value);
}

// One profile document with the four value kinds.
class Profile {
 public:
  explicit Profile(const std::string& path) : ini_(path) {}
  IniFile& ini() { return ini_; }

  uint16_t integer(std::string_view section, std::string_view key, uint16_t fallback) const {
    return ini_.read_u16(section, key, fallback);
  }
  // A leading number of the text (the default text when the key is missing); 0 without one.
  double number(std::string_view section, std::string_view key, std::string_view fallback) const {
    const auto x = scan_real(ini_.read_string(section, key, fallback));
    return x && std::isfinite(*x) ? *x : 0.0;
  }
  uint32_t hex(std::string_view section, std::string_view key, std::string_view fallback) const {
    return scan_hex(ini_.read_string(section, key, fallback));
  }
  std::string text(std::string_view section, std::string_view key, std::string_view fallback) const {
    return ini_.read_string(section, key, fallback);
  }

  void put(std::string_view section, std::string_view key, uint16_t v) { ini_.write_u16(section, key, v); }
  void put(std::string_view section, std::string_view key, std::string_view v) { ini_.write_string(section, key, v); }
  void put_number(std::string_view section, std::string_view key, double v, NumberForm form) {
    ini_.write_string(section, key, number_text(v, form));
  }
  void put_hex(std::string_view section, std::string_view key, uint32_t v) { ini_.write_string(section, key, hex_text(v)); }

 private:
  IniFile ini_;
};

// How a key's value is read and written.
enum class Kind : uint8_t {
  Integer,   // 16 bits
  Page,      // TAB num: a page outside 0..3 leaves the page as it is
  Digits,    // decimal places, at most kPointMax
  Two,       // a number with two decimals
  Six,       // a number with six decimals
  Shortest,  // the shortest text that reads back as the same float
  Hex,       // hexadecimal, read as "%X" scans it
  Text,
  UserText,  // the device's user text: packed into its registers, written without the padding
};

// Where a key's value lives in memory; none for the keys only written.
using Slot = std::variant<std::monostate, uint16_t& (*)(const ProfileTarget&), float& (*)(const ProfileTarget&),
                          uint32_t& (*)(const ProfileTarget&), std::string& (*)(const ProfileTarget&),
                          int& (*)(const ProfileTarget&), std::array<uint16_t, 8>& (*)(const ProfileTarget&)>;

using I = DeviceImage;
using K = ProfileKept;
template <auto M>
auto& in_image(const ProfileTarget& t) { return t.image.*M; }
template <auto M>
auto& in_kept(const ProfileTarget& t) { return t.kept.*M; }
template <auto M>
auto& in_log(const ProfileTarget& t) { return t.log.*M; }
template <auto M>
auto& in_search(const ProfileTarget& t) { return t.search.*M; }
template <size_t N>
uint16_t& search_rate(const ProfileTarget& t) { return t.search.rates[N]; }
template <size_t N>
uint16_t& search_parity(const ProfileTarget& t) { return t.search.parities[N]; }
int& kept_page(const ProfileTarget& t) { return t.kept.page; }
std::array<uint16_t, 8>& image_user_text(const ProfileTarget& t) { return t.image.user_text; }

// A new file's value taken from memory: OVLD from the image, the search keys
// from the first-run selection.
constexpr char kFromMemory[] = "";

// What profile write does with a key the file holds.
enum class Send : uint8_t { No, Value, Link };

struct KeyRow {
  std::string_view section;
  std::string_view key;
  uint8_t new_at;   // position among the keys of a new file; 0 when it has none
  uint8_t save_at;  // position among the keys a save writes; 0 when it writes none
  Kind kind;
  std::string_view read_default;  // the text read when the key is missing
  const char* fresh;              // the new file's value, kFromMemory, or nullptr
  Slot slot;
  Send send = Send::No;
  const char* load_back = nullptr;  // what a load writes back instead of the value read
};

// Every key, in the order a load reads them and writes them back (the order
// of a file a load writes from nothing). Columns: section, key, position in a
// new file, position in a save, kind, read default, new-file value, memory,
// what profile write sends, the load's write-back when not the value read.
const KeyRow kKeys[] = {
    {"CH", "unit", 22, 23, Kind::Integer, "2", "2", in_image<&I::unit>, Send::Value},
    {"CH", "diap_max", 23, 25, Kind::Two, "10", "250", in_image<&I::diapmaxkpa>},
    {"CH", "diap_min", 24, 26, Kind::Two, "0", "0", in_image<&I::diapminkpa>},
    {"CH", "diap", 25, 27, Kind::Six, "1.0", "1.0", in_image<&I::diap>},
    {"CH", "diap_usr", 0, 29, Kind::Six, "1.0", nullptr, in_image<&I::diap_usr>, Send::Value},
    {"CH", "shift", 26, 28, Kind::Six, "0", "0.0", in_image<&I::shift>},
    {"CH", "shift_scale", 0, 31, Kind::Six, "0", nullptr, in_image<&I::shift_scale>, Send::Value},
    {"CH", "shift_usr", 0, 30, Kind::Six, "0", nullptr, in_image<&I::shift_usr>, Send::Value},
    {"IND", "point", 0, 63, Kind::Digits, "3", nullptr, in_image<&I::digits>, Send::Value},
    {"TAB", "num", 5, 4, Kind::Page, "0", "0", kept_page},
    {"Definition", "txt0", 6, 5, Kind::Text, "", "Ордвин 100 MB 0.0.3", Slot{}},
    {"Definition", "txt1", 7, 6, Kind::Text, "", "19200", Slot{}},
    {"Definition", "txt2", 8, 7, Kind::Text, "", "", Slot{}},
    {"Definition", "txt3", 9, 8, Kind::Text, "", "", Slot{}},
    {"IZM", "izm_name", 1, 0, Kind::Text, "izm.txt", "izm.txt", in_log<&MeasureLogSettings::izm_name>, Send::No, "izm.txt"},
    {"IZM", "all_izm_file_name", 2, 0, Kind::Text, "all_izm.txt", "all_izm.txt", in_kept<&K::all_izm_name>, Send::No, "all_izm.txt"},
    {"IZM", "write_file", 3, 1, Kind::Integer, "1", "0", in_log<&MeasureLogSettings::write_file>, Send::No, "1"},
    {"IZM", "write_all_izm_file", 0, 3, Kind::Integer, "1", nullptr, in_kept<&K::write_all_izm>, Send::No, "1"},
    {"ADC", "write_file", 4, 2, Kind::Integer, "1", "0", in_kept<&K::adc_write>},
    {"ADC", "adc_name", 0, 0, Kind::Text, "adc.txt", nullptr, in_kept<&K::adc_name>, Send::No, "adc.txt"},
    {"TX", "INTERVAL", 10, 9, Kind::Integer, "10", "10", in_kept<&K::tx_interval>},
    {"KONSTR_bound", "min", 15, 32, Kind::Two, "0.0", "0.0", in_image<&I::constrminkpa>},
    {"KONSTR_bound", "max", 16, 33, Kind::Two, "10.0", "250.0", in_image<&I::constrmaxkpa>},
    {"KONSTR", "konstr_line_index", 17, 34, Kind::Integer, "0", "0", in_kept<&K::konstr_line>},
    {"KONSTR", "konstr_pres_index", 0, 35, Kind::Integer, "0", nullptr, in_kept<&K::konstr_pres>},
    {"KONSTR", "konstr_case_index", 18, 37, Kind::Integer, "0", "0", in_kept<&K::konstr_case>},
    {"KONSTR", "konstr_unit_index", 19, 36, Kind::Integer, "0", "0", in_kept<&K::konstr_unit>},
    {"KONSTR", "konstr_txt", 20, 38, Kind::Text, "Ордвин 100", "Ордвин 100", in_kept<&K::konstr_txt>},
    {"USR", "usr_txt", 21, 39, Kind::UserText, "Ордвин 100", "Ордвин 100", image_user_text, Send::Value},
    {"Seach", kRateNames[0].text, 44, 10, Kind::Integer, "0", kFromMemory, search_rate<0>, Send::No, "0"},
    {"Seach", kRateNames[1].text, 45, 11, Kind::Integer, "0", kFromMemory, search_rate<1>, Send::No, "0"},
    {"Seach", kRateNames[2].text, 46, 12, Kind::Integer, "0", kFromMemory, search_rate<2>, Send::No, "0"},
    {"Seach", kRateNames[3].text, 47, 13, Kind::Integer, "0", kFromMemory, search_rate<3>, Send::No, "1"},
    {"Seach", kRateNames[4].text, 48, 14, Kind::Integer, "1", kFromMemory, search_rate<4>, Send::No, "1"},
    {"Seach", kRateNames[5].text, 49, 15, Kind::Integer, "1", kFromMemory, search_rate<5>, Send::No, "0"},
    {"Seach", kRateNames[6].text, 50, 16, Kind::Integer, "1", kFromMemory, search_rate<6>, Send::No, "0"},
    {"Seach", kRateNames[7].text, 51, 17, Kind::Integer, "1", kFromMemory, search_rate<7>, Send::No, "0"},
    {"Seach", "beg", 52, 18, Kind::Integer, "1", kFromMemory, in_search<&SearchSelection::first>, Send::No, "1"},
    {"Seach", "end", 53, 19, Kind::Integer, "5", kFromMemory, in_search<&SearchSelection::last>, Send::No, "5"},
    {"Seach", "parity_non", 54, 20, Kind::Integer, "0", kFromMemory, search_parity<0>, Send::No, "0"},
    {"Seach", "parity_odd", 55, 21, Kind::Integer, "0", kFromMemory, search_parity<1>, Send::No, "0"},
    {"Seach", "parity_ev", 56, 22, Kind::Integer, "1", kFromMemory, search_parity<2>, Send::No, "0"},
    {"X", "XHCHK", 0, 40, Kind::Integer, "1", nullptr, in_kept<&K::xhchk>},
    {"X", "XNUL", 28, 41, Kind::Integer, "1", "0", in_image<&I::xnul>, Send::Value},
    {"X", "XBND", 29, 42, Kind::Integer, "0", "0", in_image<&I::xbnd>, Send::Value},
    {"X", "XSQR", 30, 43, Kind::Integer, "0", "0", in_image<&I::xsqr>, Send::Value},
    {"X", "XFSET", 0, 44, Kind::Integer, "1", nullptr, in_image<&I::xfset>, Send::Value},
    {"X", "XEPWR", 0, 45, Kind::Integer, "1", nullptr, in_kept<&K::xepwr>},
    {"CUTOFF", "NULCUTOFF", 31, 46, Kind::Integer, "0", "0", in_image<&I::nulcutoff>, Send::Value},
    {"CUTOFF", "MAXCUTOFF", 32, 47, Kind::Integer, "0", "0", in_image<&I::maxcutoff>, Send::Value},
    {"CUTOFF", "LINCUTOFF", 33, 48, Kind::Integer, "0", "0", in_image<&I::lincutoff>, Send::Value},
    {"OVLD", "MINOVLD", 34, 49, Kind::Integer, "0", kFromMemory, in_image<&I::minovld>, Send::Value},
    {"OVLD", "MAXOVLD", 35, 50, Kind::Integer, "0", kFromMemory, in_image<&I::maxovld>, Send::Value},
    {"ADC", "GAIN", 36, 51, Kind::Integer, "4", "6", in_kept<&K::gain>},
    {"ADC", "GAIN2", 37, 52, Kind::Integer, "0", "0", in_kept<&K::gain2>},
    {"ADC", "RATE", 38, 53, Kind::Integer, "5", "7", in_kept<&K::rate>},
    {"ADC", "NS", 39, 54, Kind::Integer, "0", "0", in_kept<&K::ns>},
    {"ADC", "XADC", 40, 55, Kind::Integer, "3", "0", in_kept<&K::xadc>},
    {"ADC", "ADCCALIB", 41, 56, Kind::Integer, "2400", "0", in_kept<&K::adccalib>},
    {"ADC", "ADCMAX", 42, 57, Kind::Hex, "0XF00000", "0XF00000", in_kept<&K::adcmax>},
    {"ADC", "ADCMIN", 43, 58, Kind::Hex, "0X0FFFFF", "0X0FFFFFF", in_kept<&K::adcmin>},
    {"SET_0", "SET_0_N", 11, 59, Kind::Integer, "32", "32", in_kept<&K::set0_n>},
    {"SET_DIAP", "SET_DIAP_N", 13, 61, Kind::Integer, "32", "32", in_kept<&K::set_diap_n>},
    {"SET_0", "SET_0_VAL", 12, 60, Kind::Shortest, "0.0", "0.0", in_kept<&K::set0_val>},
    {"SET_DIAP", "SET_DIAP_VAL", 14, 62, Kind::Shortest, "250.0", "250.0", in_kept<&K::set_diap_val>},
    {"CH", "T90", 27, 24, Kind::Integer, "0", "0", in_image<&I::t90>, Send::Value},
    {"NEW_COMM", "NET_NUM", 0, 64, Kind::Integer, "1", nullptr, in_image<&I::adr>, Send::Link},
    {"NEW_COMM", "NET_SPD", 0, 65, Kind::Integer, "7", nullptr, in_image<&I::rate>, Send::Link},
    {"NEW_COMM", "NET_PAR", 0, 66, Kind::Integer, "0", nullptr, in_image<&I::parity>, Send::Link},
    {"NEW_COMM", "NET_DELY", 0, 67, Kind::Integer, "0", nullptr, in_image<&I::dely>, Send::Value},
    {"NEW_COMM", "NET_FLTYPE", 0, 68, Kind::Integer, "0", nullptr, in_image<&I::fltype>, Send::Value},
    {"NEW_DAT", "NUM_HI", 57, 69, Kind::Integer, "0", "0", in_image<&I::sn_hi>},
    {"NEW_DAT", "NUM_LO", 58, 70, Kind::Integer, "0", "0", in_image<&I::sn_lo>},
    {"NEW_DAT", "MODEL", 59, 71, Kind::Integer, "0", "10", in_image<&I::model>},
    {"NEW_DAT", "SOFT_NEW", 60, 72, Kind::Integer, "0", "0", in_image<&I::ver_soft>},
    {"NEW_DAT", "HARD_NEW", 61, 73, Kind::Integer, "0", "0", in_image<&I::ver_hard>},
    {"NEW_DAT", "YEAR_NEW", 62, 74, Kind::Integer, "11", "11", in_image<&I::year>},
    {"NEW_DAT", "MONTH_NEW", 63, 75, Kind::Integer, "6", "6", in_image<&I::month>},
    {"NEW_DAT", "DAY_NEW", 64, 76, Kind::Integer, "1", "15", in_image<&I::day>},
    {"MTR", "msenstype", 0, 77, Kind::Integer, "0", nullptr, in_kept<&K::msenstype>},
    {"MTR", "mox", 0, 78, Kind::Integer, "0", nullptr, in_kept<&K::mox>},
    {"MTR", "mcl", 0, 79, Kind::Integer, "0", nullptr, in_kept<&K::mcl>},
    {"MTR", "mdest", 0, 80, Kind::Integer, "0", nullptr, in_kept<&K::mdest>},
    {"MTR", "mprecis", 0, 81, Kind::Integer, "10", nullptr, in_kept<&K::mprecis>},
    {"MTR", "mmat", 0, 82, Kind::Integer, "0", nullptr, in_kept<&K::mmat>},
    {"MTR", "mdat", 0, 83, Kind::Text, "Ордвин 100МП4", nullptr, in_kept<&K::mdat>},
};

// The rows in the order of one of the positions, those without it left out.
std::vector<const KeyRow*> rows_by(uint8_t KeyRow::*at) {
  std::vector<const KeyRow*> rows;
  for (const KeyRow& r : kKeys)
    if (r.*at != 0) rows.push_back(&r);
  std::sort(rows.begin(), rows.end(), [at](const KeyRow* a, const KeyRow* b) { return a->*at < b->*at; });
  return rows;
}

uint16_t integer_default(const KeyRow& r) {
  uint16_t v = 0;
  std::from_chars(r.read_default.data(), r.read_default.data() + r.read_default.size(), v);
  return v;
}

NumberForm number_form(Kind kind) {
  switch (kind) {
    case Kind::Two: return NumberForm::TwoDecimals;
    case Kind::Six: return NumberForm::SixDecimals;
    default: return NumberForm::Shortest;
  }
}

template <typename T>
T& slot_value(const KeyRow& r, const ProfileTarget& t) {
  return std::get<T& (*)(const ProfileTarget&)>(r.slot)(t);
}

// Writes a key's value from memory in its kind's format; a key without a
// place in memory is written empty.
void write_key(Profile& p, const KeyRow& r, const ProfileTarget& t) {
  if (std::holds_alternative<std::monostate>(r.slot)) return p.put(r.section, r.key, std::string_view{});
  switch (r.kind) {
    case Kind::Integer:
    case Kind::Digits: return p.put(r.section, r.key, slot_value<uint16_t>(r, t));
    case Kind::Page: return p.put(r.section, r.key, static_cast<uint16_t>(slot_value<int>(r, t)));
    case Kind::Two:
    case Kind::Six:
    case Kind::Shortest: return p.put_number(r.section, r.key, slot_value<float>(r, t), number_form(r.kind));
    case Kind::Hex: return p.put_hex(r.section, r.key, slot_value<uint32_t>(r, t));
    case Kind::Text: return p.put(r.section, r.key, slot_value<std::string>(r, t));
    case Kind::UserText: {
      const auto& words = slot_value<std::array<uint16_t, 8>>(r, t);
      return p.put(r.section, r.key, unpadded_text(words.data(), words.size()));
    }
  }
}

// Reads a key into memory and writes it back as a load does.
void load_key(Profile& p, const KeyRow& r, const ProfileTarget& t) {
  if (std::holds_alternative<std::monostate>(r.slot)) return;
  switch (r.kind) {
    case Kind::Integer: slot_value<uint16_t>(r, t) = p.integer(r.section, r.key, integer_default(r)); break;
    case Kind::Digits:
      slot_value<uint16_t>(r, t) = std::min(p.integer(r.section, r.key, integer_default(r)), kPointMax);
      break;
    case Kind::Page: {
      // The one integer not held in 16 bits.
      const auto page = parse_ini_integer(p.text(r.section, r.key, r.read_default));
      if (page && *page >= 0 && *page < kProfilePageCount) slot_value<int>(r, t) = static_cast<int>(*page);
      break;
    }
    case Kind::Two:
    case Kind::Six:
    case Kind::Shortest:
      slot_value<float>(r, t) = static_cast<float>(p.number(r.section, r.key, r.read_default));
      break;
    case Kind::Hex: slot_value<uint32_t>(r, t) = p.hex(r.section, r.key, r.read_default); break;
    case Kind::Text: slot_value<std::string>(r, t) = p.text(r.section, r.key, r.read_default); break;
    case Kind::UserText: {
      const std::string text = p.text(r.section, r.key, r.read_default);
      auto& words = slot_value<std::array<uint16_t, 8>>(r, t);
      pack_text(text, words.data(), words.size());
      // The text goes back as read, with its blanks.
      return p.put(r.section, r.key, text);
    }
  }
  if (r.load_back)
    p.put(r.section, r.key, std::string_view(r.load_back));
  else
    write_key(p, r, t);
}

// The keys of a file that does not exist yet.
void write_new_profile(Profile& p, const ProfileTarget& t) {
  SearchSelection first = first_run_search_selection();
  const ProfileTarget fresh{t.image, first, t.log, t.kept};
  static const std::vector<const KeyRow*> rows = rows_by(&KeyRow::new_at);
  for (const KeyRow* r : rows) {
    if (r->fresh == kFromMemory)
      write_key(p, *r, fresh);
    else
      p.put(r->section, r->key, std::string_view(r->fresh));
  }
}

// Reads every key of the profile into t and writes each back into p as a
// load does; held, when given, tells key by key whether the file had it.
std::optional<std::string> load_into(const std::string& path, ProfileTarget t, bool write_back,
                                     std::vector<bool>* held) {
  Profile p(path);
  if (auto error = p.ini().load()) return error;
  if (held) {
    held->clear();
    for (const KeyRow& r : kKeys) held->push_back(p.ini().value(r.section, r.key).has_value());
  }
  // Read into copies: a load that fails leaves memory as it was.
  DeviceImage image = t.image;
  SearchSelection search = t.search;
  MeasureLogSettings log = t.log;
  ProfileKept kept = t.kept;
  const ProfileTarget copy{image, search, log, kept};
  if (!p.ini().existed()) write_new_profile(p, copy);
  for (const KeyRow& r : kKeys) load_key(p, r, copy);
  if (write_back) {
    if (auto error = p.ini().save()) return error;
  }
  t.image = image;
  t.search = search;
  t.log = log;
  t.kept = kept;
  return std::nullopt;
}

}  // namespace

std::optional<std::string> load_profile(const std::string& path, ProfileTarget t, bool write_back) {
  return load_into(path, t, write_back, nullptr);
}

std::optional<std::string> read_profile_held(const std::string& path, ProfileTarget t, ProfileHeldKeys& held) {
  return load_into(path, t, false, &held.held);
}

void take_sent_values(const ProfileHeldKeys& held, const DeviceImage& from, bool take_link, DeviceImage& to) {
  DeviceImage source = from;
  SearchSelection search;
  MeasureLogSettings log;
  ProfileKept kept;
  const ProfileTarget from_t{source, search, log, kept};
  const ProfileTarget to_t{to, search, log, kept};
  for (size_t i = 0; i < std::size(kKeys) && i < held.held.size(); ++i) {
    const KeyRow& r = kKeys[i];
    if (!held.held[i] || r.send == Send::No || (r.send == Send::Link && !take_link)) continue;
    std::visit(
        [&](auto slot) {
          if constexpr (!std::is_same_v<decltype(slot), std::monostate>) slot(to_t) = slot(from_t);
        },
        r.slot);
  }
}

std::optional<std::string> save_profile(const std::string& path, const ProfileTarget& t) {
  make_writable(path);
  Profile p(path);
  if (auto error = p.ini().load()) return error;
  static const std::vector<const KeyRow*> rows = rows_by(&KeyRow::save_at);
  for (const KeyRow* r : rows) write_key(p, *r, t);
  return p.ini().save();
}

std::string profile_save_name(std::string chosen, bool profile_filter, bool chosen_exists) {
  if (!profile_filter || chosen_exists) return chosen;
  constexpr std::string_view kSuffix = ".prf";
  const bool has_suffix =
      chosen.size() >= kSuffix.size() &&
      std::equal(kSuffix.begin(), kSuffix.end(), chosen.end() - static_cast<std::ptrdiff_t>(kSuffix.size()),
                 [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
  if (!has_suffix) chosen += kSuffix;
  return chosen;
}

std::string unpadded_text(const uint16_t* words, size_t n) {
  std::string s = unpack_text(words, n);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  // A zero byte inside would end the line for other readers of the file.
  std::replace(s.begin(), s.end(), '\0', ' ');
  return s;
}

}  // namespace orn
