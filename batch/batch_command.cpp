#include "batch/batch_command.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

#include "batch/batch_runner.h"
#include "batch/photo_folder.h"
#include "imaging/error.h"
#include "logo/logo_presets.h"

namespace rumora {
namespace {

namespace fs = std::filesystem;

// A usage error: what was wrong, in both languages.
struct Refusal {
  std::string japanese, english;
};

struct Command {
  BatchRecipe recipe;
  std::vector<std::string> inputs;
};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts(1);
  for (const char c : text) {
    if (c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// Applies option `name` with `value` to the recipe; false when the value is not one it takes.
bool SetOption(const std::string& name, const std::string& value, BatchRecipe& recipe) {
  if (name == "--fit") {
    if (value != "whole" && value != "fill") return false;
    recipe.fit = value == "fill" ? ListingFit::kFill : ListingFit::kWhole;
  } else if (name == "--size") {
    const auto size = OutputSizeNamed(value);
    if (!size) return false;
    recipe.size = *size;
  } else if (name == "--tone") {
    for (const std::string& step : Split(value, ',')) {
      if (step == "contrast") {
        recipe.contrast = true;
      } else if (step == "brighten") {
        recipe.brighten = true;
      } else if (step == "darken") {
        recipe.darken = true;
      } else {
        return false;
      }
    }
  } else if (name == "--logo") {
    if (value.size() != 1 || value[0] < '1' || value[0] > '3') return false;
    recipe.logo = value[0] - '0';
  } else if (name == "--name") {
    recipe.namePattern = value;
    return !ListingFileName(value, "photo.jpg").empty();
  }
  return true;
}

std::optional<Refusal> Parse(const std::vector<std::string>& arguments, Command& command) {
  static const std::vector<std::string_view> kOptions = {"--fit", "--size", "--tone", "--logo",
                                                         "--name"};
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
      if (command.recipe.outputFolder.empty()) {
        command.recipe.outputFolder = argument;
      } else {
        command.inputs.push_back(argument);
      }
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    if (std::find(kOptions.begin(), kOptions.end(), name) == kOptions.end()) {
      return Refusal{"知らないオプションです: " + argument, "unknown option: " + argument};
    }
    std::string value;
    if (equals != std::string::npos) {
      value = argument.substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    } else {
      return Refusal{name + " に値がありません", name + " needs a value"};
    }
    if (!SetOption(name, value, command.recipe)) {
      return Refusal{name + " には使えない値です: " + value,
                     "not a value for " + name + ": " + value};
    }
  }
  if (command.recipe.outputFolder.empty())
    return Refusal{"出力フォルダがありません", "no output folder"};
  if (command.inputs.empty()) return Refusal{"写真かフォルダがありません", "no photo or folder"};
  return std::nullopt;
}

class LinePrinter final : public BatchObserver {
 public:
  LinePrinter(std::ostream& out, bool japanese) : out_(out), japanese_(japanese) {}
  void PhotoDone(std::size_t, const BatchPhotoResult& result) override {
    if (result.Made()) {
      out_ << (japanese_ ? "作成: " : "made: ") << result.written;
      if (result.lostData) {
        out_ << (japanese_ ? " (写真の一部が壊れていたため、読めなかった部分を埋めました)"
                           : " (parts of the photo were damaged and have been filled in)");
      }
    } else {
      out_ << (japanese_ ? "失敗: " : "failed: ") << result.photo << ": "
           << (japanese_ ? result.failure : result.failureInEnglish);
    }
    out_ << std::endl;  // line by line, for whoever reads the output as it comes
  }

 private:
  std::ostream& out_;
  bool japanese_;
};

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) { interrupted.store(true); }

}  // namespace

bool JapaneseLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return std::string_view(value).substr(0, 2) == "ja";
  }
  return false;
}

