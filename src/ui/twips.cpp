#include "src/ui/twips.h"

#include <cmath>

namespace spindeck {
namespace {

double UsableDpi(double dpi) {
  return dpi > 0 ? dpi : 96.0;
}

}  // namespace

int TwipsToPixels(int twips, double dpi) {
  return static_cast<int>(std::lround(twips * UsableDpi(dpi) / kTwipsPerInch));
}

int PixelsToTwips(int pixels, double dpi) {
  return static_cast<int>(std::lround(pixels * double{kTwipsPerInch} / UsableDpi(dpi)));
}

}  // namespace spindeck
