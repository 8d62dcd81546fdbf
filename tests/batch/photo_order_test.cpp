#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "batch/natural_order.h"
#include "batch/photo_folder.h"
#include "tests/test_helpers.h"

namespace rumora {
namespace {

namespace fs = std::filesystem;

TEST(NaturalOrder, SortsNamesAsAPersonWould) {
  std::vector<std::string> sorted;
  std::istringstream names(
      "a.jpg A1.jpg a01.jpg a1.jpg a2.jpg a10.jpg b.jpg IMG_9.jpg img_9.jpg IMG_10.jpg "
      "IMG_010x.jpg IMG_99999999999999999999.jpg IMG_100000000000000000000.jpg 写真.jpg");
  for (std::string name; names >> name;) sorted.push_back(name);
  ASSERT_EQ(sorted.size(), 14u);
  std::vector<std::string> shuffled = sorted;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
  std::sort(shuffled.begin(), shuffled.end(),
            [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
  EXPECT_EQ(shuffled, sorted);
  for (const std::string& name : sorted) EXPECT_FALSE(NaturalLess(name, name)) << name;
}

TEST(PhotoFolder, ListsTheDialogsPhotosInOrderAndStopsAtTheEnds) {
  const testing::TempFolder scratch;
  const fs::path& folder = scratch.Root();
  fs::create_directories(folder / "sub.jpg");
  for (const char* name : {"IMG_10.JPG", "IMG_9.jpg", "IMG_2.jpeg", "scan.jfif", "x.jpe",
                           "notes.txt", ".hidden.jpg", "jpg", "IMG_3.png"}) {
    std::ofstream(folder / name) << "x";
  }
  std::vector<std::string> names;
  const std::vector<std::string> photos = PhotosInFolder(folder.string());
  for (const std::string& p : photos) names.push_back(fs::path(p).filename().string());
  EXPECT_EQ(names, (std::vector<std::string>{"IMG_2.jpeg", "IMG_9.jpg", "IMG_10.JPG", "scan.jfif",
                                             "x.jpe"}));

  const auto at = [&](const char* name) { return (folder / name).string(); };
  struct Step {
    const char* current;
    bool forward;
    const char* expected;  // nullptr: the folder's end
  };
  for (const Step& step :
       {Step{"IMG_9.jpg", true, "IMG_10.JPG"}, Step{"IMG_9.jpg", false, "IMG_2.jpeg"},
        Step{"x.jpe", true, nullptr}, Step{"IMG_2.jpeg", false, nullptr},
        // A photo removed meanwhile still has its place in the order.
        Step{"IMG_5.jpg", true, "IMG_9.jpg"}, Step{"IMG_5.jpg", false, "IMG_2.jpeg"}}) {
    const auto neighbour = NeighbourPhoto(photos, at(step.current), step.forward);
    if (step.expected) {
      EXPECT_EQ(neighbour, at(step.expected)) << step.current << " " << step.forward;
    } else {
      EXPECT_EQ(neighbour, std::nullopt) << step.current << " " << step.forward;
    }
  }
  EXPECT_THROW(PhotosInFolder((folder / "missing").string()), std::exception);
}

}  // namespace
}  // namespace rumora
