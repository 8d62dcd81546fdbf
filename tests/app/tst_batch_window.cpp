// "まとめて処理…" through the window: the recipe dialog, its checks, the progress and summary,
// and the same pictures as the batch core makes.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/batch_dialog.h"
#include "app/batch_progress_dialog.h"
#include "tests/app/window_fixture.h"

using namespace rumora;

namespace {

QPushButton* ButtonOf(QWidget* dialog, const QString& text) {
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

// Answers the modal dialogs as they come, each by the next step that takes it. A step that never
// comes within ten seconds fails the test: every dialog still open is then closed.
void AnswerDialogs(QList<std::function<bool(QWidget*)>> steps) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, steps, ticks = 0]() mutable {
    QWidget* modal = QApplication::activeModalWidget();
    if (++ticks > 1000) {
      QTest::qFail("a dialog step never came", __FILE__, __LINE__);
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
      return;
    }
    if (modal != nullptr && !steps.isEmpty() && steps.front()(modal)) steps.removeFirst();
    if (steps.isEmpty()) timer->deleteLater();
  });
  timer->start(10);
}

}  // namespace

class BatchWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void batchMakesWhatTheCoreMakesAndKeepsTheRecipe() {
    WindowFixture w;
    w.WritePatternPhoto("shots/IMG_10.jpg", 80, 60);
    w.WritePatternPhoto("shots/IMG_9.jpg", 40, 70);
    w.WriteFile("shots/IMG_9b.jpg", "damaged");  // between the two in natural order
    const QString out = w.PathOf("out");
    w.platform.folderAnswers << w.PathOf("shots");
    const auto fill = [&](const QString& logo) {
      return [&, logo](QWidget* modal) {
        auto* dialog = qobject_cast<BatchDialog*>(modal);
        if (dialog == nullptr) return false;
        if (dialog->Inputs().isEmpty()) ButtonOf(dialog, "フォルダを追加…")->click();
        dialog->findChild<QLineEdit*>("outputFolder")->setText(out);
        dialog->findChild<QComboBox*>("logo")->setCurrentText(logo);
        ButtonOf(dialog, "開始")->click();
        return true;
      };
    };
    std::vector<BatchPhotoResult> results;
    AnswerDialogs({fill("LOGO2"),  // never recorded: a warning, and the dialog again
                   fill("なし"), [&](QWidget* modal) {
                     auto* progress = qobject_cast<BatchProgressDialog*>(modal);
                     if (progress == nullptr || !progress->Finished()) return false;
                     results = progress->Results();
                     ButtonOf(progress, "閉じる")->click();
                     return true;
                   }});
    w.form->BatchClick();
    QCOMPARE(w.platform.messages.size(), size_t{1});
    QVERIFY(w.platform.messages[0].text.contains("LOGO2"));
    QCOMPARE(results.size(), size_t{3});
    QVERIFY(results[0].Made() && !results[1].Made() && results[2].Made());

    // The core, given the same photos and the window's options, makes the same bytes.
    BatchJob job;
    job.photos = {results[0].photo, results[2].photo};
    job.recipe.outputFolder = QFile::encodeName(w.PathOf("core")).toStdString();
    QDir().mkpath(w.PathOf("core"));
    struct : BatchObserver {
      void PhotoDone(std::size_t, const BatchPhotoResult&) override {}
    } quiet;
    const std::atomic<bool> cancel{false};
    const auto core = RunBatch(job, quiet, cancel, 1);
    QCOMPARE(ReadBytes(out + "/IMG_9_listing.jpg"), ReadBytes(core[0].written.c_str()));
    QCOMPARE(ReadBytes(out + "/IMG_10_listing.jpg"), ReadBytes(core[1].written.c_str()));
    QCOMPARE(LoadUserOptions(UserOptionsPath()).batch.outputFolder, out.toStdString());
  }
};

QTEST_MAIN(BatchWindowTest)
#include "tst_batch_window.moc"
