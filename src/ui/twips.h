#pragma once
// Twips, the unit the window's layout is drawn in: 1440 to the inch, so 15 to a pixel at the
// usual 96 dots per inch.
namespace spindeck {

constexpr int kTwipsPerInch = 1440;

// Rounded to the nearest pixel. A dpi of zero or less is taken as 96.
int TwipsToPixels(int twips, double dpi);
int PixelsToTwips(int pixels, double dpi);

}  // namespace spindeck
