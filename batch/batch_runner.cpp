#include "batch/batch_runner.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <limits>
#include <map>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "batch/listing_picture.h"
#include "batch/memory_gate.h"
#include "batch/numbered_name.h"
#include "imaging/available_memory.h"
#include "imaging/error.h"
#include "imaging/progress.h"
#include "photo_io/atomic_file.h"
#include "photo_io/jpeg_writer.h"
#include "photo_io/photo_reader.h"

namespace rumora {
namespace {

// The picture of one photo, ready to be written.
struct MadePicture {
  std::vector<std::uint8_t> jpeg;
  bool lostData = false;
};

enum class Stage { kOpen, kMake, kWrite };

// Whether the file starts as a photo that opens does: a JPEG's first marker, or the box of an
// ISO media file (HEIF).
bool LooksLikeAPhoto(const std::string& path) {
  try {
    const std::vector<std::uint8_t> start = ReadFileStart(path, 8);
    const bool jpeg = start.size() >= 3 && start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF;
    return jpeg || (start.size() == 8 && std::equal(start.begin() + 4, start.end(), "ftyp"));
  } catch (const std::exception&) {
    return false;
  }
}

// The failure of `stage` on `photo`, in Japanese and English, from the exception in flight.
void DescribeFailure(Stage stage, const std::string& photo, BatchPhotoResult& result) {
  int code = 0;
  try {
    throw;
  } catch (const std::bad_alloc&) {
    result.failure = "メモリが不足しています";
    result.failureInEnglish = "not enough memory";
    return;
  } catch (const Error& e) {
    result.failure = e.what();
    code = e.SystemCode();
  } catch (const std::exception& e) {
    result.failure = e.what();
  }
  const std::string reason = code != 0 ? std::string(": ") + std::strerror(code) : "";
  switch (stage) {
    case Stage::kOpen:
      if (code != 0) {
        result.failureInEnglish = "cannot read the photo" + reason;
      } else if (!LooksLikeAPhoto(photo)) {
        result.failureInEnglish = "not a photo file that opens (JPEG, HEIF)";
      } else {
        result.failureInEnglish = "the photo is damaged, too large or of a kind that does not open";
      }
      return;
    case Stage::kMake:
      result.failureInEnglish = "the listing picture cannot be made";
      return;
    case Stage::kWrite:
      result.failureInEnglish = "cannot write the listing picture" + reason;
      return;
  }
}

class Batch {
 public:
  Batch(const BatchJob& job, BatchObserver& observer, const std::atomic<bool>& cancel)
      : job_(job),
        observer_(observer),
        cancel_(cancel),
        tones_(RecipeToneTable(job.recipe)),
        gate_(static_cast<std::int64_t>(
            std::min<std::size_t>(AvailableMemory(), std::numeric_limits<std::int64_t>::max()))) {}

  // Each photo's own failures are its result; anything else (no memory left to keep the
  // results) stops every thread's batch and is kept for RunBatch to throw.
  void Work() noexcept {
    try {
      for (;;) {
        if (cancel_.load() || stopped_.load()) return;
        const std::size_t index = next_.fetch_add(1);
        if (index >= job_.photos.size()) return;
        observer_.PhotoStarted(index);
        BatchPhotoResult result;
        result.photo = job_.photos[index];
        std::optional<MadePicture> made = Make(result);
        Finish(index, std::move(result), std::move(made));
      }
    } catch (...) {
      const std::lock_guard lock(mutex_);
      if (!stoppedBy_) stoppedBy_ = std::current_exception();
      stopped_ = true;
    }
  }

  std::exception_ptr StoppedBy() const { return stoppedBy_; }

  std::vector<BatchPhotoResult> Results() {
    std::vector<BatchPhotoResult> results;
    for (auto& [index, result] : done_) results.push_back(std::move(result));
    return results;
  }

