// The listing size through the window: changing it, trimming and stamping at 1200x900.
#include <QImage>
#include <QScrollBar>
#include <QToolButton>

#include "logo/stamp_logo.h"
#include "tests/app/window_fixture.h"

using namespace rumora;

namespace {

constexpr OutputSize kLarge = OutputSize::k1200x900;
const QString kData = QStringLiteral(RUMORA_TEST_DATA "/");

// A window with a photo opened, started at 1200x900 by its options file unless `small`.
struct SizeWindow : WindowFixture {
  explicit SizeWindow(bool small = false) {
    if (!small) {
      WriteFile("rumora/rumora.conf", "outputSize=1200x900\n");
      form = std::make_unique<TForm1>(platform);
      form->SetSmoothScaling(false);
      form->show();
    }
    OpenPatternPhoto(900, 600);
  }
};

}  // namespace

class ListingSizeTest : public QObject {
  Q_OBJECT

 private slots:
  // The close question first; undo takes the new picture back, label, menu and options follow.
  void changingTheSizeAsksFirstAndCanBeUndone() {
    for (const bool answered : {false, true}) {
      SizeWindow w(true);
      Click(w.f().BitBtn3);
      const Bitmap trimmed = w.Output();
      w.platform.saveQuestionAnswers
          << (answered ? Platform::SaveAnswer::kDontSave : Platform::SaveAnswer::kCancel);
      w.MenuAction("1200×900")->trigger();
      QCOMPARE(w.platform.saveQuestions.size(), 1);
      for (int undone = 0; undone < (answered ? 2 : 1); ++undone) {
        const bool large = answered && undone == 0;
        COMPARE_PICTURES(w.Output(), large ? Bitmap::Filled(1200, 900, clWhite) : trimmed);
        QCOMPARE(w.MenuAction("1200×900")->isChecked(), large);
        QCOMPARE(w.f().Label4->text(), large ? QStringLiteral("１２００×９００") : "６００×４５０");
        QCOMPARE(LoadUserOptions(UserOptionsPath()).outputSize,
                 large ? kLarge : OutputSize::k600x450);
        w.Run(&TForm1::Undo);
      }
    }
  }

  // Trims fill doubled panes; logos land at twice their frame's place (pixels doubled, or the
  // @2x file at its own size), a wide one shrunk; the logo being placed is drawn on the view.
  void theLargeListingIsTrimmedAndStampedAtTwiceTheDensity() {
    SizeWindow w;
    for (int i = 0; i < 7; ++i) Click(i < 6 ? w.f().SpeedButton1 : w.f().SpeedButton2);
    Click(w.f().BitBtn3);  // the bottom-left quarter, doubled
    QVERIFY(w.Output().Pixel(0, 899) != clWhite && w.Output().Pixel(593, 460) != clWhite);

    // A logo wider than the picture is shrunk to fit, says so once, and lands at its frame.
    QImage wide(900, 300, QImage::Format_RGB888);
    wide.fill(QColor(200, 30, 40));
    wide.save(w.PathOf("wide.bmp"));
    w.WriteFile("sale.png", ReadBytes(kData + "png/rgba8.png"));
    w.WriteFile("sale@2x.png", ReadBytes(kData + "png/gray_alpha8_interlaced.png"));
    for (const QString& path : {kData + "bmp/win3_24.bmp", w.PathOf("sale.png"),
                                w.PathOf("wide.bmp"), w.PathOf("wide.bmp")}) {
      w.OpenLogoFile(path);
      LogoPicture logo = ReadLogoFile(path.toStdString(), kLarge);
      FitLogoToOutput(logo);
      QCOMPARE(w.f().SelShape2->Width(), LogoDesignSize(logo, kLarge).width);
      w.f().SelShape2->SetBounds(590, 440, 7, 4);
      w.f().ScrollBar2->setValue(63);
      Bitmap stamped = w.Output();
      StampLogo(stamped, logo, 590, 440, 63, kLarge);
      Click(w.f().BitBtn10);
      COMPARE_PICTURES(w.Output(), stamped);
    }
    QCOMPARE(w.platform.messages.size(), size_t{1});

    // The view draws the logo in its frame over the picture reduced to 600x450, the picture kept.
    w.OpenLogoFile(kData + "png/rgba16.png");
    w.f().SelShape2->SetBounds(30, 40, 13, 7);
    w.f().ScrollBar2->setValue(60);
    Bitmap stamped = w.Output();
    StampLogo(stamped, w.f().Logo, 30, 40, 60, kLarge);
    ScratchImageView view(600, 450);
    StretchToView(stamped, view, Scaling::kSmooth);
    const QImage shown = w.f().Image1->grab().toImage().convertToFormat(QImage::Format_BGR888);
    Bitmap seen(600, 450);
    for (int y = 0; y < 450; ++y) std::copy_n(shown.constScanLine(y), seen.Stride(), seen.Row(y));
    COMPARE_PICTURES(seen, view.Picture());
  }
};

QTEST_MAIN(ListingSizeTest)
#include "tst_listing_size.moc"
