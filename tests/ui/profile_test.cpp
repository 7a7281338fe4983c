// Profiles in the window: recent.prf restores the state of the last run, the
// "Файл" menu loads and saves profiles, and the catalogue fills its lists.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTabWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <memory>

#include "sim/sim_line.h"
#include "sim/sim_serial_port.h"
#include "support/fakes.h"
#include "text/cp1251.h"
#include "ui/main_window.h"
#include "ui/qt_translation.h"
#include "ui/session.h"

namespace orn {
namespace {

// One run of the window in a given folder, on an in-memory line.
struct Run {
  explicit Run(const QString& folder) {
    line.add(sim::TransmitterConfig{});
    session = std::make_unique<Session>(window, port, pump, prompt, clock, folder.toStdString());
    session->FormCreate();
    window.Timer4->stop();
  }
  void close() { session->FormClose(); }
  // The next file dialog answers with this path (empty: cancelled).
  void choose(const QString& path, bool profileFilter = true) {
    session->profiles.chooseFile = [path, profileFilter](bool) -> std::optional<ProfileHandlers::Chosen> {
      if (path.isEmpty()) return std::nullopt;
      return ProfileHandlers::Chosen{path, profileFilter};
    };
  }

  MainWindow window;
  sim::SimLine line;
  sim::SimSerialPort port{line};
  test::VirtualPump pump;
  test::ScriptedPrompt prompt;
  test::FixedClock clock;
  std::unique_ptr<Session> session;
};

void writeFile(const QString& path, const std::string& utf8) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(QByteArray::fromStdString(utf8_to_cp1251(utf8)));
}

std::string readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? cp1251_to_utf8(f.readAll().toStdString()) : std::string();
}

}  // namespace

class ProfileTest : public QObject {
  Q_OBJECT

 private slots:
  void restartRestoresPageLogSwitchAndSearchSelection() {
    QTemporaryDir dir;
    writeFile(dir.filePath("recent.prf"),
              "[TAB]\r\nnum=2\r\n[IZM]\r\nwrite_file=0\r\n[Seach]\r\n1200=1\r\n9600=0\r\n19200=0\r\nbeg=4\r\nend=9\r\n"
              "parity_non=0\r\nparity_odd=1\r\nparity_ev=0\r\n[KONSTR]\r\nkonstr_line_index=2\r\nkonstr_pres_index=5\r\n"
              "konstr_case_index=1\r\nkonstr_unit_index=1\r\nkonstr_txt=Ордвин 100-ДИ\r\n");
    {
      Run run(dir.path());
      MainWindow& w = run.window;
      QCOMPARE(w.TabbedNotebook1->currentIndex(), 2);
      QVERIFY(!w.measure.CheckBox7->isChecked());
      QVERIFY(w.search.CheckBox9->isChecked());    // 1200
      QVERIFY(!w.search.CheckBox12->isChecked());  // 9600
      QVERIFY(w.search.CheckBox19->isChecked());   // 115200: missing, its read default
      QVERIFY(w.search.CheckBox16->isChecked());   // odd parity
      QCOMPARE(w.search.ComboBox12->currentIndex(), 4);
      QCOMPARE(w.search.ComboBox13->currentIndex(), 9);
      QCOMPARE(w.sensor.Edit22->text(), QString("Ордвин 100-ДИ"));
      // The catalogue, created on the first start, with the profile's choices.
      QCOMPARE(w.sensor.ComboBox14->count(), 58);
      QCOMPARE(w.sensor.ComboBox14->currentText(), QString("1035"));
      QCOMPARE(w.sensor.ComboBox15->count(), 27);
      QCOMPARE(w.sensor.ComboBox15->currentText(), QString("1"));
      QCOMPARE(w.sensor.ComboBox16->currentText(), QString("НГ-06"));
      QCOMPARE(w.sensor.ComboBox24->currentText(), QString("МПа"));
      QVERIFY(QFile::exists(dir.filePath("konstr_type.dat")));

      w.TabbedNotebook1->setCurrentIndex(MainWindow::SearchPageIndex);
      w.measure.CheckBox7->click();
      w.search.CheckBox10->click();  // 2400
      w.sensor.Edit22->setText("Ордвин 100-ДД");
      run.close();
      QVERIFY(run.prompt.records.empty());
    }
    Run again(dir.path());
    MainWindow& w = again.window;
    QCOMPARE(w.TabbedNotebook1->currentIndex(), 3);
    QVERIFY(w.measure.CheckBox7->isChecked());
    QVERIFY(w.search.CheckBox9->isChecked());
    QVERIFY(w.search.CheckBox10->isChecked());
    QCOMPARE(w.search.ComboBox13->currentIndex(), 9);
    QCOMPARE(w.sensor.Edit22->text(), QString("Ордвин 100-ДД"));
    QCOMPARE(w.sensor.ComboBox14->currentText(), QString("1035"));
    const std::string recent = readFile(dir.filePath("recent.prf"));
    QVERIFY(recent.find("num=3\r\n") != std::string::npos);
  }

