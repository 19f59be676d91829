// Feeds arbitrary bytes as a whole song file to the ID3v1 reader and its getters. The bytes
// go to an in-memory file, read through its /proc path as any song file is read.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "src/music/id3_tag.h"

namespace {

// One memory file for the whole run, emptied and written again for each input.
int MemoryFile() {
  static const int fd = [] {
    const int made = memfd_create("id3_tag_fuzz", 0);
    if (made < 0) std::abort();
    return made;
  }();
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = MemoryFile();
  if (ftruncate(fd, 0) != 0) std::abort();
  for (std::size_t done = 0; done < size;) {
    const ssize_t wrote = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    if (wrote <= 0) std::abort();
    done += static_cast<std::size_t>(wrote);
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  spindeck::TagRecord tag;
  if (!spindeck::ReadTag(tag, path)) __builtin_trap();  // the file exists
  // Every field keeps its fixed width, tag or no tag.
  if (tag.songTitle.size() != 30 || tag.artist.size() != 30 || tag.album.size() != 30 ||
      tag.comment.size() != 30 || tag.year.size() != 4) {
    __builtin_trap();
  }
  const bool tagged =
      size >= 128 && std::string(reinterpret_cast<const char*>(data) + size - 128, 3) == "TAG";
  if (!tagged && tag.songTitle != std::string(30, ' ')) __builtin_trap();
  const std::string title = spindeck::GetSongTitle(tag, path);
  if (title.size() > 30 || (!title.empty() && title.back() == ' ')) __builtin_trap();
  spindeck::GetArtist(tag, path);
  spindeck::GetAlbum(tag, path);
  spindeck::GetYear(tag, path);
  if (spindeck::RemoveSpaces(spindeck::GetComment(tag, path)).find(' ') != std::string::npos)
    __builtin_trap();
  return 0;
}
