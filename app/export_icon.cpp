// A build tool: writes the program's icon as PNG files for the desktop's icon theme.
//
//   rumora_export_icon FOLDER SIZE...
//
// writes FOLDER/hicolor/SIZExSIZE/apps/rumora.png for each SIZE (16 to 1024). It needs no
// display: it runs on the offscreen platform unless another one is named.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>
#include <QString>
#include <cstdio>
#include <vector>

#include "app/artwork.h"

namespace {

constexpr int kSmallest = 16;
constexpr int kLargest = 1024;

bool WritePng(const QImage& image, const QString& path) {
  if (!QDir().mkpath(QFileInfo(path).path())) return false;
  // Atomically, so an interrupted build never leaves half an icon behind.
  QSaveFile file(path);
  return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FOLDER SIZE...\n", argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  const QString folder = QString::fromLocal8Bit(argv[1]);
  std::vector<int> sizes;
  for (int i = 2; i < argc; ++i) {
    bool ok = false;
    const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
    if (!ok || size < kSmallest || size > kLargest) {
      std::fprintf(stderr, "%s: size \"%s\" is not a whole number from %d to %d\n", argv[0],
                   argv[i], kSmallest, kLargest);
      return 2;
    }
    sizes.push_back(size);
  }
  for (const int size : sizes) {
    const QString path = QStringLiteral("%1/hicolor/%2x%2/apps/rumora.png").arg(folder).arg(size);
    if (!WritePng(rumora::ApplicationIconPicture(size), path)) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(path));
      return 1;
    }
  }
  return 0;
}
