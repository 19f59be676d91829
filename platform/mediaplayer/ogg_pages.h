#pragma once
// Whole Ogg pages in a run of bytes, for leaving audio out of an Ogg stream without breaking
// it: a listener's decoder gets over a missing audio page (a short gap), but not over a
// missing header.
#include <vector>

namespace platform {

// Keeps, of the whole pages in `bytes`, those that begin or end a logical stream or come before
// its first audio (granule position 0: the headers); drops the rest, and any bytes that do not
// form a whole page.
void KeepOggStreamBoundaries(std::vector<unsigned char>& bytes);

}  // namespace platform