  void menuLoadShowsTheProfileOnThePages() {
    QTemporaryDir dir;
    Run run(dir.path());
    MainWindow& w = run.window;
    writeFile(dir.filePath("plant.prf"),
              "[CH]\r\nunit=6\r\nT90=50\r\n[TAB]\r\nnum=1\r\n[USR]\r\nusr_txt=Котельная\r\n[KONSTR]\r\n"
              "konstr_txt=Ордвин 100-ДА\r\n[NEW_COMM]\r\nNET_NUM=17\r\nNET_SPD=6\r\nNET_PAR=2\r\n");
    run.choose(dir.filePath("plant.prf"));
    w.menu.N2->trigger();
    QCOMPARE(w.TabbedNotebook1->currentIndex(), 1);
    QCOMPARE(w.sensor.ComboBox10->currentIndex(), 6);
    QCOMPARE(w.sensor.ComboBox11->currentIndex(), 5);
    QCOMPARE(w.sensor.Edit22->text(), QString("Ордвин 100-ДА"));
    QCOMPARE(w.sensor.Edit23->text().trimmed(), QString("Котельная"));
    QCOMPARE(w.exchange.ComboBox5->currentIndex(), 17);
    QCOMPARE(w.exchange.ComboBox4->currentText(), QString("9600"));
    QVERIFY(w.exchange.CheckBox4->isChecked());
    QVERIFY(run.prompt.records.empty());

    // A cancelled dialog changes nothing.
    run.choose("");
    w.menu.N2->trigger();
    QCOMPARE(w.sensor.ComboBox10->currentIndex(), 6);
  }

