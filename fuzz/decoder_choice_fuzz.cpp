// Feeds arbitrary bytes to the choice of decoder by a file's first bytes, then opens them as a
// song file with the decoder chosen: a decoder that takes the file must keep to its length and
// its seeks, whatever the bytes hold.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "platform/mediaplayer/decoders/decoder_choice.h"

namespace {

// One file for the whole run, rewritten for every input.
const std::string& ScratchFile() {
  static const std::string path = [] {
    char name[] = "/tmp/decoder_choice_fuzz.XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd >= 0) ::close(fd);
    return std::string(name);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const unsigned char> bytes(data, size);
  const std::size_t tag = platform::Id3v2TagSize(bytes);
  if (tag != 0 && tag < 10) std::abort();
  const platform::DecoderPlugin& plugin =
      platform::ChooseDecoder(tag < size ? bytes.subspan(tag) : bytes.subspan(size));
  if (plugin.probe == nullptr || plugin.open == nullptr) std::abort();

  FILE* file = std::fopen(ScratchFile().c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  std::fclose(file);
  if (!written) return 0;
  auto decoder = platform::OpenSongDecoder(ScratchFile());
  if (!decoder) return 0;
  if (decoder->sampleRate() <= 0 || decoder->totalFrames() < 0) std::abort();
  std::vector<float> piece(1152 * platform::SongDecoder::kChannels);
  // Bounded: a damaged file may claim any length.
  for (int reads = 0; reads < 64 && decoder->Read(piece.data(), 1152) > 0; ++reads) {
  }
  decoder->Seek(decoder->totalFrames() / 2);
  decoder->Read(piece.data(), 1152);
  return 0;
}
