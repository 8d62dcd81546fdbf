#include "app/qt_text_renderer.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace rumora {
namespace {

QColor ToQColor(TColor colour) {
  const TColor c = ResolveColor(colour);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

}  // namespace

void QtTextRenderer::DrawText(Bitmap& target, int x, int y, const std::string& utf8Text,
                              const Font& font, const Brush& brush) {
  if (target.Empty()) return;
  QImage image(target.Data(), target.Width(), target.Height(),
               static_cast<qsizetype>(target.Stride()), QImage::Format_BGR888);
  QFont qfont(QString::fromStdString(font.face));
  qfont.setPixelSize((font.sizePoints * 96 + 36) / 72);
  qfont.setBold(font.bold);
  qfont.setStyleStrategy(QFont::NoAntialias);
  const QString text = QString::fromStdString(utf8Text);
  const QFontMetrics metrics(qfont);

  QPainter painter(&image);
  painter.setFont(qfont);
  if (brush.style == BrushStyle::bsSolid) {
    painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()),
                     ToQColor(brush.colour));
  }
  painter.setPen(ToQColor(font.colour));
  painter.drawText(QPoint(x, y + metrics.ascent()), text);
}

}  // namespace rumora
