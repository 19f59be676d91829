#pragma once
// The ID3v1 tag at the end of an MP3 file, and the "id3" command that shows it.
#include <string>

#include "src/state/reply_fragments.h"
#include "src/state/runtime_state.h"

namespace spindeck {

// The last tag read: fixed-width fields, padded with blanks on the right.
struct TagRecord {
  std::string songTitle = std::string(30, ' ');
  std::string artist = std::string(30, ' ');
  std::string album = std::string(30, ' ');
  std::string comment = std::string(30, ' ');
  std::string year = std::string(4, ' ');
};

// Fills the record from the file's last 128 bytes when they start with "TAG"; blanks it
// otherwise. True when the file exists, tag or no tag. A field ends at its first NUL byte, and
// a file shorter than 128 bytes has no tag.
bool ReadTag(TagRecord& tag, const std::string& path);

// Each getter reads the file again; empty when it does not exist. Trailing blanks are cut,
// leading ones kept.
std::string GetArtist(TagRecord& tag, const std::string& path);
std::string GetAlbum(TagRecord& tag, const std::string& path);
std::string GetYear(TagRecord& tag, const std::string& path);
std::string GetSongTitle(TagRecord& tag, const std::string& path);
std::string GetComment(TagRecord& tag, const std::string& path);

// The text with every blank taken out.
std::string RemoveSpaces(const std::string& text);

void Id3Command(RuntimeState& state, const std::string& argument, const ReplyFragments&);

}  // namespace spindeck