  // A profile that cannot be written back is reported and not loaded: the
  // pages keep what they showed, and the close saves none of its values.
  void profileThatCannotBeWrittenBackIsNotLoaded() {
    QTemporaryDir dir;
    const std::string plant =
        "[CH]\r\nunit=6\r\n[TAB]\r\nnum=1\r\n[KONSTR]\r\nkonstr_txt=Ордвин 100-ДА\r\n[IZM]\r\n"
        "izm_name=plant.txt\r\n[ADC]\r\nGAIN=9\r\n[MTR]\r\nmdat=МП5\r\n";
    writeFile(dir.filePath("plant.prf"), plant);
    QVERIFY(QFile::setPermissions(dir.filePath("plant.prf"), QFile::ReadOwner | QFile::ReadGroup));
    {
      Run run(dir.path());
      MainWindow& w = run.window;
      const int unit = w.sensor.ComboBox10->currentIndex();
      run.choose(dir.filePath("plant.prf"));
      w.menu.N2->trigger();
      QCOMPARE(run.prompt.records.size(), size_t{1});
      QCOMPARE(QString::fromStdString(run.prompt.records[0].text),
               "Unable to write to " + dir.filePath("plant.prf"));
      QCOMPARE(w.TabbedNotebook1->currentIndex(), 0);
      QCOMPARE(w.sensor.ComboBox10->currentIndex(), unit);
      QVERIFY(w.sensor.Edit22->text() != QString("Ордвин 100-ДА"));
      // The log name of the file would send the measured values elsewhere.
      QVERIFY(run.session->context.log.izm_name != "plant.txt");
      run.close();
    }
    const std::string recent = readFile(dir.filePath("recent.prf"));
    QVERIFY(recent.find("GAIN=6\r\n") != std::string::npos);  // as recent.prf was created
    QVERIFY(recent.find("mdat=Ордвин 100МП4\r\n") != std::string::npos);
    QCOMPARE(readFile(dir.filePath("plant.prf")), plant);

    // The same file as recent.prf: the start-up reports it, and the close
    // does not overwrite it with the defaults memory holds instead.
    QFile::remove(dir.filePath("recent.prf"));
    QVERIFY(QFile::copy(dir.filePath("plant.prf"), dir.filePath("recent.prf")));
    QVERIFY(QFile::setPermissions(dir.filePath("recent.prf"), QFile::ReadOwner | QFile::ReadGroup));
    Run restarted(dir.path());
    QCOMPARE(restarted.prompt.records.size(), size_t{1});
    QCOMPARE(QString::fromStdString(restarted.prompt.records[0].text),
             "Unable to write to " + dir.filePath("recent.prf"));
    restarted.close();
    QCOMPARE(readFile(dir.filePath("recent.prf")), plant);
  }

