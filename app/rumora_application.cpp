#include "app/rumora_application.h"

#include <QLibraryInfo>
#include <QLocale>

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
