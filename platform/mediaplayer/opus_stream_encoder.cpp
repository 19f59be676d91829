#include "platform/mediaplayer/opus_stream_encoder.h"

#include <opusenc.h>

#include "platform/mediaplayer/ogg_pages.h"

namespace platform {
namespace {

// Pages go out at least this often (samples at 48 kHz): a listener's player waits for whole
// pages, and libopusenc's own default holds them for a second.
constexpr int kMaxPageDelay = 4800;

struct CommentsCloser {
  void operator()(OggOpusComments* comments) const { ope_comments_destroy(comments); }
};
using Comments = std::unique_ptr<OggOpusComments, CommentsCloser>;

Comments CommentsWith(const std::string& utf8Title) {
  Comments comments(ope_comments_create());
  if (comments && !utf8Title.empty()) ope_comments_add(comments.get(), "TITLE", utf8Title.c_str());
  return comments;
}

}  // namespace

void OpusStreamEncoder::Closer::operator()(OggOpusEnc* encoder) const {
  ope_encoder_destroy(encoder);
}

OpusStreamEncoder::OpusStreamEncoder(long inputRate, const StreamOptions& options,
                                     const std::string& utf8Title)
    : inputRate_(inputRate) {
  const Comments comments = CommentsWith(utf8Title);
  if (!comments || inputRate <= 0 || inputRate > 768000) return;
  static const OpusEncCallbacks kCallbacks{&OpusStreamEncoder::WritePage,
                                           &OpusStreamEncoder::Close};
  int error = 0;
  std::unique_ptr<OggOpusEnc, Closer> encoder(ope_encoder_create_callbacks(
      &kCallbacks, this, comments.get(), static_cast<opus_int32>(inputRate), 2, 0, &error));
  if (!encoder || error != OPE_OK) return;
  // Decisions on where a stream ends are made at once: a stream has no end to look ahead to.
  if (ope_encoder_ctl(encoder.get(), OPE_SET_DECISION_DELAY(0)) != OPE_OK ||
      ope_encoder_ctl(encoder.get(), OPE_SET_MUXING_DELAY(kMaxPageDelay)) != OPE_OK ||
      ope_encoder_ctl(encoder.get(), OPUS_SET_BITRATE(KilobitsPerSecondOf(options) * 1000)) !=
          OPE_OK ||
      ope_encoder_ctl(encoder.get(), OPUS_SET_SIGNAL(OPUS_SIGNAL_MUSIC)) != OPE_OK) {
    return;
  }
  encoder_ = std::move(encoder);
}

int OpusStreamEncoder::WritePage(void* self, const unsigned char* page, std::int32_t length) {
  auto* encoder = static_cast<OpusStreamEncoder*>(self);
  if (encoder->out_ != nullptr && length > 0)
    encoder->out_->insert(encoder->out_->end(), page, page + length);
  return 0;
}

int OpusStreamEncoder::Close(void* /*self*/) {
  return 0;
}

void OpusStreamEncoder::Encode(std::span<const std::int16_t> interleaved,
                               std::vector<unsigned char>& out) {
  const std::size_t frames = interleaved.size() / 2;
  if (!encoder_ || frames == 0) return;
  out_ = &out;
  if (titlePending_) {
    // The stream so far ends where the new title begins; the next one's comments carry it.
    const Comments comments = CommentsWith(pendingTitle_);
    if (comments) ope_encoder_chain_current(encoder_.get(), comments.get());
    titlePending_ = false;
  }
  ope_encoder_write(encoder_.get(), interleaved.data(), static_cast<int>(frames));
  out_ = nullptr;
}

void OpusStreamEncoder::Flush(std::vector<unsigned char>& out) {
  if (!encoder_) return;
  out_ = &out;
  ope_encoder_drain(encoder_.get());
  out_ = nullptr;
}

void OpusStreamEncoder::SetTitle(const std::string& utf8) {
  pendingTitle_ = utf8;
  titlePending_ = true;
}

void OpusStreamEncoder::DropAudio(std::vector<unsigned char>& bytes) const {
  KeepOggStreamBoundaries(bytes);
}

}  // namespace platform
