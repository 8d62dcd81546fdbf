#include "app/artwork.h"

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>
#include <QPointF>
#include <QPolygonF>
#include <QRadialGradient>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QTransform>
#include <cmath>
#include <numbers>

namespace rumora {
namespace {

QImage TransparentImage(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

// The window's Japanese gothic face; the IPA face stands in where the window has not mapped it.
QFont GothicFont(int pixelSize, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                    QStringLiteral("IPAGothic")});
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

QFont LatinFont(int pixelSize) {
  QFont font;
  font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("IPAPGothic")});
  font.setPixelSize(pixelSize);
  font.setBold(true);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

// Text centred in `box`, with a one-pixel offset copy in `shadow` underneath it.
void DrawLabel(QPainter& p, const QRectF& box, const QString& text, const QFont& font,
               const QColor& colour, const QColor& shadow, QPointF shadowOffset) {
  p.setFont(font);
  p.setPen(shadow);
  p.drawText(box.translated(shadowOffset), Qt::AlignCenter, text);
  p.setPen(colour);
  p.drawText(box, Qt::AlignCenter, text);
}

// A glossy oval filling `size` less a pixel, with a label: gradient body, a soft light band
// over the upper half, a darker rim. Everything outside the oval stays transparent.
QImage GlossyOval(int width, int height, const QColor& top, const QColor& middle,
                  const QColor& bottom, const QColor& rim, const QString& label, const QFont& font,
                  const QColor& labelColour, const QColor& labelShadow) {
  QImage image = TransparentImage(width, height);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  const QRectF oval(1.0, 1.0, width - 2.0, height - 2.0);
  QLinearGradient body(0, oval.top(), 0, oval.bottom());
  body.setColorAt(0.0, top);
  body.setColorAt(0.55, middle);
  body.setColorAt(1.0, bottom);
  p.setPen(Qt::NoPen);
  p.setBrush(body);
  p.drawEllipse(oval);

  const QRectF band(oval.left() + oval.width() * 0.12, oval.top() + oval.height() * 0.06,
                    oval.width() * 0.76, oval.height() * 0.45);
  QLinearGradient shine(0, band.top(), 0, band.bottom());
  shine.setColorAt(0.0, QColor(255, 255, 255, 190));
  shine.setColorAt(1.0, QColor(255, 255, 255, 0));
  p.setBrush(shine);
  p.drawEllipse(band);

  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(rim, 1.4));
  p.drawEllipse(oval);

  DrawLabel(p, oval, label, font, labelColour, labelShadow, QPointF(1, 1));
  return image;
}

// The outline of one tab: rounded top corners, open to the bottom edge of the picture.
QPainterPath TabPath(qreal left, qreal right, qreal top, qreal bottom, qreal radius) {
  QPainterPath path;
  path.moveTo(left, bottom);
  path.lineTo(left, top + radius);
  path.arcTo(QRectF(left, top, 2 * radius, 2 * radius), 180, -90);
  path.lineTo(right - radius, top);
  path.arcTo(QRectF(right - 2 * radius, top, 2 * radius, 2 * radius), 90, -90);
  path.lineTo(right, bottom);
  path.closeSubpath();
  return path;
}

// --- Button icons -------------------------------------------------------------------------

QPointF OnCircle(QPointF centre, qreal radius, qreal radians) {
  return centre + QPointF(std::cos(radians), std::sin(radians)) * radius;
}

// An arrowhead at the angle `at` of a circle, pointing along the direction of travel
// (`sense` +1: clockwise on screen, -1: anticlockwise).
void ArrowHead(QPainter& p, QPointF centre, qreal radius, qreal at, int sense, qreal length,
               qreal halfWidth) {
  const QPointF base = OnCircle(centre, radius, at);
  const QPointF outward(std::cos(at), std::sin(at));
  const QPointF along = QPointF(-std::sin(at), std::cos(at)) * sense;
  const QPolygonF head{base + outward * halfWidth, base + along * length,
                       base - outward * halfWidth};
  p.drawPolygon(head);
}

qreal Radians(qreal degrees) { return degrees * std::numbers::pi / 180.0; }

