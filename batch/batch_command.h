#pragma once

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

#include "batch/batch_recipe.h"

namespace rumora {

// What the command-line batch takes from the program's surroundings, as the window would.
struct BatchEnvironment {
  std::string programFolder;       // the executable's folder, with its trailing separator
  std::string settingsRecordPath;  // the settings record, for the preset logos' places
  BatchOptions options;            // from the user's options file
  bool japanese = true;            // the language of what is printed
  unsigned workers = 1;
};

// Whether the locale names Japanese: the first of LC_ALL, LC_MESSAGES and LANG that is set
// starts with "ja". Unset, the locale is not Japanese.
bool JapaneseLocale();

// The lines --help gives for the batch, in Japanese.
std::string BatchUsage();

// `rumora --batch OUTDIR [--fit whole|fill] [--size 600x450|1200x900]
// [--tone contrast,brighten,darken]
// [--logo 1|2|3] [--name PATTERN] [--] PHOTO|FOLDER...`: `arguments` are those after "--batch"
// (options may also be written --fit=fill). Makes the listing picture of every photo given and
// of every photo in the folders given (as RunBatch does; the folders' photos in natural order),
// printing to `out` one line per photo, in their order: "作成: PICTURE" or "失敗: PHOTO: REASON"
// ("made: ..." and "failed: ..." when not `environment.japanese`). Everything else goes to `err`.
// The output folder is made when missing. Returns 0 when every photo was made, 1 when any
// failed, the batch was stopped by `cancel` or nothing was found, and 2 (before making anything)
// for arguments it does not take or a preset logo that cannot be used.
int RunBatchCommand(const std::vector<std::string>& arguments, const BatchEnvironment& environment,
                    std::ostream& out, std::ostream& err, const std::atomic<bool>& cancel);

// Stops a command-line batch after the photos under way on the first interrupt (Ctrl+C) or
// termination signal; a second one ends the program at once. Returns the flag it sets.
const std::atomic<bool>& StopBatchOnInterrupt();

}  // namespace rumora
