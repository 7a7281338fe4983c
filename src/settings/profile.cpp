#include "settings/profile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

#include "device/input_checks.h"
#include "device/value_codec.h"
#include "link/line_names.h"
#include "link/link_params.h"
#include "settings/atomic_file.h"
#include "settings/ini_file.h"
#include "units/number_format.h"

namespace orn {
namespace {

// The search's rate keys are the baud texts.
constexpr std::array<std::string_view, kSearchRateCount> kSearchRateKeys = [] {
  std::array<std::string_view, kSearchRateCount> keys{};
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = kRateNames[i].text;
  return keys;
}();
constexpr std::array<std::string_view, kSearchParityCount> kSearchParityKeys = {"parity_non", "parity_odd",
                                                                                "parity_ev"};
constexpr uint16_t kPointMax = 3;
constexpr uint16_t kProfileAddressMax = 247;
constexpr uint16_t kProfileAddressFallback = 2;

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

  // An integer read with its default and written straight back.
  uint16_t integer_rw(std::string_view section, std::string_view key, uint16_t fallback) {
    const uint16_t v = integer(section, key, fallback);
    put(section, key, v);
    return v;
  }
  float number_rw(std::string_view section, std::string_view key, std::string_view fallback, NumberForm form) {
    const auto v = static_cast<float>(number(section, key, fallback));
    put_number(section, key, v, form);
    return v;
  }
  std::string text_rw(std::string_view section, std::string_view key, std::string_view fallback) {
    std::string v = text(section, key, fallback);
    put(section, key, v);
    return v;
  }

