// The window's structure: every named control with its caption and
// visibility, the item lists, the hints, the menus and the focus timer.
#include <QAbstractButton>
#include <QApplication>
#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <memory>

#include "ui/hints.h"
#include "ui/main_window.h"
#include "ui/qt_translation.h"
#include "ui/window_font.h"

using orn::MainWindow;

namespace {

// Every text that names a control: its own text, the captions whose buddy it
// is, and the titles of the group boxes around it.
QStringList captionsOf(const QWidget* root, const QWidget* w) {
  QStringList captions;
  if (auto* label = qobject_cast<const QLabel*>(w)) captions << label->text();
  if (auto* button = qobject_cast<const QAbstractButton*>(w)) captions << button->text();
  if (auto* edit = qobject_cast<const QLineEdit*>(w)) captions << edit->text();
  if (auto* group = qobject_cast<const QGroupBox*>(w)) captions << group->title();
  for (const QLabel* label : root->findChildren<QLabel*>())
    if (label->buddy() == w) captions << label->text();
  for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
    if (auto* group = qobject_cast<const QGroupBox*>(p)) captions << group->title();
  return captions;
}

// Whether the control shows when its page is in front.
bool shownOnItsPage(const MainWindow& window, const QWidget* w) {
  for (int i = 0; i < window.TabbedNotebook1->count(); ++i) {
    const QWidget* page = window.TabbedNotebook1->widget(i);
    if (page->isAncestorOf(w)) return w->isVisibleTo(page);
  }
  return w->isVisibleTo(&window);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void controlHasCaptionAndVisibility_data();
  void controlHasCaptionAndVisibility();
  void windowFrame();
  void fontFamilyFallsBackToAMetricTwin_data();
  void fontFamilyFallsBackToAMetricTwin();
  void sizeHoldsUnderALargerDesktopFont();
  void itemLists_data();
  void itemLists();
  void watchdogItemsUseDecimalPoint();
  void everyHintedControlExists();
  void hintTextsAreVerbatim();
  void menus();
  void portListRightClickOpensPopup();
  void editMenuSpeaksRussian();
  void menusHaveMnemonicsAndShortcuts();
  void shortcutRunsItsItem_data();
  void shortcutRunsItsItem();
  void altLetterOpensTheMenus();
  void windowHasTheIcon();
  void pageChangeRunsHooks_data();
  void pageChangeRunsHooks();
  void focusMovesToReadButtonAfterPageChange();
  void focusTimerWaitsLongerWhileHidden();
  void closeRunsShutdownHook();
};

void MainWindowTest::controlHasCaptionAndVisibility_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<bool>("shown");
  struct Row {
    const char* name;
    const char* caption;
    bool shown;
  };
  const Row rows[] = {
      // Link strip.
      {"Label1", "Номер порта", true},
      {"ComboBox1", "Номер порта", true},
      {"ComboBox2", "Скорость", true},
      {"ComboBox3", "Номер модуля", true},
      {"CheckBox1", "Паритет", true},
      {"CheckBox2", "Четный", true},
      {"Label5", "Параметры обмена", true},
      {"CheckBox6", "Запись обмена в файл", true},
      {"Button15", "Выставить INIT", true},
      {"Button2", "Помигать", true},
      {"Button11", "Прочитать все", false},
      {"Button12", "Записать все", false},
      {"Button25", "Поставить заводские установки", false},
      // Page 0.
      {"MeasuredValue", "Значение измерения", true},
      {"MeasuredUnit", "Значение измерения", true},
      {"RelativeCode", "Относит. значение", true},
      {"RelativePercent", "Относит. значение", true},
      {"SensorTemperature", "Температура сенсора", true},
      {"MeasureState", "Состояние измерения", true},
      {"ExchangeState", "Состояние обмена", true},
      {"FloatCoding", "Кодирование плавающего числа", true},
      {"FloatCoding", "0123", true},
      {"Label54", "Число циклов обмена", true},
      {"Label55", "Ошибки в измерении", true},
      {"Label56", "Ошибки в обмене", true},
      {"Label241", "Переспросы", true},
      {"ContactInit", "INIT", true},
      {"ContactInit", "Контакты", true},
      {"ContactZero", "Уст.нуля", true},
      {"ContactFactory", "Заводские установки", true},
      {"ContactPageSelect", "Выбор страницы индикации", true},
      {"Button16", "Сброс счетчиков циклов и ошибок", true},
      {"Button17", "Прочитать однократно", true},
      {"Button18", "Начать циклический опрос", true},
      {"Button19", "Завершить цикл. опрос", true},
      {"Button45", "Защелкнуть значения", true},
      {"Button44", "Прочитать защелкнутое значение", true},
      {"CheckBox7", "Запись результатов измерения в файл", true},
      {"CheckBox29", "Чтение константы", true},
      // Page 1.
      {"Edit6", "Диапазон датчика в кПа", true},
      {"Edit7", "Диапазон датчика в кПа", true},
      {"ComboBox10", "Единицы измерения", true},
      {"CheckBox5", "Корнеизвлечение", true},
      {"ComboBox11", "Время установления", true},
      {"Edit22", "Тип конструктива", true},
      {"Edit23", "Пользовательский текст", true},
      {"Edit23", "Нет данных", true},
      {"CheckBox20", "Отсечка 0 в %", true},
      {"CheckBox21", "Отсечка на краях диапазона в %", true},
      {"CheckBox22", "Линейная область", true},
      {"Edit81", "", true},
      {"Edit82", "", true},
      {"Edit83", "", true},
      {"Edit84", "Допустимый вых.за границу диап. %", true},
      {"Edit85", "Допустимый вых.за границу диап. %", true},
      {"CheckBox23", "нижнюю", true},
      {"CheckBox24", "верхнюю", true},
      {"CheckBox26", "Разрешение установки нуля по геркону", true},
      {"CheckBox30", "Разрешить переход ", true},
      {"CheckBox30", "по кнопке", true},
      {"ComboBox17", "Число знаков после запятой на индикаторе", true},
      {"Button61", "Прочитать", true},
      {"Button60", "Записать", true},
      {"Edit114", "Сдвиг шкалы", true},
      {"Edit115", "Польз. ноль", true},
      {"Edit116", "Польз. подстр.", true},
      {"Label238", "", true},
      {"Label239", "", true},
      {"Button20", "Прочитать", true},
      {"Button21", "Записать", true},
      {"Button38", "Перейти на заводские установки", true},
      {"Button43", "Автонастройка", true},
      {"Panel12", "", false},
      {"Panel42", "Подбор параметров подстройки значения канала", false},
      {"Edit90", "Пользовательский ноль", false},
      {"Edit93", "Требуемое значение", false},
      {"Edit91", "Пользовательская подстройка", false},
      {"Edit91", "диапазона", false},
      {"Edit92", "Требуемое значение", false},
      {"AdjustValue", "Измеренное значение", false},
      {"Button46", "Подстроить 0", false},
      {"Button47", "Записать", false},
      {"Button48", "Подстроить диапазон", false},
      {"Button49", "Записать", false},
      {"Button50", "Х", false},
      {"Button51", "Выход", false},
      {"Button52", "Прочитать", false},
      {"Label103", "", false},
      {"Label107", "", false},
      {"Label108", "", false},
      {"Label109", "", false},
      {"Label110", "", false},
      {"ComboBox14", "", false},
      {"ComboBox15", "", false},
      {"ComboBox16", "", false},
      {"ComboBox24", "", false},
      {"Edit20", "", false},
      {"Edit21", "", false},
      {"BitBtn1", "", false},
      {"Button37", "", false},
      // Page 2.
      {"ComboBox4", "Скорость", true},
      {"ComboBox5", "Номер", true},
      {"CheckBox3", "Паритет", true},
      {"CheckBox4", "Четный", true},
      {"Button1", "Записать", true},
      {"Edit1", "Заводской номер", true},
      {"Edit2", "Заводской номер", true},
      {"Panel4", "Число", true},
      {"Panel4", "Дата изготовления", true},
      {"Panel5", "Месяц", true},
      {"Panel6", "Год", true},
      {"Edit4", "версия ПО", true},
      {"Edit5", "версия конструктива", true},
      {"Edit89", "Задержка перед  ", true},
      {"Edit89", "ответом мс", true},
      {"ComboBox20", "Порядок байт в измеренном значении", true},
      {"ComboBox22", "в приборе", true},
      {"ComboBox22", "Дополнительный допустимый временной зазор между байтами ", true},
      {"ComboBox23", "в компьютере", true},
      {"Button41", "Прочитать", true},
      {"Button42", "Записать", true},
      {"Button9", "Прочитать все на закладке", true},
      {"Panel45", "Идет обмен с прибором", false},
      {"Edit3", "", false},
      {"ComboBox6", "", false},
      {"ComboBox7", "", false},
      {"ComboBox8", "", false},
      {"ComboBox9", "", false},
      {"Label18", "", false},
      {"Button3", "Прочитать", false},
      {"Button4", "Записать", false},
      {"Button5", "", false},
      {"Button6", "", false},
      {"Button7", "", false},
      {"Button8", "", false},
      {"Button10", "", false},
      {"Button13", "", false},
      {"Button14", "", false},
      // Page 3.
      {"CheckBox9", "1200", true},
      {"CheckBox10", "2400", true},
      {"CheckBox11", "4800", true},
      {"CheckBox12", "9600", true},
      {"CheckBox13", "19200", true},
      {"CheckBox14", "38400", true},
      {"CheckBox18", "57600", true},
      {"CheckBox19", "115200", true},
      {"CheckBox19", "Скорости для поиска", true},
      {"CheckBox15", "нет", true},
      {"CheckBox16", "нечетный", true},
      {"CheckBox17", "четный", true},
      {"CheckBox17", "Паритет", true},
      {"ComboBox12", "Начальный", true},
      {"ComboBox12", "Диапазон адресов для поиска", true},
      {"ComboBox13", "Последний", true},
      {"Button33", "Начать поиск", true},
      {"Button34", "Остановить поиск", true},
      {"ListBox1", "Найденные приборы", true},
      {"Panel11", "", true},
  };
  for (const Row& row : rows)
    QTest::addRow("%s %s", row.name, row.caption) << row.name << row.caption << row.shown;
}

