#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/files/atomic_write.h"
#include "platform/files/file_checks.h"
#include "platform/files/list_files.h"
#include "platform/files/read_file.h"
#include "tests/support/temp_folder_test.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

class FilesTest : public spindeck::testing::TempFolderTest {
 protected:
  size_t entriesInFolder() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(path("")), {}));
  }
};

TEST_F(FilesTest, AtomicWriteCreatesAndReplaces) {
  const fs::path file = path("dirs.txt");
  ASSERT_TRUE(WriteFileAtomically(file, std::string("a\0b\xFF", 4)));
  EXPECT_EQ(get(file), std::string("a\0b\xFF", 4));
  ::chmod(file.c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomically(file, ""));
  EXPECT_EQ(get(file), "");
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);  // the old file's permissions stay
  EXPECT_EQ(entriesInFolder(), 1u);       // no temporary file is left behind

  // A link is followed: the file it points at gets the new bytes, the link stays.
  fs::create_symlink(file, path("link.txt"));
  ASSERT_TRUE(WriteFileAtomically(path("link.txt"), "via link"));
  EXPECT_TRUE(fs::is_symlink(path("link.txt")));
  EXPECT_EQ(get(file), "via link");
}

TEST_F(FilesTest, FailedAtomicWriteLeavesOldFile) {
  EXPECT_FALSE(WriteFileAtomically(path("missing/dirs.txt"), "x"));
  EXPECT_FALSE(fs::exists(path("missing")));

  const fs::path file = path("locked.txt");
  put(file, "old");
  ::chmod(file.c_str(), 0444);
  EXPECT_FALSE(WriteFileAtomically(file, "new"));
  EXPECT_EQ(get(file), "old");

  fs::create_directory(path("sub"));
  EXPECT_FALSE(WriteFileAtomically(path("sub"), "x"));
  EXPECT_TRUE(fs::is_directory(path("sub")));
  EXPECT_FALSE(WriteFileAtomically(fs::path(), "x"));
  EXPECT_EQ(entriesInFolder(), 2u);
}

TEST_F(FilesTest, ReadTellsMissingFromUnreadable) {
  std::string bytes = "stale";
  EXPECT_EQ(ReadFileBytes(path("none"), bytes), FileRead::missing);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(ReadFileBytes(path("none/deeper"), bytes), FileRead::missing);
  fs::create_directory(path("sub"));
  EXPECT_EQ(ReadFileBytes(path("sub"), bytes), FileRead::failed);
  // A pipe with no writer would block a plain open; it is refused at once.
  ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
  EXPECT_EQ(ReadFileBytes(path("pipe"), bytes), FileRead::failed);
  const std::string big(200000, '\xE9');
  put(path("big"), big);
  EXPECT_EQ(ReadFileBytes(path("big"), bytes), FileRead::ok);
  EXPECT_EQ(bytes, big);
}

TEST_F(FilesTest, ListFilesMatchesAndSortsWithoutCase) {
  for (const char* name : {"b.mp3", "A.MP3", "a.mp3", "c.Mp3", "song.mp3.txt", "mp3", "Z.mp3"}) {
    put(path(name), "");
  }
  fs::create_directory(path("folder.mp3"));
  put(path("folder.mp3/inner.mp3"), "");
  const std::vector<std::string> expected{"A.MP3", "a.mp3", "b.mp3", "c.Mp3", "Z.mp3"};
  EXPECT_EQ(ListFiles(path(""), ".mp3"), expected);
  EXPECT_EQ(ListFiles(path(""), ".dll"), std::vector<std::string>{});
  EXPECT_EQ(ListFiles(path("missing"), ".mp3"), std::vector<std::string>{});
  EXPECT_EQ(ListFiles(path("b.mp3"), ".mp3"), std::vector<std::string>{});  // not a folder
  // Several extensions: each file once, in the same order, whichever extension it matched.
  put(path("B.flac"), "");
  put(path("a.mp3.flac"), "");
  const std::vector<std::string> both{"A.MP3", "a.mp3", "a.mp3.flac", "B.flac",
                                      "b.mp3", "c.Mp3", "Z.mp3"};
  EXPECT_EQ(ListFiles(path(""), std::vector<std::string>{".mp3", ".flac", ".mp3.flac"}), both);
}

TEST_F(FilesTest, ExistenceChecks) {
  put(path("f"), "");
  fs::create_directory(path("d"));
  EXPECT_TRUE(FileExists(path("f")));
  EXPECT_FALSE(FileExists(path("d")));
  EXPECT_TRUE(FolderExists(path("d")));
  EXPECT_FALSE(FolderExists(path("f")));
  EXPECT_FALSE(FileExists(path("none")));
  EXPECT_FALSE(FolderExists(path("none/x")));
}

}  // namespace
}  // namespace platform
