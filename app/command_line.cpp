#include "app/command_line.h"

#include <QFileInfo>

#include "batch/batch_command.h"

namespace rumora {

QString ProgramVersion() { return QStringLiteral(RUMORA_VERSION); }

std::optional<EarlyExit> EarlyExitFor(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size() && arguments[i] != QLatin1String("--"); ++i) {
    const QString& a = arguments[i];
    if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
      return EarlyExit{QStringLiteral("使い方: rumora [写真.jpg|写真.heic]\n"
                                      "写真から 600×450 か 1200×900 "
                                      "の出品画像を作ります。写真を指定すると起動後に開きます。\n\n"
                                      "  -h, --help     この説明を表示して終了します\n"
                                      "  -v, --version  バージョンを表示して終了します\n\n") +
                       QString::fromStdString(BatchUsage())};
    }
    if (a == QLatin1String("--version") || a == QLatin1String("-v")) {
      return EarlyExit{QStringLiteral("rumora %1\n").arg(ProgramVersion())};
    }
  }
  return std::nullopt;
}

std::optional<QString> PhotoArgument(const QStringList& arguments) {
  bool optionsEnded = false;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (!optionsEnded && a == QLatin1String("--")) {
      optionsEnded = true;
    } else if (optionsEnded || !a.startsWith(QLatin1Char('-'))) {
      return QFileInfo(a).absoluteFilePath();
    }
  }
  return std::nullopt;
}

}  // namespace rumora
