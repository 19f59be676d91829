#pragma once
// A music library on disk for the benchmarks: empty song files spread evenly over folders of a
// temporary tree, and a program folder whose dirs.txt lists those folders one a line. The
// songs take the given extensions in turn (all ".mp3" by default).
// The whole tree is removed when the object goes.
#include <filesystem>
#include <string>
#include <vector>

namespace spindeck::bench {

class SongTree {
 public:
  SongTree(int songs, int folders, const std::vector<std::string>& extensions = {".mp3"});
  ~SongTree();
  SongTree(const SongTree&) = delete;
  SongTree& operator=(const SongTree&) = delete;

  bool valid() const { return valid_; }
  // The folder that holds the song folders.
  const std::filesystem::path& music() const { return music_; }
  // The folder of dirs.txt.
  const std::filesystem::path& programFolder() const { return program_; }

 private:
  std::filesystem::path root_;
  std::filesystem::path music_;
  std::filesystem::path program_;
  bool valid_ = false;
};

}  // namespace spindeck::bench
