#include "batch/batch_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/batch/batch_fixture.h"

namespace rumora {
namespace {

using testing::BatchFixture;

TEST(BatchCommand, ExitStatusesAndLines) {
  BatchFixture f;
  f.Photo("shots/IMG_10.jpg", 30, 20);
  f.Photo("shots/IMG_9.jpg", 20, 30);
  testing::WriteBytes(f.folder.Path("bad.jpg"), {'n', 'o'});
  SettingsRecord record;
  record.SetLogoSlot(1, testing::kTestSlot);
  WriteSettingsRecordFile(f.folder.Path("rumora.dat"), record);
  BatchEnvironment environment{RUMORA_SOURCE_DIR "/", f.folder.Path("rumora.dat"), {}, true, 2};
  const std::string out = f.folder.Path("out"), shots = f.folder.Path("shots"),
                    bad = f.folder.Path("bad.jpg");
  struct Case {
    std::vector<std::string> arguments;
    bool japanese;
    int status;
    std::string lines;  // what is printed to standard output
  };
  const std::vector<Case> cases = {
      {{}, true, 2, ""},
      {{out}, true, 2, ""},
      {{out, "--fit", "all", shots}, true, 2, ""},
      {{out, "--colour", shots}, true, 2, ""},
      {{out, "--tone", "contrast,sepia", shots}, true, 2, ""},
      {{out, "--name", "{name}/x.jpg", shots}, true, 2, ""},
      {{out, "--logo", "2", shots}, true, 2, ""},  // LOGO2 was never recorded
      {{out, "--logo=1", "--fit=fill", "--tone", "darken", "--", shots},
       true,
       0,
       "作成: " + out + "/IMG_9_listing.jpg\n作成: " + out + "/IMG_10_listing.jpg\n"},
      {{out, "--name", "p{name}", shots + "/IMG_9.jpg", bad},
       true,
       1,
       "作成: " + out + "/pIMG_9.jpg\n失敗: " + bad + ": JPEG ファイルではありません\n"},
      {{out, bad, f.folder.Path("none.jpg")},
       false,
       1,
       "failed: " + bad + ": not a photo file that opens (JPEG, HEIF)\nfailed: " +
           f.folder.Path("none.jpg") + ": cannot read the photo: No such file or directory\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream printed, errors;
    environment.japanese = c.japanese;
    EXPECT_EQ(RunBatchCommand(c.arguments, environment, printed, errors, f.cancel), c.status)
        << ::testing::PrintToString(c.arguments) << errors.str();
    EXPECT_EQ(printed.str(), c.lines) << ::testing::PrintToString(c.arguments);
    EXPECT_FALSE(errors.str().empty());
  }
}

}  // namespace
}  // namespace rumora
