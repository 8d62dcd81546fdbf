#include "photo_io/photo_reader.h"

#include <gtest/gtest.h>

#include "imaging/error.h"
#include "imaging/upright_turn.h"
#include "photo_io/jpeg_reader.h"
#include "tests/photo_io/exif_segment.h"
#include "tests/photo_io/test_support.h"

namespace rumora {
namespace {

TEST(PhotoFileNames, MatchThePatternsInAnyCase) {
  const struct {
    const char* name;
    bool photo;
  } kNames[] = {{"a.jpg", true},  {"/x/B.JPG", true},   {"c.JpEg", true}, {"d.jpe", true},
                {"e.JFIF", true}, {"f.jpg.bmp", false}, {"jpg", false},   {".jpgx", false},
                {"g.png", false}, {"/x.jpg/h", false}};
  for (const auto& [name, photo] : kNames) EXPECT_EQ(IsPhotoFileName(name), photo) << name;
}

// The reader turns the decoded photo upright only when asked, and says beforehand whether it will.
TEST(PhotoReader, TurnsUprightAsTheOptionSays) {
  testing::TempFolder folder;
  const std::string path = folder.Path("turned.jpg");
  testing::WriteBytes(path,
                      testing::WithApp1(testing::FileBytes(testing::TestPhoto("testorig.jpg")),
                                        testing::ExifSegment(6, false)));
  const Bitmap stored = DecodeJpeg(testing::FileBytes(path));
  Bitmap upright = stored;
  NoProgress progress;
  TurnUpright(upright, 6, progress);
  for (const bool follow : {false, true}) {
    PhotoReader reader(PhotoReadOptions{.followOrientation = follow});
    reader.Open(path);
    EXPECT_EQ(reader.Width(), stored.Width());
    EXPECT_EQ(reader.TurnsAfterDecoding(), follow);
    PhotoReadNotes notes{.lostData = true};
    EXPECT_EQ(testing::PixelDifference(reader.Decode(nullptr, &notes), follow ? upright : stored),
              "");
    EXPECT_FALSE(notes.lostData);
    EXPECT_THROW(reader.Decode(), Error);
    EXPECT_EQ(testing::PixelDifference(ReadPhotoFile(path, {.followOrientation = follow}),
                                       follow ? upright : stored),
              "");
  }
}

}  // namespace
}  // namespace rumora