void MainWindowTest::controlHasCaptionAndVisibility() {
  QFETCH(QString, name);
  QFETCH(QString, caption);
  QFETCH(bool, shown);
  MainWindow window;
  const auto found = window.findChildren<QWidget*>(name);
  QCOMPARE(found.size(), 1);
  const QWidget* w = found.first();
  if (!caption.isEmpty()) QVERIFY2(captionsOf(&window, w).contains(caption), qPrintable(captionsOf(&window, w).join(" | ")));
  QCOMPARE(shownOnItsPage(window, w), shown);
}

void MainWindowTest::fontFamilyFallsBackToAMetricTwin_data() {
  QTest::addColumn<QStringList>("installed");
  QTest::addColumn<QString>("chosen");
  QTest::newRow("arial") << QStringList{"DejaVu Sans", "Liberation Sans", "Arial"} << "Arial";
  QTest::newRow("liberation") << QStringList{"DejaVu Sans", "Liberation Sans", "Arimo"} << "Liberation Sans";
  QTest::newRow("arimo") << QStringList{"DejaVu Sans", "arimo"} << "Arimo";
  QTest::newRow("none: the system substitutes") << QStringList{"DejaVu Sans"} << "Arial";
}

void MainWindowTest::fontFamilyFallsBackToAMetricTwin() {
  QFETCH(QStringList, installed);
  QFETCH(QString, chosen);
  QCOMPARE(orn::windowFontFamily(installed), chosen);
}

