// The Ogg Opus encoder's output as a listener's decoder takes it: a tone in tune, titles in
// the chained streams' comments, and a stream that stays decodable when audio is left out of it.
#include "platform/mediaplayer/opus_stream_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/support/ogg_opus_feed.h"
#include "tests/support/stream_listener.h"

namespace {

using platform::OpusStreamEncoder;
using spindeck::testing::OggOpusFeed;

// `seconds` of a stereo 440 Hz tone at `rate`, at half of full scale.
std::vector<std::int16_t> Tone(long rate, double seconds) {
  std::vector<std::int16_t> samples;
  const auto frames = static_cast<std::size_t>(seconds * static_cast<double>(rate));
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(rate);
    const auto value = static_cast<std::int16_t>(16384 * std::sin(2 * std::numbers::pi * 440 * t));
    samples.push_back(value);
    samples.push_back(value);
  }
  return samples;
}

bool Decode(OggOpusFeed& feed, const std::vector<unsigned char>& bytes, std::vector<float>& out) {
  return feed.Feed(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()),
                   out);
}

TEST(OpusStreamEncoder, ChainedTitlesAndLeftOutAudioKeepTheStreamDecodable) {
  platform::StreamOptions options;
  options.format = platform::StreamFormat::kOpus;
  OpusStreamEncoder encoder(44100, options, "first");
  ASSERT_TRUE(encoder.valid());
  OggOpusFeed feed;
  std::vector<float> heard;
  std::vector<unsigned char> bytes;
  const std::vector<std::int16_t> second = Tone(44100, 1.0);
  // Pages come out as the audio goes in, not a second later.
  encoder.Encode({second.data(), second.size() / 4}, bytes);
  EXPECT_FALSE(bytes.empty());
  encoder.Encode({second.data() + second.size() / 4, second.size() * 3 / 4}, bytes);
  ASSERT_TRUE(Decode(feed, bytes, heard));
  EXPECT_EQ(feed.title(), "first");
  EXPECT_NEAR(spindeck::testing::StrongestFrequency(heard, OggOpusFeed::kRate), 440.0, 3.0);

  // A new title while the connection is slow: the new stream's headers survive the drop.
  encoder.SetTitle("second");
  bytes.clear();
  encoder.Encode(second, bytes);
  encoder.DropAudio(bytes);
  ASSERT_FALSE(bytes.empty());
  ASSERT_TRUE(Decode(feed, bytes, heard));
  EXPECT_EQ(feed.title(), "second");

  // Audio after the gap decodes again.
  bytes.clear();
  heard.clear();
  encoder.Encode(second, bytes);
  encoder.Flush(bytes);
  ASSERT_TRUE(Decode(feed, bytes, heard));
  EXPECT_GT(heard.size(), static_cast<std::size_t>(OggOpusFeed::kRate / 2));
  EXPECT_EQ(feed.title(), "second");
}

}  // namespace
