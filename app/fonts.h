#pragma once

class QFont;
class QString;

namespace rumora {

// The window's captions use two Japanese proportional faces; this program maps them to the
// installed IPA fonts, so text keeps its pixel sizes.
inline constexpr const char* kGothicFace = "ＭＳ Ｐゴシック";
inline constexpr const char* kMinchoFace = "ＭＳ Ｐ明朝";

void InstallFontSubstitutions();

// A font of `face` that is `pixelHeight` pixels high.
QFont LayoutFont(const char* face, int pixelHeight, bool bold = false);

}  // namespace rumora
