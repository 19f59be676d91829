#include "src/music/id3_tag.h"

#include <fstream>
#include <system_error>

#include "platform/files/file_checks.h"
#include "platform/tags/song_tags.h"
#include "platform/text/cp1252.h"
#include "src/output/pause.h"
#include "src/output/replace_text.h"
#include "src/output/styled_message.h"

namespace spindeck {
namespace {

constexpr std::size_t kTagSize = 128;

std::string CutTrailingBlanks(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// A field of the block: up to its first NUL, without trailing blanks, padded to its width.
std::string Field(const std::string& block, std::size_t offset, std::size_t width) {
  std::string text = block.substr(offset, width);
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  text = CutTrailingBlanks(text);
  text.resize(width, ' ');
  return text;
}

// The file's last 128 bytes; empty when it is shorter or cannot be read.
std::string LastBlock(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error || size < kTagSize) return {};
  std::ifstream file(path, std::ios::binary);
  if (!file.seekg(static_cast<std::streamoff>(size - kTagSize))) return {};
  std::string block(kTagSize, '\0');
  if (!file.read(block.data(), kTagSize)) return {};
  return block;
}

std::string Getter(TagRecord& tag, const std::string& path, std::string TagRecord::*field) {
  if (!ReadTag(tag, path)) return {};
  return CutTrailingBlanks(tag.*field);
}

}  // namespace

bool ReadTag(TagRecord& tag, const std::string& path) {
  tag = TagRecord();
  if (path.empty() || !platform::FileExists(path)) return false;
  const std::string block = LastBlock(path);
  if (block.compare(0, 3, "TAG") != 0) return true;
  tag.songTitle = Field(block, 3, 30);
  tag.artist = Field(block, 33, 30);
  tag.album = Field(block, 63, 30);
  tag.year = Field(block, 93, 4);
  tag.comment = Field(block, 97, 30);
  return true;
}

std::string GetArtist(TagRecord& tag, const std::string& path) {
  return Getter(tag, path, &TagRecord::artist);
}
std::string GetAlbum(TagRecord& tag, const std::string& path) {
  return Getter(tag, path, &TagRecord::album);
}
std::string GetYear(TagRecord& tag, const std::string& path) {
  return Getter(tag, path, &TagRecord::year);
}
std::string GetSongTitle(TagRecord& tag, const std::string& path) {
  return Getter(tag, path, &TagRecord::songTitle);
}
std::string GetComment(TagRecord& tag, const std::string& path) {
  return Getter(tag, path, &TagRecord::comment);
}

bool HasId3v1Tag(const std::string& path) {
  return LastBlock(path).compare(0, 3, "TAG") == 0;
}

std::string TagFieldText(const std::string& utf8) {
  std::string text = platform::Utf8ToCp1252(utf8);
  for (char& c : text) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  const auto trim = [](std::string& value) {
    const std::size_t first = value.find_first_not_of(std::string(" \0", 2));
    if (first == std::string::npos) {
      value.clear();
      return;
    }
    value = value.substr(first, value.find_last_not_of(std::string(" \0", 2)) - first + 1);
  };
  trim(text);
  if (text.size() > kMaxTagFieldLength) {
    text.resize(kMaxTagFieldLength);
    trim(text);
  }
  return text;
}

std::string YearOfDate(const std::string& date) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < date.size(); ++i) {
    const bool digit = date[i] >= '0' && date[i] <= '9';
    run = digit ? run + 1 : 0;
    const bool runEnds = i + 1 == date.size() || date[i + 1] < '0' || date[i + 1] > '9';
    if (run == 4 && runEnds) return date.substr(i - 3, 4);
  }
  return {};
}

std::string RemoveSpaces(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != ' ') out += c;
  }
  return out;
}

TagReport SongTagReport(const std::string& path) {
  TagReport report;
  const auto tags = platform::ReadSongTags(path);
  // An MP3's ID3v1 tag goes before its ID3v2 tag; other formats carry a tag of their own.
  if (tags && (tags->format != "mp3" || !HasId3v1Tag(path))) {
    report.album = TagFieldText(tags->album);
    report.artist = TagFieldText(tags->artist);
    report.comment = TagFieldText(tags->comment);
    report.title = TagFieldText(tags->title);
    report.year = YearOfDate(TagFieldText(tags->date));
  } else {
    TagRecord tag;
    report.album = GetAlbum(tag, path);
    report.artist = GetArtist(tag, path);
    report.comment = GetComment(tag, path);
    report.title = GetSongTitle(tag, path);
    report.year = GetYear(tag, path);
  }
  for (std::string* value :
       {&report.album, &report.artist, &report.comment, &report.title, &report.year}) {
    if (RemoveSpaces(*value).empty()) *value = "n/a";
  }
  return report;
}

void Id3Command(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  const std::string path = state.player.FileName();
  if (path.empty()) {
    Reply(state, "error: no mp3 file loaded");
    return;
  }
  const TagReport report = SongTagReport(path);
  Reply(state, "artist: " + LowerText(report.artist));
  Pause(1.0);
  Reply(state, "album: " + LowerText(report.album));
  Pause(1.0);
  Reply(state, "year: " + LowerText(report.year));
  Pause(1.0);
  Reply(state, "song: " + LowerText(report.title));
  Pause(1.0);
  Reply(state, "comment: " + LowerText(report.comment));
}

}  // namespace spindeck
