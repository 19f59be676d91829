#include "platform/profile/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/profile/profile_text.h"
#include "tests/support/temp_folder_test.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

class ProfileTest : public spindeck::testing::TempFolderTest {
 protected:
  // Reads with a buffer of the given size; returns the copied text, checks count and NUL.
  static std::string read(const fs::path& file, const char* section, const char* key,
                          unsigned long size = 750, const char* fallback = "") {
    std::string buffer(size, 'x');
    const unsigned long n =
        GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file.c_str());
    EXPECT_LT(n, size);
    EXPECT_EQ(buffer[n], '\0');
    return buffer.substr(0, n);
  }
};

TEST_F(ProfileTest, ReadsHandWrittenFile) {
  const fs::path file = path("config.dll");
  put(file,
      "; written by hand\r\n"
      "[other]\r\n"
      "id=not this one\r\n"
      "\r\n"
      "  [ Spin.Deck ]  \n"
      ";loads=9\n"
      "  id =  \"  dj bob  \"  \r\n"
      "Loads=12\n"
      "style='neon'\r\n"
      "empty=\r\n"
      "half=\"open\n"
      "eq=a=b\n"
      "[spin.deck]\n"
      "later=second section of the same name is not read\n");
  EXPECT_EQ(read(file, "spin.deck", "id"), "  dj bob  ");
  EXPECT_EQ(read(file, "SPIN.DECK", "loads"), "12");
  EXPECT_EQ(read(file, "spin.deck", "STYLE"), "neon");
  EXPECT_EQ(read(file, "spin.deck", "empty", 750, "fallback"), "");
  EXPECT_EQ(read(file, "spin.deck", "half"), "\"open");
  EXPECT_EQ(read(file, "spin.deck", "eq"), "a=b");
  EXPECT_EQ(read(file, "spin.deck", "later", 750, "none"), "none");
  EXPECT_EQ(read(file, "spin.deck", "missing", 750, "dflt  "), "dflt");
  EXPECT_EQ(read(file, "nowhere", "id"), "");
  EXPECT_EQ(read(path("absent.dll"), "spin.deck", "id", 750, "d"), "d");
}

TEST_F(ProfileTest, CutsToBufferAndPassesWindows1252Bytes) {
  const fs::path file = path("s.dll");
  const std::string longValue(800, 'v');
  put(file, "[caf\xC9]\r\nname=\xE1\x80\xFF\r\nlong=" + longValue + "\r\n");
  EXPECT_EQ(read(file, "caf\xE9", "NAME"), "\xE1\x80\xFF");  // É and é are the same letter
  EXPECT_EQ(read(file, "caf\xC9", "long"), std::string(749, 'v'));
  EXPECT_EQ(read(file, "caf\xC9", "long", 1), "");
  char untouched = 'u';
  EXPECT_EQ(GetPrivateProfileStringA("caf\xC9", "long", "", &untouched, 0, file.c_str()), 0u);
  EXPECT_EQ(untouched, 'u');
  EXPECT_EQ(GetPrivateProfileStringA("caf\xC9", "long", "", nullptr, 10, file.c_str()), 0u);
}

TEST_F(ProfileTest, WriteCreatesFileAndSection) {
  const fs::path file = path("config.dll");
  EXPECT_TRUE(WritePrivateProfileStringA("spin.deck", "LOADS", "3", file.c_str()));
  EXPECT_EQ(get(file), "[spin.deck]\r\nLOADS=3\r\n");
  EXPECT_TRUE(WritePrivateProfileStringA("default", "FASCII", "\xBB", file.c_str()));
  EXPECT_EQ(get(file), "[spin.deck]\r\nLOADS=3\r\n[default]\r\nFASCII=\xBB\r\n");
  EXPECT_EQ(read(file, "spin.deck", "loads"), "3");
}

TEST_F(ProfileTest, WriteKeepsEveryOtherLine) {
  const fs::path file = path("config.dll");
  const std::string head = "; comment\n[spin.deck]\nid=bob\n";
  const std::string tail = "style=neon\n\n[other]\r\nloads=7\r\n";
  put(file, head + "loads=1\n" + tail);
  EXPECT_TRUE(WritePrivateProfileStringA("SPIN.deck", "LOADS", "2", file.c_str()));
  EXPECT_EQ(get(file), head + "LOADS=2\n" + tail);

  // A new key goes after the section's last line, before the blank line that ends it, and
  // ends as the file's lines do.
  EXPECT_TRUE(WritePrivateProfileStringA("spin.deck", "NEW", " x ", file.c_str()));
  EXPECT_EQ(get(file), head + "LOADS=2\nstyle=neon\nNEW= x \n\n[other]\r\nloads=7\r\n");
  EXPECT_EQ(read(file, "other", "loads"), "7");
  EXPECT_EQ(read(file, "spin.deck", "new"), "x");
}

