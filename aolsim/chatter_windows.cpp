// The member list box and the chatter windows that a double click on it opens, with the
// ignore box that keeps a chatter's lines out of the room's transcript.
#include "aolsim/chat_client.h"

namespace aolsim {

using win32::HWND;
using win32::Message;
using win32::MessageResult;

namespace {
constexpr win32::LRESULT kListError = -1;  // LB_ERR
constexpr win32::UINT kGetCurSel = 0x188;  // LB_GETCURSEL
}  // namespace

bool ChatClient::OnMemberList(HWND window, const Message& m, MessageResult& r) {
  auto it = rooms_.find(window);
  if (it == rooms_.end()) return false;
  Room& room = it->second;
  const auto count = static_cast<win32::WPARAM>(room.members.size());
  switch (m.msg) {
    case win32::LB_GETCOUNT:
      r.result = static_cast<win32::LRESULT>(count);
      return true;
    case win32::LB_GETITEMDATA:
      r.result = m.wParam < count ? room.members[m.wParam].address : kListError;
      return true;
    case win32::LB_SETCURSEL:
      room.selected = m.wParam < count ? static_cast<int>(m.wParam) : -1;
      r.result = room.selected >= 0 ? room.selected : kListError;
      return true;
    case kGetCurSel:
      r.result = room.selected >= 0 ? room.selected : kListError;
      return true;
    case win32::WM_LBUTTONDBLCLK:
      if (room.selected >= 0 && room.selected < static_cast<int>(count)) {
        OpenChatter(window, room.members[static_cast<std::size_t>(room.selected)].name);
      }
      return true;
    default:
      return false;
  }
}

void ChatClient::OpenChatter(HWND room, const std::string& name) {
  for (const auto& [window, chatter] : chatters_) {
    if (chatter.room == room && chatter.name == name) {
      tree_.BringToTop(window);
      Changed();
      return;
    }
  }
  const HWND window =
      tree_.Create(mdi_, "AOL Child", name,
                   [this](HWND w, const Message& m, MessageResult&) { return OnChatter(w, m); });
  chatters_[window] = Chatter{room, name, false};
  tree_.CreateBottom(window, "_AOL_Checkbox", "Ignore Member",
                     [this, window](HWND, const Message& m, MessageResult& r) {
                       return OnIgnoreBox(window, m, r);
                     });
  tree_.CreateBottom(window, "_AOL_Static", name);
  tree_.CreateBottom(window, "_AOL_Glyph", "");
  tree_.CreateBottom(window, "_AOL_Icon", "Send IM");
  tree_.CreateBottom(window, "_AOL_Icon", "Get Profile");
  Changed();
}

void ChatClient::CloseChatter(HWND window) {
  chatters_.erase(window);
  tree_.Destroy(window);
  Changed();
}

bool ChatClient::OnChatter(HWND window, const Message& m) {
  if (m.msg != win32::WM_CLOSE) return false;
  CloseChatter(window);
  return true;
}

bool ChatClient::Ignored(HWND room, const std::string& name) const {
  return ignored_.count({room, name}) != 0;
}

bool ChatClient::OnIgnoreBox(HWND window, const Message& m, MessageResult& r) {
  auto it = chatters_.find(window);
  if (it == chatters_.end()) return false;
  Chatter& chatter = it->second;
  switch (m.msg) {
    case win32::BM_GETCHECK:
      r.result = Ignored(chatter.room, chatter.name) ? 1 : 0;
      return true;
    case win32::WM_LBUTTONDOWN:
      chatter.pressed = true;
      return true;
    case win32::WM_LBUTTONUP: {
      if (!chatter.pressed) return true;  // an up without a down is no click
      chatter.pressed = false;
      const std::pair<HWND, std::string> key{chatter.room, chatter.name};
      const bool now = !ignored_.count(key);
      if (now) {
        ignored_.insert(key);
      } else {
        ignored_.erase(key);
      }
      Changed();
      auto room = rooms_.find(chatter.room);
      const std::string roomName = room == rooms_.end() ? std::string() : room->second.name;
      sink_({"ignore", roomName, chatter.name, now ? "1" : "0"});
      return true;
    }
    default:
      return false;
  }
}

}  // namespace aolsim
