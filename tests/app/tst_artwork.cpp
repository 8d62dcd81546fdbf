#include <QImage>
#include <QRect>
#include <QSize>
#include <QTest>
#include <functional>

#include "app/artwork.h"

using rumora::ButtonIconKind;

Q_DECLARE_METATYPE(ButtonIconKind)
Q_DECLARE_METATYPE(std::function<QImage()>)

namespace {

constexpr QRgb kTab = 0xFF848F82;
constexpr QRgb kSilver = 0xFFC0C0C0;
// Mean difference per channel, 0 to 255, allowed between an icon drawn at a size and the largest
// one scaled down to it: antialiasing at the two sizes differs, a different drawing by far more.
constexpr double kMeanIconDifference = 3.0;

struct NamedIcon {
  ButtonIconKind kind;
  const char* name;
};
const NamedIcon kAllIcons[] = {
    {ButtonIconKind::OpenFolder, "folder"},
    {ButtonIconKind::OverlappingSquares, "squares"},
    {ButtonIconKind::FloppyDisk, "floppy"},
    {ButtonIconKind::RotateClockwise, "red arrows"},
    {ButtonIconKind::RotateAnticlockwise, "blue arrows"},
    {ButtonIconKind::HalfFilledCircle, "half circle"},
    {ButtonIconKind::OrangeSun, "orange sun"},
    {ButtonIconKind::PurpleSun, "purple sun"},
    {ButtonIconKind::DottedRotate, "dotted arrows"},
    {ButtonIconKind::LayoutTiles, "layout tiles"},
    {ButtonIconKind::PaneTiles, "pane tiles"},
    {ButtonIconKind::Pin, "pin"},
};

void AddIconRows() {
  QTest::addColumn<ButtonIconKind>("kind");
  for (const NamedIcon& icon : kAllIcons) QTest::addRow("%s", icon.name) << icon.kind;
}

// The bounding box of the opaque near-white pixels inside `area` (the tab labels are white).
QRect WhitePixelBounds(const QImage& image, const QRect& area) {
  QRect bounds;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb c = image.pixel(x, y);
      if (qAlpha(c) == 255 && qRed(c) > 220 && qGreen(c) > 220 && qBlue(c) > 220) {
        bounds |= QRect(x, y, 1, 1);
      }
    }
  }
  return bounds;
}

}  // namespace

class ArtworkTest : public QObject {
  Q_OBJECT

 private slots:
  void picturesHaveTheirSizeAndFormat_data() {
    QTest::addColumn<std::function<QImage()>>("make");
    QTest::addColumn<QSize>("size");
    QTest::addRow("photo switch oval")
        << std::function(rumora::PhotoSwitchOvalPicture) << QSize(124, 62);
    QTest::addRow("view tabs") << std::function(rumora::ViewTabsPicture) << QSize(257, 43);
    QTest::addRow("input mark") << std::function<QImage()>([] {
      return rumora::TabMarkPicture(true);
    }) << QSize(257, 5);
    QTest::addRow("output mark") << std::function<QImage()>([] {
      return rumora::TabMarkPicture(false);
    }) << QSize(257, 5);
    QTest::addRow("help oval") << std::function(rumora::HelpOvalPicture) << QSize(66, 37);
  }
  void picturesHaveTheirSizeAndFormat() {
    QFETCH(std::function<QImage()>, make);
    QFETCH(QSize, size);
    const QImage image = make();
    QCOMPARE(image.size(), size);
    QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
  }

