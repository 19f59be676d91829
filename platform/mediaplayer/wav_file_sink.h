#pragma once
// A silent output, paced in real time like NullSink, that also writes every frame it takes to a
// WAV file (16-bit stereo PCM), so the file holds exactly the audio that would have been heard.
// The file is made at the first Start and keeps that first rate; its header is brought up to
// date after every write, so it can be read at any moment.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/mediaplayer/null_sink.h"

namespace platform {

class WavFileSink : public NullSink {
 public:
  explicit WavFileSink(std::string nativePath) : path_(std::move(nativePath)) {}

  std::string name() const override { return "wav"; }
  long Start(long rate) override;
  bool Write(std::int16_t* samples, std::size_t frames) override;

 private:
  struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  void WriteHeader();

  std::string path_;
  std::unique_ptr<std::FILE, FileClose> file_;
  long rate_ = 0;
  std::uint32_t dataBytes_ = 0;
};

}  // namespace platform
