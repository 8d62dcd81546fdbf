#pragma once

#include "imaging/canvas.h"

namespace rumora {

// Canvas text drawn with Qt's painter straight into the bitmap's memory. Point sizes become
// pixel sizes at 96 dots per inch, the resolution every control's place and size assumes.
class QtTextRenderer final : public TextRenderer {
 public:
  void DrawText(Bitmap& target, int x, int y, const std::string& utf8Text, const Font& font,
                const Brush& brush) override;
};

}  // namespace rumora