TEST_F(ProfileTest, WriteAfterLastLineWithoutLineEnd) {
  const fs::path file = path("a.dll");
  put(file, "[a]\r\nk=1");
  EXPECT_TRUE(WritePrivateProfileStringA("a", "J", "2", file.c_str()));
  EXPECT_EQ(get(file), "[a]\r\nk=1\r\nJ=2\r\n");
  put(file, "[a]");
  EXPECT_TRUE(WritePrivateProfileStringA("b", "K", "3", file.c_str()));
  EXPECT_EQ(get(file), "[a]\r\n[b]\r\nK=3\r\n");
}

TEST_F(ProfileTest, LinesEndingInLoneCarriageReturns) {
  const fs::path file = path("config.dll");
  put(file, "[spin.deck]\rid=bob\rloads=4\r\r[default]\rfascii=x");
  EXPECT_EQ(read(file, "spin.deck", "loads"), "4");
  EXPECT_EQ(read(file, "default", "fascii"), "x");
  EXPECT_TRUE(WritePrivateProfileStringA("spin.deck", "LOADS", "5", file.c_str()));
  EXPECT_TRUE(WritePrivateProfileStringA("spin.deck", "NEW", "1", file.c_str()));
  EXPECT_TRUE(WritePrivateProfileStringA("default", "FASCII", "y", file.c_str()));
  EXPECT_EQ(get(file), "[spin.deck]\rid=bob\rLOADS=5\rNEW=1\r\r[default]\rFASCII=y\r");
  // Mixed line ends: each line end is one, whatever its kind, and each line keeps its own.
  put(file, "[a]\r\nk=1\n\rj=2\r[b]\nk=3");
  EXPECT_EQ(read(file, "a", "j"), "2");
  EXPECT_TRUE(WritePrivateProfileStringA("a", "K", "0", file.c_str()));
  EXPECT_EQ(get(file), "[a]\r\nK=0\n\rj=2\r[b]\nk=3");
}

TEST_F(ProfileTest, WriteKeepsLinesAndNamesWhole) {
  const fs::path file = path("a.dll");
  // Line breaks in a value would start a new line of the file; they become blanks.
  EXPECT_TRUE(WritePrivateProfileStringA("s", "K", "one\r\n[evil]\nx=1", file.c_str()));
  EXPECT_EQ(get(file), "[s]\r\nK=one  [evil] x=1\r\n");
  // A style name may hold a closing bracket.
  EXPECT_TRUE(WritePrivateProfileStringA("a]b", "K", "v", file.c_str()));
  EXPECT_EQ(read(file, "a]b", "k"), "v");
}

TEST_F(ProfileTest, NullValueRemovesKeyAndNullKeyRemovesSection) {
  const fs::path file = path("a.dll");
  put(file, "[a]\r\nk=1\r\nj=2\r\n[b]\r\nk=3\r\n");
  EXPECT_TRUE(WritePrivateProfileStringA("A", "K", nullptr, file.c_str()));
  EXPECT_EQ(get(file), "[a]\r\nj=2\r\n[b]\r\nk=3\r\n");
  EXPECT_TRUE(WritePrivateProfileStringA("a", nullptr, nullptr, file.c_str()));
  EXPECT_EQ(get(file), "[b]\r\nk=3\r\n");
  EXPECT_TRUE(WritePrivateProfileStringA("x", nullptr, nullptr, path("none.dll").c_str()));
  EXPECT_FALSE(fs::exists(path("none.dll")));
}

TEST_F(ProfileTest, FailedWriteChangesNothing) {
  EXPECT_FALSE(WritePrivateProfileStringA("s", "K", "v", path("missing/a.dll").c_str()));
  EXPECT_FALSE(fs::exists(path("missing")));

  const fs::path file = path("locked.dll");
  put(file, "[s]\nK=old\n");
  ::chmod(file.c_str(), 0444);
  EXPECT_FALSE(WritePrivateProfileStringA("s", "K", "new", file.c_str()));
  EXPECT_EQ(get(file), "[s]\nK=old\n");

  // Something that exists but cannot be read is not replaced by a file of one key.
  fs::create_directory(path("folder.dll"));
  EXPECT_FALSE(WritePrivateProfileStringA("s", "K", "v", path("folder.dll").c_str()));
  EXPECT_TRUE(fs::is_directory(path("folder.dll")));
  EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "K", "v", file.c_str()));
}

TEST(ProfileText, InMemoryEditsReadBack) {
  std::string contents = "[x]\nA=1\n[y]\nA=2\n";
  contents = SetProfileValue(contents, "Y", "a", "3");
  EXPECT_EQ(contents, "[x]\nA=1\n[y]\na=3\n");
  EXPECT_EQ(FindProfileValue(contents, "x", "a"), "1");
  EXPECT_EQ(FindProfileValue(contents, "y", "A"), "3");
  EXPECT_EQ(FindProfileValue(contents, "z", "A"), std::nullopt);
  EXPECT_EQ(FindProfileValue("", "x", "a"), std::nullopt);
  EXPECT_EQ(FindProfileValue("[x]\n\"\"=''\n", "x", "\"\""), "");
}

}  // namespace
}  // namespace platform