 private:
  std::optional<MadePicture> Make(BatchPhotoResult& result) {
    Stage stage = Stage::kOpen;
    try {
      PhotoReader reader({.followOrientation = job_.options.followOrientation,
                          .matchColours = job_.options.matchColours});
      reader.Open(result.photo);
      // The photo, a working copy (a turn's buffer) and the picture.
      const std::int64_t photoBytes = std::int64_t{reader.Width()} * reader.Height() * 3;
      const BatchRecipe& recipe = job_.recipe;
      const OutputSize size = recipe.size;
      const MemoryHold hold(
          gate_, 2 * photoBytes + std::int64_t{OutputWidth(size)} * OutputHeight(size) * 3);
      PhotoReadNotes notes;
      Bitmap photo = reader.Decode(nullptr, &notes);
      stage = Stage::kMake;
      if (HasToneSteps(recipe)) {
        NoProgress progress;
        ApplyToneTable(photo, tones_, progress, [] {});
      }
      Bitmap picture = MakeListingPicture(photo, OutputWidth(size), OutputHeight(size), recipe.fit,
                                          job_.options.scaling);
      photo = Bitmap();
      if (job_.logo) StampBatchLogo(picture, *job_.logo, size);
      return MadePicture{EncodeJpeg(picture, 90), notes.lostData};
    } catch (...) {
      DescribeFailure(stage, result.photo, result);
      return std::nullopt;
    }
  }

  // Pictures are written, and results told, in the photos' order, so that a name taken twice
  // goes to the earlier photo whatever finishes first.
  void Finish(std::size_t index, BatchPhotoResult result, std::optional<MadePicture> made) {
    const std::lock_guard lock(mutex_);
    ready_.emplace(index, std::make_pair(std::move(result), std::move(made)));
    for (auto at = ready_.find(written_); at != ready_.end(); at = ready_.find(written_)) {
      auto& [next, picture] = at->second;
      if (picture) Write(next, *picture);
      observer_.PhotoDone(written_, next);
      done_.emplace(written_, std::move(next));
      ready_.erase(at);
      ++written_;
    }
  }

  void Write(BatchPhotoResult& result, const MadePicture& picture) {
    std::string folder = job_.recipe.outputFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const std::string name = ListingFileName(job_.recipe.namePattern, result.photo);
    if (name.empty()) {
      result.failure = "名前のパターンからファイル名ができません";
      result.failureInEnglish = "the name pattern gives no file name";
      return;
    }
    // A folder that cannot be looked into has every name free: the write then says why.
    const auto taken = [](const std::string& path) {
      struct stat info {};
      return ::lstat(path.c_str(), &info) == 0;
    };
    // A file that appears between the look and the write is not replaced: the next name is.
    try {
      for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = folder + UnusedName(folder, name, taken);
        if (CreateFileAtomically(path, picture.jpeg)) {
          result.written = path;
          result.lostData = picture.lostData;
          return;
        }
      }
      throw Error("ファイル名が次々にふさがります: " + folder + name, EEXIST);
    } catch (...) {
      DescribeFailure(Stage::kWrite, result.photo, result);
    }
  }

  const BatchJob& job_;
  BatchObserver& observer_;
  const std::atomic<bool>& cancel_;
  const ToneTable tones_;
  MemoryGate gate_;
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> stopped_{false};
  std::exception_ptr stoppedBy_;
  std::mutex mutex_;  // guards what follows, and the observer's PhotoDone
  std::map<std::size_t, std::pair<BatchPhotoResult, std::optional<MadePicture>>> ready_;
  std::map<std::size_t, BatchPhotoResult> done_;
  std::size_t written_ = 0;
};

}  // namespace

unsigned BatchWorkers() { return std::clamp(std::thread::hardware_concurrency(), 1u, 2u); }

std::vector<BatchPhotoResult> RunBatch(const BatchJob& job, BatchObserver& observer,
                                       const std::atomic<bool>& cancel, unsigned workers) {
  Batch batch(job, observer, cancel);
  {
    std::vector<std::jthread> helpers;
    try {
      for (unsigned n = 1; n < workers; ++n) helpers.emplace_back([&] { batch.Work(); });
    } catch (const std::system_error&) {
      // Fewer threads than asked: the photos are the same, only slower.
    }
    batch.Work();
  }
  if (batch.StoppedBy()) std::rethrow_exception(batch.StoppedBy());
  return batch.Results();
}

}  // namespace rumora
