// Undo and redo through the window, and the question about unsaved output when the window
// closes.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>

#include "app/fonts.h"
#include "app/image_view_widget.h"
#include "tests/app/window_fixture.h"

using namespace rumora;

namespace {

// While failAfter is 0 or more it counts down the allocations of 16 KiB or more (the pictures and
// tables a step makes; the toolkit's objects are smaller or come from malloc): that one fails.
std::atomic<int> failAfter{-1};

void* Allocate(std::size_t n) {
  if (n >= (16 << 10) && failAfter.load() >= 0 && failAfter.fetch_sub(1) == 0) {
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t n) { return Allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  return std::malloc(n == 0 ? 1 : n);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// What the steps change, each part in short (a picture as its size and a hash of its pixels):
// the photo, the output, whether the photo was freely rotated, the input view with its panel,
// and what can be undone and redone.
QStringList Now(TForm1& form) {
  const TForm1Parts& f = TForm1TestAccess::Parts(form);
  const auto picture = [](const Bitmap& b) {
    const QByteArrayView bytes(b.Data(), static_cast<qsizetype>(b.SizeInBytes()));
    return QString("%1x%2 #%3").arg(b.Width()).arg(b.Height()).arg(qHash(bytes));
  };
  return {picture(f.WorkingBitmap), picture(f.Image1->Picture()),
          QString::number(f.FreeRotationDone),
          picture(f.Image2->Picture()) +
              QString(" in %1x%2").arg(f.Panel2->width()).arg(f.Panel2->height()),
          QString("undo %1 redo %2").arg(form.CanUndo()).arg(form.CanRedo())};
}

}  // namespace

Q_DECLARE_METATYPE(Platform::SaveAnswer)

class HistoryWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallFontSubstitutions(); }

