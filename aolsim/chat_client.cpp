#include "aolsim/chat_client.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "aolsim/menu_bar.h"
#include "platform/text/letter_case.h"

namespace aolsim {

using win32::HWND;
using win32::Message;
using win32::MessageResult;

namespace {

const std::string kPrivateRoomKeyword = "aol://2719:2-2-";

std::string WithoutTrailingBlanks(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (platform::LowerAsciiByte(static_cast<unsigned char>(text[i])) !=
        platform::LowerAsciiByte(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

// Typing into an edit box: printable characters append, backspace removes the last one.
void Type(win32::WindowTree& tree, HWND box, win32::WPARAM code) {
  std::string text = tree.Caption(box);
  if (code == 8) {
    if (!text.empty()) text.pop_back();
  } else if (code >= 32 && code <= 255 && code != 127) {
    text += static_cast<char>(code);
  } else {
    return;
  }
  tree.SetCaption(box, text);
}

}  // namespace

ChatClient::ChatClient(win32::WindowTree& tree, EventSink sink)
    : tree_(tree), sink_(std::move(sink)) {
  BuildFrame();
}

void ChatClient::BuildFrame() {
  std::lock_guard guard(tree_.lock());
  frame_ = tree_.Create(0, "AOL Frame25", "America  Online");
  BuildMenuBar(tree_, frame_, "8");
  const HWND toolbar = tree_.CreateBottom(frame_, "AOL Toolbar", "");
  const HWND inner = tree_.CreateBottom(toolbar, "_AOL_Toolbar", "");
  tree_.CreateBottom(inner, "_AOL_Icon", "");
  const HWND combo = tree_.CreateBottom(inner, "_AOL_Combobox", "");
  tree_.CreateBottom(combo, "Edit", "", [this](HWND box, const Message& m, MessageResult& r) {
    return OnKeywordBox(box, m, r);
  });
  mdi_ = tree_.CreateBottom(frame_, "MDIClient", "");
}

// ---- For a view ----------------------------------------------------------------------------

void ChatClient::SetObserver(std::function<void()> changed) {
  std::lock_guard guard(tree_.lock());
  changed_ = std::move(changed);
}

void ChatClient::Changed() const {
  if (changed_) changed_();
}

HWND ChatClient::welcome() const {
  std::lock_guard guard(tree_.lock());
  return welcome_;
}

HWND ChatClient::temperatureBox() const {
  std::lock_guard guard(tree_.lock());
  return temperatureBox_;
}

bool ChatClient::IsRoom(HWND window) const {
  std::lock_guard guard(tree_.lock());
  return rooms_.count(window) != 0;
}

bool ChatClient::IsChatter(HWND window) const {
  std::lock_guard guard(tree_.lock());
  return chatters_.count(window) != 0;
}

std::vector<std::string> ChatClient::Members(HWND room) const {
  std::lock_guard guard(tree_.lock());
  std::vector<std::string> names;
  if (auto it = rooms_.find(room); it != rooms_.end()) {
    for (const Member& member : it->second.members) names.push_back(member.name);
  }
  return names;
}

const Transcript* ChatClient::TranscriptOf(HWND room) const {
  std::lock_guard guard(tree_.lock());
  auto it = rooms_.find(room);
  return it == rooms_.end() ? nullptr : &it->second.transcript;
}

void ChatClient::Activate(HWND window) {
  std::lock_guard guard(tree_.lock());
  if (!tree_.Exists(window) || tree_.Parent(window) != mdi_) return;
  tree_.BringToTop(window);
  Changed();
}

// ---- Welcome window ------------------------------------------------------------------------

void ChatClient::SignOn(const std::string& name) {
  std::lock_guard guard(tree_.lock());
  if (!user_.empty() && user_ != name) SignOff();
  if (welcome_ != 0 && tree_.Exists(welcome_)) {
    tree_.BringToTop(welcome_);
    Changed();
    return;
  }
  user_ = name;
  welcome_ = tree_.Create(mdi_, "AOL Child", "Welcome, " + name + "!");
  tree_.CreateBottom(welcome_, "_AOL_Icon", "");
  tree_.CreateBottom(welcome_, "_AOL_Static", "Top News");
  tree_.CreateBottom(welcome_, "_AOL_Static", "Sports");
  tree_.CreateBottom(welcome_, "_AOL_Static", "Entertainment");
  tree_.CreateBottom(welcome_, "_AOL_Static", "Weather");
  temperatureBox_ = tree_.CreateBottom(welcome_, "_AOL_Static", temperature_);
  tree_.CreateBottom(welcome_, "_AOL_Icon", "");
  for (auto& [window, room] : rooms_) AddMember(room, user_);
  Changed();
}

void ChatClient::SignOff() {
  std::lock_guard guard(tree_.lock());
  if (welcome_ != 0) tree_.Destroy(welcome_);
  welcome_ = 0;
  temperatureBox_ = 0;
  for (auto& [window, room] : rooms_) RemoveMember(room, user_);
  user_.clear();
  Changed();
}

void ChatClient::SetTemperature(const std::string& text) {
  std::lock_guard guard(tree_.lock());
  temperature_ = text;
  if (temperatureBox_ != 0) tree_.SetCaption(temperatureBox_, text);
  Changed();
}

bool ChatClient::SetVersion(const std::string& version) {
  if (!KnownVersion(version)) return false;
  std::lock_guard guard(tree_.lock());
  BuildMenuBar(tree_, frame_, version);
  Changed();
  return true;
}

// ---- Keyword box ---------------------------------------------------------------------------

bool ChatClient::OnKeywordBox(HWND box, const Message& m, MessageResult&) {
  if (m.msg != win32::WM_CHAR) return false;  // WM_SETTEXT and the rest: the caption
  if (m.wParam == 13) {
    const std::string keyword = WithoutTrailingBlanks(tree_.Caption(box));
    tree_.SetCaption(box, "");
    EnterKeyword(keyword);
  } else {
    Type(tree_, box, m.wParam);
  }
  return true;
}

void ChatClient::EnterKeyword(const std::string& keyword) {
  sink_({"keyword", keyword});
  if (!StartsWithNoCase(keyword, kPrivateRoomKeyword)) return;
  const std::string room = keyword.substr(kPrivateRoomKeyword.size());
  if (!room.empty()) OpenRoom(room);
}

// ---- Rooms ---------------------------------------------------------------------------------

HWND ChatClient::FindRoom(const std::string& name) const {
  for (const auto& [window, room] : rooms_) {
    if (room.name == name) return window;
  }
  return 0;
}

HWND ChatClient::TopRoom() const {
  for (HWND child : tree_.Children(mdi_)) {
    if (rooms_.count(child)) return child;
  }
  return 0;
}

void ChatClient::OpenRoom(const std::string& name) {
  std::lock_guard guard(tree_.lock());
  if (const HWND open = FindRoom(name)) {
    tree_.BringToTop(open);
    if (!user_.empty()) AddMember(rooms_.at(open), user_);
    Changed();
    return;
  }
  const HWND window = tree_.Create(mdi_, "AOL Child", name);
  Room& room = rooms_[window];
  room.name = name;
  // Controls in the order a search from the first child meets them.
  room.transcriptBox = tree_.CreateBottom(window, "RICHCNTLREADONLY", "",
                                          [this, window](HWND, const Message& m, MessageResult& r) {
                                            return OnTranscript(window, m, r);
                                          });
  room.inputBox = tree_.CreateBottom(window, "RICHCNTL", "",
                                     [this, window](HWND box, const Message& m, MessageResult&) {
                                       return OnInputBox(window, box, m);
                                     });
  tree_.CreateBottom(window, "_AOL_Combobox", "");
  tree_.CreateBottom(window, "_AOL_Icon", "");
  tree_.CreateBottom(window, "_AOL_Static", "People Here");
  room.memberList = tree_.CreateBottom(window, "_AOL_Listbox", "",
                                       [this, window](HWND, const Message& m, MessageResult& r) {
                                         return OnMemberList(window, m, r);
                                       });
  if (!user_.empty()) AddMember(room, user_);
  Changed();
  if (network_ != nullptr) network_->RoomOpened(name);
}

bool ChatClient::CloseRoom(const std::string& name) {
  std::lock_guard guard(tree_.lock());
  const std::string closed = name;  // the name may be the room's own, which goes below
  const HWND window = FindRoom(name);
  if (window == 0) return false;
  std::vector<HWND> chatters;
  for (const auto& [chatter, info] : chatters_) {
    if (info.room == window) chatters.push_back(chatter);
  }
  for (HWND chatter : chatters) CloseChatter(chatter);
  std::erase_if(ignored_, [window](const auto& entry) { return entry.first == window; });
  rooms_.erase(window);
  tree_.Destroy(window);
  Changed();
  if (network_ != nullptr) network_->RoomClosed(closed);
  return true;
}

void ChatClient::AddMember(Room& room, const std::string& name) {
  const bool listed = std::any_of(room.members.begin(), room.members.end(),
                                  [&](const Member& m) { return m.name == name; });
  if (!listed) room.members.push_back({name, records_.Add(name)});
  Changed();
}

void ChatClient::RemoveMember(Room& room, const std::string& name) {
  // The record stays allocated: a reader may still hold its address.
  std::erase_if(room.members, [&](const Member& m) { return m.name == name; });
  room.selected = -1;
  Changed();
}

bool ChatClient::Join(const std::string& name) {
  std::lock_guard guard(tree_.lock());
  const HWND top = TopRoom();
  if (top == 0) return false;
  AddMember(rooms_.at(top), name);
  return true;
}

bool ChatClient::Leave(const std::string& name) {
  std::lock_guard guard(tree_.lock());
  const HWND top = TopRoom();
  if (top == 0) return false;
  RemoveMember(rooms_.at(top), name);
  return true;
}

// ---- What the network reports --------------------------------------------------------------

ChatClient::Room* ChatClient::RoomNamed(const std::string& name) {
  const HWND window = FindRoom(name);
  return window == 0 ? nullptr : &rooms_.at(window);
}

void ChatClient::SayIn(const std::string& room, const std::string& sender,
                       const std::string& html) {
  std::lock_guard guard(tree_.lock());
  if (const HWND window = FindRoom(room)) Deliver(window, sender, html);
}

void ChatClient::SetMembers(const std::string& room, const std::vector<std::string>& names) {
  std::lock_guard guard(tree_.lock());
  Room* open = RoomNamed(room);
  if (open == nullptr) return;
  // Members who stay keep their records; the others leave, the new ones are added. Sets keep
  // this O(n log n): a server's list of thousands of names comes at once.
  const std::set<std::string> wanted(names.begin(), names.end());
  std::erase_if(open->members,
                [&](const Member& m) { return m.name != user_ && !wanted.contains(m.name); });
  open->selected = -1;
  std::set<std::string> listed;
  for (const Member& m : open->members) listed.insert(m.name);
  for (const std::string& name : names) {
    if (listed.insert(name).second) open->members.push_back({name, records_.Add(name)});
  }
  if (!user_.empty() && listed.insert(user_).second) {
    open->members.push_back({user_, records_.Add(user_)});
  }
  Changed();
}

void ChatClient::JoinRoom(const std::string& room, const std::string& name) {
  std::lock_guard guard(tree_.lock());
  if (Room* open = RoomNamed(room)) AddMember(*open, name);
}

void ChatClient::LeaveRoom(const std::string& room, const std::string& name) {
  std::lock_guard guard(tree_.lock());
  if (Room* open = RoomNamed(room)) RemoveMember(*open, name);
}

bool ChatClient::InRoom(const std::string& room, const std::string& name) const {
  std::lock_guard guard(tree_.lock());
  const HWND window = FindRoom(room);
  if (window == 0) return false;
  const auto& members = rooms_.at(window).members;
  return std::any_of(members.begin(), members.end(),
                     [&](const Member& m) { return m.name == name; });
}

void ChatClient::Rename(const std::string& from, const std::string& to) {
  std::lock_guard guard(tree_.lock());
  if (from == to) return;
  for (auto& [window, room] : rooms_) {
    for (Member& member : room.members) {
      // A new record: a reader holding the old address must still find the old name there.
      if (member.name == from) member = {to, records_.Add(to)};
    }
  }
  std::set<std::pair<HWND, std::string>> ignored;
  for (const auto& [room, name] : ignored_) ignored.insert({room, name == from ? to : name});
  ignored_ = std::move(ignored);
  for (auto& [window, chatter] : chatters_) {
    if (chatter.name != from) continue;
    chatter.name = to;
    tree_.SetCaption(window, to);
    for (HWND child : tree_.Children(window)) {
      if (tree_.ClassName(child) == "_AOL_Static") tree_.SetCaption(child, to);
    }
  }
  if (from == user_) {
    user_ = to;
    if (welcome_ != 0) tree_.SetCaption(welcome_, "Welcome, " + to + "!");
  }
  Changed();
}

std::vector<std::string> ChatClient::RoomNames() const {
  std::lock_guard guard(tree_.lock());
  std::vector<std::string> names;
  for (HWND child : tree_.Children(mdi_)) {
    if (auto it = rooms_.find(child); it != rooms_.end()) names.push_back(it->second.name);
  }
  return names;
}

// ---- Chat lines ----------------------------------------------------------------------------

bool ChatClient::Say(const std::string& name, const std::string& text) {
  std::lock_guard guard(tree_.lock());
  const HWND top = TopRoom();
  if (top == 0) return false;
  if (network_ != nullptr && name == user_) {
    SayAsUser(top, text);
  } else {
    Deliver(top, name, text);
  }
  return true;
}

void ChatClient::SayAsUser(HWND room, const std::string& text) {
  // Without a signed-on user the line goes out as a guest's, so that nothing typed is lost.
  Deliver(room, user_.empty() ? "Guest" : user_, text);
  if (network_ == nullptr) return;
  if (auto it = rooms_.find(room); it != rooms_.end()) network_->LineSaid(it->second.name, text);
}

void ChatClient::Deliver(HWND window, const std::string& sender, const std::string& text) {
  auto it = rooms_.find(window);
  if (it == rooms_.end() || Ignored(window, sender)) return;
  it->second.transcript.Add(sender, text);
  tree_.NotifyWinEvent(win32::EVENT_OBJECT_VALUECHANGE, it->second.transcriptBox);
  Changed();
  sink_({"line", it->second.name, sender, text});
}

bool ChatClient::OnInputBox(HWND room, HWND box, const Message& m) {
  if (m.msg != win32::WM_CHAR) return false;
  if (m.wParam != 13) {
    Type(tree_, box, m.wParam);
    return true;
  }
  const std::string text = tree_.Caption(box);
  tree_.SetCaption(box, "");
  if (!text.empty()) SayAsUser(room, text);
  return true;
}

bool ChatClient::OnTranscript(HWND room, const Message& m, MessageResult& r) {
  auto it = rooms_.find(room);
  if (it == rooms_.end()) return false;
  const Transcript& transcript = it->second.transcript;
  switch (m.msg) {
    case win32::WM_GETTEXTLENGTH:
      r.result = static_cast<win32::LRESULT>(transcript.Length());
      return true;
    case win32::WM_GETTEXT:
      r.text = transcript.Text();
      r.result = static_cast<win32::LRESULT>(r.text.size());
      return true;
    case win32::EM_GETLINECOUNT:
      r.result = static_cast<win32::LRESULT>(transcript.LineCount());
      return true;
    case win32::EM_GETLINE:
      r.text = transcript.Line(m.wParam);
      r.result = static_cast<win32::LRESULT>(r.text.size());
      return true;
    case win32::EM_GETNEXTLINESERIAL:
      r.result = static_cast<win32::LRESULT>(transcript.NextSerial());
      return true;
    case win32::EM_GETFIRSTLINESERIAL:
      r.result = static_cast<win32::LRESULT>(transcript.FirstSerial());
      return true;
    case win32::EM_GETLINEBYSERIAL:
      if (const std::string* line = transcript.LineBySerial(m.wParam)) r.text = *line;
      r.result = static_cast<win32::LRESULT>(r.text.size());
      return true;
    case win32::WM_SETTEXT:
      return true;  // read-only: the text stays
    default:
      return false;
  }
}

}  // namespace aolsim
