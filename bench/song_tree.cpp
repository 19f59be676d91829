#include "bench/song_tree.h"

#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace spindeck::bench {

SongTree::SongTree(int songs, int folders, const std::vector<std::string>& extensions) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/spindeck-bench.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return;
  root_ = pattern;
  music_ = root_ / "music";
  program_ = root_ / "program";
  std::error_code error;
  std::filesystem::create_directories(program_, error);
  if (error) return;

  std::ofstream dirs(program_ / "dirs.txt", std::ios::binary);
  for (int f = 0; f < folders; ++f) {
    char folderName[32];
    std::snprintf(folderName, sizeof folderName, "Artist %03d", f);
    const std::filesystem::path folder = music_ / folderName;
    std::filesystem::create_directories(folder, error);
    if (error) return;
    dirs << folder.string() << "\r\n";
    // Songs are dealt out in turn, so the folders differ by one song at most.
    for (int s = f; s < songs; s += folders) {
      char songName[64];
      std::snprintf(songName, sizeof songName, "Artist %03d - Song Title %05d", f, s);
      const std::string& extension = extensions[static_cast<std::size_t>(s) % extensions.size()];
      std::ofstream(folder / (songName + extension), std::ios::binary);
    }
  }
  valid_ = static_cast<bool>(dirs.flush());
}

SongTree::~SongTree() {
  std::error_code ignored;
  if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
}

}  // namespace spindeck::bench
