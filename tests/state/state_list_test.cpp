#include "src/state/state_list.h"

#include <gtest/gtest.h>

#include "src/state/runtime_state.h"

namespace spindeck {
namespace {

TEST(StateList, EntriesSelectionAndObservers) {
  StateList list;
  int changes = 0;
  list.observe([&](const StateList&) { ++changes; });
  EXPECT_EQ(list.selectedIndex(), -1);
  list.append("a");
  list.append("b");
  list.append("c");
  EXPECT_EQ(list.count(), 3);
  EXPECT_EQ(list.entryAt(1), "b");
  EXPECT_EQ(list.entryAt(3), "");  // past the end holds nothing
  EXPECT_EQ(list.entryAt(-1), "");
  list.setSelectedIndex(2);
  list.removeAt(0);  // the selection follows its entry
  EXPECT_EQ(list.selectedIndex(), 1);
  EXPECT_EQ(list.entryAt(list.selectedIndex()), "c");
  list.removeAt(1);  // removing the selected entry selects none
  EXPECT_EQ(list.selectedIndex(), -1);
  list.removeAt(7);  // ignored
  list.setSelectedIndex(5);
  EXPECT_EQ(list.selectedIndex(), -1);
  list.clear();
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(changes, 8);
}

TEST(RuntimeState, StartValues) {
  RuntimeState s;
  EXPECT_EQ(s.lblhandle, "");
  EXPECT_EQ(s.lblloads, "0");
  EXPECT_EQ(s.lblElitemode, "0");
  EXPECT_EQ(s.lblplaymode, "0");
  EXPECT_EQ(s.lblmins, "0");
  EXPECT_EQ(s.lblhours, "0");
  EXPECT_EQ(s.lblsong, "");
  EXPECT_EQ(s.tmrmp3.interval(), 1);
  EXPECT_EQ(s.tmrIdle.interval(), 60000);
  EXPECT_FALSE(s.tmrmp3.isActive());
  EXPECT_FALSE(s.tmrIdle.isActive());
  EXPECT_EQ(s.lstpl.count(), 0);
  EXPECT_EQ(s.lstpl.selectedIndex(), -1);
}

}  // namespace
}  // namespace spindeck
