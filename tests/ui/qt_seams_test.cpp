// The Qt versions of the pump and prompt seams.
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <unistd.h>
#include <utility>

#include "ui/qt_prompt.h"
#include "ui/qt_pump.h"

namespace {

// Captures what is written to stderr while it lives.
class StderrCapture {
 public:
  StderrCapture() {
    file_.open();
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    dup2(file_.handle(), STDERR_FILENO);
  }
  ~StderrCapture() { restore(); }
  QString text() {
    restore();
    file_.seek(0);
    return QString::fromUtf8(file_.readAll());
  }

 private:
  void restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    saved_ = -1;
  }
  QTemporaryFile file_;
  int saved_ = -1;
};

// Answers the next message box that opens with the button of the given text
// (an empty text: its only button), after recording its caption, text and icon.
struct BoxAnswerer {
  explicit BoxAnswerer(QString answer) : button(std::move(answer)) {}

  QString button;
  QString caption, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;

  void arm() {
    QTimer::singleShot(0, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return arm();  // not open yet
      caption = box->windowTitle();
      text = box->text();
      icon = box->icon();
      QAbstractButton* answer = button.isEmpty() ? box->buttons().value(0) : nullptr;
      for (QAbstractButton* b : box->buttons()) {
        buttons << b->text();
        if (b->text() == button) answer = b;
      }
      if (answer) answer->click();
    });
  }
};

}  // namespace

class QtSeamsTest : public QObject {
  Q_OBJECT

 private slots:
  void dispatchRunsPendingEvents();
  void waitProcessesEvents();
  void nestedWaitEndsBothWaits();
  void waitNeverEndsEarly();
  void askReturnsTheButtonPressed_data();
  void askReturnsTheButtonPressed();
  void tellShowsOneOkButton();
  void autoAnswerPrintsEachBox();
};

void QtSeamsTest::dispatchRunsPendingEvents() {
  orn::QtPump pump;
  int runs = 0;
  QMetaObject::invokeMethod(qApp, [&] { ++runs; }, Qt::QueuedConnection);
  QCOMPARE(runs, 0);
  pump.dispatch();
  QCOMPARE(runs, 1);
}

void QtSeamsTest::waitProcessesEvents() {
  orn::QtPump pump;
  int ticks = 0;
  QTimer::singleShot(5, [&] { ++ticks; });
  pump.wait(200);
  QCOMPARE(ticks, 1);
  QVERIFY(!pump.timer().isActive());
}

void QtSeamsTest::nestedWaitEndsBothWaits() {
  // A handler run during a long wait starts a short one: Timer5 is re-armed,
  // and its tick ends the inner and the outer wait together.
  orn::QtPump pump;
  int innerDone = 0;
  int sentinel = 0;
  QTimer::singleShot(0, [&] {
    pump.wait(20);
    ++innerDone;
  });
  QTimer late;
  late.setSingleShot(true);
  connect(&late, &QTimer::timeout, [&] { ++sentinel; });
  late.start(60000);
  pump.wait(60000);
  QCOMPARE(innerDone, 1);
  QCOMPARE(sentinel, 0);  // the outer wait did not run its own 60 s
  QVERIFY(!pump.timer().isActive());
}

void QtSeamsTest::waitNeverEndsEarly() {
  // A coarse timer may tick up to 5 % before its time; the pause before a
  // repeated attempt runs its full length every time.
  orn::QtPump pump;
  for (int i = 0; i < 5; ++i) {
    QElapsedTimer elapsed;
    elapsed.start();
    pump.wait(200);
    QVERIFY2(elapsed.nsecsElapsed() >= 200'000'000, qPrintable(QString::number(elapsed.nsecsElapsed())));
  }
}

void QtSeamsTest::askReturnsTheButtonPressed_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<bool>("answer");
  QTest::newRow("yes") << "Да" << true;
  QTest::newRow("no") << "Нет" << false;
}

void QtSeamsTest::askReturnsTheButtonPressed() {
  QFETCH(QString, button);
  QFETCH(bool, answer);
  orn::QtPrompt prompt;
  BoxAnswerer answerer(button);
  answerer.arm();
  const bool result = prompt.ask("Данные смещения будут переписаны.", "Подтвердите действие",
                                 orn::PromptIcon::Warning);
  QCOMPARE(result, answer);
  QVERIFY(answerer.caption.startsWith("Подтвердите действие"));
  QCOMPARE(answerer.text, "Данные смещения будут переписаны.");
  QCOMPARE(answerer.icon, QMessageBox::Warning);
  QCOMPARE(answerer.buttons.size(), 2);
}

void QtSeamsTest::tellShowsOneOkButton() {
  orn::QtPrompt prompt;
  BoxAnswerer answerer({});
  answerer.arm();
  prompt.tell("Ответа не было.", "Ошибка", orn::PromptIcon::Error);
  QVERIFY(answerer.caption.startsWith("Ошибка"));
  QCOMPARE(answerer.text, "Ответа не было.");
  QCOMPARE(answerer.icon, QMessageBox::Critical);
  QCOMPARE(answerer.buttons.size(), 1);
}

void QtSeamsTest::autoAnswerPrintsEachBox() {
  orn::QtPrompt prompt(nullptr, orn::QtPrompt::Mode::AutoAnswer);
  StderrCapture captured;
  QVERIFY(prompt.ask("Счетчики циклов и ошибок будут сброшены!", "Предупреждение",
                     orn::PromptIcon::Information));
  prompt.tell("Прочитано измеренное значение.", "Результат операции",
              orn::PromptIcon::Information);
  QCOMPARE(captured.text(),
           "Предупреждение: Счетчики циклов и ошибок будут сброшены!\n"
           "Результат операции: Прочитано измеренное значение.\n");
  QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(QtSeamsTest)
#include "qt_seams_test.moc"