 private:
  IniFile ini_;
};

// The keys of a file that does not exist yet, section by section.
void write_new_profile(Profile& p, const DeviceImage& image) {
  p.put("IZM", "izm_name", "izm.txt");
  p.put("IZM", "all_izm_file_name", "all_izm.txt");
  p.put("IZM", "write_file", uint16_t{0});
  p.put("ADC", "write_file", uint16_t{0});
  p.put("TAB", "num", uint16_t{0});
  p.put("Definition", "txt0", "Ордвин 100 MB 0.0.3");
  p.put("Definition", "txt1", "19200");
  p.put("Definition", "txt2", "");
  p.put("Definition", "txt3", "");
  p.put("TX", "INTERVAL", uint16_t{10});
  p.put("SET_0", "SET_0_N", uint16_t{32});
  p.put("SET_0", "SET_0_VAL", "0.0");
  p.put("SET_DIAP", "SET_DIAP_N", uint16_t{32});
  p.put("SET_DIAP", "SET_DIAP_VAL", "250.0");
  p.put("KONSTR_bound", "min", "0.0");
  p.put("KONSTR_bound", "max", "250.0");
  p.put("KONSTR", "konstr_line_index", uint16_t{0});
  p.put("KONSTR", "konstr_case_index", uint16_t{0});
  p.put("KONSTR", "konstr_unit_index", uint16_t{0});
  p.put("KONSTR", "konstr_txt", "Ордвин 100");
  p.put("USR", "usr_txt", "Ордвин 100");
  p.put("CH", "unit", uint16_t{2});
  p.put("CH", "diap_max", "250");
  p.put("CH", "diap_min", "0");
  p.put("CH", "diap", "1.0");
  p.put("CH", "shift", "0.0");
  p.put("CH", "T90", uint16_t{0});
  p.put("X", "XNUL", uint16_t{0});
  p.put("X", "XBND", uint16_t{0});
  p.put("X", "XSQR", uint16_t{0});
  p.put("CUTOFF", "NULCUTOFF", uint16_t{0});
  p.put("CUTOFF", "MAXCUTOFF", uint16_t{0});
  p.put("CUTOFF", "LINCUTOFF", uint16_t{0});
  p.put("OVLD", "MINOVLD", image.minovld);
  p.put("OVLD", "MAXOVLD", image.maxovld);
  p.put("ADC", "GAIN", uint16_t{6});
  p.put("ADC", "GAIN2", uint16_t{0});
  p.put("ADC", "RATE", uint16_t{7});
  p.put("ADC", "NS", uint16_t{0});
  p.put("ADC", "XADC", uint16_t{0});
  p.put("ADC", "ADCCALIB", uint16_t{0});
  p.put("ADC", "ADCMAX", "0XF00000");
  p.put("ADC", "ADCMIN", "0X0FFFFFF");
  const SearchSelection first = first_run_search_selection();
  for (size_t i = 0; i < kSearchRateCount; ++i) p.put("Seach", kSearchRateKeys[i], first.rates[i]);
  p.put("Seach", "beg", first.first);
  p.put("Seach", "end", first.last);
  for (size_t i = 0; i < kSearchParityCount; ++i) p.put("Seach", kSearchParityKeys[i], first.parities[i]);
  p.put("NEW_DAT", "NUM_HI", uint16_t{0});
  p.put("NEW_DAT", "NUM_LO", uint16_t{0});
  p.put("NEW_DAT", "MODEL", uint16_t{10});
  p.put("NEW_DAT", "SOFT_NEW", uint16_t{0});
  p.put("NEW_DAT", "HARD_NEW", uint16_t{0});
  p.put("NEW_DAT", "YEAR_NEW", uint16_t{11});
  p.put("NEW_DAT", "MONTH_NEW", uint16_t{6});
  p.put("NEW_DAT", "DAY_NEW", uint16_t{15});
}

// The load's write-back of the search keys is a fixed selection; memory
// keeps what was read, and the save writes it.
void load_search(Profile& p, SearchSelection& s) {
  constexpr std::array<uint16_t, kSearchRateCount> kRead = {0, 0, 0, 0, 1, 1, 1, 1};
  constexpr std::array<uint16_t, kSearchRateCount> kWritten = {0, 0, 0, 1, 1, 0, 0, 0};
  for (size_t i = 0; i < kSearchRateCount; ++i) {
    s.rates[i] = p.integer("Seach", kSearchRateKeys[i], kRead[i]);
    p.put("Seach", kSearchRateKeys[i], kWritten[i]);
  }
  s.first = p.integer("Seach", "beg", 1);
  p.put("Seach", "beg", uint16_t{1});
  s.last = p.integer("Seach", "end", 5);
  p.put("Seach", "end", uint16_t{5});
  constexpr std::array<uint16_t, kSearchParityCount> kParityRead = {0, 0, 1};
  for (size_t i = 0; i < kSearchParityCount; ++i) {
    s.parities[i] = p.integer("Seach", kSearchParityKeys[i], kParityRead[i]);
    p.put("Seach", kSearchParityKeys[i], uint16_t{0});
  }
}

// Reads every key of the profile into t and writes each back into p as a load does.
void read_profile(Profile& p, ProfileTarget t) {
  DeviceImage& im = t.image;
  ProfileKept& k = t.kept;
  if (!p.ini().existed()) write_new_profile(p, im);

  constexpr auto two = NumberForm::TwoDecimals;
  constexpr auto six = NumberForm::SixDecimals;
  im.unit = p.integer_rw("CH", "unit", 2);
  im.diapmaxkpa = p.number_rw("CH", "diap_max", "10", two);
  im.diapminkpa = p.number_rw("CH", "diap_min", "0", two);
  // Span factor and zero shift go back in the six decimals the save writes
  // them with: a program ended before its close loses no digits of them.
  im.diap = p.number_rw("CH", "diap", "1.0", six);
  im.diap_usr = p.number_rw("CH", "diap_usr", "1.0", six);
  im.shift = p.number_rw("CH", "shift", "0", six);
  im.shift_scale = p.number_rw("CH", "shift_scale", "0", six);
  im.shift_usr = p.number_rw("CH", "shift_usr", "0", six);

  if (im.rate < kRateIndexMin || im.rate > kRateIndexMax) im.rate = kRateIndexDefault;
  if (im.adr == 0 || im.adr > kProfileAddressMax) im.adr = kProfileAddressFallback;
  if (im.parity > kParityEven) im.parity = kParityNone;

  im.digits = std::min(p.integer("IND", "point", kPointMax), kPointMax);
  p.put("IND", "point", im.digits);

  // TAB num is the one integer not held in 16 bits: a page outside 0..3 leaves the page as it is.
  const auto page = parse_ini_integer(p.text("TAB", "num", "0"));
  if (page && *page >= 0 && *page < kProfilePageCount) k.page = static_cast<int>(*page);
  p.put("TAB", "num", static_cast<uint16_t>(k.page));

  // The log names are used as read until the next load, but the file gets the defaults back.
  t.log.izm_name = p.text("IZM", "izm_name", "izm.txt");
  p.put("IZM", "izm_name", "izm.txt");
  k.all_izm_name = p.text("IZM", "all_izm_file_name", "all_izm.txt");
  p.put("IZM", "all_izm_file_name", "all_izm.txt");
  t.log.write_file = p.integer("IZM", "write_file", 1);
  p.put("IZM", "write_file", uint16_t{1});
  k.write_all_izm = p.integer("IZM", "write_all_izm_file", 1);
  p.put("IZM", "write_all_izm_file", uint16_t{1});
  k.adc_write = p.integer_rw("ADC", "write_file", 1);
  k.adc_name = p.text("ADC", "adc_name", "adc.txt");
  p.put("ADC", "adc_name", "adc.txt");

  k.tx_interval = p.integer_rw("TX", "INTERVAL", 10);
  im.constrminkpa = p.number_rw("KONSTR_bound", "min", "0.0", two);
  im.constrmaxkpa = p.number_rw("KONSTR_bound", "max", "10.0", two);
  k.konstr_line = p.integer_rw("KONSTR", "konstr_line_index", 0);
  k.konstr_pres = p.integer_rw("KONSTR", "konstr_pres_index", 0);
  k.konstr_case = p.integer_rw("KONSTR", "konstr_case_index", 0);
  k.konstr_unit = p.integer_rw("KONSTR", "konstr_unit_index", 0);
  k.konstr_txt = p.text_rw("KONSTR", "konstr_txt", "Ордвин 100");
  pack_text(p.text_rw("USR", "usr_txt", "Ордвин 100"), im.user_text.data(), im.user_text.size());
  load_search(p, t.search);

  k.xhchk = p.integer_rw("X", "XHCHK", 1);
  im.xnul = p.integer_rw("X", "XNUL", 1);
  im.xbnd = p.integer_rw("X", "XBND", 0);
  im.xsqr = p.integer_rw("X", "XSQR", 0);
  im.xfset = p.integer_rw("X", "XFSET", 1);
  k.xepwr = p.integer_rw("X", "XEPWR", 1);
  im.nulcutoff = p.integer_rw("CUTOFF", "NULCUTOFF", 0);
  im.maxcutoff = p.integer_rw("CUTOFF", "MAXCUTOFF", 0);
  im.lincutoff = p.integer_rw("CUTOFF", "LINCUTOFF", 0);
  im.minovld = p.integer_rw("OVLD", "MINOVLD", 0);
  im.maxovld = p.integer_rw("OVLD", "MAXOVLD", 0);
  k.gain = p.integer_rw("ADC", "GAIN", 4);
  k.gain2 = p.integer_rw("ADC", "GAIN2", 0);
  k.rate = p.integer_rw("ADC", "RATE", 5);
  k.ns = p.integer_rw("ADC", "NS", 0);
  k.xadc = p.integer_rw("ADC", "XADC", 3);
  k.adccalib = p.integer_rw("ADC", "ADCCALIB", 2400);
  k.adcmax = p.hex("ADC", "ADCMAX", "0XF00000");
  p.put_hex("ADC", "ADCMAX", k.adcmax);
  k.adcmin = p.hex("ADC", "ADCMIN", "0X0FFFFF");
  p.put_hex("ADC", "ADCMIN", k.adcmin);
  k.set0_n = p.integer_rw("SET_0", "SET_0_N", 32);
  k.set_diap_n = p.integer_rw("SET_DIAP", "SET_DIAP_N", 32);
  k.set0_val = static_cast<float>(p.number("SET_0", "SET_0_VAL", "0.0"));
  p.put_number("SET_0", "SET_0_VAL", k.set0_val, NumberForm::Shortest);
  k.set_diap_val = static_cast<float>(p.number("SET_DIAP", "SET_DIAP_VAL", "250.0"));
  p.put_number("SET_DIAP", "SET_DIAP_VAL", k.set_diap_val, NumberForm::Shortest);
  im.t90 = p.integer_rw("CH", "T90", 0);

  im.adr = p.integer_rw("NEW_COMM", "NET_NUM", 1);
  im.rate = p.integer_rw("NEW_COMM", "NET_SPD", kRateIndexDefault);
  im.parity = p.integer_rw("NEW_COMM", "NET_PAR", 0);
  im.dely = p.integer_rw("NEW_COMM", "NET_DELY", 0);
  im.fltype = p.integer_rw("NEW_COMM", "NET_FLTYPE", 0);
  im.sn_hi = p.integer_rw("NEW_DAT", "NUM_HI", 0);
  im.sn_lo = p.integer_rw("NEW_DAT", "NUM_LO", 0);
  im.model = p.integer_rw("NEW_DAT", "MODEL", 0);
  im.ver_soft = p.integer_rw("NEW_DAT", "SOFT_NEW", 0);
  im.ver_hard = p.integer_rw("NEW_DAT", "HARD_NEW", 0);
  im.year = p.integer_rw("NEW_DAT", "YEAR_NEW", 11);
  im.month = p.integer_rw("NEW_DAT", "MONTH_NEW", 6);
  im.day = p.integer_rw("NEW_DAT", "DAY_NEW", 1);
  k.msenstype = p.integer_rw("MTR", "msenstype", 0);
  k.mox = p.integer_rw("MTR", "mox", 0);
  k.mcl = p.integer_rw("MTR", "mcl", 0);
  k.mdest = p.integer_rw("MTR", "mdest", 0);
  k.mprecis = p.integer_rw("MTR", "mprecis", 10);
  k.mmat = p.integer_rw("MTR", "mmat", 0);
  k.mdat = p.text_rw("MTR", "mdat", "Ордвин 100МП4");
}

}  // namespace

