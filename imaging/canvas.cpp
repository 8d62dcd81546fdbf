#include "imaging/canvas.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "imaging/error.h"
#include "imaging/pixel_span.h"

namespace rumora {

Bitmap& Canvas::Target() const {
  if (target_ == nullptr) throw Error("描画先の画像がありません");
  return *target_;
}

TColor Canvas::Pixel(int x, int y) const { return Target().Pixel(x, y); }

void Canvas::SetPixel(int x, int y, TColor colour) { Target().SetPixel(x, y, colour); }

void Canvas::Rectangle(int x1, int y1, int x2, int y2) {
  Bitmap& bitmap = Target();
  // Reversed corners describe the same rectangle, as on the desktop's drawing interface.
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x2 == x1 || y2 == y1 || bitmap.Empty()) return;

  // 64-bit so that ring edges near INT_MAX cannot overflow.
  const std::int64_t left = x1, top = y1, right = x2, bottom = y2;
  const std::int64_t ring = std::max(pen.width, 1);
  const std::int64_t innerLeft = std::min(left + ring, right);
  const std::int64_t innerRight = std::max(right - ring, innerLeft);
  const std::int64_t innerTop = std::min(top + ring, bottom);
  const std::int64_t innerBottom = std::max(bottom - ring, innerTop);

  const std::int64_t width = bitmap.Width(), height = bitmap.Height();
  const auto clipX = [width](std::int64_t x) {
    return static_cast<int>(std::clamp<std::int64_t>(x, 0, width));
  };
  const int rowFirst = static_cast<int>(std::clamp<std::int64_t>(top, 0, height));
  const int rowEnd = static_cast<int>(std::clamp<std::int64_t>(bottom, 0, height));
  const int cl = clipX(left), cil = clipX(innerLeft), cir = clipX(innerRight), cr = clipX(right);

  const TColor penColour = ResolveColor(pen.colour);
  const TColor brushColour = ResolveColor(brush.colour);
  const bool fillInterior = brush.style == BrushStyle::bsSolid;

  for (int y = rowFirst; y < rowEnd; ++y) {
    std::uint8_t* row = bitmap.Row(y);
    if (y < innerTop || y >= innerBottom) {
      PaintSpan(row, cl, cr, penColour, pen.mode);
      continue;
    }
    PaintSpan(row, cl, cil, penColour, pen.mode);
    if (fillInterior) PaintSpan(row, cil, cir, brushColour, PenMode::pmCopy);
    PaintSpan(row, cir, cr, penColour, pen.mode);
  }
}

void Canvas::MoveTo(int x, int y) {
  penX_ = x;
  penY_ = y;
}

void Canvas::TextOut(int x, int y, const std::string& utf8Text) {
  if (textRenderer_ == nullptr) throw Error("文字を描く手段が用意されていません");
  textRenderer_->DrawText(Target(), x, y, utf8Text, font, brush);
}

}  // namespace rumora
