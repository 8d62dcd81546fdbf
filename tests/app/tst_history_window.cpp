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

// Failing allocations: while failAfter is 0 or more, it counts down the allocations of 16 KiB or
// more, and the one made at 0 throws std::bad_alloc. Those are the pictures and tables a step
// makes; the toolkit's own objects are smaller or come from malloc.
std::atomic<int> failAfter{-1};

void* Allocate(std::size_t size) {
  if (size >= (16 << 10) && failAfter.load() >= 0 && failAfter.fetch_sub(1) == 0) {
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

void* AllocateOrNull(std::size_t size) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

// What a step may change: the photo, the output and whether the photo was freely rotated.
std::tuple<Bitmap, Bitmap, int> Now(TForm1Parts& f) {
  return {f.WorkingBitmap, f.Image1->Picture(), f.FreeRotationDone};
}

bool Same(const std::tuple<Bitmap, Bitmap, int>& a, const std::tuple<Bitmap, Bitmap, int>& b) {
  return Difference(std::get<0>(a), std::get<0>(b)).isEmpty() &&
         Difference(std::get<1>(a), std::get<1>(b)).isEmpty() && std::get<2>(a) == std::get<2>(b);
}

// What a failed step must leave as it was, and a done step as the step makes it.
struct Shown {
  Bitmap photo, input, output;
  QSize panel;
  int freeRotationDone;
  bool canUndo, canRedo;

  explicit Shown(TForm1& form)
      : photo(TForm1TestAccess::Parts(form).WorkingBitmap),
        input(TForm1TestAccess::Parts(form).Image2->Picture()),
        output(TForm1TestAccess::Parts(form).Image1->Picture()),
        panel(TForm1TestAccess::Parts(form).Panel2->size()),
        freeRotationDone(TForm1TestAccess::Parts(form).FreeRotationDone),
        canUndo(form.CanUndo()),
        canRedo(form.CanRedo()) {}
  // Where the two differ; empty when they do not. The history may be shorter after a step that
  // could not keep its state.
  QString DifferenceFrom(const Shown& o, bool historyAsWell) const {
    for (const auto& [name, a, b] :
         {std::tuple{"photo", &photo, &o.photo}, std::tuple{"input view", &input, &o.input},
          std::tuple{"output", &output, &o.output}}) {
      if (const QString d = Difference(*a, *b); !d.isEmpty()) return name + QString(": ") + d;
    }
    if (panel != o.panel || freeRotationDone != o.freeRotationDone) return "panel or flag";
    if (historyAsWell && (canUndo != o.canUndo || canRedo != o.canRedo)) return "history";
    return QString();
  }
};

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
    std::vector pictures{Now(f)};
    for (const auto& step : steps) {
      step();
      pictures.push_back(Now(f));
    }
    QVERIFY(w.platform.messages.empty());
    QVERIFY(w.form->OutputUnsaved());
    QCOMPARE(notices, 1 + 5);  // the opening, then each step
    for (int i = 5; i > 0; --i) {
      w.form->Run([&] { w.form->Undo(); });
      QVERIFY2(Same(Now(f), pictures[i - 1]), qPrintable(QString::number(i)));
    }
    QVERIFY(!w.form->CanUndo());
    for (int i = 1; i <= 5; ++i) {
      w.form->Run([&] { w.form->Redo(); });
      QVERIFY2(Same(Now(f), pictures[i]), qPrintable(QString::number(i)));
    }
    QVERIFY(!w.form->CanRedo());
    // A new photo starts a new photo history; the output's goes on.
    w.OpenPatternPhoto(90, 120);
    w.form->Run([&] { w.form->Undo(); });
    QVERIFY(Same(Now(f), {f.WorkingBitmap, std::get<1>(pictures[4]), 0}));
    w.form->Run([&] { w.form->Undo(); });
    QVERIFY(!w.form->CanUndo() && Same(Now(f), {f.WorkingBitmap, std::get<1>(pictures[0]), 0}));
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
      WritePatternJpeg(w->PathOf("other.jpg"), 150, 200);
      w->f().Edit1->setText("10");
      Click(w->f().BitBtn5);  // a photo step to undo
      if (step == 4) w->form->Run([&] { w->form->Undo(); });
      w->platform.messages.clear();
    };
    const auto run = [&] {
      const std::function<void()> steps[] = {
          [&] { Click(w->f().BitBtn4); },
          [&] { Click(w->f().BitBtn7); },
          [&] { Click(w->f().BitBtn11); },
          [&] { w->form->Run([&] { w->form->Undo(); }); },
          [&] { w->form->Run([&] { w->form->Redo(); }); },
          [&] { w->form->Run([&] { w->form->OpenPhotoFile(w->PathOf("other.jpg")); }); }};
      steps[step]();
    };
    setUp();
    const Shown before(*w->form);
    std::vector<std::pair<int, Shown>> doneDespiteFailure;  // unrecorded, for want of memory
    for (int k = 0;; ++k) {
      failAfter = k;
      run();
      const bool failed = failAfter.exchange(-1) < 0;
      const Shown now(*w->form);
      if (!w->platform.messages.empty()) {
        QVERIFY2(now.DifferenceFrom(before, true).isEmpty(),
                 qPrintable(QString("allocation %1: ").arg(k) + now.DifferenceFrom(before, true)));
        w->platform.messages.clear();
        continue;
      }
      if (!failed) {
        QVERIFY(!now.DifferenceFrom(before, false).isEmpty());
        for (const auto& [at, shown] : doneDespiteFailure) {
          QVERIFY2(
              shown.DifferenceFrom(now, false).isEmpty(),
              qPrintable(QString("allocation %1: ").arg(at) + shown.DifferenceFrom(now, false)));
        }
        break;
      }
      doneDespiteFailure.emplace_back(k, now);
      setUp();
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
    QTest::newRow("saved, then undone past it") << "tsuu" << A::kCancel << "" << true;
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
      if (step == 'n') w.form->Run([&] { w.form->NewOutputPicture(); });
      if (step == 'u') w.form->Run([&] { w.form->Undo(); });
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
