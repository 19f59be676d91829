// Feeds arbitrary bytes to the tag reader as a whole song file held in memory (TagLib reads
// them through a memory stream), then puts every field it gives through the reply's text
// rules, whose results must be Windows-1252 text of bounded length without surrounding blanks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/tags/song_tags.h"
#include "src/music/id3_tag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto tags = platform::ReadSongTagsFromBytes(bytes);
  if (!tags) return 0;
  for (const std::string* field :
       {&tags->artist, &tags->album, &tags->date, &tags->title, &tags->comment}) {
    const std::string text = spindeck::TagFieldText(*field);
    if (text.size() > spindeck::kMaxTagFieldLength) std::abort();
    if (!text.empty() && (text.front() == ' ' || text.back() == ' ' || text.back() == '\0')) {
      std::abort();
    }
    if (spindeck::YearOfDate(text).size() % 4 != 0) std::abort();
  }
  return 0;
}
