#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace rumora {

// The program's version, as the build names it.
QString ProgramVersion();

// What the command line asks for before anything is shown: "--help" (or "-h") and "--version"
// (or "-v") print their text to standard output and end the program with status 0. Any other
// argument is left for the toolkit and the photo. Looks only up to a "--".
struct EarlyExit {
  QString text;
};
std::optional<EarlyExit> EarlyExitFor(const QStringList& arguments);

// The photo the command line names, `rumora [PHOTO]`: the first argument after the program's
// name that is not an option (or any argument after "--"), made absolute against the current
// folder; nothing when there is none. Call it on the arguments the toolkit has left.
std::optional<QString> PhotoArgument(const QStringList& arguments);

}  // namespace rumora