  void ovalsAreTransparentOutsideAndOpaqueInside_data() {
    QTest::addColumn<std::function<QImage()>>("make");
    QTest::addRow("photo switch") << std::function(rumora::PhotoSwitchOvalPicture);
    QTest::addRow("help") << std::function(rumora::HelpOvalPicture);
  }
  void ovalsAreTransparentOutsideAndOpaqueInside() {
    QFETCH(std::function<QImage()>, make);
    const QImage image = make();
    const int w = image.width();
    const int h = image.height();
    for (const QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1),
                                QPoint(w - 1, h - 1), QPoint(3, 3), QPoint(w - 4, h - 4)}) {
      QCOMPARE(qAlpha(image.pixel(corner)), 0);
    }
    // The middle of each edge lies on the oval, and so does the centre.
    for (const QPoint inside :
         {QPoint(w / 2, 2), QPoint(2, h / 2), QPoint(w / 2, h / 2 + 12), QPoint(w - 3, h / 2)}) {
      QCOMPARE(qAlpha(image.pixel(inside)), 255);
    }
  }

  void tabMarkStripHasExactPixels_data() {
    QTest::addColumn<bool>("inputTab");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addRow("input") << true << 0 << 124;
    QTest::addRow("output") << false << 131 << 255;
  }
  void tabMarkStripHasExactPixels() {
    QFETCH(bool, inputTab);
    QFETCH(int, first);
    QFETCH(int, last);
    const QImage strip = rumora::TabMarkPicture(inputTab);
    for (int y = 0; y < strip.height(); ++y) {
      for (int x = 0; x < strip.width(); ++x) {
        const QRgb expected = (x >= first && x <= last) ? kTab : kSilver;
        if (strip.pixel(x, y) != expected) {
          QFAIL(qPrintable(QStringLiteral("pixel (%1,%2) is %3, expected %4")
                               .arg(x)
                               .arg(y)
                               .arg(strip.pixel(x, y), 8, 16)
                               .arg(expected, 8, 16)));
        }
      }
    }
  }

  // The mark strips lie over the bottom rows of the tabs, so those rows must be the same solid
  // colour in the same columns, with see-through gaps beside them.
  void tabBottomsMeetTheMarkStrip() {
    const QImage tabs = rumora::ViewTabsPicture();
    for (int y = 36; y < tabs.height(); ++y) {
      for (int x = 0; x < tabs.width(); ++x) {
        const bool onTab = x <= 124 || (x >= 131 && x <= 255);
        if (onTab) {
          QCOMPARE(tabs.pixel(x, y), kTab);
        } else {
          QCOMPARE(qAlpha(tabs.pixel(x, y)), 0);
        }
      }
    }
    for (int y = 0; y < tabs.height(); ++y) {
      QCOMPARE(qAlpha(tabs.pixel(128, y)), 0);
    }
    QCOMPARE(qAlpha(tabs.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(tabs.pixel(255, 1)), 0);  // rounded corner
  }

  void tabLabelsAreCentredOnTheirClickAreas_data() {
    QTest::addColumn<QRect>("clickArea");
    QTest::addRow("input") << QRect(8, 3, 113, 33);
    QTest::addRow("output") << QRect(136, 3, 113, 33);
  }
  void tabLabelsAreCentredOnTheirClickAreas() {
    QFETCH(QRect, clickArea);
    const QRect label = WhitePixelBounds(rumora::ViewTabsPicture(), clickArea);
    QVERIFY2(label.width() > 40 && label.height() > 10, "label missing or too small");
    QVERIFY(clickArea.contains(label));
    QVERIFY(qAbs(label.center().x() - clickArea.center().x()) <= 3);
    QVERIFY(qAbs(label.center().y() - clickArea.center().y()) <= 3);
  }

  void iconsAreDrawnOnTransparentBackgrounds_data() { AddIconRows(); }
  void iconsAreDrawnOnTransparentBackgrounds() {
    QFETCH(ButtonIconKind, kind);
    const QImage icon = rumora::ButtonIcon(kind);
    const QSize expected = kind == ButtonIconKind::Pin ? QSize(16, 16) : QSize(25, 25);
    QCOMPARE(icon.size(), expected);
    QCOMPARE(rumora::ButtonIconSize(kind), expected);
    QCOMPARE(icon.format(), QImage::Format_ARGB32_Premultiplied);
    const int w = icon.width();
    const int h = icon.height();
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)}) {
      QCOMPARE(qAlpha(icon.pixel(corner)), 0);
    }
    int opaque = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) opaque += qAlpha(icon.pixel(x, y)) == 255;
    }
    // Even the sparse dotted arrow covers a few dozen pixels.
    QVERIFY2(opaque >= 25, qPrintable(QStringLiteral("only %1 opaque pixels").arg(opaque)));
  }

  // Each icon tells its button apart at a glance: any two differ clearly in at least a tenth of
  // their pixels, except the two suns, which are one shape in two colours.
  void iconsAreToldApartAtAGlance() {
    for (const NamedIcon& a : kAllIcons) {
      for (const NamedIcon& b : kAllIcons) {
        if (a.kind >= b.kind) continue;
        const QImage first = rumora::ButtonIcon(a.kind);
        const QImage second = rumora::ButtonIcon(b.kind);
        if (first.size() != second.size()) continue;
        const int pixels = first.width() * first.height();
        const bool suns =
            a.kind == ButtonIconKind::OrangeSun && b.kind == ButtonIconKind::PurpleSun;
        int shapeDifferences = 0;
        int clearDifferences = 0;
        for (int y = 0; y < first.height(); ++y) {
          for (int x = 0; x < first.width(); ++x) {
            const QRgb p = first.pixel(x, y);
            const QRgb q = second.pixel(x, y);
            shapeDifferences += qAlpha(p) != qAlpha(q);
            clearDifferences += qAbs(qAlpha(p) - qAlpha(q)) > 64 || qAbs(qRed(p) - qRed(q)) > 64 ||
                                qAbs(qGreen(p) - qGreen(q)) > 64 || qAbs(qBlue(p) - qBlue(q)) > 64;
          }
        }
        const QString pair = QStringLiteral("%1 / %2: %3 of %4 pixels differ clearly")
                                 .arg(a.name, b.name)
                                 .arg(clearDifferences)
                                 .arg(pixels);
        if (suns) QCOMPARE(shapeDifferences, 0);
        QVERIFY2(clearDifferences * 10 >= pixels, qPrintable(pair));
      }
    }
  }

  // The captions name the icon's colour (red and blue arrows, orange and purple suns).
  void iconsHaveTheirColours_data() {
    QTest::addColumn<ButtonIconKind>("kind");
    QTest::addColumn<char>("strongest");
    QTest::addColumn<char>("weakest");
    QTest::addRow("red arrows") << ButtonIconKind::RotateClockwise << 'r' << 'b';
    QTest::addRow("blue arrows") << ButtonIconKind::RotateAnticlockwise << 'b' << 'r';
    QTest::addRow("dotted red arrows") << ButtonIconKind::DottedRotate << 'r' << 'b';
    QTest::addRow("orange sun") << ButtonIconKind::OrangeSun << 'r' << 'b';
    QTest::addRow("purple sun") << ButtonIconKind::PurpleSun << 'b' << 'g';
  }
  void iconsHaveTheirColours() {
    QFETCH(ButtonIconKind, kind);
    QFETCH(char, strongest);
    QFETCH(char, weakest);
    const QImage icon = rumora::ButtonIcon(kind);
    qint64 sum[3] = {0, 0, 0};
    for (int y = 0; y < icon.height(); ++y) {
      for (int x = 0; x < icon.width(); ++x) {
        const QRgb c = icon.pixel(x, y);
        if (qAlpha(c) != 255) continue;
        sum[0] += qRed(c);
        sum[1] += qGreen(c);
        sum[2] += qBlue(c);
      }
    }
    const auto channel = [&](char name) { return sum[name == 'r' ? 0 : name == 'g' ? 1 : 2]; };
    for (const char other : {'r', 'g', 'b'}) {
      if (other != strongest) QVERIFY(channel(strongest) > channel(other));
    }
    QVERIFY(channel(weakest) * 2 < channel(strongest));
  }

  // One drawing at every size: each is the 256-pixel icon scaled down, within antialiasing, and
  // the red trimming frame, the plate and the transparent rounded corners are where they belong.
  void applicationIconIsOneDrawingAtEverySize_data() {
    QTest::addColumn<int>("size");
    for (const int size : {32, 48, 128}) QTest::addRow("%d", size) << size;
  }
  void applicationIconIsOneDrawingAtEverySize() {
    QFETCH(int, size);
    const QImage icon = rumora::ApplicationIconPicture(size);
    QCOMPARE(icon.size(), QSize(size, size));
    QCOMPARE(icon.format(), QImage::Format_ARGB32_Premultiplied);
    const QImage reference = rumora::ApplicationIconPicture(256).scaled(
        size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    qint64 difference = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const QRgb a = icon.pixel(x, y);
        const QRgb b = reference.pixel(x, y);
        difference += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) +
                      qAbs(qBlue(a) - qBlue(b)) + qAbs(qAlpha(a) - qAlpha(b));
      }
    }
    const double mean = double(difference) / (4.0 * size * size);
    QVERIFY2(
        mean < kMeanIconDifference,
        qPrintable(
            QStringLiteral("mean difference %1 from the scaled-down 256-pixel icon").arg(mean)));
    const int last = size - 1;
    for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
      QCOMPARE(qAlpha(icon.pixel(corner)), 0);
    const auto at = [&](double u, double v) {
      return icon.pixel(int(u * size / 25.0), int(v * size / 25.0));
    };
    QCOMPARE(qAlpha(at(12.5, 23.9)), 255);  // the plate's bottom edge
    if (size >= 48) {
      const QRgb frameTop = at(12.5, 8.75);
      QVERIFY2(qRed(frameTop) > 180 && qGreen(frameTop) < 80 && qBlue(frameTop) < 80,
               qPrintable(QStringLiteral("frame colour %1").arg(frameTop, 8, 16)));
    }
  }

  void applicationIconOffersTheDesktopsSizes() {
    const QList<QSize> sizes = rumora::ApplicationIcon().availableSizes();
    for (const int size : {16, 32, 48, 128, 256})
      QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
  }
};

QTEST_MAIN(ArtworkTest)
#include "tst_artwork.moc"
