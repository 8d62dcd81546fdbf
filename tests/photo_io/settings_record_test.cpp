#include "photo_io/settings_record.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>

#include "imaging/error.h"
#include "photo_io/atomic_file.h"
#include "tests/photo_io/test_support.h"

namespace rumora {
namespace {

using testing::FileBytes;
using testing::TempFolder;
using testing::WriteBytes;

// The names in `folder`, sorted.
std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A file image in which every byte differs from its neighbours, so misplaced copies show.
std::vector<std::uint8_t> Pattern(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return bytes;
}

TEST(SettingsRecord, FieldsLieAtTheirOffsetsAndTouchNothingElse) {
  SettingsRecord record;
  record.SetLogoSlot(1, {0x01020304, -2, 100});
  record.SetLogoSlot(2, {5, 6, 7});
  record.SetLogoSlot(3, {-300, 450, 0x7FFFFFFF});
  record.SetPhotoFolder("C:\\A\\");
  record.SetSaveFolder("D:\\");

  std::array<std::uint8_t, 736> expected{};
  const std::uint8_t slots[36] = {0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF, 100,
                                  0,    0,    0,    5,    0,    0,    0,    6,    0,
                                  0,    0,    7,    0,    0,    0,    0xD4, 0xFE, 0xFF,
                                  0xFF, 0xC2, 0x01, 0,    0,    0xFF, 0xFF, 0xFF, 0x7F};
  std::copy(std::begin(slots), std::end(slots), expected.begin() + 4);
  expected[88] = 5;
  std::copy_n("C:\\A\\", 5, expected.begin() + 89);
  expected[217] = 3;
  std::copy_n("D:\\", 3, expected.begin() + 218);
  EXPECT_EQ(record.Bytes(), expected);

  EXPECT_EQ(record.GetLogoSlot(1), (LogoSlot{0x01020304, -2, 100}));
  EXPECT_EQ(record.GetLogoSlot(3), (LogoSlot{-300, 450, 0x7FFFFFFF}));
  EXPECT_EQ(record.PhotoFolder(), "C:\\A\\");
  EXPECT_EQ(record.SaveFolder(), "D:\\");
}

TEST(SettingsRecord, LogoSlotNumbersOutsideOneToThreeAreRefused) {
  SettingsRecord record;
  EXPECT_THROW(record.GetLogoSlot(0), Error);
  EXPECT_THROW(record.SetLogoSlot(4, {}), Error);
  EXPECT_EQ(record.Bytes(), SettingsRecord::Image{});
}

TEST(SettingsRecord, NewValueWritesOnlyItsOwnBytesAndIsCutTo128) {
  SettingsRecord record;
  const std::string long_folder(200, 'a');
  record.SetPhotoFolder(long_folder);
  EXPECT_EQ(record.Bytes()[88], 128);
  EXPECT_EQ(record.PhotoFolder(), std::string(128, 'a'));
  EXPECT_EQ(record.Bytes()[217], 0) << "the cut must not spill into the next field";

  record.SetPhotoFolder("xy");
  EXPECT_EQ(record.PhotoFolder(), "xy");
  EXPECT_EQ(record.Bytes()[88], 2);
  for (std::size_t i = 91; i < 217; ++i) ASSERT_EQ(record.Bytes()[i], 'a') << "byte " << i;
}

TEST(SettingsRecord, DamagedLengthByteReadsAsTheCapacity) {
  SettingsRecord record;
  record.Bytes()[217] = 255;
  EXPECT_EQ(record.SaveFolder().size(), 128u);
}

// A settings file of `size` pattern bytes in a fresh folder.
class SettingsRecordFile : public ::testing::Test {
 protected:
  std::vector<std::uint8_t> PutFile(std::size_t size) {
    std::vector<std::uint8_t> bytes = Pattern(size);
    WriteBytes(path_, bytes);
    return bytes;
  }

