// The place the user names for the client's frame: counted from either edge of the screen's
// free area, and never so far that the menu bar and the keyword box leave the screen.
#include "aolsim/window/window_place.h"

#include <gtest/gtest.h>

#include <vector>

#include "aolsim/options.h"
#include "tests/support/stderr_capture.h"

namespace aolsim::window {
namespace {

std::optional<Options> Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "aolsim");
  return ParseOptions(static_cast<int>(args.size()), const_cast<char**>(args.data()));
}

TEST(WindowPlace, OffsetsCountFromTheEdgeTheirSignNames) {
  const QRect area(0, 24, 1280, 776);  // a panel above
  const QSize frame(900, 600);
  const auto place = [](const char* text) {
    return *Parse({"--window", "--window-at", text})->windowAt;
  };
  EXPECT_EQ(FrameTopLeft(place("-0,0"), frame, area), QPoint(380, 24));
  EXPECT_EQ(FrameTopLeft(place("+20,-10"), frame, area), QPoint(20, 190));
  // Past the far edge it comes back; larger than the area, its top-left stays on it.
  EXPECT_EQ(FrameTopLeft(place("1000,1000"), frame, area), QPoint(380, 200));
  EXPECT_EQ(FrameTopLeft(place("-0,-0"), QSize(1600, 900), area), QPoint(0, 24));

  spindeck::testing::StderrCapture complaints;
  const std::vector<const char*> bad = {"10",    "10,",   ",10",   "a,b",
                                        "--1,0", "1,2,3", "10 ,0", "999999,0"};
  for (const char* text : bad) EXPECT_FALSE(Parse({"--window", "--window-at", text})) << text;
  EXPECT_EQ(complaints.Count("--window-at wants X,Y"), static_cast<int>(bad.size()));
  EXPECT_FALSE(Parse({"--window-at", "0,0"}));  // no window to place
}

}  // namespace
}  // namespace aolsim::window
