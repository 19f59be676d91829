// Feeds arbitrary bytes to the list file reader, then checks that writing the entries out and
// reading them again gives exactly the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "src/settings/list_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto entries = spindeck::ParseListEntries(bytes);
  const auto again = spindeck::ParseListEntries(spindeck::FormatListEntries(entries));
  if (again != entries) std::abort();
  return 0;
}
