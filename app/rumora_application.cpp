#include "app/rumora_application.h"

#include <QLibraryInfo>
#include <QLocale>

#include "app/artwork.h"
#include "app/fonts.h"
#include "app/handler_dispatch.h"

namespace rumora {

bool InstallJapaneseTranslation(QTranslator& translator) {
  if (!translator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return false;
  }
  return QCoreApplication::installTranslator(&translator);
}

RumoraApplication::RumoraApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("ルモラ"));
  // The task bar shows this icon; on Wayland it finds the menu entry, and its icon, by this name.
  setWindowIcon(ApplicationIcon());
  setDesktopFileName(QStringLiteral("rumora"));
  InstallFontSubstitutions();
  InstallJapaneseTranslation(qtTranslator_);
}

bool RumoraApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    if (platform_) ReportCurrentException(*platform_, nullptr);
    return false;
  }
}

}  // namespace rumora
