#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/batch_main.h"
#include "app/command_line.h"
#include "app/qt_platform.h"
#include "app/rumora_application.h"
#include "app/tform1.h"

namespace {

// On X11 and Wayland desktops a display is named in the environment; without one Qt would
// only abort with a long message.
bool HasDisplay() {
#ifndef __linux__
  return true;
#endif
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  // --help and --version need no display.
  if (const auto early = rumora::EarlyExitFor(arguments)) {
    std::fputs(early->text.toLocal8Bit().constData(), stdout);
    return 0;
  }
  // The batch runs without a display and without the window.
  if (rumora::IsBatchCommandLine(argc, argv)) return rumora::RunBatchCommandLine(argc, argv);
  if (!HasDisplay()) {
    std::fputs(
        "rumora: no display found; start it in a desktop session, or from the source "
        "folder under a virtual display: "
        "xvfb-run -a -s '-screen 0 1280x800x24' scripts/run.sh\n",
        stderr);
    return 1;
  }
  rumora::RumoraApplication app(argc, argv);
  rumora::QtPlatform platform;
  app.SetPlatform(&platform);
  rumora::TForm1 form(platform);
  form.show();
  // `rumora PHOTO` (a file manager's "Open with") opens the photo once the window is up.
  if (const auto photo = rumora::PhotoArgument(QCoreApplication::arguments())) {
    QTimer::singleShot(0, &form, [&form, path = *photo] {
      form.Run([&form, &path] { form.OpenPhotoFile(path); });
    });
  }
  return app.exec();
}
