#pragma once

class QFont;
class QString;

namespace rumora {

// The window layout names two Japanese proportional faces; they are mapped to the installed IPA
// fonts, so text keeps its designed pixel sizes.
inline constexpr const char* kGothicFace = "ＭＳ Ｐゴシック";
inline constexpr const char* kMinchoFace = "ＭＳ Ｐ明朝";

void InstallFontSubstitutions();

// A font of `face` that is `pixelHeight` pixels high.
QFont LayoutFont(const char* face, int pixelHeight, bool bold = false);

}  // namespace rumora
