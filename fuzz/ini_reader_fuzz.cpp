// Feeds arbitrary bytes to the INI reader as file contents, looks a few values up, then sets
// one value in memory and checks that it reads back and that other sections are unharmed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/profile/profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string contents(reinterpret_cast<const char*>(data), size);
  static const char* const kSections[] = {"spin.deck", "default", "", "a]b"};
  static const char* const kKeys[] = {"id", "loads", "style", "fascii", ""};
  for (const char* section : kSections) {
    for (const char* key : kKeys) platform::FindProfileValue(contents, section, key);
  }

  const auto otherBefore = platform::FindProfileValue(contents, "other", "k");
  const std::string written = platform::SetProfileValue(contents, "spin.deck", "LOADS", "42");
  if (platform::FindProfileValue(written, "spin.deck", "loads") != "42") std::abort();
  if (platform::FindProfileValue(written, "other", "k") != otherBefore) std::abort();

  const std::string removed = platform::RemoveProfileKey(written, "spin.deck", "loads");
  if (removed.size() >= written.size() && !written.empty()) std::abort();
  platform::RemoveProfileSection(contents, "default");
  return 0;
}