// A desktop theme's default font (GNOME: 10 or 11 pt) must not widen the pages.
void MainWindowTest::sizeHoldsUnderALargerDesktopFont() {
  const QFont desktop = QApplication::font();
  QApplication::setFont(QFont("Sans", 11));
  {
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(1013, 726));
  }
  QApplication::setFont(desktop);
}

void MainWindowTest::windowFrame() {
  MainWindow window;
  QCOMPARE(window.objectName(), "Form1");
  QCOMPARE(window.windowTitle(), "DAVE ОРН MB 0.0.14");
  // Arial, or the metric twin installed in its place (Debian: Liberation Sans).
  QCOMPARE(window.font().family(), orn::windowFontFamily(QFontDatabase::families()));
  QVERIFY(QStringList({"Arial", "Liberation Sans", "Arimo"}).contains(QFontInfo(window.font()).family()));
  QVERIFY(window.font().bold());
  const QStringList pages{"Измеренное значение", "Настройки датчика", "Параметры обмена", "Поиск"};
  QCOMPARE(window.TabbedNotebook1->count(), pages.size());
  for (int i = 0; i < pages.size(); ++i) QCOMPARE(window.TabbedNotebook1->tabText(i), pages[i]);
  QCOMPARE(window.TabbedNotebook1->currentIndex(), 0);

  // The layouts must fit the designed size; a caption too long would widen it.
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QCOMPARE(window.size(), QSize(1013, 726));
  for (int i = 0; i < pages.size(); ++i) {
    window.TabbedNotebook1->setCurrentIndex(i);
    QCoreApplication::processEvents();
    QCOMPARE(window.size(), QSize(1013, 726));
  }

  QCOMPARE(window.Timer4->interval(), 1000);
  QVERIFY(!window.Timer4->isActive());
  QVERIFY(window.Timer8->isSingleShot());
  QVERIFY(window.findChild<QTimer*>("Timer4"));
  QVERIFY(window.findChild<QTimer*>("Timer8"));
}

