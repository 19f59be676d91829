#include "aolsim/menu_bar.h"

#include <vector>

namespace aolsim {
namespace {

struct MenuLayout {
  std::string title;
  std::vector<std::string> items;
};

std::vector<MenuLayout> MenusOf(const std::string& version) {
  if (version == "3") {
    return {{"&File", {"&New", "&Open...", "E&xit"}},
            {"&Edit", {"&Undo", "Cu&t", "&Copy", "&Paste"}},
            {"&Go To", {"&Keyword...", "&Welcome"}},
            {"&Mail", {"&Compose Mail", "&Read New Mail"}},
            {"M&embers", {"&Preferences", "&Member Directory"}},
            {"&Window", {"&Cascade", "&Tile"}},
            {"&Sign Off", {"&Sign Off"}},
            {"&Help", {"&Help Topics", "&About America Online"}}};
  }
  if (version == "2.5") {
    return {{"&File", {"&New", "&Open...", "E&xit"}},
            {"&Edit", {"&Undo", "Cu&t", "&Copy", "&Paste"}},
            {"&Go To", {"&Keyword...", "&Lobby"}},
            {"&Mail", {"&Compose Mail", "&Read New Mail"}},
            {"M&embers", {"&Preferences", "&Member Directory"}},
            {"&Window", {"&Cascade", "&Tile"}},
            {"&Help", {"&Help Topics", "&About America Online"}}};
  }
  return {{"&File", {"&New", "&Open...", "&Save", "E&xit"}},
          {"&Edit", {"&Undo", "Cu&t", "&Copy", "&Paste", "&Find in Top Window"}},
          {"&Print", {"&Print...", "Print Se&tup..."}},
          {"&Window", {"&Cascade", "&Tile", "&Close All"}},
          {"&Sign Off", {"&Sign Off", "&Switch Screen Names"}},
          {"&Help", {"AOL &Help", "&Accessibility Help", "About AOL " + version + ".0"}}};
}

}  // namespace

bool KnownVersion(const std::string& version) {
  return version == "8" || version == "7" || version == "6" || version == "5" || version == "4" ||
         version == "3" || version == "2.5";
}

void BuildMenuBar(win32::WindowTree& tree, win32::HWND frame, const std::string& version) {
  tree.ClearMenus(frame);
  const win32::HMENU bar = tree.CreateMenu();
  win32::UINT id = 100;  // command ids are unique across the whole bar
  for (const MenuLayout& layout : MenusOf(version)) {
    const win32::HMENU sub = tree.CreateMenu();
    for (const std::string& item : layout.items) tree.AppendItem(sub, id++, item);
    tree.AppendSubMenu(bar, sub, layout.title);
  }
  tree.SetMenu(frame, bar);
}

}  // namespace aolsim
