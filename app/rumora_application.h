#pragma once

#include <QApplication>
#include <QTranslator>

namespace rumora {

class Platform;

// The application object: titled "ルモラ" with the program's icon, Japanese fonts and the
// toolkit's Japanese texts loaded, and a last guard that turns an exception escaping any event
// into the error report.
class RumoraApplication final : public QApplication {
 public:
  RumoraApplication(int& argc, char** argv);
  void SetPlatform(Platform* platform) { platform_ = platform; }
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  QTranslator qtTranslator_;
  Platform* platform_ = nullptr;
};

// Loads Qt's own Japanese translation (dialog and message-box buttons) into `translator` and
// installs it; returns false when the translation file is not installed.
bool InstallJapaneseTranslation(QTranslator& translator);

}  // namespace rumora