void MainWindowTest::itemLists_data() {
  QTest::addColumn<QStringList>("names");
  QTest::addColumn<QStringList>("items");
  QTest::addColumn<bool>("editable");
  const QStringList rates{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
  QStringList addresses;
  for (int a = 0; a <= 247; ++a) addresses << QString::asprintf("%3d", a);
  QStringList seconds;
  for (int s = 0; s <= 100; ++s) seconds << QString::asprintf("%3d", s);
  QStringList days, months, years;
  for (int d = 1; d <= 31; ++d) days << QString::number(d);
  for (int m = 1; m <= 12; ++m) months << QString::number(m);
  for (int y = 2000; y <= 2015; ++y) years << QString::number(y);

  QTest::newRow("rates") << QStringList{"ComboBox2", "ComboBox4"} << rates << false;
  QTest::newRow("addresses") << QStringList{"ComboBox3", "ComboBox5", "ComboBox12", "ComboBox13"}
                             << addresses << false;
  QTest::newRow("units") << QStringList{"ComboBox10"}
                         << QStringList{"%", "МПа", "кПа", "Па", "кгс/см2 (атм тех)", "кгс/м2",
                                        "бар", "атм физ", "мм вод ст", "мм ртутн ст", "psi",
                                        "миллибар"}
                         << false;
  QTest::newRow("settling time") << QStringList{"ComboBox11"} << seconds << false;
  QTest::newRow("decimal places") << QStringList{"ComboBox17"}
                                  << QStringList{"0", "1", "2", "3"} << false;
  QTest::newRow("byte orders") << QStringList{"ComboBox20"}
                               << QStringList{"0 1 2 3", "2 3 0 1", "1 0 3 2", "3 2 1 0"} << false;
  QTest::newRow("gaps") << QStringList{"ComboBox22", "ComboBox23"}
                        << QStringList{"0", "10", "50", "100"} << true;
  QTest::newRow("days") << QStringList{"ComboBox7"} << days << false;
  QTest::newRow("months") << QStringList{"ComboBox8"} << months << false;
  QTest::newRow("years") << QStringList{"ComboBox9"} << years << false;
}

void MainWindowTest::itemLists() {
  QFETCH(QStringList, names);
  QFETCH(QStringList, items);
  QFETCH(bool, editable);
  MainWindow window;
  for (const QString& name : names) {
    auto* combo = window.findChild<QComboBox*>(name);
    QVERIFY2(combo, qPrintable(name));
    QStringList actual;
    for (int i = 0; i < combo->count(); ++i) actual << combo->itemText(i);
    QCOMPARE(actual, items);
    QCOMPARE(combo->isEditable(), editable);
  }
}

void MainWindowTest::watchdogItemsUseDecimalPoint() {
  MainWindow window;
  const QComboBox* watchdog = window.exchange.ComboBox6;
  QCOMPARE(watchdog->count(), 2551);
  QCOMPARE(watchdog->itemText(0), "отключен");
  QCOMPARE(watchdog->itemText(1), "0.1");
  QCOMPARE(watchdog->itemText(10), "1.0");
  QCOMPARE(watchdog->itemText(1234), "123.4");
  QCOMPARE(watchdog->itemText(2550), "255.0");
}

void MainWindowTest::everyHintedControlExists() {
  MainWindow window;
  QCOMPARE(orn::applyHints(&window), QList<QString>{});
  QSet<QString> names;
  for (const orn::Hint& hint : orn::hintTable()) names.insert(hint.control);
  QCOMPARE(names.size(), 110);
  QCOMPARE(orn::hintTable().size(), 110);
}

void MainWindowTest::hintTextsAreVerbatim() {
  MainWindow window;
  const auto hintOf = [&](const char* name) { return window.findChild<QWidget*>(name)->toolTip(); };
  QCOMPARE(hintOf("ComboBox11"), " Время установления 90% уровня от величины скачка в сек");
  QCOMPARE(hintOf("Button45"), "В прибор передается команда 'Защелкнуть' ");
  QCOMPARE(hintOf("Edit1"), "Заводской номер.  Десятичное число.");
  QCOMPARE(hintOf("Button3"), "Записать время программного таймера");
  QCOMPARE(hintOf("Button4"), "Прочитать время программного таймера");
  QCOMPARE(hintOf("CheckBox18"), "Модуль будет искаться на скорости 57600");
  QCOMPARE(hintOf("CheckBox9"), "Модуль будет искаться на скорости 1200");
  QCOMPARE(hintOf("ListBox1"), "Список найденных устройств");
}

void MainWindowTest::menus() {
  MainWindow window;
  QCOMPARE(window.menuBar()->objectName(), "MainMenu1");
  auto* file = window.findChild<QMenu*>("N1");
  QVERIFY(file);
  QCOMPARE(file->title().remove('&'), "Файл");  // the caption; the mnemonic is checked below
  // The profile items with the compare, then the calibration items after a separator.
  QCOMPARE(file->actions().size(), 6);
  QCOMPARE(file->actions()[0]->objectName(), "N2");
  QCOMPARE(file->actions()[0]->text(), "Прочитать профиль настроек из файла");
  QCOMPARE(file->actions()[1]->objectName(), "N3");
  QCOMPARE(file->actions()[1]->text(), "Записать профиль настроек в файл");
  QCOMPARE(file->actions()[2]->objectName(), "CompareItem");
  QCOMPARE(file->actions()[2]->text(), "Сравнить с профилем…");
  QVERIFY(file->actions()[3]->isSeparator());
  QCOMPARE(file->actions()[4]->objectName(), "CalibCheckMenuItem");
  QCOMPARE(file->actions()[4]->text(), "Проверка калибровки...");
  QCOMPARE(file->actions()[5]->objectName(), "CertificateMenuItem");
  QCOMPARE(file->actions()[5]->text(), "Протокол калибровки в PDF...");
  auto* popup = window.findChild<QMenu*>("PopupMenu1");
  QVERIFY(popup);
  QCOMPARE(popup->actions().size(), 1);
  QCOMPARE(popup->actions()[0]->objectName(), "N4");
  QCOMPARE(popup->actions()[0]->text(), "Обновить список портов");
}

// An edit field's own context menu, with Qt's Russian texts installed as at start-up.
void MainWindowTest::editMenuSpeaksRussian() {
  QTranslator qtTexts;
  QVERIFY(orn::installQtTranslation(qtTexts));
  MainWindow window;
  std::unique_ptr<QMenu> menu(window.exchange.Edit1->createStandardContextMenu());
  QCoreApplication::removeTranslator(&qtTexts);
  QStringList items;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) items << a->text().remove('&').section('\t', 0, 0);
  for (const char* item : {"Отменить действие", "Копировать", "Вставить", "Выделить всё"})
    QVERIFY2(items.contains(QString(item)), qPrintable(items.join(", ")));
}

