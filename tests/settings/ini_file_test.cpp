#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "support/temp_folder.h"

namespace orn {
namespace {

using test::read_bytes;
using test::TempFolder;
using test::write_bytes;

TEST(ParseIniInteger, AcceptsDecimalAndBothHexPrefixes) {
  struct Case {
    const char* text;
    std::optional<int64_t> expected;
  };
  const Case cases[] = {
      {"10", 10},           {"$3E8", 1000},      {"0x3E8", 1000},  {"0X3e8", 1000},
      {"-1", -1},           {"+7", 7},           {"70000", 70000}, {"$FFFFFFFF", -1},
      {"-2147483648", int64_t{-2147483647} - 1}, {"2147483648", std::nullopt},
      {"$100000000", std::nullopt},              {"12a", std::nullopt},
      {"", std::nullopt},   {"$", std::nullopt}, {"0x", std::nullopt}, {"1.5", std::nullopt},
      {"--5", std::nullopt}, {"x10", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parse_ini_integer(c.text), c.expected) << c.text;
}

class IniFileTest : public ::testing::Test {
 protected:
  IniFile load(const std::string& bytes) {
    write_bytes(path, bytes);
    IniFile ini(path);
    EXPECT_EQ(ini.load(), std::nullopt);
    return ini;
  }
  TempFolder folder;
  std::string path = folder.file("test.ini");
};

TEST_F(IniFileTest, ReadsFirstMatchWithoutRegardToCase) {
  // Cyrillic names and values in Windows-1251; an LF-only line and a last
  // line without a line end.
  const IniFile ini = load(
      "; comment=not a key\r\n"
      "[Main]\r\n"
      "  Alpha = 1 \r\n"
      "alpha=2\r\n"
      "Quoted=\"  spaced  \"\r\n"
      "Wrap=70000\r\n"
      "Negative=-1\r\n"
      "Bad=abc\r\n"
      "[main]\r\n"
      "Beta=3\r\n"
      "[\xCA\xE8\xF0\xE8\xEB\xEB\xE8\xF6\xE0]\n"  // [Кириллица]
      "\xCA\xEB\xFE\xF7=\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5");  // Ключ=Значение
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"MAIN", "ALPHA", "1"},
      {"Main", "Quoted", "  spaced  "},
      {"Main", "Beta", std::nullopt},  // only the first [Main] is searched
      {"кириллица", "КЛЮЧ", "Значение"},
      {"Main", "; comment", std::nullopt},
      {"Missing", "Alpha", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ini.value(c.section, c.key), c.expected) << c.section << "/" << c.key;
  }
  EXPECT_EQ(ini.read_u16("Main", "Alpha", 9), 1);
  EXPECT_EQ(ini.read_u16("Main", "Wrap", 9), 4464);  // 70000 modulo 65536
  EXPECT_EQ(ini.read_u16("Main", "Negative", 9), 65535);
  EXPECT_EQ(ini.read_u16("Main", "Bad", 9), 9);
  EXPECT_EQ(ini.read_u16("Main", "Missing", 9), 9);
  EXPECT_EQ(ini.read_string("Main", "Missing", "fallback"), "fallback");
}

TEST_F(IniFileTest, LongValueIsCutAt1023Characters) {
  const IniFile ini = load("[S]\r\nK=" + std::string(1500, 'x') + "\r\n");
  EXPECT_EQ(ini.value("S", "K"), std::string(1023, 'x'));
}

TEST_F(IniFileTest, LoadAndSaveKeepsEveryByte) {
  const std::string original =
      "; \xCA\xEE\xEC\xEC\xE5\xED\xF2\xE0\xF0\xE8\xE9\r\n"  // ; Комментарий
      "\r\n"
      "[Unknown]\n"
      "  Odd = spacing ; not a comment \r\n"
      "no equals sign here\r\n"
      "[A]\r\n"
      "K=\xC4\xE0";  // K=Да, no final line end
  IniFile ini = load(original);
  EXPECT_EQ(ini.bytes(), original);
  ASSERT_EQ(ini.save(), std::nullopt);
  EXPECT_EQ(read_bytes(path), original);
}

TEST_F(IniFileTest, WritesReplaceInPlaceOrAppend) {
  IniFile ini = load(
      "; header\r\n"
      "[A]\r\n"
      "Key1 = old\r\n"
      "Other=keep\r\n"
      "\r\n"
      "; trailing comment of A\r\n"
      "[B]\n"
      "X=1");
  ini.write_string("a", "KEY1", "new");   // keeps the file's spelling and blanks
  ini.write_u16("A", "Key2", 5);          // after the last key of [A]
  ini.write_string("b", "Y", "y");        // the last line gets its line end
  ini.write_string("C", "Z", "two\r\nlines");  // new section; no line break in a value
  const std::string expected =
      "; header\r\n"
      "[A]\r\n"
      "Key1 = new\r\n"
      "Other=keep\r\n"
      "Key2=5\r\n"
      "\r\n"
      "; trailing comment of A\r\n"
      "[B]\n"
      "X=1\r\n"
      "Y=y\r\n"
      "[C]\r\n"
      "Z=two  lines\r\n";
  EXPECT_EQ(ini.bytes(), expected);
  ASSERT_EQ(ini.save(), std::nullopt);
  EXPECT_EQ(read_bytes(path), expected);
}

TEST_F(IniFileTest, OtherLineEndsAndByteOrderMarkAreReadAndKept) {
  struct Case {
    const char* name;
    std::string original;
    std::string value;  // of [Main] Key
    std::string after;  // after Key=new and New=1 are written
  };
  const Case cases[] = {
      {"CR only", "[Main]\rKey=\xC4\xE0\r[Other]\rX=1", "Да",
       "[Main]\rKey=new\rNew=1\r[Other]\rX=1"},
      // With the mark the file is UTF-8 and stays so; new text is not narrowed.
      {"UTF-8 mark", "\xEF\xBB\xBF[\xD0\x93\xD0\xBB\xD0\xB0\xD0\xB2\xD0\xBD\xD0\xB0\xD1\x8F]\r\n"
                     "Key=\xD0\x94\xD0\xB0\r\n",  // [Главная] Key=Да
       "Да", "\xEF\xBB\xBF[\xD0\x93\xD0\xBB\xD0\xB0\xD0\xB2\xD0\xBD\xD0\xB0\xD1\x8F]\r\nKey=new\r\nNew=1\r\n"},
      {"byte without a character", "[Main]\r\nKey=a\x98\r\n", "a\u0098", "[Main]\r\nKey=new\r\nNew=1\r\n"},
  };
  for (const Case& c : cases) {
    IniFile ini = load(c.original);
    const std::string section = c.name == std::string("UTF-8 mark") ? "главная" : "MAIN";
    EXPECT_EQ(ini.value(section, "key"), c.value) << c.name;
    ini.write_string(section, "Key", *ini.value(section, "key"));  // read and written back
    EXPECT_EQ(ini.bytes(), c.original) << c.name;
    ASSERT_EQ(ini.save(), std::nullopt);
    EXPECT_EQ(read_bytes(path), c.original) << c.name;
    ini.write_string(section, "Key", "new");
    ini.write_u16(section, "New", 1);
    EXPECT_EQ(ini.bytes(), c.after) << c.name;
  }
  IniFile utf8 = load("\xEF\xBB\xBF[S]\r\n");
  utf8.write_string("S", "K", "日");
  EXPECT_EQ(utf8.bytes(), "\xEF\xBB\xBF[S]\r\nK=\xE6\x97\xA5\r\n");
}

TEST_F(IniFileTest, CyrillicTextRoundTripsAsWindows1251) {
  IniFile ini = load("[\xCF\xF3\xF2\xFC]\r\n");  // [Путь]
  ini.write_string("ПУТЬ", "Журнал", "Файл №1");
  ini.write_string("путь", "Other", "日");  // not in Windows-1251
  ASSERT_EQ(ini.save(), std::nullopt);
  EXPECT_EQ(read_bytes(path),
            "[\xCF\xF3\xF2\xFC]\r\n"
            "\xC6\xF3\xF0\xED\xE0\xEB=\xD4\xE0\xE9\xEB \xB9" "1\r\n"
            "Other=?\r\n");
  IniFile again(path);
  ASSERT_EQ(again.load(), std::nullopt);
  EXPECT_EQ(again.value("Путь", "журнал"), "Файл №1");
}

TEST_F(IniFileTest, FailedWriteLeavesFileUntouched) {
  const std::string original = "[S]\r\nK=1\r\n";
  struct Case {
    const char* name;
    mode_t file_mode;
    mode_t folder_mode;
  };
  // A read-only folder alone does not stop a save: the file is rewritten in place.
  const Case cases[] = {{"read-only file", 0444, 0755}, {"read-only file and folder", 0444, 0555}};
  for (const Case& c : cases) {
    TempFolder f;
    const std::string p = f.file("dev.dat");
    write_bytes(p, original);
    IniFile ini(p);
    ASSERT_EQ(ini.load(), std::nullopt);
    ini.write_u16("S", "K", 2);
    ASSERT_EQ(chmod(p.c_str(), c.file_mode), 0);
    ASSERT_EQ(chmod(f.path().c_str(), c.folder_mode), 0);
    EXPECT_EQ(ini.save(), "Unable to write to " + p) << c.name;
    EXPECT_EQ(read_bytes(p), original) << c.name;
    chmod(f.path().c_str(), 0755);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.path()), {}), 1)
        << c.name << ": no temporary file left behind";
  }
  IniFile missing(folder.file("no-such-folder/dev.dat"));
  ASSERT_EQ(missing.load(), std::nullopt);
  EXPECT_FALSE(missing.existed());
  missing.write_u16("S", "K", 1);
  EXPECT_EQ(missing.save(), "Unable to write to " + folder.file("no-such-folder/dev.dat"));
}

TEST_F(IniFileTest, WriteKeepsPermissionsAndSymbolicLinks) {
  write_bytes(path, "[S]\r\n");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  const std::string link = folder.file("link.ini");
  std::filesystem::create_symlink(path, link);
  IniFile ini(link);
  ASSERT_EQ(ini.load(), std::nullopt);
  ini.write_u16("S", "K", 1);
  ASSERT_EQ(ini.save(), std::nullopt);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(read_bytes(path), "[S]\r\nK=1\r\n");
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  const mode_t old_mask = umask(022);
  IniFile fresh(folder.file("new.ini"));
  ASSERT_EQ(fresh.load(), std::nullopt);
  fresh.write_u16("S", "K", 1);
  ASSERT_EQ(fresh.save(), std::nullopt);
  umask(old_mask);
  ASSERT_EQ(stat(folder.file("new.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(IniFileTest, UnreadableFileIsReportedAndLoadsEmpty) {
  std::filesystem::create_directory(folder.file("dir.ini"));
  IniFile ini(folder.file("dir.ini"));
  EXPECT_EQ(ini.load(), "Unable to read " + folder.file("dir.ini"));
  EXPECT_TRUE(ini.existed());
}

}  // namespace
}  // namespace orn
