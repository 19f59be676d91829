#include "platform/mediaplayer/stream_encoder.h"

#include "platform/mediaplayer/mp3_stream_encoder.h"
#include "platform/mediaplayer/opus_stream_encoder.h"

namespace platform {

std::unique_ptr<StreamEncoder> MakeStreamEncoder(long inputRate, const StreamOptions& options,
                                                 const std::string& utf8Title) {
  if (options.format == StreamFormat::kOpus)
    return std::make_unique<OpusStreamEncoder>(inputRate, options, utf8Title);
  return std::make_unique<Mp3StreamEncoder>(inputRate, options);
}

long StreamOutputRate(StreamFormat format) {
  return format == StreamFormat::kOpus ? OpusStreamEncoder::kOutputRate
                                       : Mp3StreamEncoder::kOutputRate;
}

}  // namespace platform