std::string BatchUsage() {
  return "       rumora --batch 出力フォルダ [オプション] 写真|フォルダ...\n"
         "写真の一枚一枚、またはフォルダの写真すべてから出品画像を作り、出力フォルダに\n"
         "保存します (画面は使いません)。\n\n"
         "  --fit whole|fill   whole: 写真全体を白地に収める (既定)、fill: 中央を切り抜く\n"
         "  --size 600x450|1200x900  出品画像の大きさ (既定 600x450)\n"
         "  --tone STEPS       contrast,brighten,darken のいくつか (強調・明るく・暗くの順)\n"
         "  --logo 1|2|3       LOGO1～3 を記録した位置と濃さで貼る\n"
         "  --name PATTERN     ファイル名 ({name} は写真の名前。既定 {name}_listing.jpg)\n"
         "写真ごとに一行、作ったファイルか失敗の理由を表示します。同じ名前のファイルは置き換え\n"
         "ず、-2、-3 を付けます。終了コード: 0 すべて作成、1 失敗あり、2 使い方の誤り。\n";
}

int RunBatchCommand(const std::vector<std::string>& arguments, const BatchEnvironment& environment,
                    std::ostream& out, std::ostream& err, const std::atomic<bool>& cancel) {
  const bool ja = environment.japanese;
  const auto say = [&](const std::string& japanese, const std::string& english) {
    err << "rumora: " << (ja ? japanese : english) << std::endl;
  };
  Command command;
  if (const auto refusal = Parse(arguments, command)) {
    say(refusal->japanese, refusal->english);
    say("使い方は rumora --help をご覧ください", "see rumora --help");
    return 2;
  }
  BatchJob job;
  job.recipe = command.recipe;
  job.options = environment.options;
  if (const int n = job.recipe.logo; n != 0) {
    const std::string name = "LOGO" + std::to_string(n);
    try {
      SettingsRecord record;
      ReadSettingsRecordFile(environment.settingsRecordPath, record);
      if (!LogoSlotRecorded(record.GetLogoSlot(n))) {
        say(name + " の位置と濃さはまだ記録されていません。画面で「記録」して貼ってから使えます",
            name + " has no recorded place and weight yet: record it in the window first");
        return 2;
      }
      job.logo = ReadBatchLogo(FindPresetLogo(environment.programFolder, n), record.GetLogoSlot(n),
                               job.recipe.size);
    } catch (const Error& e) {
      say(name + " を使えません: " + e.what(), name + " cannot be used");
      return 2;
    }
  }
  bool inputFailed = false;
  for (const std::string& input : command.inputs) {
    std::error_code error;
    if (!fs::is_directory(input, error)) {
      job.photos.push_back(input);
      continue;
    }
    try {
      const std::vector<std::string> photos = PhotosInFolder(input);
      job.photos.insert(job.photos.end(), photos.begin(), photos.end());
    } catch (const Error& e) {
      say(e.what(), "cannot read the folder " + input);
      inputFailed = true;
    }
  }
  if (job.photos.empty()) {
    say("写真が見つかりません", "no photos found");
    return 1;
  }
  std::error_code error;
  fs::create_directories(job.recipe.outputFolder, error);
  if (!fs::is_directory(job.recipe.outputFolder)) {
    say("出力フォルダを作れません: " + job.recipe.outputFolder,
        "cannot make the output folder " + job.recipe.outputFolder);
    return 1;
  }
  LinePrinter printer(out, ja);
  const std::vector<BatchPhotoResult> results = RunBatch(job, printer, cancel, environment.workers);
  std::size_t made = 0;
  for (const BatchPhotoResult& result : results) made += result.Made() ? 1 : 0;
  const std::size_t failed = results.size() - made, skipped = job.photos.size() - results.size();
  say(std::to_string(made) + " 枚作成、" + std::to_string(failed) + " 枚失敗" +
          (skipped ? "、" + std::to_string(skipped) + " 枚は中止のため作りませんでした" : ""),
      std::to_string(made) + " made, " + std::to_string(failed) + " failed" +
          (skipped ? ", " + std::to_string(skipped) + " not made (stopped)" : ""));
  return failed == 0 && skipped == 0 && !inputFailed ? 0 : 1;
}

const std::atomic<bool>& StopBatchOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESETHAND;  // the second signal takes its default course
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  return interrupted;
}

}  // namespace rumora