  // A catalogue that cannot be read does not keep poly_res.pol from being
  // read, and a coefficient file that was not read is not written at close.
  void coefficientFilesAreWrittenOnlyAfterTheyWereRead() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("konstr_type.dat"));
    QVERIFY(QDir(dir.path()).mkdir("corr.txt"));
    writeFile(dir.filePath("poly_res.pol"), "[A]\r\n0=2.5\r\n1=0.25\r\n");
    Run run(dir.path());
    std::vector<QString> told;
    for (const auto& r : run.prompt.records) told.push_back(QString::fromStdString(r.text));
    QCOMPARE(told, (std::vector<QString>{"Unable to read " + dir.filePath("konstr_type.dat"),
                                         "Unable to read " + dir.filePath("corr.txt")}));
    // corr.txt is back before the close, with values the window never read.
    QVERIFY(QDir(dir.path()).rmdir("corr.txt"));
    const std::string corr = "[CA]\r\n0=4.5\r\n";
    writeFile(dir.filePath("corr.txt"), corr);
    run.close();
    QCOMPARE(readFile(dir.filePath("corr.txt")), corr);
    const std::string poly = readFile(dir.filePath("poly_res.pol"));
    QVERIFY(poly.rfind("[A]\r\n0=2.500000000\r\n1=0.250000000\r\n", 0) == 0);
  }

  // The menu's own file dialog, with Qt's Russian texts installed as at start-up:
  // its caption and buttons read Russian, not Qt's English.
  void fileDialogSpeaksRussian_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("accept");
    QTest::addColumn<QString>("caption");
    QTest::newRow("load") << false << "OpenDialog1" << "Открыть" << "Открыть";
    QTest::newRow("save") << true << "SaveDialog1" << "Сохранить" << "Сохранить как";
  }
  void fileDialogSpeaksRussian() {
    QFETCH(bool, save);
    QFETCH(QString, name);
    QFETCH(QString, accept);
    QFETCH(QString, caption);
    QTranslator qtTexts;
    QVERIFY(installQtTranslation(qtTexts));
    // Qt's own dialog, as on a desktop without a platform file dialog.
    const bool native = !QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QTemporaryDir dir;
    Run run(dir.path());
    QString seenName, seenCaption;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      seenName = dialog->objectName();
      seenCaption = dialog->windowTitle();
      if (auto* box = dialog->findChild<QDialogButtonBox*>())
        for (QAbstractButton* b : box->buttons()) buttons << b->text().remove('&');
      dialog->reject();
    });
    // A dialog that was not found above is closed here, so that the run ends.
    QTimer::singleShot(5000, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    QVERIFY(!run.session->profiles.chooseFile(save));
    QCoreApplication::removeTranslator(&qtTexts);
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, !native);
    QCOMPARE(seenName, name);
    QCOMPARE(seenCaption, caption);
    QVERIFY2(buttons.contains(accept) && buttons.contains("Отмена"), qPrintable(buttons.join(", ")));
  }

  // "Сравнить с профилем…" reads the device and shows only what the profile
  // holds and the device has otherwise; a device as the profile gets a message.
  void compareShowsWhereTheDeviceDiffersFromTheProfile() {
    QTemporaryDir dir;
    Run run(dir.path());
    std::vector<ProfileDifference> shown;
    bool showed = false;
    run.session->profiles.showDifferences = [&](const std::vector<ProfileDifference>& d) {
      shown = d;
      showed = true;
    };
    writeFile(dir.filePath("plant.prf"), "[CUTOFF]\r\nNULCUTOFF=655\r\n[IND]\r\npoint=2\r\n[NEW_COMM]\r\nNET_NUM=9\r\n");
    run.choose(dir.filePath("plant.prf"));
    run.window.menu.CompareItem->trigger();
    QVERIFY(showed);
    QCOMPARE(shown.size(), size_t{1});  // DIGITS is as the profile has it; the address is not compared
    QCOMPARE(std::string(shown[0].name), std::string("NULCUTOFF"));
    QCOMPARE(shown[0].profile, std::string("655"));
    QCOMPARE(shown[0].device, std::string("0"));

    run.choose(dir.filePath("missing.prf"));
    showed = false;
    run.window.menu.CompareItem->trigger();
    QVERIFY(!showed);  // the file error is told, nothing read
  }

  void menuSaveNamesTheFileByTheProfileRule() {
    QTemporaryDir dir;
    Run run(dir.path());
    MainWindow& w = run.window;
    struct Case {
      QString chosen;
      bool profileFilter;
      QString written;
    };
    writeFile(dir.filePath("old"), "[мой]\r\nключ=1\r\n");
    const Case cases[] = {
        {"abc", true, "abc.prf"},
        {"def.prf", true, "def.prf"},  // not def.prf.prf
        {"old", true, "old"},          // an existing file is overwritten under its name
        {"ghi", false, "ghi"},
    };
    for (const Case& c : cases) {
      run.choose(dir.filePath(c.chosen), c.profileFilter);
      w.menu.N3->trigger();
      QVERIFY2(QFile::exists(dir.filePath(c.written)), qPrintable(c.written));
      QVERIFY(readFile(dir.filePath(c.written)).find("[CH]") != std::string::npos);
    }
    QVERIFY(!QFile::exists(dir.filePath("def.prf.prf")));
    QVERIFY(!QFile::exists(dir.filePath("old.prf")));
    QVERIFY(readFile(dir.filePath("old")).find("[мой]\r\nключ=1\r\n") != std::string::npos);

    // An input that cannot be taken stops the save after its message.
    w.exchange.Edit1->setText("x");
    run.choose(dir.filePath("bad"));
    w.menu.N3->trigger();
    QVERIFY(!QFile::exists(dir.filePath("bad.prf")));
    QCOMPARE(run.prompt.records.size(), size_t{1});
    QCOMPARE(QString::fromStdString(run.prompt.records[0].caption), QString("Ошибка ввода"));
  }
};

}  // namespace orn

QTEST_MAIN(orn::ProfileTest)
#include "profile_test.moc"
