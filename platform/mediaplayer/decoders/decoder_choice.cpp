#include "platform/mediaplayer/decoders/decoder_choice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files/unique_fd.h"
#include "platform/mediaplayer/decoders/flac_decoder.h"
#include "platform/mediaplayer/decoders/mp3_decoder.h"
#include "platform/mediaplayer/decoders/opus_decoder.h"
#include "platform/mediaplayer/decoders/vorbis_decoder.h"
#include "platform/mediaplayer/decoders/wav_decoder.h"

namespace platform {
namespace {

// Enough for every probe: an Ogg page header with its longest segment table and the start of
// the first packet.
constexpr std::size_t kHeadBytes = 512;
constexpr std::size_t kId3v2HeaderBytes = 10;
// Frames decoded at a time by a scan that decodes the whole file.
constexpr std::size_t kScanFrames = 4096;

// Up to kHeadBytes of the file from `offset`; empty when it cannot be read.
std::vector<unsigned char> ReadAt(int fd, std::size_t offset) {
  std::vector<unsigned char> bytes(kHeadBytes);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got =
        ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

// The plugin for the file's content; null when the file is not a regular readable file.
const DecoderPlugin* PluginFor(const std::string& nativePath) {
  if (nativePath.empty()) return nullptr;
  // Non-blocking, so that a named pipe in the song's place cannot hold the open.
  const UniqueFd fd(::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (!fd || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  std::vector<unsigned char> head = ReadAt(fd.get(), 0);
  if (const std::size_t tag = Id3v2TagSize(head); tag > 0) head = ReadAt(fd.get(), tag);
  return &ChooseDecoder(head);
}

}  // namespace

const std::vector<const DecoderPlugin*>& DecoderPlugins() {
  static const std::vector<const DecoderPlugin*> plugins{&FlacPlugin(), &VorbisPlugin(),
                                                         &OpusPlugin(), &WavPlugin(), &Mp3Plugin()};
  return plugins;
}

std::size_t Id3v2TagSize(std::span<const unsigned char> head) {
  if (head.size() < kId3v2HeaderBytes || head[0] != 'I' || head[1] != 'D' || head[2] != '3' ||
      head[3] == 0xFF || head[4] == 0xFF) {
    return 0;
  }
  std::size_t body = 0;
  for (std::size_t i = 6; i < kId3v2HeaderBytes; ++i) {
    if (head[i] >= 0x80) return 0;  // not a sync-safe size: not a tag
    body = (body << 7) | head[i];
  }
  const bool footer = (head[5] & 0x10) != 0;
  return kId3v2HeaderBytes + body + (footer ? kId3v2HeaderBytes : 0);
}

const DecoderPlugin& ChooseDecoder(std::span<const unsigned char> head) {
  for (const DecoderPlugin* plugin : DecoderPlugins()) {
    if (plugin->probe(head)) return *plugin;
  }
  return Mp3Plugin();
}

std::unique_ptr<SongDecoder> OpenSongDecoder(const std::string& nativePath) {
  const DecoderPlugin* plugin = PluginFor(nativePath);
  return plugin != nullptr ? plugin->open(nativePath) : nullptr;
}

std::optional<std::int64_t> ScanSongLength(const std::string& nativePath,
                                           const std::function<bool()>& cancelled) {
  if (cancelled()) return std::nullopt;
  const DecoderPlugin* plugin = PluginFor(nativePath);
  if (plugin == nullptr) return std::nullopt;
  if (plugin->scanLength != nullptr) return plugin->scanLength(nativePath, cancelled);
  const std::unique_ptr<SongDecoder> decoder = plugin->open(nativePath);
  if (!decoder) return std::nullopt;
  std::vector<float> buffer(kScanFrames * SongDecoder::kChannels);
  std::int64_t frames = 0;
  while (true) {
    if (cancelled()) return std::nullopt;
    const std::size_t got = decoder->Read(buffer.data(), kScanFrames);
    if (got == 0) break;
    frames += static_cast<std::int64_t>(got);
  }
  if (frames <= 0) return std::nullopt;
  return frames;
}

}  // namespace platform
