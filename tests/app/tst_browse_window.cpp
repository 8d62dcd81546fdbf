// Going through a folder and working from the keyboard: next and previous photo, numbered save
// names, the red frames on the arrow keys, and a hint on every control.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>

#include "app/fonts.h"
#include "tests/app/window_fixture.h"

using namespace rumora;

class BrowseWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallFontSubstitutions(); }

  // Each photo has its own width, so the working bitmap tells which one is open.
  void pageKeysGoThroughTheFolderInNaturalOrder() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    QApplication::setActiveWindow(w.form.get());
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    const QStringList names = {"IMG_2.jpg", "IMG_9.JPG", "IMG_10.jpeg"};
    for (int i = 0; i < names.size(); ++i) w.WritePatternPhoto("shots/" + names[i], 40 + i, 30);
    w.WriteFile("shots/notes.txt", "x");
    Click(f.SpeedButton1);  // layout 1: the layout and pane stay through the steps
    f.Image1->Picture().Fill(RGB(1, 2, 3));
    QTest::keyClick(w.form.get(), Qt::Key_PageDown);
    QCOMPARE(w.Status(), QStringLiteral("開いている写真がありません"));

    w.OpenPhoto(w.PathOf("shots/IMG_9.JPG"));
    // Each key, then the width of the photo open and the status line.
    const std::tuple<Qt::Key, int, const char*> steps[] = {
        {Qt::Key_PageDown, 42, "IMG_10.jpeg (3 / 3)"},
        {Qt::Key_PageDown, 42, "このフォルダの最後の写真です"},
        {Qt::Key_PageUp, 41, "IMG_9.JPG (2 / 3)"},
        {Qt::Key_PageUp, 40, "IMG_2.jpg (1 / 3)"},
        {Qt::Key_PageUp, 40, "このフォルダの最初の写真です"}};
    for (const auto& [key, width, status] : steps) {
      QTest::keyClick(w.form.get(), key);
      QCOMPARE(f.WorkingBitmap.Width(), width);
      QCOMPARE(w.Status(), QString::fromUtf8(status));
    }
    QCOMPARE(f.Layout.LayoutKind, 1);
    QCOMPARE(f.Image1->Picture().Pixel(599, 449), RGB(1, 2, 3));
    QVERIFY(w.platform.messages.empty());

    // A photo that does not open is reported once and passed over by the next step.
    w.WriteFile("shots/IMG_3.jpg", "not a photo");
    QTest::keyClick(w.form.get(), Qt::Key_PageDown);
    QCOMPARE(w.platform.messages.size(), size_t{1});
    QCOMPARE(f.WorkingBitmap.Width(), 40);
    QTest::keyClick(w.form.get(), Qt::Key_PageDown);
    QCOMPARE(f.WorkingBitmap.Width(), 41);
  }

  void saveDialogProposesTheNextFreeNumberedName() {
    WindowFixture w;
    const QString out = QFileInfo(w.PathOf("out")).absoluteFilePath() + "/";
    w.WriteFile("out/item-08.jpg", "taken");
    w.platform.saveAnswers << out + "item-07.jpg" << out + "item-09.jpg" << out + "plain.jpg"
                           << QString();
    for (int i = 0; i < 4; ++i) Click(w.f().BitBtn1);
    QCOMPARE(w.platform.saveCalls.size(), size_t{4});
    QCOMPARE(w.platform.saveCalls[1].initialFolder, out + "item-09.jpg");
    QCOMPARE(w.platform.saveCalls[2].initialFolder, out + "item-10.jpg");
    QVERIFY(!w.platform.saveCalls[3].initialFolder.endsWith(".jpg"));
    QCOMPARE(ReadBytes(out + "item-08.jpg"), QByteArray("taken"));
  }

  void arrowKeysMoveTheFrameOfTheFocusedView() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    w.OpenPatternPhoto(800, 600);  // the input view is 602x452
    f.SelShape1->SetBounds(100, 100, 200, 150);
    f.Panel2->setFocus();
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, QRect> steps[] = {
        {Qt::Key_Right, {}, {101, 100, 200, 150}},
        {Qt::Key_Down, Qt::ShiftModifier, {101, 110, 200, 150}},
        {Qt::Key_Right, Qt::ControlModifier, {101, 110, 201, 151}},  // 201 * 0.75
        {Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier, {101, 110, 191, 143}},
        {Qt::Key_Left, Qt::ShiftModifier, {91, 110, 191, 143}}};
    for (const auto& [key, modifiers, frame] : steps) {
      QTest::keyClick(f.Panel2, key, modifiers);
      QCOMPARE(FrameOf(f.SelShape1), frame);
    }
    // The limits of dragging: the panel's edges, and the photo's foot for the proportions.
    for (int i = 0; i < 50; ++i) QTest::keyClick(f.Panel2, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(f.SelShape1->Left(), 0);
    for (int i = 0; i < 60; ++i)
      QTest::keyClick(f.Panel2, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(f.SelShape1->Top() + f.SelShape1->Height() <= 450);
    QVERIFY(f.SelShape1->Left() + f.SelShape1->Width() <= 602);

    // The output view's logo frame moves but is not resized; keys elsewhere move no frame.
    Click(f.outputimg);
    f.SelShape2->show();
    const QRect logo = FrameOf(f.SelShape2);
    f.Panel1->setFocus();
    QTest::keyClick(f.Panel1, Qt::Key_Up);
    QTest::keyClick(f.Panel1, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(FrameOf(f.SelShape2), logo.translated(0, -1));
    f.Edit1->setFocus();
    QTest::keyClick(f.Edit1, Qt::Key_Left);
    QCOMPARE(FrameOf(f.SelShape2), logo.translated(0, -1));
  }

  void everyControlHasAHint() {
    WindowFixture w;
    TForm1Parts& f = w.f();
    QList<QWidget*> controls = {f.Image8, f.inputimg,  f.outputimg, f.Image10,
                                f.Edit1,  f.ComboBox1, f.ScrollBar2};
    for (QAbstractButton* button : w.form->findChildren<QAbstractButton*>()) controls << button;
    for (QWidget* control : controls) {
      // The hidden box, and Qt's own buttons of the menu bar and the combo box, need none.
      if (control == static_cast<QWidget*>(f.CheckBox1) ||
          control->objectName().startsWith("qt_")) {
        continue;
      }
      QVERIFY2(!control->toolTip().isEmpty(),
               qPrintable(control->metaObject()->className() + QStringLiteral(" ") +
                          control->objectName()));
    }
    QCOMPARE(f.BitBtn2->toolTip(), QStringLiteral("写真のファイルを開きます"));
  }
};

QTEST_MAIN(BrowseWindowTest)
#include "tst_browse_window.moc"
