#pragma once

#include <string>

namespace rumora {

// Where the settings record lives for the program whose executable is in `programFolder`.
//
// A program folder the user can write (a build, a copied program folder, a per-user install)
// keeps the record beside the executable. Otherwise, and always when `sharedFolder` says the
// folder belongs to a system-wide install (so that even root never writes there), each user has
// an own record at $XDG_DATA_HOME/rumora/rumora.dat, by default ~/.local/share/rumora/rumora.dat.
// It is made on first use, atomically, as a copy of the record beside the executable, or all
// zero when there is none; an existing one is never replaced. When it cannot be made, its path is
// still returned, so that reading it reports the failure with the path the user has to mend.
std::string SettingsRecordLocation(const std::string& programFolder, bool sharedFolder);

// Whether this build's program folder is shared by every user (the system-wide package).
#ifdef RUMORA_SYSTEM_PACKAGE
inline constexpr bool kProgramFolderShared = true;
#else
inline constexpr bool kProgramFolderShared = false;
#endif

}  // namespace rumora
