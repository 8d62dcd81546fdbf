// Undo and redo through the window, the question about unsaved output when the window closes,
// and the history's memory budget.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <functional>

#include "app/edit_history.h"
#include "app/fonts.h"
#include "app/image_view_widget.h"
#include "tests/app/window_fixture.h"

using namespace rumora;

namespace {

// What a step may change: the photo, the output and whether the photo was freely rotated.
std::tuple<Bitmap, Bitmap, int> Now(TForm1Parts& f) {
  return {f.WorkingBitmap, f.Image1->Picture(), f.FreeRotationDone};
}

bool Same(const std::tuple<Bitmap, Bitmap, int>& a, const std::tuple<Bitmap, Bitmap, int>& b) {
  return Difference(std::get<0>(a), std::get<0>(b)).isEmpty() &&
         Difference(std::get<1>(a), std::get<1>(b)).isEmpty() && std::get<2>(a) == std::get<2>(b);
}

// A photo step of an n × n picture whose every byte is `value`.
EditHistory::Step PhotoStep(int n, std::uint8_t value) {
  Bitmap picture(n, n);
  std::fill(picture.Data(), picture.Data() + picture.SizeInBytes(), value);
  return {EditHistory::Kind::kPhoto, std::move(picture), 0};
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

  void closingAsksAboutUnsavedOutput_data() {
    QTest::addColumn<bool>("trimmed");
    QTest::addColumn<Platform::SaveAnswer>("answer");
    QTest::addColumn<QString>("saveAs");  // the save dialog's answer; empty: cancelled
    QTest::addColumn<bool>("closes");
    using A = Platform::SaveAnswer;
    QTest::newRow("nothing changed") << false << A::kCancel << "" << true;
    QTest::newRow("cancel") << true << A::kCancel << "" << false;
    QTest::newRow("don't save") << true << A::kDontSave << "" << true;
    QTest::newRow("save, dialog cancelled") << true << A::kSave << "" << false;
    QTest::newRow("save") << true << A::kSave << "out.jpg" << true;
  }
  void closingAsksAboutUnsavedOutput() {
    QFETCH(bool, trimmed);
    QFETCH(Platform::SaveAnswer, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, closes);
    WindowFixture w;
    w.OpenPatternPhoto(160, 120);
    if (trimmed) Click(w.f().BitBtn3);
    QCOMPARE(w.form->isWindowModified(), trimmed);
    w.platform.saveQuestionAnswers << answer;
    if (!saveAs.isEmpty()) w.platform.saveAnswers << w.PathOf(saveAs);
    QCOMPARE(w.form->close(), closes);
    QCOMPARE(w.platform.saveQuestions,
             trimmed ? QStringList{"出力写真は保存されていません。保存しますか？"} : QStringList());
    QCOMPARE(QFileInfo::exists(w.PathOf("out.jpg")), !saveAs.isEmpty());
    QCOMPARE(w.form->OutputUnsaved(), trimmed && saveAs.isEmpty());
  }

  // Twenty photo steps within a budget of seven and a half: the newest seven stay, newest first
  // to undo, and the kept bytes never pass the budget. A state larger than the budget is not
  // kept and takes the photo steps with it; the output steps stay.
  void theHistoryKeepsWithinItsBudget() {
    constexpr int n = 8;
    const std::uint64_t size = std::uint64_t{n} * n * 3;
    EditHistory history(size * 15 / 2);
    for (int i = 0; i < 20; ++i) {
      QVERIFY(history.MakeRoomFor(size));
      history.Record(PhotoStep(n, static_cast<std::uint8_t>(i)));
      QVERIFY(history.KeptBytes() <= size * 15 / 2);
    }
    QCOMPARE(history.KeptBytes(), size * 7);
    for (int i = 19; i >= 13; --i) {
      std::optional<EditHistory::Step> step = history.TakeUndo();
      QVERIFY(step && step->picture.Data()[0] == i);
      history.Undone(PhotoStep(n, static_cast<std::uint8_t>(100 + i)));
    }
    QVERIFY(!history.CanUndo());
    history.Redone(*history.TakeRedo());
    history.Record({EditHistory::Kind::kOutput, Bitmap(2, 2), 0});  // ends the other redo steps
    QCOMPARE(history.KeptBytes(), size + 12);
    QVERIFY(!history.MakeRoomFor(size * 8));
    QCOMPARE(history.KeptBytes(), std::uint64_t{12});
    QCOMPARE(history.TakeUndo()->kind, EditHistory::Kind::kOutput);
    QVERIFY(!history.CanUndo());
  }
};

QTEST_MAIN(HistoryWindowTest)
#include "tst_history_window.moc"
