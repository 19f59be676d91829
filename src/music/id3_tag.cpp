#include "src/music/id3_tag.h"

#include <fstream>
#include <system_error>

#include "platform/files/file_checks.h"
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

std::string RemoveSpaces(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != ' ') out += c;
  }
  return out;
}

void Id3Command(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  const std::string path = state.player.FileName();
  if (path.empty()) {
    Reply(state, "error: no mp3 file loaded");
    return;
  }
  TagRecord tag;
  std::string album = GetAlbum(tag, path);
  std::string artist = GetArtist(tag, path);
  std::string comment = GetComment(tag, path);
  std::string title = GetSongTitle(tag, path);
  std::string year = GetYear(tag, path);
  for (std::string* value : {&album, &artist, &comment, &title, &year}) {
    if (RemoveSpaces(*value).empty()) *value = "n/a";
  }
  Reply(state, "artist: " + LowerText(artist));
  Pause(1.0);
  Reply(state, "album: " + LowerText(album));
  Pause(1.0);
  Reply(state, "year: " + LowerText(year));
  Pause(1.0);
  Reply(state, "song: " + LowerText(title));
  Pause(1.0);
  Reply(state, "comment: " + LowerText(comment));
}

}  // namespace spindeck