  TempFolder folder_;
  const std::string path_ = folder_.Path(kSettingsFileName);
};

TEST_F(SettingsRecordFile, ReservedBytesPassThroughUnchanged) {
  const std::vector<std::uint8_t> original = PutFile(736);
  SettingsRecord record;
  ReadSettingsRecordFile(path_, record);
  EXPECT_EQ(record.Reserved(), static_cast<std::int32_t>(0x18110A03));
  record.SetPhotoFolder("/photos/");
  WriteSettingsRecordFile(path_, record);

  std::vector<std::uint8_t> expected = original;
  expected[88] = 8;
  std::copy_n("/photos/", 8, expected.begin() + 89);
  EXPECT_EQ(FileBytes(path_), expected);
}

TEST_F(SettingsRecordFile, ShortFileOverwritesOnlyTheRecordsStart) {
  const std::vector<std::uint8_t> file = PutFile(100);
  SettingsRecord record;
  record.SetPhotoFolder(std::string(40, 'p'));
  record.SetSaveFolder("/saved/");
  const SettingsRecord::Image before = record.Bytes();
  ReadSettingsRecordFile(path_, record);

  for (std::size_t i = 0; i < 736; ++i) {
    ASSERT_EQ(record.Bytes()[i], i < 100 ? file[i] : before[i]) << "byte " << i;
  }
  // Byte 88 came from the file, so does the folder's start; its tail is the old memory.
  EXPECT_EQ(record.Bytes()[88], file[88]);
  EXPECT_EQ(record.SaveFolder(), "/saved/");
}

TEST_F(SettingsRecordFile, LongFileIsReadToItsFirst736BytesAndRewrittenAs736) {
  const std::vector<std::uint8_t> file = PutFile(1000);
  SettingsRecord record;
  ReadSettingsRecordFile(path_, record);
  record.SetLogoSlot(2, {10, 20, 30});
  WriteSettingsRecordFile(path_, record);

  const std::vector<std::uint8_t> written = FileBytes(path_);
  ASSERT_EQ(written.size(), 736u);
  for (std::size_t i = 0; i < 736; ++i) {
    if (i >= 16 && i < 28) continue;  // slot 2
    ASSERT_EQ(written[i], file[i]) << "byte " << i;
  }
  EXPECT_EQ(written[16], 10);
  EXPECT_EQ(written[24], 30);
}

// The system's reason a write of a record to `path` fails (its errno), or 0 when it succeeds.
int WriteFailure(const std::string& path) {
  return testing::ErrorOf([&] { WriteSettingsRecordFile(path, SettingsRecord{}); }).code;
}

TEST_F(SettingsRecordFile, WriteIntoAFolderThatIsAFileFails) {
  const std::string not_a_folder = folder_.Path("plain");
  WriteBytes(not_a_folder, {1, 2, 3});
  EXPECT_EQ(WriteFailure(not_a_folder + "/" + kSettingsFileName), ENOTDIR);
  EXPECT_EQ(FileBytes(not_a_folder), (std::vector<std::uint8_t>{1, 2, 3}));
}

// A write that fails part-way (here the file-size limit, which binds even root) must leave the
// old file whole and no temporary file behind.
TEST_F(SettingsRecordFile, FailedWriteKeepsTheOldFileWhole) {
  const std::vector<std::uint8_t> old_file = PutFile(736);

  SettingsRecord record;
  record.SetPhotoFolder("/new/");
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string failure =
      testing::ErrorOf([&] { WriteSettingsRecordFile(path_, record); }).message;
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_NE(failure, "");
  EXPECT_EQ(FileBytes(path_), old_file);
  EXPECT_EQ(NamesIn(folder_.Root()), std::vector<std::string>{kSettingsFileName});
}

// A record missing, a folder or a named pipe (which would block start-up and every preset
// operation for ever) is refused at once and leaves the record; a pipe is not replaced by a
// plain file either.
TEST_F(SettingsRecordFile, MissingFoldersAndPipesAreRefusedAndLeaveTheRecord) {
  SettingsRecord record;
  record.SetSaveFolder("/kept/");
  const SettingsRecord::Image before = record.Bytes();
  EXPECT_THROW(ReadSettingsRecordFile(path_, record), Error);                    // not there yet
  EXPECT_THROW(ReadSettingsRecordFile(folder_.Root().string(), record), Error);  // a folder
  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  EXPECT_THROW(ReadSettingsRecordFile(path_, record), Error);
  EXPECT_EQ(record.Bytes(), before);
  EXPECT_EQ(WriteFailure(path_), EINVAL);
  EXPECT_TRUE(std::filesystem::is_fifo(path_));
}

// A record kept elsewhere and linked in (relatively, absolutely, through a second link) is
// replaced where it lies, a longer file by exactly the record; the links stay links and no
// temporary file is left in either folder.
TEST_F(SettingsRecordFile, WritesThroughSymbolicLinksToTheirTarget) {
  namespace fs = std::filesystem;
  fs::create_directory(folder_.Path("kept"));
  const std::string real = folder_.Path("kept/record.dat");
  for (const std::string& link_text : {std::string("kept/record.dat"), real, std::string("hop")}) {
    SCOPED_TRACE(link_text);
    fs::remove(path_);
    fs::remove(folder_.Path("hop"));
    WriteBytes(real, Pattern(1000));
    fs::create_symlink("kept/record.dat", folder_.Path("hop"));
    fs::create_symlink(link_text, path_);
    SettingsRecord record;
    record.SetSaveFolder("/new/");
    WriteSettingsRecordFile(path_, record);
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(FileBytes(real),
              std::vector<std::uint8_t>(record.Bytes().begin(), record.Bytes().end()));
    EXPECT_EQ(NamesIn(folder_.Path("kept")), std::vector<std::string>{"record.dat"});
    EXPECT_EQ(NamesIn(folder_.Root()),
              (std::vector<std::string>{"hop", "kept", kSettingsFileName}));
  }
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// The record keeps the mode the user gave it; one made read-only (to freeze the recorded logo
// places) is not replaced, even for a user the system would let write it.
TEST_F(SettingsRecordFile, KeepsItsModeAndARecordMadeReadOnlyIsNotReplaced) {
  for (const mode_t mode : {mode_t{0640}, mode_t{0604}, mode_t{0444}, mode_t{0400}}) {
    const std::vector<std::uint8_t> old_file = PutFile(736);
    ASSERT_EQ(::chmod(path_.c_str(), mode), 0);
    SettingsRecord record;
    record.SetPhotoFolder("/new/");
    const bool writable = (mode & 0200) != 0;
    if (writable) {
      EXPECT_NO_THROW(WriteSettingsRecordFile(path_, record)) << std::oct << mode;
      EXPECT_EQ(FileBytes(path_)[88], 5) << std::oct << mode;
    } else {
      EXPECT_EQ(WriteFailure(path_), EACCES) << std::oct << mode;
      EXPECT_EQ(FileBytes(path_), old_file) << std::oct << mode;
    }
    EXPECT_EQ(ModeOf(path_), mode) << "expected mode " << std::oct << mode;
    ::chmod(path_.c_str(), 0600);
  }
}

// A new file gets the mode the umask allows, as any other new file; its temporary name is short,
// so a name at the system's limit is written too, and none is left behind.
TEST(AtomicFile, NewFileHasTheUsualModeWhateverTheLengthOfItsName) {
  TempFolder folder;
  const std::string path = folder.Path(std::string(251, 'n') + ".jpg");  // 255 bytes
  for (const mode_t mask : {mode_t{022}, mode_t{077}}) {
    std::filesystem::remove(path);
    const mode_t saved = ::umask(mask);
    const int failure = WriteFailure(path);
    ::umask(saved);
    EXPECT_EQ(failure, 0);
    EXPECT_EQ(ModeOf(path), 0666 & ~mask) << std::oct << mask;
    EXPECT_EQ(NamesIn(folder.Root()).size(), 1u);
  }
}

// Creating leaves a file that has the name already: a second start of the program that makes the
// same record at the same moment keeps the first one's.
TEST(AtomicFile, CreatingLeavesAFileThatIsThere) {
  TempFolder folder;
  EXPECT_TRUE(CreateFileAtomically(folder.Path("r.dat"), Pattern(736)));
  EXPECT_FALSE(CreateFileAtomically(folder.Path("r.dat"), Pattern(10)));
  EXPECT_EQ(FileBytes(folder.Path("r.dat")), Pattern(736));
  EXPECT_EQ(NamesIn(folder.Root()), std::vector<std::string>{"r.dat"});
  EXPECT_THROW(CreateFileAtomically(folder.Path("none/r.dat"), Pattern(736)), Error);
}

// Reading trusts no reported size (files under /proc report 0 yet have content) and refuses
// files over the limit, and what is not a plain file: a pipe named like a photo would block a
// reading program for ever.
TEST(AtomicFile, ReadWholeFileReadsWhatIsThereWithinTheLimit) {
  TempFolder folder;
  const std::string path = folder.Path("ten.bin"), fifo = folder.Path("photo.jpg");
  WriteBytes(path, std::vector<std::uint8_t>(10, 1));
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::vector<std::uint8_t> status = ReadWholeFile("/proc/self/status");
  EXPECT_NE(std::string(status.begin(), status.end()).find("VmHWM"), std::string::npos);
  EXPECT_EQ(ReadWholeFile(path, 10).size(), 10u);
  EXPECT_EQ(ReadFileStart(path, 4), std::vector<std::uint8_t>(4, 1));
  EXPECT_EQ(ReadFileStart(path, 736).size(), 10u);
  EXPECT_THROW(ReadWholeFile(path, 9), Error);
  EXPECT_THROW(ReadWholeFile("/proc/self/status", 16), Error);
  for (const std::string& refused : {fifo, std::string("/dev/zero")}) {
    EXPECT_THROW(ReadWholeFile(refused), Error) << refused;
    EXPECT_THROW(ReadFileStart(refused, 736), Error) << refused;
  }
}

}  // namespace
}  // namespace rumora