std::optional<std::string> load_profile(const std::string& path, ProfileTarget t, bool write_back) {
  Profile p(path);
  if (auto error = p.ini().load()) return error;
  // Read into copies: a load that fails leaves memory as it was.
  DeviceImage image = t.image;
  SearchSelection search = t.search;
  MeasureLogSettings log = t.log;
  ProfileKept kept = t.kept;
  read_profile(p, {image, search, log, kept});
  if (write_back) {
    if (auto error = p.ini().save()) return error;
  }
  t.image = image;
  t.search = search;
  t.log = log;
  t.kept = kept;
  return std::nullopt;
}

std::optional<std::string> save_profile(const std::string& path, const ProfileTarget& t) {
  make_writable(path);

  const DeviceImage& im = t.image;
  const ProfileKept& k = t.kept;
  Profile p(path);
  if (auto error = p.ini().load()) return error;
  constexpr auto two = NumberForm::TwoDecimals;
  constexpr auto six = NumberForm::SixDecimals;
  p.put("IZM", "write_file", t.log.write_file);
  p.put("ADC", "write_file", k.adc_write);
  p.put("IZM", "write_all_izm_file", k.write_all_izm);
  p.put("TAB", "num", static_cast<uint16_t>(k.page));
  for (std::string_view key : {"txt0", "txt1", "txt2", "txt3"}) p.put("Definition", key, "");
  p.put("TX", "INTERVAL", k.tx_interval);
  for (size_t i = 0; i < kSearchRateCount; ++i) p.put("Seach", kSearchRateKeys[i], t.search.rates[i]);
  p.put("Seach", "beg", t.search.first);
  p.put("Seach", "end", t.search.last);
  for (size_t i = 0; i < kSearchParityCount; ++i) p.put("Seach", kSearchParityKeys[i], t.search.parities[i]);
  p.put("CH", "unit", im.unit);
  p.put("CH", "T90", im.t90);
  p.put_number("CH", "diap_max", im.diapmaxkpa, two);
  p.put_number("CH", "diap_min", im.diapminkpa, two);
  p.put_number("CH", "diap", im.diap, six);
  p.put_number("CH", "shift", im.shift, six);
  p.put_number("CH", "diap_usr", im.diap_usr, six);
  p.put_number("CH", "shift_usr", im.shift_usr, six);
  p.put_number("CH", "shift_scale", im.shift_scale, six);
  p.put_number("KONSTR_bound", "min", im.constrminkpa, two);
  p.put_number("KONSTR_bound", "max", im.constrmaxkpa, two);
  p.put("KONSTR", "konstr_line_index", k.konstr_line);
  p.put("KONSTR", "konstr_pres_index", k.konstr_pres);
  p.put("KONSTR", "konstr_unit_index", k.konstr_unit);
  p.put("KONSTR", "konstr_case_index", k.konstr_case);
  p.put("KONSTR", "konstr_txt", k.konstr_txt);
  p.put("USR", "usr_txt", register_text(im.user_text.data(), im.user_text.size()));
  p.put("X", "XHCHK", k.xhchk);
  p.put("X", "XNUL", im.xnul);
  p.put("X", "XBND", im.xbnd);
  p.put("X", "XSQR", im.xsqr);
  p.put("X", "XFSET", im.xfset);
  p.put("X", "XEPWR", k.xepwr);
  p.put("CUTOFF", "NULCUTOFF", im.nulcutoff);
  p.put("CUTOFF", "MAXCUTOFF", im.maxcutoff);
  p.put("CUTOFF", "LINCUTOFF", im.lincutoff);
  p.put("OVLD", "MINOVLD", im.minovld);
  p.put("OVLD", "MAXOVLD", im.maxovld);
  p.put("ADC", "GAIN", k.gain);
  p.put("ADC", "GAIN2", k.gain2);
  p.put("ADC", "RATE", k.rate);
  p.put("ADC", "NS", k.ns);
  p.put("ADC", "XADC", k.xadc);
  p.put("ADC", "ADCCALIB", k.adccalib);
  p.put_hex("ADC", "ADCMAX", k.adcmax);
  p.put_hex("ADC", "ADCMIN", k.adcmin);
  p.put("SET_0", "SET_0_N", k.set0_n);
  p.put_number("SET_0", "SET_0_VAL", k.set0_val, NumberForm::Shortest);
  p.put("SET_DIAP", "SET_DIAP_N", k.set_diap_n);
  p.put_number("SET_DIAP", "SET_DIAP_VAL", k.set_diap_val, NumberForm::Shortest);
  p.put("IND", "point", im.digits);
  p.put("NEW_COMM", "NET_NUM", im.adr);
  p.put("NEW_COMM", "NET_SPD", im.rate);
  p.put("NEW_COMM", "NET_PAR", im.parity);
  p.put("NEW_COMM", "NET_DELY", im.dely);
  p.put("NEW_COMM", "NET_FLTYPE", im.fltype);
  p.put("NEW_DAT", "NUM_HI", im.sn_hi);
  p.put("NEW_DAT", "NUM_LO", im.sn_lo);
  p.put("NEW_DAT", "MODEL", im.model);
  p.put("NEW_DAT", "SOFT_NEW", im.ver_soft);
  p.put("NEW_DAT", "HARD_NEW", im.ver_hard);
  p.put("NEW_DAT", "YEAR_NEW", im.year);
  p.put("NEW_DAT", "MONTH_NEW", im.month);
  p.put("NEW_DAT", "DAY_NEW", im.day);
  p.put("MTR", "msenstype", k.msenstype);
  p.put("MTR", "mox", k.mox);
  p.put("MTR", "mcl", k.mcl);
  p.put("MTR", "mdest", k.mdest);
  p.put("MTR", "mprecis", k.mprecis);
  p.put("MTR", "mmat", k.mmat);
  p.put("MTR", "mdat", k.mdat);
  return p.ini().save();
}

std::optional<std::string> held_profile_keys(const std::string& path, std::span<const ProfileKey> keys,
                                             std::vector<bool>& held) {
  IniFile ini(path);
  if (auto error = ini.load()) return error;
  held.clear();
  for (const ProfileKey& k : keys) held.push_back(ini.value(k.section, k.key).has_value());
  return std::nullopt;
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

std::string register_text(const uint16_t* words, size_t n) {
  std::string s = unpack_text(words, n);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  // A zero byte inside would end the line for other readers of the file.
  std::replace(s.begin(), s.end(), '\0', ' ');
  return s;
}

}  // namespace orn
