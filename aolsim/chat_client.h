#pragma once
// The stand-in chat client's windows and what they do: the frame with its menu bar and
// keyword box, the Welcome window, the chat rooms with transcript, input box and member list,
// and the chatter windows with their ignore boxes. Programs drive it through the desktop
// (win32.h); the script and the terminal drive it through the members below. Whatever
// happens that an onlooker should see is reported as an event: a list of fields.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "aolsim/member_records.h"
#include "aolsim/room_network.h"
#include "aolsim/transcript.h"
#include "platform/win32/window_tree.h"

namespace aolsim {

class ChatClient {
 public:
  // Events: {"line", room, sender, text}, {"keyword", text}, {"ignore", room, name, "0"|"1"}.
  using EventSink = std::function<void(const std::vector<std::string>&)>;

  ChatClient(win32::WindowTree& tree, EventSink sink);
  ChatClient(const ChatClient&) = delete;
  ChatClient& operator=(const ChatClient&) = delete;

  // Opens the Welcome window for the name on top (or brings it back on top), and puts the
  // user into every open room. Another name signs the current one off first.
  void SignOn(const std::string& name);
  void SignOff();
  const std::string& user() const { return user_; }

  // Opens the room on top with the user in it, or brings it on top when it is open.
  void OpenRoom(const std::string& name);
  // False when there is no such room.
  bool CloseRoom(const std::string& name);

  // A chatter enters or leaves the top room; false when no room is open.
  bool Join(const std::string& name);
  bool Leave(const std::string& name);
  // The name says the text in the top room; false when no room is open.
  bool Say(const std::string& name, const std::string& text);

  // The network the rooms live on (nullptr for none); it must outlive the client's use of it.
  void SetNetwork(RoomNetwork* network) { network_ = network; }
  RoomNetwork* network() const { return network_; }

  // What the network reports, for one room by name; each does nothing for a room not open.
  // The sender says the line in the room.
  void SayIn(const std::string& room, const std::string& sender, const std::string& html);
  // The member list becomes these names, the signed-on user kept in it.
  void SetMembers(const std::string& room, const std::vector<std::string>& names);
  void JoinRoom(const std::string& room, const std::string& name);
  void LeaveRoom(const std::string& room, const std::string& name);
  bool InRoom(const std::string& room, const std::string& name) const;
  // A member takes another name in every room: lists, chatter windows and ignores follow.
  // For the user it is the screen name, and the Welcome window's caption follows too.
  void Rename(const std::string& from, const std::string& to);
  // The open rooms' names, the top one first.
  std::vector<std::string> RoomNames() const;

  void SetTemperature(const std::string& text);
  // False for a version the client cannot play.
  bool SetVersion(const std::string& version);

  // ---- For a view that draws these windows (the graphical client) ----
  // Called after every change a view shows: lines, members, windows opened, closed or
  // brought on top, captions, the temperature, ignores. It runs with the tree's lock held, on
  // the thread that made the change, possibly in the middle of it: an observer only takes
  // note, and looks at the windows later.
  void SetObserver(std::function<void()> changed);
  win32::HWND frame() const { return frame_; }
  win32::HWND mdi() const { return mdi_; }
  win32::HWND welcome() const;
  win32::HWND temperatureBox() const;
  bool IsRoom(win32::HWND window) const;
  bool IsChatter(win32::HWND window) const;
  // The room's members in list order; none for a window that is no room.
  std::vector<std::string> Members(win32::HWND room) const;
  // The room's transcript, or nullptr. Read it with the tree's lock held.
  const Transcript* TranscriptOf(win32::HWND room) const;
  // Brings an open window of the MDI area on top, as the user activating it does.
  void Activate(win32::HWND window);

 private:
  struct Member {
    std::string name;
    std::uint32_t address = 0;
  };
  struct Room {
    std::string name;
    win32::HWND transcriptBox = 0;
    win32::HWND inputBox = 0;
    win32::HWND memberList = 0;
    Transcript transcript;
    std::vector<Member> members;
    int selected = -1;
  };
  struct Chatter {
    win32::HWND room = 0;
    std::string name;
    bool pressed = false;  // a button-down seen on the ignore box, waiting for the up
  };

  void BuildFrame();
  void Changed() const;
  win32::HWND TopRoom() const;  // 0 when no room is open
  win32::HWND FindRoom(const std::string& name) const;
  void AddMember(Room& room, const std::string& name);
  void RemoveMember(Room& room, const std::string& name);
  // A line said in the room: into the transcript and reported, unless its sender is ignored
  // there.
  void Deliver(win32::HWND room, const std::string& sender, const std::string& text);
  void EnterKeyword(const std::string& keyword);
  // The user's line in the room: into the transcript, and out to the network when there is one.
  void SayAsUser(win32::HWND room, const std::string& text);
  Room* RoomNamed(const std::string& name);

  bool OnKeywordBox(win32::HWND box, const win32::Message& m, win32::MessageResult& r);
  bool OnInputBox(win32::HWND room, win32::HWND box, const win32::Message& m);
  bool OnTranscript(win32::HWND room, const win32::Message& m, win32::MessageResult& r);
  bool OnMemberList(win32::HWND room, const win32::Message& m, win32::MessageResult& r);
  bool OnChatter(win32::HWND window, const win32::Message& m);
  bool OnIgnoreBox(win32::HWND window, const win32::Message& m, win32::MessageResult& r);

  void OpenChatter(win32::HWND room, const std::string& name);
  void CloseChatter(win32::HWND window);
  bool Ignored(win32::HWND room, const std::string& name) const;

  win32::WindowTree& tree_;
  EventSink sink_;
  std::function<void()> changed_;
  RoomNetwork* network_ = nullptr;
  MemberRecords records_;
  win32::HWND frame_ = 0;
  win32::HWND mdi_ = 0;
  win32::HWND welcome_ = 0;
  win32::HWND temperatureBox_ = 0;
  std::string user_;
  std::string temperature_ = "72F";
  std::map<win32::HWND, Room> rooms_;
  std::map<win32::HWND, Chatter> chatters_;
  std::set<std::pair<win32::HWND, std::string>> ignored_;  // (room window, chatter)
};

}  // namespace aolsim
