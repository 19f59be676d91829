#pragma once
// The ID3v1 tag at the end of an MP3 file, and the "id3" command that shows the song's tag:
// an MP3's ID3v1 tag, or its ID3v2 tag when it has no ID3v1 one; the Vorbis comments of FLAC,
// Ogg Vorbis and Opus songs; a WAV song's INFO chunk.
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

// True when the file's last 128 bytes start with "TAG".
bool HasId3v1Tag(const std::string& path);

// A field of a tag read by TagLib (UTF-8) as the reply shows it: in Windows-1252 ("?" for
// characters outside it), line breaks and tabs as blanks, surrounding blanks and NULs cut, at
// most kMaxTagFieldLength characters.
constexpr std::size_t kMaxTagFieldLength = 120;
std::string TagFieldText(const std::string& utf8);
// The year of a date field: its first run of four digits; empty when it has none.
std::string YearOfDate(const std::string& date);

// Each getter reads the file again; empty when it does not exist. Trailing blanks are cut,
// leading ones kept.
std::string GetArtist(TagRecord& tag, const std::string& path);
std::string GetAlbum(TagRecord& tag, const std::string& path);
std::string GetYear(TagRecord& tag, const std::string& path);
std::string GetSongTitle(TagRecord& tag, const std::string& path);
std::string GetComment(TagRecord& tag, const std::string& path);

// The text with every blank taken out.
std::string RemoveSpaces(const std::string& text);

// The fields that "id3" shows for the song file, each "n/a" when blank: the MP3's ID3v1 tag
// when it has one, else the tag of its format (ID3v2 for an MP3).
struct TagReport {
  std::string artist;
  std::string album;
  std::string year;
  std::string title;
  std::string comment;
};
TagReport SongTagReport(const std::string& path);

void Id3Command(RuntimeState& state, const std::string& argument, const ReplyFragments&);

}  // namespace spindeck