// Two chasing arcs around the middle of a 25x25 icon, each ending in an arrowhead.
void CircularArrows(QPainter& p, const QColor& colour, int sense) {
  const QPointF centre(12.5, 12.5);
  const qreal radius = 7.5;
  p.setPen(QPen(colour, 2.6, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  for (const qreal start : {200.0, 20.0}) {
    const qreal span = 125.0;
    const qreal from = sense > 0 ? start : start + span;
    const qreal to = sense > 0 ? start + span : start;
    QPainterPath arc;
    const int steps = 24;
    for (int i = 0; i <= steps; ++i) {
      const QPointF point = OnCircle(centre, radius, Radians(from + (to - from) * i / steps));
      i == 0 ? arc.moveTo(point) : arc.lineTo(point);
    }
    p.drawPath(arc);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  for (const qreal start : {200.0, 20.0}) {
    const qreal end = sense > 0 ? start + 125.0 : start;
    ArrowHead(p, centre, radius, Radians(end), sense, 5.5, 3.8);
  }
}

// One long arc of dots with a solid head, turning clockwise.
void DottedArrow(QPainter& p, const QColor& colour) {
  const QPointF centre(12.5, 12.5);
  const qreal radius = 7.5;
  const qreal from = 150.0;
  const qreal to = from + 250.0;
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  for (qreal angle = from; angle <= to - 10.0; angle += 25.0) {
    p.drawEllipse(OnCircle(centre, radius, Radians(angle)), 1.5, 1.5);
  }
  ArrowHead(p, centre, radius, Radians(to), 1, 5.5, 3.8);
}

void OpenFolder(QPainter& p) {
  const QColor rim(122, 82, 0);
  p.setPen(QPen(rim, 1.0));
  // Back of the folder with its tab.
  QPainterPath back;
  back.moveTo(2.5, 20.5);
  back.lineTo(2.5, 5.5);
  back.lineTo(9.0, 5.5);
  back.lineTo(11.0, 7.5);
  back.lineTo(19.5, 7.5);
  back.lineTo(19.5, 20.5);
  back.closeSubpath();
  p.setBrush(QColor(214, 160, 40));
  p.drawPath(back);
  // A sheet showing through the opening.
  p.setPen(QPen(QColor(120, 120, 120), 1.0));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(5.5, 3.5, 11, 10));
  // The front flap, tilted open.
  QLinearGradient flap(0, 11, 0, 21);
  flap.setColorAt(0.0, QColor(255, 232, 140));
  flap.setColorAt(1.0, QColor(240, 190, 50));
  p.setPen(QPen(rim, 1.0));
  p.setBrush(flap);
  p.drawPolygon(
      QPolygonF{QPointF(6.5, 11.5), QPointF(23.5, 11.5), QPointF(19.5, 21.5), QPointF(1.5, 21.5)});
}

void OverlappingSquares(QPainter& p) {
  p.setPen(QPen(QColor(31, 79, 143), 1.2));
  p.setBrush(QColor(127, 178, 229));
  p.drawRect(QRectF(2.5, 2.5, 13, 13));
  p.setPen(QPen(QColor(200, 30, 30), 1.6));
  p.setBrush(QColor(255, 236, 200, 170));
  p.drawRect(QRectF(9.5, 9.5, 13, 13));
}

void FloppyDisk(QPainter& p) {
  QPainterPath body;
  body.moveTo(3.5, 2.5);
  body.lineTo(19.0, 2.5);
  body.lineTo(22.5, 6.0);
  body.lineTo(22.5, 22.5);
  body.lineTo(3.5, 22.5);
  body.closeSubpath();
  QLinearGradient blue(0, 2, 0, 23);
  blue.setColorAt(0.0, QColor(70, 110, 200));
  blue.setColorAt(1.0, QColor(35, 62, 140));
  p.setPen(QPen(QColor(20, 36, 86), 1.0));
  p.setBrush(blue);
  p.drawPath(body);
  // Metal shutter with its window.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(205, 210, 218));
  p.drawRect(QRectF(7, 3, 11, 7));
  p.setBrush(QColor(40, 48, 70));
  p.drawRect(QRectF(14, 4, 2.5, 5));
  // Paper label with writing lines.
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(6, 13, 14, 9), 1, 1);
  p.setPen(QPen(QColor(150, 160, 180), 1.0));
  p.drawLine(QPointF(8, 16.5), QPointF(18, 16.5));
  p.drawLine(QPointF(8, 19.5), QPointF(18, 19.5));
}

void HalfFilledCircle(QPainter& p) {
  const QRectF disc(3, 3, 19, 19);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(disc);
  p.setBrush(QColor(32, 32, 32));
  p.drawPie(disc, 90 * 16, 180 * 16);  // the left half
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(32, 32, 32), 1.4));
  p.drawEllipse(disc);
}

