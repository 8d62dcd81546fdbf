#pragma once

#include <string>

#include "imaging/bitmap.h"
#include "imaging/colour.h"

namespace rumora {

enum class PenMode { pmCopy, pmNotXor };
enum class BrushStyle { bsSolid, bsClear };

struct Pen {
  TColor colour = clBlack;
  int width = 1;
  PenMode mode = PenMode::pmCopy;
};

struct Brush {
  TColor colour = clWhite;
  BrushStyle style = BrushStyle::bsSolid;
};

// The canvas font. The window draws with two face names ("ＭＳ Ｐゴシック", "ＭＳ Ｐ明朝"); the
// text renderer maps them to installed fonts.
struct Font {
  std::string face = "ＭＳ Ｐゴシック";
  int sizePoints = 9;
  TColor colour = clBlack;
  bool bold = false;
};

// Draws text into a bitmap's memory. The core has no fonts; the window layer supplies one.
class TextRenderer {
 public:
  virtual ~TextRenderer() = default;
  // Draws `utf8Text` with the top-left corner of its first character cell at (x, y). With a
  // solid brush the cells' background is filled with the brush colour first.
  virtual void DrawText(Bitmap& target, int x, int y, const std::string& utf8Text, const Font& font,
                        const Brush& brush) = 0;
};

// Drawing state and operations on one bitmap: pen, brush, font and pen position, as a canvas
// of the window toolkit keeps them. The bitmap is not owned.
class Canvas {
 public:
  explicit Canvas(Bitmap* target = nullptr, TextRenderer* textRenderer = nullptr)
      : target_(target), textRenderer_(textRenderer) {}

  // Points the canvas at another bitmap; the drawing state is kept.
  void Bind(Bitmap* target) { target_ = target; }
  void SetTextRenderer(TextRenderer* renderer) { textRenderer_ = renderer; }
  // The bitmap drawn into; throws Error when the canvas has none (so does every drawing call).
  Bitmap& Target() const;

  Pen pen;
  Brush brush;
  Font font;

  // Pixel access with the outside-the-bitmap rules of Bitmap::Pixel and Bitmap::SetPixel.
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor colour);

  // Covers columns x1..x2-1 and rows y1..y2-1: interior in the brush colour (solid brush only),
  // outline in the pen colour and mode: a ring as thick as the pen, inside the covered area.
  // Reversed corners are swapped; an empty rectangle draws nothing. Clipped to the bitmap.
  void Rectangle(int x1, int y1, int x2, int y2);

  void MoveTo(int x, int y);
  // A line from the pen position to (x, y), end point left out, in the pen's colour, width and
  // mode; then the pen position is (x, y). No pixel is drawn twice within one line, so a line
  // drawn twice in pmNotXor restores every pixel it covered.
  void LineTo(int x, int y);
  int PenX() const { return penX_; }
  int PenY() const { return penY_; }

  // Text with the canvas font; throws Error when no text renderer was given.
  void TextOut(int x, int y, const std::string& utf8Text);

  // Draws the whole `source` nearest-pixel stretched into columns x1..x2-1, rows y1..y2-1,
  // clipped to the bitmap. An empty source, or a rectangle with x2 <= x1 or y2 <= y1, draws
  // nothing. `source` may be the canvas's own bitmap.
  void StretchDraw(int x1, int y1, int x2, int y2, const Bitmap& source);

 private:
  Bitmap* target_;
  TextRenderer* textRenderer_;
  int penX_ = 0;
  int penY_ = 0;
};

}  // namespace rumora
