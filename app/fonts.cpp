#include "app/fonts.h"

#include <QFont>
#include <QString>
#include <QStringList>

namespace rumora {

void InstallFontSubstitutions() {
  QFont::insertSubstitutions(QString::fromUtf8(kGothicFace),
                             QStringList{"IPAPGothic", "IPAGothic"});
  QFont::insertSubstitutions(QString::fromUtf8(kMinchoFace),
                             QStringList{"IPAPMincho", "IPAMincho"});
}

QFont LayoutFont(const char* face, int pixelHeight, bool bold) {
  QFont font(QString::fromUtf8(face));
  font.setPixelSize(pixelHeight);
  font.setBold(bold);
  return font;
}

}  // namespace rumora
