#pragma once
// The exact length of an MP3 file, found by reading every frame header of it: the only way to
// know it for a file without a Xing/Info/VBRI header, and for one cut short or damaged.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// The length in frames (samples per channel), counted as the MP3 decoder plays them. Nothing when
// the file cannot be read or holds no frame, or when `cancelled` said so: it is asked before
// every read of the file, so a scan stops within one read.
std::optional<std::int64_t> ScanMp3Length(const std::string& nativePath,
                                          const std::function<bool()>& cancelled);

}  // namespace platform
