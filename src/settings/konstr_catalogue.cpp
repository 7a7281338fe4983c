#include "settings/konstr_catalogue.h"

#include <algorithm>
#include <string_view>

#include "settings/ini_file.h"

namespace orn {
namespace {

constexpr std::string_view kSection = "KONSTR";

struct ListKeys {
  std::string_view entry_prefix;
  std::string_view last_index_key;
  std::string_view entry_default;
};

constexpr std::array<ListKeys, KonstrListCount> kLists{{
    {"konstr_type", "type_line_val", "1      "},
    {"konstr_pres", "pres_line_val", "   "},
    {"konstr_case", "case_line_val", "АГ-08 "},
    {"konstr_unit", "unit_line_val", "кПа "},
}};

// The lists of a new file. Type entries carry one trailing space each.
constexpr std::string_view kNewTypes[] = {
    "1030", "1032", "1035", "1040", "1050", "1052", "1055", "1060", "1062", "1065", "1110", "1112",
    "1115", "1120", "1122", "1125", "1130", "1132", "1135", "1140", "1142", "1145", "1150", "1152",
    "1155", "1160", "1162", "1165", "1170", "1172", "1175", "1180", "1182", "1185", "1190", "1192",
    "1195", "1340", "1342", "1345", "1350", "1352", "1355", "1360", "1362", "1365", "1417", "1418",
    "1427", "1428", "1437", "1438", "1447", "1448", "1457", "1458", "1467", "1468"};
constexpr std::string_view kNewPressures[] = {"0.1", "0.16", "0.25", "0.4", "0.63", "1",   "1.6",
                                              "2.5", "4",    "6.3",  "10",  "12.5", "16",  "20",
                                              "25",  "40",   "50",   "60",  "63",   "100", "160",
                                              "250", "300",  "400",  "500", "630",  "900"};
constexpr std::string_view kNewCases[] = {"АГ-08", "НГ-06"};
constexpr std::string_view kNewUnits[] = {"кПа", "МПа"};

std::string entry_key(const ListKeys& list, size_t i) { return std::string(list.entry_prefix) + std::to_string(i); }

template <size_t N>
void write_new_list(IniFile& ini, const ListKeys& list, const std::string_view (&entries)[N],
                    std::string_view suffix) {
  for (size_t i = 0; i < N; ++i) ini.write_string(kSection, entry_key(list, i), std::string(entries[i]) + std::string(suffix));
  ini.write_u16(kSection, list.last_index_key, static_cast<uint16_t>(N - 1));
}

}  // namespace

std::optional<std::string> load_konstr_catalogue(const std::string& folder, KonstrCatalogue& catalogue) {
  IniFile ini(settings_path(folder, kKonstrCatalogueName));
  if (auto error = ini.load()) return error;
  if (!ini.existed()) {
    write_new_list(ini, kLists[KonstrTypes], kNewTypes, " ");
    write_new_list(ini, kLists[KonstrPressures], kNewPressures, "");
    write_new_list(ini, kLists[KonstrCases], kNewCases, "");
    write_new_list(ini, kLists[KonstrUnits], kNewUnits, "");
  }
  for (size_t l = 0; l < KonstrListCount; ++l) {
    const ListKeys& keys = kLists[l];
    const uint16_t last = ini.read_u16(kSection, keys.last_index_key, 0);
    ini.write_u16(kSection, keys.last_index_key, last);
    // The lists hold 64 entries; entries beyond them stay in the file unread.
    const size_t count = std::min<size_t>(size_t{last} + 1, kKonstrListMax);
    std::vector<std::string>& list = catalogue.lists[l];
    list.clear();
    for (size_t i = 0; i < count; ++i) {
      const std::string key = entry_key(keys, i);
      list.push_back(ini.read_string(kSection, key, keys.entry_default));
      ini.write_string(kSection, key, list.back());
    }
  }
  return ini.save();
}

}  // namespace orn
