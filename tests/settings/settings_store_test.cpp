#include "src/settings/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "src/state/runtime_state.h"
#include "src/settings/list_format.h"
#include "src/settings/program_files.h"
#include "tests/support/temp_folder_test.h"

namespace spindeck {
namespace {

namespace fs = std::filesystem;
using Entries = std::vector<std::string>;

class SettingsStoreTest : public spindeck::testing::TempFolderTest {
 protected:
  static Entries load(const fs::path& file) {
    StateList list;
    LoadList(file, list);
    return list.entries();
  }
};

TEST_F(SettingsStoreTest, ReadIniOfHandWrittenFile) {
  const fs::path file = path("config.dll");
  put(file,
      "[spin.deck]\r\n"
      "id = \"dj bob \" \r\n"
      "style=\n"
      "LOADS=12\n"
      "long=" +
          std::string(800, 'a') + "\n");
  EXPECT_EQ(ReadIni("spin.deck", "ID", file), "dj bob ");
  EXPECT_EQ(ReadIni("spin.deck", "loads", file), "12");
  EXPECT_EQ(ReadIni("spin.deck", "style", file), "");
  EXPECT_EQ(ReadIni("spin.deck", "absent", file), "");
  EXPECT_EQ(ReadIni("spin.deck", "id", path("absent.dll")), "");
  EXPECT_EQ(ReadIni("spin.deck", "long", file), std::string(749, 'a'));
}

TEST_F(SettingsStoreTest, WriteIniCreatesSettingsFileWithUpperCaseKey) {
  const fs::path file = path("config.dll");
  WriteIni("spin.deck", "loads", "3", file);
  EXPECT_EQ(get(file), "[spin.deck]\r\nLOADS=3\r\n");
  EXPECT_EQ(ReadIni("spin.deck", "LOADS", file), "3");
  EXPECT_EQ(ReadIni("spin.deck", "loads", file), "3");
  WriteIni("spin.deck", "loads", "4", file);
  WriteIni("spin.deck", "id", "\xC9lise", file);
  EXPECT_EQ(get(file), "[spin.deck]\r\nLOADS=4\r\nID=\xC9lise\r\n");

  WriteIni("default", "fascii", "x", path("styles/default.dll"));  // no such folder: silent
  EXPECT_FALSE(fs::exists(path("styles")));
}

TEST_F(SettingsStoreTest, LoadListSplitsAtCommasUnlessQuoted) {
  put(path("dirs.txt"), "C:\\mp3\r\nD:\\music, old\r\n");
  EXPECT_EQ(load(path("dirs.txt")), (Entries{"C:\\mp3", "D:\\music", "old"}));
  put(path("dirs.txt"), "  \"D:\\music, old\"\r\n");
  EXPECT_EQ(load(path("dirs.txt")), (Entries{"D:\\music, old"}));
  put(path("dirs.txt"), "");
  EXPECT_EQ(load(path("dirs.txt")), Entries{});
  EXPECT_EQ(load(path("absent.txt")), Entries{});

  // Entries are appended to what the list holds already.
  StateList list;
  list.append("kept");
  put(path("dirs.txt"), "a\n\nb");
  LoadList(path("dirs.txt"), list);
  EXPECT_EQ(list.entries(), (Entries{"kept", "a", "", "b"}));
}

TEST_F(SettingsStoreTest, LoadListLetsEventsRunBetweenEntries) {
  put(path("dirs.txt"), "a\r\nb\r\nc\r\n");
  StateList list;
  int seen = -1;
  QTimer::singleShot(0, [&] { seen = list.count(); });
  LoadList(path("dirs.txt"), list);
  EXPECT_EQ(list.count(), 3);
  EXPECT_GE(seen, 0);  // the event ran inside the load, with the list partly filled
  EXPECT_LT(seen, 3);
}

TEST_F(SettingsStoreTest, SaveListWritesPlainEntriesUnchanged) {
  StateList list;
  SaveList(path("dirs.txt"), list);
  EXPECT_TRUE(fs::exists(path("dirs.txt")));
  EXPECT_EQ(get(path("dirs.txt")), "");
  list.append("C:\\mp3");
  list.append("");
  list.append("D:\\m\xFAsica ");
  SaveList(path("dirs.txt"), list);
  EXPECT_EQ(get(path("dirs.txt")), "C:\\mp3\r\n\r\nD:\\m\xFAsica \r\n");
  EXPECT_EQ(load(path("dirs.txt")), list.entries());
}

TEST_F(SettingsStoreTest, SaveListRoundTripKeepsAwkwardEntriesWhole) {
  const Entries awkward{"D:\\music, old", "say \"hi\"",  " leading blank", "\tleading tab", "\"",
                        "two\r\nlines",   "caf\xE9,\x80"};
  StateList list;
  for (const auto& entry : awkward) list.append(entry);
  SaveList(path("dirs.txt"), list);
  const std::string quotedStart = "\"D:\\music, old\"\r\n\"say \"\"hi\"\"\"\r\n\" leading";
  EXPECT_EQ(get(path("dirs.txt")).substr(0, quotedStart.size()), quotedStart);
  EXPECT_EQ(load(path("dirs.txt")), awkward);
}

TEST_F(SettingsStoreTest, FailedSaveLeavesOldFile) {
  put(path("dirs.txt"), "old\r\n");
  ::chmod(path("dirs.txt").c_str(), 0444);
  StateList list;
  list.append("new");
  SaveList(path("dirs.txt"), list);
  EXPECT_EQ(get(path("dirs.txt")), "old\r\n");
  SaveList(path("missing/dirs.txt"), list);
  EXPECT_FALSE(fs::exists(path("missing")));
}

TEST(ListFormat, FieldRules) {
  EXPECT_EQ(ParseListEntries("a\nb\rc\r\nd"), (Entries{"a", "b", "c", "d"}));
  EXPECT_EQ(ParseListEntries("a,\r\n"), (Entries{"a", ""}));
  EXPECT_EQ(ParseListEntries("a,"), (Entries{"a", ""}));
  EXPECT_EQ(ParseListEntries("   \r\n"), (Entries{""}));
  EXPECT_EQ(ParseListEntries("\r\n\r\n"), (Entries{"", ""}));
  EXPECT_EQ(ParseListEntries("x ,  y "), (Entries{"x ", "y "}));
  EXPECT_EQ(ParseListEntries("\"a\" junk,b\n"), (Entries{"a", "b"}));
  EXPECT_EQ(ParseListEntries("\"a\nb\"\nc"), (Entries{"a\nb", "c"}));
  EXPECT_EQ(ParseListEntries("\"never closed, at all"), (Entries{"never closed, at all"}));
  EXPECT_EQ(ParseListEntries("mid\"quote\n"), (Entries{"mid\"quote"}));
}

TEST(ProgramFiles, PathsInProgramFolder) {
  RuntimeState state;
  state.programFolder = "/opt/spin";
  EXPECT_EQ(SettingsFile(state), fs::path("/opt/spin/config.dll"));
  EXPECT_EQ(DirListFile(state), fs::path("/opt/spin/dirs.txt"));
  EXPECT_EQ(StylesFolder(state), fs::path("/opt/spin/styles"));
  EXPECT_EQ(StyleFile(state, "n\xE9on"), fs::path("/opt/spin/styles/n\xC3\xA9on.dll"));
  EXPECT_EQ(StyleFile(state, ""), fs::path("/opt/spin/styles/.dll"));
}

}  // namespace
}  // namespace spindeck