  // Brighter, a right turn, a free rotation, a trim and a paste are undone one by one and then
  // redone, each picture equal to the one on the other side of its step.
  void stepsAreUndoneAndRedoneInOrder() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    int notices = 0;
    w.form->SetHistoryChangedHandler([&] { ++notices; });
    w.OpenPatternPhoto(160, 120);
    f.Edit1->setText("10");
    w.platform.openAnswers << QStringLiteral(RUMORA_TEST_DATA "/bmp/win3_24.bmp");  // a logo file
    const std::function<void()> steps[] = {[&] { Click(f.BitBtn4); }, [&] { Click(f.BitBtn7); },
                                           [&] { Click(f.BitBtn11); }, [&] { Click(f.BitBtn3); },
                                           [&] { Click(f.BitBtn9), Click(f.BitBtn10); }};
    std::vector pictures{Now(*w.form).mid(0, 3)};
    for (const auto& step : steps) {
      step();
      pictures.push_back(Now(*w.form).mid(0, 3));
    }
    QVERIFY(w.platform.messages.empty());
    QVERIFY(w.form->OutputUnsaved());
    QCOMPARE(notices, 1 + 5);  // the opening, then each step
    for (int i = 4; i >= 0; --i) {
      w.Run(&TForm1::Undo);
      QCOMPARE(Now(*w.form).mid(0, 3), pictures[i]);
    }
    QVERIFY(!w.form->CanUndo());
    for (int i = 1; i <= 5; ++i) {
      w.Run(&TForm1::Redo);
      QCOMPARE(Now(*w.form).mid(0, 3), pictures[i]);
    }
    QVERIFY(!w.form->CanRedo());
    // A new photo starts a new photo history; the output's goes on.
    w.OpenPatternPhoto(90, 120);
    for (const int i : {4, 0}) {
      w.Run(&TForm1::Undo);
      QCOMPARE(Now(*w.form).mid(1, 2), QStringList({pictures[i][1], "0"}));
    }
    QVERIFY(!w.form->CanUndo());
  }

  // A step that runs out of memory at any point either is done whole (also when it could not
  // keep its state for undoing) or, with the error reported, changes nothing, so that undoing
  // afterwards undoes the step before it.
  void aStepThatRunsOutOfMemoryChangesNothing_data() {
    QTest::addColumn<int>("step");
    const char* const steps[] = {"brighter", "turn", "free rotation", "undo", "redo", "open"};
    for (int i = 0; i < 6; ++i) QTest::newRow(steps[i]) << i;
  }
  void aStepThatRunsOutOfMemoryChangesNothing() {
    QFETCH(int, step);
    std::unique_ptr<WindowFixture> w;
    const auto setUp = [&] {
      w = std::make_unique<WindowFixture>();
      w->OpenPatternPhoto(200, 150);
      w->WritePatternPhoto("other.jpg", 150, 200);
      w->f().Edit1->setText("10");
      Click(w->f().BitBtn5);  // a photo step to undo
      if (step == 4) w->Run(&TForm1::Undo);
      w->platform.messages.clear();
    };
    const std::function<void()> steps[] = {
        [&] { Click(w->f().BitBtn4); },
        [&] { Click(w->f().BitBtn7); },
        [&] { Click(w->f().BitBtn11); },
        [&] { w->Run(&TForm1::Undo); },
        [&] { w->Run(&TForm1::Redo); },
        [&] { w->form->Run([&] { w->form->OpenPhotoFile(w->PathOf("other.jpg")); }); }};
    setUp();
    const QStringList before = Now(*w->form);
    QList<QStringList> doneDespiteFailure;  // done unrecorded, for want of memory
    for (int k = 0;; ++k) {
      failAfter = k;
      steps[step]();
      const bool failed = failAfter.exchange(-1) < 0;
      if (!w->platform.messages.empty()) {  // the failure was reported: nothing changed
        QCOMPARE(Now(*w->form), before);
        w->platform.messages.clear();
      } else if (failed) {
        doneDespiteFailure << Now(*w->form).mid(0, 4);
        setUp();
      } else {
        QVERIFY(Now(*w->form).mid(0, 4) != before.mid(0, 4));
        for (const QStringList& done : doneDespiteFailure) QCOMPARE(done, Now(*w->form).mid(0, 4));
        break;
      }
    }
  }

  // Closing asks only when the output differs from the picture last saved and from a white one.
  void closingAsksAboutUnsavedOutput_data() {
    QTest::addColumn<QString>("steps");  // t: trim, n: new output picture, u: undo, s: save
    QTest::addColumn<Platform::SaveAnswer>("answer");
    QTest::addColumn<QString>("saveAs");  // the save dialog's answer; empty: cancelled
    QTest::addColumn<bool>("closes");
    using A = Platform::SaveAnswer;
    QTest::newRow("nothing changed") << "" << A::kCancel << "" << true;
    QTest::newRow("cancel") << "t" << A::kCancel << "" << false;
    QTest::newRow("don't save") << "t" << A::kDontSave << "" << true;
    QTest::newRow("save, dialog cancelled") << "t" << A::kSave << "" << false;
    QTest::newRow("save") << "t" << A::kSave << "out.jpg" << true;
    QTest::newRow("a new white picture") << "tn" << A::kCancel << "" << true;
    QTest::newRow("saved, then undone back to it") << "tsnu" << A::kCancel << "" << true;
    QTest::newRow("undone to the white picture") << "tu" << A::kCancel << "" << true;
    QTest::newRow("changed after saving") << "nst" << A::kCancel << "" << false;
  }
  void closingAsksAboutUnsavedOutput() {
    QFETCH(QString, steps);
    QFETCH(Platform::SaveAnswer, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, closes);
    WindowFixture w;
    w.OpenPatternPhoto(160, 120);
    for (const QChar step : steps) {
      if (step == 't') Click(w.f().BitBtn3);
      if (step == 'n') w.Run(&TForm1::NewOutputPicture);
      if (step == 'u') w.Run(&TForm1::Undo);
      if (step == 's') w.platform.saveAnswers << w.PathOf("saved.jpg"), Click(w.f().BitBtn1);
    }
    const bool unsaved = !closes || answer != Platform::SaveAnswer::kCancel;
    QCOMPARE(w.form->isWindowModified(), unsaved);
    w.platform.saveQuestionAnswers << answer;
    if (!saveAs.isEmpty()) w.platform.saveAnswers << w.PathOf(saveAs);
    QCOMPARE(w.form->close(), closes);
    QCOMPARE(w.platform.saveQuestions,
             unsaved ? QStringList{"出力写真は保存されていません。保存しますか？"} : QStringList());
    QCOMPARE(QFileInfo::exists(w.PathOf("out.jpg")), !saveAs.isEmpty());
    QCOMPARE(w.form->OutputUnsaved(), unsaved && saveAs.isEmpty());
  }
};

QTEST_MAIN(HistoryWindowTest)
#include "tst_history_window.moc"
