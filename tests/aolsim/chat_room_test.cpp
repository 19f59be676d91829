// Chat rooms of the running client: lines typed into the input box, the transcript as the
// scanner reads it, the Welcome window and the order of the windows.
#include <gtest/gtest.h>

#include "tests/support/aolsim_process.h"
#include "tests/support/aolsim_windows.h"

namespace aolsim_test {

using namespace spindeck::testing;

namespace {

using namespace win32;

class ChatRoomTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(client.started());
    client.Command({"signon", "Bob"});
    client.Command({"room", "jams"});
    client.Sync();
  }
  AolsimProcess client;
};

TEST_F(ChatRoomTest, TypedLineIsSentIntoTheRoomAndTheBoxEmptied) {
  const HWND room = RoomWindow("jams");
  const HWND input = Child(room, "RICHCNTL");
  ASSERT_NE(input, 0u);
  SendMessageA(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("half typed"));
  SendMessageA(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("<b>next</b>  \xE1 song"));
  SendMessageA(input, WM_CHAR, 13, 0);
  EXPECT_EQ(client.NextEvent(), "line\tjams\tBob\t<b>next</b>  \xC3\xA1 song");
  EXPECT_EQ(ControlText(input), "");
  const HWND transcript = Child(room, "RICHCNTLREADONLY");
  EXPECT_EQ(ControlText(transcript), "Bob:\tnext \xE1 song");

  // An Enter on an empty box sends nothing.
  SendMessageA(input, WM_CHAR, 13, 0);
  client.Command({"say", "Ann", "hi &amp; <i>bye</i>"});
  EXPECT_EQ(client.NextEvent(), "line\tjams\tAnn\thi &amp; <i>bye</i>");
  EXPECT_EQ(ControlText(transcript), "Bob:\tnext \xE1 song\r\nAnn:\thi & bye");
  EXPECT_EQ(SendMessageA(transcript, EM_GETLINECOUNT, 0, 0), 2);
  char line[64] = {};
  const WORD size = sizeof line;
  std::memcpy(line, &size, sizeof size);
  EXPECT_EQ(SendMessageA(transcript, EM_GETLINE, 1, reinterpret_cast<LPARAM>(line)), 13);
  EXPECT_EQ(std::string(line, 13), "Ann:\thi & bye");
}

TEST_F(ChatRoomTest, SayForTheUserActsAsTypedAndLinesGoToTheTopRoom) {
  client.Command({"room", "other"});
  client.Command({"say", "Bob", "in other"});
  EXPECT_EQ(client.NextEvent(), "line\tother\tBob\tin other");
  client.Command({"room", "jams"});  // back on top
  client.Command({"say", "Ann", "in jams"});
  EXPECT_EQ(client.NextEvent(), "line\tjams\tAnn\tin jams");
  EXPECT_EQ(Caption(Children(MdiClient(), "AOL Child").front()), "jams");
  EXPECT_EQ(ControlText(Child(RoomWindow("other"), "RICHCNTLREADONLY")), "Bob:\tin other");

  client.Command({"close", "jams"});
  client.Sync();
  EXPECT_EQ(RoomWindow("jams"), 0u);
  client.Command({"say", "Ann", "now"});
  EXPECT_EQ(client.NextEvent(), "line\tother\tAnn\tnow");
}

TEST_F(ChatRoomTest, TranscriptKeepsTheNewest500Lines) {
  for (int i = 0; i < 505; ++i) client.Command({"say", "Ann", "n" + std::to_string(i)});
  const auto events = client.Sync();
  ASSERT_EQ(events.size(), 505u);
  const HWND transcript = Child(RoomWindow("jams"), "RICHCNTLREADONLY");
  EXPECT_EQ(SendMessageA(transcript, EM_GETLINECOUNT, 0, 0), 500);
  const std::string text = ControlText(transcript);
  EXPECT_EQ(text.rfind("Ann:\tn5\r\n", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 11), "\r\nAnn:\tn504");
}

TEST_F(ChatRoomTest, RoomHasTheControlsInSearchOrder) {
  const HWND room = RoomWindow("jams");
  const char* classes[] = {"RICHCNTLREADONLY", "RICHCNTL",    "_AOL_Combobox",
                           "_AOL_Icon",        "_AOL_Static", "_AOL_Listbox"};
  HWND previous = 0;
  for (const char* name : classes) {
    const HWND w = FindWindowExA(room, previous, nullptr, nullptr);
    EXPECT_EQ(w, Child(room, name)) << name;
    previous = w;
  }
}

TEST_F(ChatRoomTest, WelcomeWindowShowsTheNameAndTheTemperature) {
  const HWND welcome = FindWindowExA(MdiClient(), 0, "AOL Child", "Welcome, Bob!");
  ASSERT_NE(welcome, 0u);
  EXPECT_NE(Children(MdiClient(), "AOL Child").front(), welcome);  // the room is above it
  const auto statics = Children(welcome, "_AOL_Static");
  ASSERT_GE(statics.size(), 5u);
  EXPECT_EQ(ControlText(statics[4]), "72F");
  client.Command({"temp",
                  "65\xC2\xB0"
                  "F"});
  client.Command({"signon", "Bob"});  // already on: back on top
  client.Sync();
  EXPECT_EQ(ControlText(statics[4]),
            "65\xB0"
            "F");
  EXPECT_EQ(Children(MdiClient(), "AOL Child").front(), welcome);

  client.Command({"signoff"});
  client.Sync();
  EXPECT_EQ(FindWindowExA(MdiClient(), 0, "AOL Child", "Welcome, Bob!"), 0u);
}

TEST_F(ChatRoomTest, EndOfInputEndsTheClient) {
  EXPECT_EQ(client.CloseInputAndWait(), 0);
}

}  // namespace
}  // namespace aolsim_test
