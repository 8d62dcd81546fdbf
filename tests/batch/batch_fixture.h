#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "batch/batch_runner.h"
#include "photo_io/jpeg_writer.h"
#include "tests/synthetic_photos.h"
#include "tests/test_helpers.h"

namespace rumora::testing {

// The preset logo the tests stamp: the shipped LOGO1 at a recorded place and weight.
inline const LogoSlot kTestSlot{20, 300, 60};
inline std::string PresetLogoPath() { return RUMORA_SOURCE_DIR "/logo_design/logo1.bmp"; }

// Photos written as JPEG files into a fresh folder, and a batch over them.
struct BatchFixture {
  // Writes a random photo of that size as `name` and returns its path.
  std::string Photo(const std::string& name, int width, int height) {
    const std::string path = folder.Path(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteBytes(path, EncodeJpeg(RandomPhoto(width, height, static_cast<unsigned>(width)), 90));
    return path;
  }

  // Runs `job` into `output` (made first) with `workers` threads; records the order of the
  // results told.
  std::vector<BatchPhotoResult> Run(BatchJob job, const std::string& output, unsigned workers = 2) {
    std::filesystem::create_directories(output);
    job.recipe.outputFolder = output;
    Observer observer(*this);
    return RunBatch(job, observer, cancel, workers);
  }

  struct Observer final : BatchObserver {
    explicit Observer(BatchFixture& f) : fixture(f) {}
    void PhotoDone(std::size_t index, const BatchPhotoResult&) override {
      fixture.told.push_back(index);
      if (index + 1 == fixture.cancelAfter) fixture.cancel = true;
    }
    BatchFixture& fixture;
  };

  TempFolder folder;
  std::atomic<bool> cancel{false};
  std::size_t cancelAfter = 0;  // set cancel once this many photos are done
  std::vector<std::size_t> told;
};

}  // namespace rumora::testing
