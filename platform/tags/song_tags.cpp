#include "platform/tags/song_tags.h"

#include <sys/stat.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <cstring>
#include <string_view>

#include "platform/mediaplayer/decoders/decoder_choice.h"

namespace platform {
namespace {

constexpr unsigned int kHeadBytes = 512;

std::span<const unsigned char> Bytes(const TagLib::ByteVector& bytes) {
  return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

// The name of the decoder the player would choose for the stream's content.
std::string_view FormatOf(TagLib::IOStream& stream) {
  stream.seek(0);
  TagLib::ByteVector head = stream.readBlock(kHeadBytes);
  if (const std::size_t tag = Id3v2TagSize(Bytes(head)); tag > 0) {
    stream.seek(static_cast<long>(tag));
    head = stream.readBlock(kHeadBytes);
  }
  stream.seek(0);
  return ChooseDecoder(Bytes(head)).name;
}

std::string Utf8(const TagLib::PropertyMap& properties, const char* key) {
  const auto found = properties.find(key);
  if (found == properties.end() || found->second.isEmpty()) return {};
  return found->second.front().to8Bit(true);
}

std::optional<SongTags> FromProperties(std::string_view format,
                                       const TagLib::PropertyMap& properties) {
  SongTags tags;
  tags.format = format;
  tags.artist = Utf8(properties, "ARTIST");
  tags.album = Utf8(properties, "ALBUM");
  tags.date = Utf8(properties, "DATE");
  tags.title = Utf8(properties, "TITLE");
  tags.comment = Utf8(properties, "COMMENT");
  return tags;
}

std::optional<SongTags> ReadFrom(TagLib::IOStream& stream) {
  const std::string_view format = FormatOf(stream);
  if (format == "flac") {
    TagLib::FLAC::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    if (!file.isValid() || !file.hasXiphComment()) return std::nullopt;
    return FromProperties(format, file.xiphComment()->properties());
  }
  if (format == "vorbis") {
    TagLib::Ogg::Vorbis::File file(&stream, false);
    if (!file.isValid() || file.tag() == nullptr) return std::nullopt;
    return FromProperties(format, file.tag()->properties());
  }
  if (format == "opus") {
    TagLib::Ogg::Opus::File file(&stream, false);
    if (!file.isValid() || file.tag() == nullptr) return std::nullopt;
    return FromProperties(format, file.tag()->properties());
  }
  if (format == "wav") {
    TagLib::RIFF::WAV::File file(&stream, false);
    if (!file.isValid() || !file.hasInfoTag()) return std::nullopt;
    return FromProperties(format, file.InfoTag()->properties());
  }
  TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
  if (!file.isValid() || !file.hasID3v2Tag()) return std::nullopt;
  return FromProperties(format, file.ID3v2Tag()->properties());
}

}  // namespace

std::optional<SongTags> ReadSongTags(const std::string& nativePath) {
  struct stat info {};
  // Only a regular file: a named pipe in the song's place would hold the read.
  if (nativePath.empty() || ::stat(nativePath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return std::nullopt;
  }
  TagLib::FileStream stream(nativePath.c_str(), true);
  if (!stream.isOpen()) return std::nullopt;
  return ReadFrom(stream);
}

std::optional<SongTags> ReadSongTagsFromBytes(std::string_view bytes) {
  TagLib::ByteVector data(bytes.data(), static_cast<unsigned int>(bytes.size()));
  TagLib::ByteVectorStream stream(data);
  return ReadFrom(stream);
}

}  // namespace platform
