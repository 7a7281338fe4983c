// The coefficient files: creation, read defaults, formats, the read-only
// reset, the untouched template, and no digit lost between load and save.
#include "calib/coefficient_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "settings/ini_file.h"
#include "support/temp_folder.h"

namespace orn {
namespace {

using test::read_bytes;
using test::TempFolder;
using test::write_bytes;

size_t poly_index(std::string_view section, std::string_view key) {
  for (size_t i = 0; i < kPolyCount; ++i)
    if (poly_keys()[i].section == section && poly_keys()[i].key == key) return i;
  ADD_FAILURE() << section << key;
  return 0;
}

std::string value_in(const std::string& path, std::string_view section, std::string_view key) {
  IniFile ini(path);
  EXPECT_FALSE(ini.load());
  return ini.read_string(section, key, "<missing>");
}

TEST(CoefficientFiles, KeyOrderOfBothSets) {
  const auto& p = poly_keys();
  EXPECT_EQ(p[0].section, "A");
  EXPECT_EQ(p[0].key, "0");
  EXPECT_EQ(p[59].section, "F");
  EXPECT_EQ(p[59].key, "9");
  EXPECT_EQ(p[60].section, "M");
  EXPECT_EQ(p[61].key, "2");
  EXPECT_EQ(p[62].section, "S");
  EXPECT_EQ(p[65].key, "3");
  EXPECT_EQ(p[66].section, "WS");
  EXPECT_EQ(p[66].key, "WS");
  EXPECT_EQ(corr_keys()[4].section, "CB");
  EXPECT_EQ(corr_keys()[15].section, "CD");
  EXPECT_EQ(corr_keys()[15].key, "3");
}

TEST(CoefficientFiles, MissingFilesAreCreatedWithTheirCreationValues) {
  TempFolder dir;
  PolySet poly{};
  ASSERT_FALSE(load_poly_res(dir.path(), poly));
  for (size_t i = 0; i < kPolyCount; ++i) {
    const CoefficientKey& k = poly_keys()[i];
    const bool one = (k.key == "0" && k.section.size() == 1 && k.section != "S") ||
                     (k.section == "M" && k.key == "1") || (k.section == "S" && k.key == "0") || k.section == "WS";
    EXPECT_EQ(poly.values[i], one ? 1.0f : 0.0f) << k.section << k.key;
  }
  EXPECT_EQ(value_in(dir.file("poly_res.pol"), "A", "0"), "1.000000000");

  CorrSet corr{};
  ASSERT_FALSE(load_corr(dir.path(), corr));
  EXPECT_EQ(corr.values[0], 1.0f);   // CA0
  EXPECT_EQ(corr.values[4], 0.0f);   // CB0
  EXPECT_EQ(corr.values[8], 1.0f);   // CC0
  EXPECT_EQ(corr.values[12], 0.0f);  // CD0
}

// Keys missing from an existing file take the read defaults, which differ
// from the creation values; text that is no number is 0.
TEST(CoefficientFiles, MissingKeysTakeTheReadDefaults) {
  TempFolder dir;
  write_bytes(dir.file("poly_res.pol"), "[A]\r\n1=abc\r\n2=\r\n");
  PolySet poly{};
  ASSERT_FALSE(load_poly_res(dir.path(), poly));
  EXPECT_EQ(poly.values[poly_index("S", "0")], 0.0f);
  EXPECT_EQ(poly.values[poly_index("A", "7")], 1.0f);
  EXPECT_EQ(poly.values[poly_index("B", "9")], 1.0f);
  EXPECT_EQ(poly.values[poly_index("C", "4")], 0.0f);
  EXPECT_EQ(poly.values[poly_index("M", "1")], 1.0f);
  EXPECT_EQ(poly.values[poly_index("WS", "WS")], 1.0f);
  EXPECT_EQ(poly.values[poly_index("A", "1")], 0.0f);
  EXPECT_EQ(value_in(dir.file("poly_res.pol"), "A", "1"), "0.000000000");
  EXPECT_EQ(value_in(dir.file("poly_res.pol"), "WS", "WS"), "1.000000000");

  write_bytes(dir.file("corr.txt"), "[CA]\r\n1=2.5\r\n");
  CorrSet corr{};
  ASSERT_FALSE(load_corr(dir.path(), corr));
  EXPECT_EQ(corr.values[0], 0.0f);  // CA0
  EXPECT_EQ(corr.values[1], 2.5f);
  EXPECT_EQ(corr.values[4], 1.0f);  // CB0
  EXPECT_EQ(corr.values[8], 0.0f);  // CC0
  EXPECT_EQ(corr.values[12], 1.0f); // CD0
  EXPECT_EQ(corr.values[13], 0.0f);
}

// A load writes every value back at once; a run killed before its save must
// find the same digits at the next load.
TEST(CoefficientFiles, NoDigitLostBetweenLoadsWithoutSave) {
  TempFolder dir;
  write_bytes(dir.file("poly_res.pol"), "[A]\r\n3=0.000123456\r\n");
  write_bytes(dir.file("corr.txt"), "[CD]\r\n2=0.000123456\r\n");
  for (int run = 0; run < 2; ++run) {
    PolySet poly{};
    ASSERT_FALSE(load_poly_res(dir.path(), poly));
    EXPECT_FLOAT_EQ(poly.values[3], 0.000123456f);
    EXPECT_EQ(value_in(dir.file("poly_res.pol"), "A", "3"), "0.000123456");
    CorrSet corr{};
    ASSERT_FALSE(load_corr(dir.path(), corr));
    EXPECT_FLOAT_EQ(corr.values[14], 0.000123456f);
    EXPECT_EQ(value_in(dir.file("corr.txt"), "CD", "2"), "0.000123456");
  }
}

TEST(CoefficientFiles, SaveWritesNineDecimalsInFileOrderAndKeepsOtherLines) {
  TempFolder dir;
  write_bytes(dir.file("corr.txt"), "; bench 4\r\n[CA]\r\n0=1\r\n");
  CorrSet corr{};
  corr.read = true;  // as after a load
  for (size_t i = 0; i < kCorrCount; ++i) corr.values[i] = static_cast<float>(i) + 0.5f;
  ASSERT_FALSE(save_corr(dir.path(), corr));
  const std::string bytes = read_bytes(dir.file("corr.txt"));
  EXPECT_EQ(bytes.rfind("; bench 4\r\n[CA]\r\n0=0.500000000\r\n1=1.500000000\r\n", 0), 0u) << bytes;
  EXPECT_NE(bytes.find("[CD]\r\n0=12.500000000\r\n1=13.500000000\r\n2=14.500000000\r\n3=15.500000000\r\n"),
            std::string::npos)
      << bytes;

  PolySet poly{};
  poly.read = true;
  poly.values[poly_index("WS", "WS")] = -2.25f;
  ASSERT_FALSE(save_poly_res(dir.path(), poly));
  EXPECT_EQ(value_in(dir.file("poly_res.pol"), "WS", "WS"), "-2.250000000");
}

// A read-only file (the Windows read-only attribute) is made writable first.
TEST(CoefficientFiles, ReadOnlyFileIsRewritten) {
  TempFolder dir;
  const std::string path = dir.file("poly_res.pol");
  write_bytes(path, "[A]\r\n0=2\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  PolySet poly{};
  ASSERT_FALSE(load_poly_res(dir.path(), poly));
  EXPECT_EQ(poly.values[0], 2.0f);
  EXPECT_EQ(value_in(path, "A", "0"), "2.000000000");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  poly.values[0] = 3.0f;
  ASSERT_FALSE(save_poly_res(dir.path(), poly));
  EXPECT_EQ(value_in(path, "A", "0"), "3.000000000");
}

// A set whose file could not be read holds zeros, not the file's values: its
// save must leave the file alone.
TEST(CoefficientFiles, SetNeverReadIsNotSaved) {
  TempFolder dir;
  const std::string poly_file = dir.file("poly_res.pol");
  const std::string corr_file = dir.file("corr.txt");
  std::filesystem::create_directory(poly_file);
  std::filesystem::create_directory(corr_file);
  PolySet poly{};
  CorrSet corr{};
  EXPECT_EQ(load_poly_res(dir.path(), poly), "Unable to read " + poly_file);
  EXPECT_EQ(load_corr(dir.path(), corr), "Unable to read " + corr_file);

  // The files are back before the save, with values the sets never saw.
  std::filesystem::remove(poly_file);
  std::filesystem::remove(corr_file);
  const std::string poly_text = "[A]\r\n0=2.5\r\n";
  const std::string corr_text = "[CA]\r\n0=4.5\r\n";
  write_bytes(poly_file, poly_text);
  write_bytes(corr_file, corr_text);
  EXPECT_EQ(save_poly_res(dir.path(), poly), std::nullopt);
  EXPECT_EQ(save_corr(dir.path(), corr), std::nullopt);
  EXPECT_EQ(read_bytes(poly_file), poly_text);
  EXPECT_EQ(read_bytes(corr_file), corr_text);
}

TEST(CoefficientFiles, TemplateCreatedOnceAndNeverTouched) {
  TempFolder dir;
  const std::string path = dir.file("250_kpa_maket.pol");
  ASSERT_FALSE(create_poly_template(dir.path()));
  EXPECT_EQ(value_in(path, "A", "1"), "340.55");
  EXPECT_EQ(value_in(path, "A", "0"), "0.0");
  EXPECT_EQ(value_in(path, "WS", "WS"), "0.0");

  const std::string mine = "[A]\n1=7\nnot an ini line\n";
  write_bytes(path, mine);
  ASSERT_FALSE(create_poly_template(dir.path()));
  EXPECT_EQ(read_bytes(path), mine);
}

}  // namespace
}  // namespace orn