void Sun(QPainter& p, const QColor& light, const QColor& dark, const QColor& rays) {
  const QPointF centre(12.5, 12.5);
  p.setPen(QPen(rays, 2.2, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 8; ++i) {
    const qreal angle = Radians(i * 45.0);
    p.drawLine(OnCircle(centre, 8.0, angle), OnCircle(centre, 11.0, angle));
  }
  QRadialGradient glow(centre - QPointF(1.5, 1.5), 6.5);
  glow.setColorAt(0.0, light);
  glow.setColorAt(1.0, dark);
  p.setPen(QPen(dark.darker(130), 1.0));
  p.setBrush(glow);
  p.drawEllipse(centre, 5.5, 5.5);
}

void Tile(QPainter& p, const QRectF& box, const QColor& colour, qreal rimWidth = 1.0) {
  QLinearGradient shade(box.topLeft(), box.bottomRight());
  shade.setColorAt(0.0, colour.lighter(135));
  shade.setColorAt(1.0, colour);
  p.setPen(QPen(colour.darker(170), rimWidth));
  p.setBrush(shade);
  p.drawRoundedRect(box, 1.5, 1.5);
}

void LayoutTiles(QPainter& p) {
  Tile(p, QRectF(2.5, 2.5, 9.5, 9.5), QColor(224, 72, 72));
  Tile(p, QRectF(13.0, 2.5, 9.5, 9.5), QColor(61, 176, 74));
  Tile(p, QRectF(2.5, 13.0, 9.5, 9.5), QColor(58, 120, 216));
  Tile(p, QRectF(13.0, 13.0, 9.5, 9.5), QColor(240, 192, 32));
}

void PaneTiles(QPainter& p) {
  Tile(p, QRectF(2.5, 2.5, 9.5, 20.0), QColor(58, 120, 216));
  Tile(p, QRectF(13.0, 13.0, 9.5, 9.5), QColor(61, 176, 74));
  // The picked pane stands out with a heavier rim.
  Tile(p, QRectF(13.0, 2.5, 9.5, 9.5), QColor(245, 140, 30), 2.0);
}

void Pin(QPainter& p) {
  p.setPen(QPen(QColor(100, 100, 100), 1.4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(7.5, 8.5), QPointF(1.8, 14.2));
  // The collar, a flat disc seen edge-on, tilted with the needle.
  p.save();
  p.translate(8.4, 7.6);
  p.rotate(45);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(150, 20, 20));
  p.drawEllipse(QPointF(0, 0), 4.2, 1.6);
  p.restore();
  QRadialGradient head(QPointF(9.6, 4.4), 4.6);
  head.setColorAt(0.0, QColor(255, 150, 150));
  head.setColorAt(0.45, QColor(228, 40, 40));
  head.setColorAt(1.0, QColor(160, 16, 16));
  p.setPen(QPen(QColor(120, 10, 10), 0.8));
  p.setBrush(head);
  p.drawEllipse(QPointF(10.6, 5.4), 4.0, 4.0);
}

}  // namespace

QImage PhotoSwitchOvalPicture() {
  return GlossyOval(124, 62, QColor(255, 248, 170), QColor(255, 222, 40), QColor(232, 178, 0),
                    QColor(150, 110, 0), QStringLiteral("写真切替"), GothicFont(17, true),
                    QColor(70, 45, 0), QColor(255, 255, 255, 150));
}

QImage HelpOvalPicture() {
  return GlossyOval(66, 37, QColor(255, 200, 120), QColor(250, 140, 20), QColor(210, 95, 0),
                    QColor(140, 60, 0), QStringLiteral("help"), LatinFont(15), Qt::white,
                    QColor(120, 50, 0, 170));
}

