#pragma once
// Standard error of this process, into a file while the object lives, to be read at any time
// (a test waits for a message to appear). Header-only.
#include <unistd.h>

#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace spindeck::testing {

class StderrCapture {
 public:
  StderrCapture() : path_(folder_.filePath("stderr.txt").toStdString()) {
    std::fflush(stderr);
    saved_ = dup(2);
    std::FILE* file = std::fopen(path_.c_str(), "w");
    dup2(fileno(file), 2);
    std::fclose(file);
  }
  ~StderrCapture() {
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
  }
  std::string text() const {
    std::fflush(stderr);
    std::ifstream in(path_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  int Count(const std::string& words) const {
    const std::string all = text();
    int count = 0;
    for (auto at = all.find(words); at != std::string::npos; at = all.find(words, at + 1)) {
      ++count;
    }
    return count;
  }

 private:
  QTemporaryDir folder_;
  std::string path_;
  int saved_ = -1;
};

}  // namespace spindeck::testing
