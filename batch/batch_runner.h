#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_logo.h"
#include "batch/batch_recipe.h"

namespace rumora {

// Everything one batch needs: the photos in the order they are made, the recipe, the user's
// options, and the preset logo when the recipe asks for one (already read).
struct BatchJob {
  std::vector<std::string> photos;
  BatchRecipe recipe;
  BatchOptions options;
  std::optional<BatchLogo> logo;
};

// What became of one photo.
struct BatchPhotoResult {
  std::string photo;
  // The picture written, or empty when the photo failed.
  std::string written;
  // Why the photo failed, in Japanese and in English.
  std::string failure;
  std::string failureInEnglish;
  // Made, though parts of the photo were damaged or missing and filled in.
  bool lostData = false;

  bool Made() const { return !written.empty(); }
};

// Hears how a batch goes. Called from the batch's threads, one call at a time.
class BatchObserver {
 public:
  virtual ~BatchObserver() = default;
  // Work on photo `index` begins.
  virtual void PhotoStarted(std::size_t /*index*/) {}
  // Photo `index` is done (written or failed); called in the photos' order.
  virtual void PhotoDone(std::size_t index, const BatchPhotoResult& result) = 0;
};

// The number of photos worked on side by side: two on a machine of two cores or more, else one.
unsigned BatchWorkers();

// Makes the listing picture of every photo of `job`: each photo opened (upright and in sRGB as
// the options say), the tone steps applied, placed in the picture (PlaceInListing) and scaled
// (MakeListingPicture), the logo stamped, encoded at quality 90 and written into the recipe's
// folder under ListingFileName, never in place of a file: a taken name gets "-2", "-3" and so
// on, names given in the photos' order. A photo that fails is reported and the batch goes on.
// `workers` photos are worked on at a time while their memory (the photo, a working copy and the
// picture) fits in what the system can give; fewer otherwise. The bytes written are the same for
// any number of workers. Once `cancel` is set no further photo is begun; the photos under way
// are finished. Returns the results of the photos begun, in their order. Throws what stops the
// batch beyond any one photo (memory running out while the results are kept).
std::vector<BatchPhotoResult> RunBatch(const BatchJob& job, BatchObserver& observer,
                                       const std::atomic<bool>& cancel, unsigned workers);

}  // namespace rumora
