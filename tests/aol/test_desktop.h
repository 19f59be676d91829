#pragma once
// An in-test chat client: a window tree served on a desktop of its own, on its own thread,
// with member records in low memory of this very process.
#include <QTemporaryDir>
#include <map>
#include <string>
#include <vector>

#include "aolsim/member_records.h"
#include "platform/win32/desktop_host.h"
#include "platform/win32/window_tree.h"

namespace spindeck::testing {

using win32::HWND;

class TestDesktop {
 public:
  TestDesktop() : path_(dir_.path().toStdString() + "/desk/socket") {
    setenv("SPINDECK_DESKTOP", path_.c_str(), 1);
  }
  void Serve() { host_ = std::make_unique<win32::DesktopThread>(tree, path_); }
  // The client stops serving and starts again on the same desktop, with the same windows.
  void Restart() {
    host_.reset();
    Serve();
  }

  HWND Frame() {
    if (frame_ == 0) {
      frame_ = tree.Create(0, "AOL Frame25", "America Online");
      mdi_ = tree.Create(frame_, "MDIClient", "");
    }
    return frame_;
  }
  HWND Mdi() {
    Frame();
    return mdi_;
  }

  // A chat room on top; `complete` false leaves out its static control.
  HWND Room(const std::string& name, const std::vector<std::string>& members = {},
            bool complete = true) {
    const HWND room = tree.Create(Mdi(), "AOL Child", name);
    tree.CreateBottom(room, "RICHCNTLREADONLY", "");
    tree.CreateBottom(room, "RICHCNTL", "",
                      [this, room](HWND self, const win32::Message& m, win32::MessageResult&) {
                        if (m.msg != win32::WM_CHAR || m.wParam != 13) return false;
                        sent[room].push_back(tree.Caption(self));
                        tree.SetCaption(self, "");
                        return true;
                      });
    tree.CreateBottom(room, "_AOL_Combobox", "");
    tree.CreateBottom(room, "_AOL_Icon", "");
    if (complete) tree.CreateBottom(room, "_AOL_Static", "");
    std::vector<std::uint32_t> records;
    for (const auto& m : members) records.push_back(memory.Add(m));
    tree.CreateBottom(room, "_AOL_Listbox", "",
                      [this, records](HWND, const win32::Message& m, win32::MessageResult& r) {
                        if (m.msg == win32::LB_GETCOUNT)
                          r.result = static_cast<win32::LRESULT>(records.size());
                        if (m.msg == win32::LB_GETITEMDATA && m.wParam < records.size())
                          r.result = records[m.wParam];
                        if (m.msg == win32::LB_SETCURSEL) selected = static_cast<int>(m.wParam);
                        if (m.msg == win32::WM_LBUTTONDBLCLK)
                          OpenChatter(members_of_selected(records));
                        return true;
                      });
    return room;
  }

  HWND Welcome(const std::string& name, const std::string& temperature = "72F") {
    const HWND w = tree.Create(Mdi(), "AOL Child", "Welcome, " + name + "!");
    for (int i = 0; i < 5; ++i) tree.CreateBottom(w, "_AOL_Static", i == 4 ? temperature : "");
    return w;
  }

  // A chatter window with its ignore box; clicks toggle the box when the mouse goes up.
  void OpenChatter(int index) {
    const HWND w = tree.Create(Mdi(), "AOL Child", "member " + std::to_string(index));
    tree.CreateBottom(w, "_AOL_Checkbox", "",
                      [this, index](HWND, const win32::Message& m, win32::MessageResult& r) {
                        if (m.msg == win32::BM_GETCHECK) r.result = ignored[index] ? 1 : 0;
                        if (m.msg == win32::WM_LBUTTONUP) {
                          ignored[index] = !ignored[index];
                          ++clicks;
                        }
                        return true;
                      });
    tree.CreateBottom(w, "_AOL_Static", "");
    tree.CreateBottom(w, "_AOL_Glyph", "");
    tree.CreateBottom(w, "_AOL_Icon", "");
    tree.CreateBottom(w, "_AOL_Icon", "");
    tree.SetProc(w, [this](HWND self, const win32::Message& m, win32::MessageResult&) {
      if (m.msg != win32::WM_CLOSE) return false;
      tree.Destroy(self);
      ++closed;
      return true;
    });
  }

  win32::WindowTree tree;
  aolsim::MemberRecords memory;  // records below 4 GiB, as the stand-in client keeps them
  std::map<HWND, std::vector<std::string>> sent;  // lines typed into each room
  std::map<int, bool> ignored;
  int selected = -1;
  int clicks = 0;
  int closed = 0;

 private:
  int members_of_selected(const std::vector<std::uint32_t>&) const { return selected; }

  QTemporaryDir dir_;
  std::string path_;
  HWND frame_ = 0;
  HWND mdi_ = 0;
  std::unique_ptr<win32::DesktopThread> host_;
};

}  // namespace spindeck::testing
