#include "app/batch_main.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/record_location.h"
#include "app/user_options.h"
#include "batch/batch_command.h"
#include "batch/batch_runner.h"

namespace rumora {

bool IsBatchCommandLine(int argc, char** argv) {
  return argc >= 2 && std::string(argv[1]) == "--batch";
}

int RunBatchCommandLine(int argc, char** argv) {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  BatchEnvironment environment;
  environment.programFolder = (error ? std::string(".") : executable.parent_path().string()) + "/";
  environment.settingsRecordPath =
      SettingsRecordLocation(environment.programFolder, kProgramFolderShared).file;
  const UserOptions options = LoadUserOptions(UserOptionsPath());
  environment.options.followOrientation = options.exifOrientation;
  environment.options.matchColours = options.colourManagement;
  environment.options.scaling = options.smoothScaling ? Scaling::kSmooth : Scaling::kNearestPixel;
  environment.japanese = JapaneseLocale();
  environment.workers = BatchWorkers();
  const std::vector<std::string> arguments(argv + 2, argv + argc);
  return RunBatchCommand(arguments, environment, std::cout, std::cerr, StopBatchOnInterrupt());
}

}  // namespace rumora
