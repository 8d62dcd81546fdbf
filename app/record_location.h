#pragma once

#include <string>

namespace rumora {

// Where the settings record is kept for one run.
struct SettingsRecordPlace {
  // The record's file, read and written. When `kept` is false: the starting record beside the
  // executable, read once at start-up and never written.
  std::string file;
  bool kept = true;
  // When not kept: the user's record that could not be made, and the system's reason (errno).
  std::string wanted;
  int reason = 0;
};

// Where the settings record lives for the program whose executable is in `programFolder`,
// decided once at start-up.
//
// A program folder the user can write (a build, a copied program folder, a per-user install)
// keeps the record beside the executable. Otherwise, and always when `sharedFolder` says the
// folder belongs to a system-wide install (so that even root never writes there), each user has
// an own record at $XDG_DATA_HOME/rumora/rumora.dat, by default ~/.local/share/rumora/rumora.dat.
// It is made on first use, as a copy of the record beside the executable, or all zero when there
// is none; an existing one is never replaced, not even by a second copy of the program starting
// at the same moment. When it cannot be made (a folder on the way that cannot be searched or
// written, a loop of symbolic links), the run starts from the record beside the executable and
// keeps what changes in memory only. Cannot fail.
SettingsRecordPlace SettingsRecordLocation(const std::string& programFolder, bool sharedFolder);

// Whether this build's program folder is shared by every user (the system-wide package).
#ifdef RUMORA_SYSTEM_PACKAGE
inline constexpr bool kProgramFolderShared = true;
#else
inline constexpr bool kProgramFolderShared = false;
#endif

}  // namespace rumora