void MainWindowTest::menusHaveMnemonicsAndShortcuts() {
  MainWindow window;
  QCOMPARE(window.menu.N1->title(), "&Файл");
  QCOMPARE(window.menu.TrendMenuItem->text(), "&График");
  QCOMPARE(window.menu.N2->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
  QCOMPARE(window.menu.N3->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
}

// The keys reach the items through the shown window, as a user's would.
void MainWindowTest::shortcutRunsItsItem_data() {
  QTest::addColumn<QString>("item");
  QTest::addColumn<int>("key");
  QTest::newRow("Ctrl+O loads") << "N2" << int(Qt::Key_O);
  QTest::newRow("Ctrl+S saves") << "N3" << int(Qt::Key_S);
}

void MainWindowTest::shortcutRunsItsItem() {
  QFETCH(QString, item);
  QFETCH(int, key);
  MainWindow window;
  window.show();
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QSignalSpy triggered(window.findChild<QAction*>(item), &QAction::triggered);
  QTest::keyClick(&window, Qt::Key(key), Qt::ControlModifier);
  QCOMPARE(triggered.count(), 1);
}

void MainWindowTest::altLetterOpensTheMenus() {
  MainWindow window;
  window.show();
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  // QTest::keyClick knows Latin keys only: the Cyrillic ones go with their text.
  const auto altKey = [&window](char16_t upper) {
    const auto key = Qt::Key(upper);
    const QString text = QString(QChar(upper)).toLower();
    QTest::sendKeyEvent(QTest::Press, &window, key, text, Qt::AltModifier);
    QTest::sendKeyEvent(QTest::Release, &window, key, text, Qt::AltModifier);
  };
  QSignalSpy fileOpens(window.menu.N1, &QMenu::aboutToShow);
  altKey(u'Ф');
  QCOMPARE(fileOpens.count(), 1);
  window.menu.N1->close();
  QSignalSpy chartOpens(window.menu.TrendMenuItem, &QAction::triggered);
  altKey(u'Г');
  QCOMPARE(chartOpens.count(), 1);
}

void MainWindowTest::windowHasTheIcon() {
  MainWindow window;
  QVERIFY(!window.windowIcon().isNull());
  // Drawn, not only named: the SVG is readable by this Qt.
  QVERIFY(!window.windowIcon().pixmap(32, 32).isNull());
}

void MainWindowTest::portListRightClickOpensPopup() {
  MainWindow window;
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QSignalSpy opening(window.menu.PopupMenu1, &QMenu::aboutToShow);
  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                              window.strip.ComboBox1->mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(window.strip.ComboBox1, &rightClick);
  QCOMPARE(opening.count(), 1);
  QVERIFY(window.menu.PopupMenu1->isVisible());
  window.menu.PopupMenu1->close();
}

void MainWindowTest::pageChangeRunsHooks_data() {
  QTest::addColumn<int>("from");
  QTest::addColumn<int>("to");
  QTest::addColumn<bool>("stopsPolling");
  QTest::addColumn<bool>("leavesAdjustment");
  QTest::newRow("0 to 1: polling stops, panel stays") << 0 << 1 << true << false;
  QTest::newRow("0 to 2") << 0 << 2 << true << true;
  QTest::newRow("0 to 3") << 0 << 3 << true << true;
  QTest::newRow("1 to 0: polling kept, panel closes") << 1 << 0 << false << true;
  QTest::newRow("2 to 1") << 2 << 1 << true << false;
  QTest::newRow("3 to 0") << 3 << 0 << false << true;
}

void MainWindowTest::pageChangeRunsHooks() {
  QFETCH(int, from);
  QFETCH(int, to);
  QFETCH(bool, stopsPolling);
  QFETCH(bool, leavesAdjustment);
  MainWindow window;
  window.TabbedNotebook1->setCurrentIndex(from);
  int stops = 0;
  int leaves = 0;
  window.hooks.stopPolling = [&] { ++stops; };
  window.hooks.leaveAdjustment = [&] { ++leaves; };
  window.sensor.adjust.Panel42->show();

  window.TabbedNotebook1->setCurrentIndex(to);
  QCOMPARE(stops, stopsPolling ? 1 : 0);
  QCOMPARE(leaves, leavesAdjustment ? 1 : 0);
  QCOMPARE(window.sensor.adjust.Panel42->isHidden(), leavesAdjustment);
  QVERIFY(window.Timer8->isActive());
}

void MainWindowTest::focusMovesToReadButtonAfterPageChange() {
  MainWindow window;
  window.finishStartup();
  QCOMPARE(window.Timer8->interval(), 50);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QTRY_VERIFY(!window.Timer8->isActive());
  QCOMPARE(window.focusWidget(), window.measure.Button17);

  const std::pair<int, QWidget*> pages[] = {{1, window.sensor.Button20},
                                            {2, window.exchange.Button9},
                                            {3, window.search.Button33},
                                            {0, window.measure.Button17}};
  for (const auto& [page, button] : pages) {
    window.TabbedNotebook1->setCurrentIndex(page);
    QCOMPARE(window.Timer8->interval(), 100);
    QTRY_VERIFY(!window.Timer8->isActive());
    QCOMPARE(window.focusWidget(), button);
  }
}

void MainWindowTest::focusTimerWaitsLongerWhileHidden() {
  // A page chosen during start-up, before the window shows.
  MainWindow window;
  window.TabbedNotebook1->setCurrentIndex(3);
  QVERIFY(window.Timer8->isActive());
  QCOMPARE(window.Timer8->interval(), 3000);
  window.finishStartup();
  QCOMPARE(window.Timer8->interval(), 3000);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  window.Timer8->setInterval(0);  // fire now instead of in three seconds
  QTRY_COMPARE(window.focusWidget(), window.search.Button33);
}

void MainWindowTest::closeRunsShutdownHook() {
  MainWindow window;
  int closes = 0;
  window.hooks.formClose = [&] { ++closes; };
  window.show();
  QVERIFY(window.close());
  QCOMPARE(closes, 1);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
