#include "settings/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "device/value_codec.h"
#include "settings/konstr_catalogue.h"
#include "support/temp_folder.h"
#include "text/cp1251.h"

namespace orn {
namespace {

using test::read_bytes;
using test::TempFolder;
using test::write_bytes;

// What the program keeps in memory for one profile.
struct Memory {
  DeviceImage image;
  SearchSelection search;
  MeasureLogSettings log;
  ProfileKept kept;
  ProfileTarget target() { return {image, search, log, kept}; }
};

// Lines joined with CR LF and turned into Windows-1251, as a file on disk.
std::string crlf(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return utf8_to_cp1251(text);
}

class ProfileTest : public ::testing::Test {
 protected:
  std::optional<std::string> load(Memory& m) { return load_profile(path, m.target()); }

  TempFolder folder;
  std::string path = folder.file("test.prf");
};

TEST_F(ProfileTest, EmptyFileYieldsReadDefaultsAndListsEveryKeyAsLoaded) {
  write_bytes(path, "");
  Memory m;
  m.kept.page = 1;  // TAB num 0 is read and shown
  ASSERT_EQ(load(m), std::nullopt);

  const DeviceImage& im = m.image;
  EXPECT_EQ(im.unit, 2);
  EXPECT_FLOAT_EQ(im.diapmaxkpa, 10.0f);
  EXPECT_FLOAT_EQ(im.diapminkpa, 0.0f);
  EXPECT_FLOAT_EQ(im.diap, 1.0f);
  EXPECT_FLOAT_EQ(im.diap_usr, 1.0f);
  EXPECT_FLOAT_EQ(im.constrmaxkpa, 10.0f);
  EXPECT_EQ(im.digits, 3);
  EXPECT_EQ(m.kept.page, 0);
  EXPECT_EQ(m.log.izm_name, "izm.txt");
  EXPECT_EQ(m.log.write_file, 1);
  EXPECT_EQ(m.kept.konstr_txt, "Ордвин 100");
  EXPECT_EQ(unpack_text(im.user_text.data(), im.user_text.size()), "Ордвин 100      ");
  const SearchSelection search{{0, 0, 0, 0, 1, 1, 1, 1}, {0, 0, 1}, 1, 5};
  EXPECT_EQ(m.search, search);
  EXPECT_EQ((std::array<uint16_t, 5>{im.xnul, im.xbnd, im.xsqr, im.xfset, m.kept.xhchk}),
            (std::array<uint16_t, 5>{1, 0, 0, 1, 1}));
  EXPECT_EQ((std::array<uint16_t, 6>{m.kept.gain, m.kept.gain2, m.kept.rate, m.kept.ns, m.kept.xadc, m.kept.adccalib}),
            (std::array<uint16_t, 6>{4, 0, 5, 0, 3, 2400}));
  EXPECT_EQ(m.kept.adcmax, 0xF00000u);
  EXPECT_EQ(m.kept.adcmin, 0x0FFFFFu);
  EXPECT_EQ((std::array<uint16_t, 5>{im.adr, im.rate, im.parity, im.dely, im.fltype}),
            (std::array<uint16_t, 5>{1, 7, 0, 0, 0}));
  EXPECT_EQ((std::array<uint16_t, 3>{im.year, im.month, im.day}), (std::array<uint16_t, 3>{11, 6, 1}));
  EXPECT_EQ(m.kept.mprecis, 10);
  EXPECT_EQ(m.kept.mdat, "Ордвин 100МП4");
  EXPECT_FLOAT_EQ(m.kept.set_diap_val, 250.0f);

  // Every key but the Definition ones, in the order the load writes them back.
  EXPECT_EQ(read_bytes(path), crlf({"[CH]",
                                    "unit=2",
                                    "diap_max=10.00",
                                    "diap_min=0.00 ",
                                    "diap=1.000000     ",
                                    "diap_usr=1.000000     ",
                                    "shift=0.000000     ",
                                    "shift_scale=0.000000     ",
                                    "shift_usr=0.000000     ",
                                    "T90=0",
                                    "[IND]",
                                    "point=3",
                                    "[TAB]",
                                    "num=0",
                                    "[IZM]",
                                    "izm_name=izm.txt",
                                    "all_izm_file_name=all_izm.txt",
                                    "write_file=1",
                                    "write_all_izm_file=1",
                                    "[ADC]",
                                    "write_file=1",
                                    "adc_name=adc.txt",
                                    "GAIN=4",
                                    "GAIN2=0",
                                    "RATE=5",
                                    "NS=0",
                                    "XADC=3",
                                    "ADCCALIB=2400",
                                    "ADCMAX=F00000",
                                    "ADCMIN=FFFFF",
                                    "[TX]",
                                    "INTERVAL=10",
                                    "[KONSTR_bound]",
                                    "min=0.00 ",
                                    "max=10.00",
                                    "[KONSTR]",
                                    "konstr_line_index=0",
                                    "konstr_pres_index=0",
                                    "konstr_case_index=0",
                                    "konstr_unit_index=0",
                                    "konstr_txt=Ордвин 100",
                                    "[USR]",
                                    "usr_txt=Ордвин 100",
                                    "[Seach]",
                                    "1200=0",
                                    "2400=0",
                                    "4800=0",
                                    "9600=1",
                                    "19200=1",
                                    "38400=0",
                                    "57600=0",
                                    "115200=0",
                                    "beg=1",
                                    "end=5",
                                    "parity_non=0",
                                    "parity_odd=0",
                                    "parity_ev=0",
                                    "[X]",
                                    "XHCHK=1",
                                    "XNUL=1",
                                    "XBND=0",
                                    "XSQR=0",
                                    "XFSET=1",
                                    "XEPWR=1",
                                    "[CUTOFF]",
                                    "NULCUTOFF=0",
                                    "MAXCUTOFF=0",
                                    "LINCUTOFF=0",
                                    "[OVLD]",
                                    "MINOVLD=0",
                                    "MAXOVLD=0",
                                    "[SET_0]",
                                    "SET_0_N=32",
                                    "SET_0_VAL=0",
                                    "[SET_DIAP]",
                                    "SET_DIAP_N=32",
                                    "SET_DIAP_VAL=250",
                                    "[NEW_COMM]",
                                    "NET_NUM=1",
                                    "NET_SPD=7",
                                    "NET_PAR=0",
                                    "NET_DELY=0",
                                    "NET_FLTYPE=0",
                                    "[NEW_DAT]",
                                    "NUM_HI=0",
                                    "NUM_LO=0",
                                    "MODEL=0",
                                    "SOFT_NEW=0",
                                    "HARD_NEW=0",
                                    "YEAR_NEW=11",
                                    "MONTH_NEW=6",
                                    "DAY_NEW=1",
                                    "[MTR]",
                                    "msenstype=0",
                                    "mox=0",
                                    "mcl=0",
                                    "mdest=0",
                                    "mprecis=10",
                                    "mmat=0",
                                    "mdat=Ордвин 100МП4"}));
}

TEST_F(ProfileTest, MissingFileIsCreatedWithTheNewFileValuesThenRead) {
  Memory m;
  m.image.maxovld = 7;  // OVLD of a new file comes from memory
  ASSERT_EQ(load(m), std::nullopt);
  EXPECT_EQ(m.image.unit, 2);
  EXPECT_FLOAT_EQ(m.image.diapmaxkpa, 250.0f);
  EXPECT_FLOAT_EQ(m.image.constrmaxkpa, 250.0f);
  EXPECT_EQ(m.image.maxovld, 7);
  EXPECT_EQ(m.image.model, 10);
  EXPECT_EQ(m.image.day, 15);
  EXPECT_EQ(m.log.write_file, 0);
  EXPECT_EQ(m.kept.gain, 6);
  EXPECT_EQ(m.kept.adcmin, 0x0FFFFFFu);
  EXPECT_EQ(m.search, first_run_search_selection());
  EXPECT_FLOAT_EQ(m.kept.set_diap_val, 250.0f);

  // The sections in the order the new file writes them, then those the read adds.
  const std::string text = cp1251_to_utf8(read_bytes(path));
  std::string headers;
  for (size_t at = text.find('['); at != std::string::npos; at = text.find('[', at + 1))
    headers += text.substr(at, text.find(']', at) - at + 1);
  EXPECT_EQ(headers,
            "[IZM][ADC][TAB][Definition][TX][SET_0][SET_DIAP][KONSTR_bound][KONSTR][USR][CH][X][CUTOFF][OVLD]"
            "[Seach][NEW_DAT][IND][NEW_COMM][MTR]");
  EXPECT_NE(text.find("txt0=Ордвин 100 MB 0.0.3\r\ntxt1=19200\r\n"), std::string::npos);
  EXPECT_NE(text.find("ADCMIN=FFFFFF\r\n"), std::string::npos);
}

// A file written from nothing keeps the historic order of its keys: the new
// file's sections and keys, then those the load adds; a save into a missing
// file in the save's own order.
TEST_F(ProfileTest, NewFileAndSaveIntoNothingKeepTheirKeyOrder) {
  Memory m;
  ASSERT_EQ(load(m), std::nullopt);
  EXPECT_EQ(read_bytes(path), crlf({
    "[IZM]",
    "izm_name=izm.txt",
    "all_izm_file_name=all_izm.txt",
    "write_file=1",
    "write_all_izm_file=1",
    "[ADC]",
    "write_file=0",
    "GAIN=6",
    "GAIN2=0",
    "RATE=7",
    "NS=0",
    "XADC=0",
    "ADCCALIB=0",
    "ADCMAX=F00000",
    "ADCMIN=FFFFFF",
    "adc_name=adc.txt",
    "[TAB]",
    "num=0",
    "[Definition]",
    "txt0=Ордвин 100 MB 0.0.3",
    "txt1=19200",
    "txt2=",
    "txt3=",
    "[TX]",
    "INTERVAL=10",
    "[SET_0]",
    "SET_0_N=32",
    "SET_0_VAL=0",
    "[SET_DIAP]",
    "SET_DIAP_N=32",
    "SET_DIAP_VAL=250",
    "[KONSTR_bound]",
    "min=0.00 ",
    "max=250.00",
    "[KONSTR]",
    "konstr_line_index=0",
    "konstr_case_index=0",
    "konstr_unit_index=0",
    "konstr_txt=Ордвин 100",
    "konstr_pres_index=0",
    "[USR]",
    "usr_txt=Ордвин 100",
    "[CH]",
    "unit=2",
    "diap_max=250.00",
    "diap_min=0.00 ",
    "diap=1.000000     ",
    "shift=0.000000     ",
    "T90=0",
    "diap_usr=1.000000     ",
    "shift_scale=0.000000     ",
    "shift_usr=0.000000     ",
    "[X]",
    "XNUL=0",
    "XBND=0",
    "XSQR=0",
    "XHCHK=1",
    "XFSET=1",
    "XEPWR=1",
    "[CUTOFF]",
    "NULCUTOFF=0",
    "MAXCUTOFF=0",
    "LINCUTOFF=0",
    "[OVLD]",
    "MINOVLD=0",
    "MAXOVLD=0",
    "[Seach]",
    "1200=0",
    "2400=0",
    "4800=0",
    "9600=1",
    "19200=1",
    "38400=0",
    "57600=0",
    "115200=0",
    "beg=1",
    "end=5",
    "parity_non=0",
    "parity_odd=0",
    "parity_ev=0",
    "[NEW_DAT]",
    "NUM_HI=0",
    "NUM_LO=0",
    "MODEL=10",
    "SOFT_NEW=0",
    "HARD_NEW=0",
    "YEAR_NEW=11",
    "MONTH_NEW=6",
    "DAY_NEW=15",
    "[IND]",
    "point=3",
    "[NEW_COMM]",
    "NET_NUM=1",
    "NET_SPD=7",
    "NET_PAR=0",
    "NET_DELY=0",
    "NET_FLTYPE=0",
    "[MTR]",
    "msenstype=0",
    "mox=0",
    "mcl=0",
    "mdest=0",
    "mprecis=10",
    "mmat=0",
    "mdat=Ордвин 100МП4"}));

  const std::string saved = folder.file("saved.prf");
  Memory fresh;
  ASSERT_EQ(save_profile(saved, fresh.target()), std::nullopt);
  EXPECT_EQ(read_bytes(saved), crlf({
    "[IZM]",
    "write_file=0",
    "write_all_izm_file=1",
    "[ADC]",
    "write_file=1",
    "GAIN=4",
    "GAIN2=0",
    "RATE=5",
    "NS=0",
    "XADC=3",
    "ADCCALIB=2400",
    "ADCMAX=F00000",
    "ADCMIN=FFFFF",
    "[TAB]",
    "num=0",
    "[Definition]",
    "txt0=",
    "txt1=",
    "txt2=",
    "txt3=",
    "[TX]",
    "INTERVAL=10",
    "[Seach]",
    "1200=0",
    "2400=0",
    "4800=0",
    "9600=0",
    "19200=0",
    "38400=0",
    "57600=0",
    "115200=0",
    "beg=0",
    "end=0",
    "parity_non=0",
    "parity_odd=0",
    "parity_ev=0",
    "[CH]",
    "unit=0",
    "T90=0",
    "diap_max=0.00 ",
    "diap_min=0.00 ",
    "diap=0.000000     ",
    "shift=0.000000     ",
    "diap_usr=0.000000     ",
    "shift_usr=0.000000     ",
    "shift_scale=0.000000     ",
    "[KONSTR_bound]",
    "min=0.00 ",
    "max=0.00 ",
    "[KONSTR]",
    "konstr_line_index=0",
    "konstr_pres_index=0",
    "konstr_unit_index=0",
    "konstr_case_index=0",
    "konstr_txt=Ордвин 100",
    "[USR]",
    "usr_txt=",
    "[X]",
    "XHCHK=1",
    "XNUL=0",
    "XBND=0",
    "XSQR=0",
    "XFSET=0",
    "XEPWR=1",
    "[CUTOFF]",
    "NULCUTOFF=0",
    "MAXCUTOFF=0",
    "LINCUTOFF=0",
    "[OVLD]",
    "MINOVLD=0",
    "MAXOVLD=0",
    "[SET_0]",
    "SET_0_N=32",
    "SET_0_VAL=0",
    "[SET_DIAP]",
    "SET_DIAP_N=32",
    "SET_DIAP_VAL=250",
    "[IND]",
    "point=0",
    "[NEW_COMM]",
    "NET_NUM=0",
    "NET_SPD=0",
    "NET_PAR=0",
    "NET_DELY=0",
    "NET_FLTYPE=0",
    "[NEW_DAT]",
    "NUM_HI=0",
    "NUM_LO=0",
    "MODEL=0",
    "SOFT_NEW=0",
    "HARD_NEW=0",
    "YEAR_NEW=0",
    "MONTH_NEW=0",
    "DAY_NEW=0",
    "[MTR]",
    "msenstype=0",
    "mox=0",
    "mcl=0",
    "mdest=0",
    "mprecis=10",
    "mmat=0",
    "mdat=Ордвин 100МП4"}));
}

// A profile as engineers bring it from Windows: other key order and case,
// comments, a foreign section and foreign keys. A load changes only the
// values the load rewrites.
TEST_F(ProfileTest, WindowsFileLoadsUnchangedExceptTheWriteBacks) {
  auto file = [](const char* point, const char* adcmax, const char* diap, const char* izm) {
    return crlf({"; профиль участка 3",
                 "[ch]",
                 "DIAP_MAX=1600.00",
                 "unit=1",
                 "diap_min=0.00 ",
                 diap,
                 "diap_usr=1.000000     ",
                 "shift=0.000000     ",
                 "shift_scale=0.000000     ",
                 "shift_usr=0.000000     ",
                 "T90=4",
                 "цех=литейный",
                 "[Поверка]",
                 "дата=12.03.2011",
                 "[IND]",
                 point,
                 "[TAB]",
                 "num=2",
                 "[IZM]",
                 izm,
                 "all_izm_file_name=all_izm.txt",
                 "write_file=1",
                 "write_all_izm_file=1",
                 "[ADC]",
                 "write_file=0",
                 "adc_name=adc.txt",
                 "GAIN=6",
                 "GAIN2=0",
                 "RATE=7",
                 "NS=0",
                 "XADC=0",
                 "ADCCALIB=0",
                 adcmax,
                 "ADCMIN=FFFFFF",
                 "[TX]",
                 "INTERVAL=10",
                 "[KONSTR_bound]",
                 "min=0.00 ",
                 "max=1600.00",
                 "[KONSTR]",
                 "konstr_line_index=12",
                 "konstr_pres_index=13",
                 "konstr_case_index=1",
                 "konstr_unit_index=1",
                 "konstr_txt=Ордвин 100-ДИ",
                 "[USR]",
                 "usr_txt=Котельная №2",
                 "[Seach]",
                 "1200=0",
                 "2400=0",
                 "4800=0",
                 "9600=1",
                 "19200=1",
                 "38400=0",
                 "57600=0",
                 "115200=0",
                 "beg=1",
                 "end=5",
                 "parity_non=0",
                 "parity_odd=0",
                 "parity_ev=0",
                 "[X]",
                 "XHCHK=1",
                 "XNUL=2",
                 "XBND=12",
                 "XSQR=1",
                 "XFSET=1",
                 "XEPWR=1",
                 "[CUTOFF]",
                 "NULCUTOFF=655",
                 "MAXCUTOFF=0",
                 "LINCUTOFF=100",
                 "[OVLD]",
                 "MINOVLD=3276",
                 "MAXOVLD=6553",
                 "[SET_0]",
                 "SET_0_N=16",
                 "SET_0_VAL=0",
                 "[SET_DIAP]",
                 "SET_DIAP_N=16",
                 "SET_DIAP_VAL=1600",
                 "[NEW_COMM]",
                 "NET_NUM=17",
                 "NET_SPD=6",
                 "NET_PAR=2",
                 "NET_DELY=5",
                 "NET_FLTYPE=3",
                 "[NEW_DAT]",
                 "NUM_HI=1",
                 "NUM_LO=2345",
                 "MODEL=10",
                 "SOFT_NEW=3",
                 "HARD_NEW=2",
                 "YEAR_NEW=11",
                 "MONTH_NEW=6",
                 "DAY_NEW=15",
                 "[MTR]",
                 "msenstype=0",
                 "mox=0",
                 "mcl=0",
                 "mdest=0",
                 "mprecis=10",
                 "mmat=0",
                 "mdat=Ордвин 100МП4",
                 "[Definition]",
                 "txt0=Ордвин 100 MB 0.0.3",
                 "txt1=19200"});
  };
  write_bytes(path, file("point=7", "ADCMAX=0XF00000", "diap=1.2345678", "izm_name=цех3.txt"));
  Memory m;
  ASSERT_EQ(load(m), std::nullopt);
  EXPECT_EQ(read_bytes(path), file("point=3", "ADCMAX=F00000", "diap=1.234568     ", "izm_name=izm.txt"));

  EXPECT_EQ(m.image.digits, 3);
  EXPECT_EQ(m.kept.adcmax, 0xF00000u);
  EXPECT_EQ(m.kept.page, 2);
  EXPECT_EQ(m.log.izm_name, "цех3.txt");  // used until the next load
  EXPECT_FLOAT_EQ(m.image.diapmaxkpa, 1600.0f);
  EXPECT_EQ(m.image.unit, 1);
  EXPECT_EQ(m.image.xbnd, 12);
  EXPECT_EQ(m.image.adr, 17);
  EXPECT_EQ(m.image.parity, 2);
  EXPECT_EQ(m.kept.konstr_pres, 13);
  EXPECT_EQ(unpadded_text(m.image.user_text.data(), m.image.user_text.size()), "Котельная №2");
  EXPECT_EQ(m.kept.konstr_txt, "Ордвин 100-ДИ");
}

// Odd values, one key each, read into memory and written back.
TEST_F(ProfileTest, ValueKindsReadAndWriteBack) {
  struct Case {
    const char* section;
    const char* line;
    const char* written;  // the line after the load
  };
  const Case cases[] = {
      {"ADC", "ADCMAX=0XF00000", "ADCMAX=F00000"},
      {"ADC", "ADCMAX=1a2b", "ADCMAX=1A2B"},
      {"ADC", "ADCMIN=zz", "ADCMIN=0"},
      {"IND", "point=7", "point=3"},
      {"CH", "unit=70000", "unit=4464"},         // low 16 bits
      {"CH", "unit=0x0A", "unit=10"},
      {"CH", "unit=abc", "unit=2"},              // not a number: the default
      {"CH", "diap_max=abc", "diap_max=0.00 "},  // a number kind: 0, not the default
      {"CH", "diap_max=2.5e2 kPa", "diap_max=250.00"},
      {"CH", "diap_max=0.126", "diap_max=0.13 "},
      {"CH", "shift=-0.0001234", "shift=-0.000123    "},
      {"SET_0", "SET_0_VAL=1.50", "SET_0_VAL=1.5"},
      {"TAB", "num=9", "num=1"},                 // outside 0..3: the page shown stays
      {"TAB", "num=3", "num=3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    write_bytes(path, utf8_to_cp1251("[" + std::string(c.section) + "]\r\n" + c.line + "\r\n"));
    Memory m;
    m.kept.page = 1;
    ASSERT_EQ(load(m), std::nullopt);
    EXPECT_NE(cp1251_to_utf8(read_bytes(path)).find("\r\n" + std::string(c.written) + "\r\n"), std::string::npos);
  }
}

TEST_F(ProfileTest, SaveThenLoadGivesTheSameMemory) {
  Memory a;
  write_bytes(path, "");
  ASSERT_EQ(load(a), std::nullopt);
  a.image.unit = 6;
  a.image.diapmaxkpa = 1600.0f;
  a.image.diap = 1.002345f;
  a.image.shift_usr = -0.5f;
  a.image.xbnd = 0x000C;
  a.image.adr = 33;
  a.image.dely = 20;
  a.image.year = 9;
  a.kept.page = 3;
  a.kept.konstr_txt = "Ордвин 100-ДД";
  pack_text("Котельная", a.image.user_text.data(), a.image.user_text.size());
  a.kept.adcmax = 0xABCDEF;
  a.kept.set0_val = 0.1f;
  a.search = SearchSelection{{1, 0, 0, 0, 0, 0, 0, 1}, {0, 1, 0}, 10, 20};
  a.log.write_file = 0;
  ASSERT_EQ(save_profile(path, a.target()), std::nullopt);

  Memory b;
  ASSERT_EQ(load(b), std::nullopt);
  EXPECT_EQ(b.image.unit, 6);
  EXPECT_FLOAT_EQ(b.image.diapmaxkpa, 1600.0f);
  EXPECT_NEAR(b.image.diap, 1.002345f, 1e-6);
  EXPECT_FLOAT_EQ(b.image.shift_usr, -0.5f);
  EXPECT_EQ(b.image.xbnd, 0x000C);
  EXPECT_EQ(b.image.adr, 33);
  EXPECT_EQ(b.image.dely, 20);
  EXPECT_EQ(b.image.year, 9);
  EXPECT_EQ(b.kept.page, 3);
  EXPECT_EQ(b.kept.konstr_txt, "Ордвин 100-ДД");
  EXPECT_EQ(b.image.user_text, a.image.user_text);
  EXPECT_EQ(b.kept.adcmax, 0xABCDEFu);
  EXPECT_FLOAT_EQ(b.kept.set0_val, 0.1f);
  EXPECT_NE(cp1251_to_utf8(read_bytes(path)).find("SET_0_VAL=0.1\r\n"), std::string::npos);
  EXPECT_EQ(b.search, a.search);
  EXPECT_EQ(b.log.write_file, 0);
  const std::string text = cp1251_to_utf8(read_bytes(path));
  EXPECT_NE(text.find("[Definition]\r\ntxt0=\r\ntxt1=\r\ntxt2=\r\ntxt3=\r\n"), std::string::npos);
}

TEST_F(ProfileTest, ReadOnlyProfileIsMadeWritableAndSaved) {
  write_bytes(path, crlf({"[CH]", "unit=2", "[мой]", "ключ=1"}));
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  Memory m;
  m.image.unit = 5;
  ASSERT_EQ(save_profile(path, m.target()), std::nullopt);
  const std::string text = cp1251_to_utf8(read_bytes(path));
  EXPECT_EQ(text.rfind("[CH]\r\nunit=5\r\n", 0), 0u);
  EXPECT_NE(text.find("[мой]\r\nключ=1\r\n"), std::string::npos);
}

// A profile that cannot be written back is not loaded: memory keeps what it
// held, so none of the file's values reach the window or the next save.
TEST_F(ProfileTest, LoadThatCannotWriteBackLeavesMemoryAsItWas) {
  const std::string text = crlf({"[CH]", "unit=6", "diap_max=1600", "[TAB]", "num=2", "[IZM]",
                                 "izm_name=plant.txt", "write_file=0", "[KONSTR]", "konstr_txt=Ордвин 100-ДА",
                                 "[Seach]", "beg=7", "[NEW_COMM]", "NET_NUM=17", "[MTR]", "mdat=МП5"});
  write_bytes(path, text);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  Memory m;
  m.image.unit = 3;
  m.image.adr = 5;
  m.kept.page = 1;
  m.log.izm_name = "mine.txt";
  const Memory before = m;

  EXPECT_EQ(load(m), "Unable to write to " + path);
  EXPECT_EQ(read_bytes(path), text);
  // Everything a save writes, and the log names it does not.
  auto saved = [this](Memory& x, const char* name) {
    const std::string file = folder.file(name);
    EXPECT_EQ(save_profile(file, x.target()), std::nullopt);
    return read_bytes(file);
  };
  Memory expected = before;
  EXPECT_EQ(saved(m, "after.prf"), saved(expected, "before.prf"));
  EXPECT_EQ(m.log.izm_name, "mine.txt");
  EXPECT_EQ(m.kept.all_izm_name, before.kept.all_izm_name);
  EXPECT_EQ(m.kept.adc_name, before.kept.adc_name);
}

TEST_F(ProfileTest, LocaleDoesNotChangeTheFile) {
  const char* ru = std::setlocale(LC_ALL, "ru_RU.UTF-8");
  if (ru == nullptr) GTEST_SKIP() << "ru_RU.UTF-8 is not installed";
  Memory m;
  m.image.diap = 1.5f;
  const auto error = save_profile(path, m.target());
  std::setlocale(LC_ALL, "C");
  ASSERT_EQ(error, std::nullopt);
  EXPECT_NE(read_bytes(path).find("diap=1.500000     \r\n"), std::string::npos);
}

TEST(ProfileSaveName, ProfileFilterAddsTheSuffixOnce) {
  struct Case {
    const char* chosen;
    bool filter;
    bool exists;
    const char* saved;
  };
  const Case cases[] = {
      {"/p/abc", true, false, "/p/abc.prf"},
      {"/p/abc.prf", true, false, "/p/abc.prf"},
      {"/p/abc.PRF", true, false, "/p/abc.PRF"},
      {"/p/abc", true, true, "/p/abc"},
      {"/p/abc", false, false, "/p/abc"},
      {"/p/abc.prf.txt", true, false, "/p/abc.prf.txt.prf"},
  };
  for (const Case& c : cases) EXPECT_EQ(profile_save_name(c.chosen, c.filter, c.exists), c.saved) << c.chosen;
}

class KonstrCatalogueTest : public ::testing::Test {
 protected:
  TempFolder folder;
  std::string path = folder.file(kKonstrCatalogueName);
  KonstrCatalogue catalogue;
};

TEST_F(KonstrCatalogueTest, NewFileHoldsTheBuiltInLists) {
  ASSERT_EQ(load_konstr_catalogue(folder.path(), catalogue), std::nullopt);
  const auto& l = catalogue.lists;
  ASSERT_EQ(l[KonstrTypes].size(), 58u);
  ASSERT_EQ(l[KonstrPressures].size(), 27u);
  EXPECT_EQ(l[KonstrTypes].front(), "1030");
  EXPECT_EQ(l[KonstrTypes].back(), "1468");
  EXPECT_EQ(l[KonstrPressures][1], "0.16");
  EXPECT_EQ(l[KonstrPressures].back(), "900");
  EXPECT_EQ(l[KonstrCases], (std::vector<std::string>{"АГ-08", "НГ-06"}));
  EXPECT_EQ(l[KonstrUnits], (std::vector<std::string>{"кПа", "МПа"}));
  const std::string text = cp1251_to_utf8(read_bytes(path));
  EXPECT_EQ(text.rfind("[KONSTR]\r\nkonstr_type0=1030 \r\nkonstr_type1=1032 \r\n", 0), 0u);
  EXPECT_NE(text.find("konstr_type57=1468 \r\ntype_line_val=57\r\nkonstr_pres0=0.1\r\n"), std::string::npos);
  EXPECT_NE(text.find("konstr_pres26=900\r\npres_line_val=26\r\nkonstr_case0=АГ-08\r\n"), std::string::npos);
  EXPECT_NE(text.find("unit_line_val=1\r\n"), std::string::npos);

  // A second load changes nothing.
  const std::string before = read_bytes(path);
  ASSERT_EQ(load_konstr_catalogue(folder.path(), catalogue), std::nullopt);
  EXPECT_EQ(read_bytes(path), before);
}

TEST_F(KonstrCatalogueTest, LastIndexCountsEntriesUpToSixtyFour) {
  write_bytes(path, crlf({"[KONSTR]", "type_line_val=0", "konstr_type0=2020 ", "konstr_type1=2030 ",
                          "pres_line_val=2", "konstr_pres0=1", "case_line_val=100", "unit_line_val=abc"}));
  ASSERT_EQ(load_konstr_catalogue(folder.path(), catalogue), std::nullopt);
  const auto& l = catalogue.lists;
  EXPECT_EQ(l[KonstrTypes], std::vector<std::string>{"2020"});
  // Missing entries take the entry default and are written back.
  EXPECT_EQ(l[KonstrPressures], (std::vector<std::string>{"1", "   ", "   "}));
  ASSERT_EQ(l[KonstrCases].size(), kKonstrListMax);
  EXPECT_EQ(l[KonstrCases][63], "АГ-08 ");
  EXPECT_EQ(l[KonstrUnits], std::vector<std::string>{"кПа "});
  const std::string text = cp1251_to_utf8(read_bytes(path));
  EXPECT_NE(text.find("case_line_val=100\r\n"), std::string::npos);
  EXPECT_NE(text.find("konstr_case63=АГ-08 \r\n"), std::string::npos);
  EXPECT_EQ(text.find("konstr_case64="), std::string::npos);
  EXPECT_NE(text.find("unit_line_val=0\r\n"), std::string::npos);
  EXPECT_NE(text.find("konstr_type1=2030 \r\n"), std::string::npos);  // kept, unread
}

}  // namespace
}  // namespace orn
