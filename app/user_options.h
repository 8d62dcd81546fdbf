#pragma once

#include <QString>
#include <QStringList>

#include "batch/batch_recipe.h"
#include "layout/output_size.h"

namespace rumora {

// The user's own choices, kept per user in an INI file apart from the settings record beside the
// executable (whose 736 bytes stay as they are).
struct UserOptions {
  static constexpr int kMaxRecentPhotos = 10;

  bool exifOrientation = true;   // turn photos upright as their file says (Exif, HEIF)
  bool smoothScaling = true;     // smooth rather than nearest-pixel scaling
  bool colourManagement = true;  // convert photos with a colour profile to sRGB
  OutputSize outputSize = OutputSize::k600x450;  // the size of a new output picture
  QStringList recentPhotos;                      // most recent first, at most kMaxRecentPhotos
  BatchRecipe batch;   // the last recipe of "まとめて処理…" (its folder in UTF-8)
  QString logoFolder;  // the folder of the last logo file opened; empty: none yet

  // Puts `path` first in recentPhotos, dropping an earlier mention and the oldest beyond the
  // limit.
  void AddRecentPhoto(const QString& path);
};

// $XDG_CONFIG_HOME/rumora/rumora.conf, or ~/.config/rumora/rumora.conf without it.
QString UserOptionsPath();

// The options stored at `path`. A missing, unreadable or damaged file, or a value that is not
// what its key holds, gives the default for what it misses; nothing is reported.
UserOptions LoadUserOptions(const QString& path);

// Stores `options` at `path` (written to a temporary file and renamed over it); returns false
// when it could not be written.
bool SaveUserOptions(const QString& path, const UserOptions& options);

}  // namespace rumora