QImage ViewTabsPicture() {
  constexpr int kWidth = 257;
  constexpr int kHeight = 43;
  QImage image = TransparentImage(kWidth, kHeight);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  // The tabs sit over the same columns as the mark strip drawn below them.
  const QPainterPath tabs[2] = {TabPath(0, 125, 1, kHeight, 9), TabPath(131, 256, 1, kHeight, 9)};
  const QRectF clickAreas[2] = {QRectF(8, 3, 113, 33), QRectF(136, 3, 113, 33)};
  const QString labels[2] = {QStringLiteral("入力写真"), QStringLiteral("出力写真")};

  const QColor tabColour = QColor::fromRgb(kTabColourRgb);
  QLinearGradient shine(0, 1, 0, 22);
  shine.setColorAt(0.0, QColor(255, 255, 255, 80));
  shine.setColorAt(1.0, QColor(255, 255, 255, 0));
  for (int i = 0; i < 2; ++i) {
    p.setPen(Qt::NoPen);
    p.setBrush(tabColour);
    p.drawPath(tabs[i]);
    p.save();
    p.setClipPath(tabs[i]);
    p.setBrush(shine);
    p.drawRect(QRectF(0, 0, kWidth, 22));
    p.restore();
    DrawLabel(p, clickAreas[i], labels[i], GothicFont(16, true), Qt::white, QColor(40, 50, 40, 110),
              QPointF(1, 1));
  }
  return image;
}

QImage TabMarkPicture(bool inputTab) {
  QImage image(257, 5, QImage::Format_ARGB32_Premultiplied);
  image.fill(kSilverRgb);
  const int first = inputTab ? 0 : 131;
  const int last = inputTab ? 124 : 255;
  const QRgb tab = 0xFF000000u | kTabColourRgb;
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = first; x <= last; ++x) row[x] = tab;
  }
  return image;
}

QImage ApplicationIconPicture(int size) {
  QImage image = TransparentImage(size, size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // Drawn on the 25x25 grid of the button icons, so it shares their shapes at every size.
  p.scale(size / 25.0, size / 25.0);

  const QRectF plate(0.5, 0.5, 24, 24);
  const qreal corner = 4.5;
  const QColor tabColour = QColor::fromRgb(kTabColourRgb);
  p.setPen(QPen(tabColour.darker(150), 0.8));
  p.setBrush(tabColour);
  p.drawRoundedRect(plate, corner, corner);
  QLinearGradient shine(0, plate.top(), 0, plate.center().y());
  shine.setColorAt(0.0, QColor(255, 255, 255, 90));
  shine.setColorAt(1.0, QColor(255, 255, 255, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(shine);
  p.drawRoundedRect(plate, corner, corner);

  // The layout button's four tiles, a little smaller, centred on the plate.
  p.save();
  p.translate(2.5, 2.5);
  p.scale(0.8, 0.8);
  LayoutTiles(p);
  p.restore();

  // The red trimming frame in a pane's 4:3 proportions, with a white edge so it shows on any tile.
  const QRectF frame(7.5, 8.75, 10, 7.5);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::white, 2.0));
  p.drawRect(frame);
  p.setPen(QPen(QColor(220, 20, 20), 1.0));
  p.drawRect(frame);
  return image;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addPixmap(QPixmap::fromImage(ApplicationIconPicture(size)));
  }
  return icon;
}

QSize ButtonIconSize(ButtonIconKind kind) {
  return kind == ButtonIconKind::Pin ? QSize(16, 16) : QSize(25, 25);
}

QImage ButtonIcon(ButtonIconKind kind) {
  const QSize size = ButtonIconSize(kind);
  QImage image = TransparentImage(size.width(), size.height());
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  switch (kind) {
    case ButtonIconKind::OpenFolder:
      OpenFolder(p);
      break;
    case ButtonIconKind::OverlappingSquares:
      OverlappingSquares(p);
      break;
    case ButtonIconKind::FloppyDisk:
      FloppyDisk(p);
      break;
    case ButtonIconKind::RotateClockwise:
      CircularArrows(p, QColor(212, 32, 32), 1);
      break;
    case ButtonIconKind::RotateAnticlockwise:
      CircularArrows(p, QColor(31, 95, 208), -1);
      break;
    case ButtonIconKind::HalfFilledCircle:
      HalfFilledCircle(p);
      break;
    case ButtonIconKind::OrangeSun:
      Sun(p, QColor(255, 236, 120), QColor(245, 130, 0), QColor(240, 140, 0));
      break;
    case ButtonIconKind::PurpleSun:
      Sun(p, QColor(200, 160, 240), QColor(100, 50, 160), QColor(106, 58, 160));
      break;
    case ButtonIconKind::DottedRotate:
      DottedArrow(p, QColor(212, 32, 32));
      break;
    case ButtonIconKind::LayoutTiles:
      LayoutTiles(p);
      break;
    case ButtonIconKind::PaneTiles:
      PaneTiles(p);
      break;
    case ButtonIconKind::Pin:
      Pin(p);
      break;
  }
  return image;
}

}  // namespace rumora
