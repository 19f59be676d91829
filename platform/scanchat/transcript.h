#pragma once
// The chat room's transcript as the scanner reads it: one "Sender:\tText" line per chat line,
// lines separated by CR LF (or LF).
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct TranscriptLine {
  std::string sender;
  std::string text;
  bool operator==(const TranscriptLine&) const = default;
};

// Lines without the ":\t" separator (notices of the client) are kept with an empty sender so
// that line positions still line up; the scanner does not report them.
std::vector<TranscriptLine> ParseTranscript(const std::string& text);

// The lines of `now` that are new since `before` was read. The client drops its oldest lines
// when the transcript is full, so `now` may begin anywhere inside `before`: the smallest cut
// of the start of `before` whose rest begins `now` is taken. nullopt when the two cannot be
// aligned: nothing of `before` is left at the start of `now`, which has lines.
std::optional<std::vector<TranscriptLine>> NewLines(const std::vector<TranscriptLine>& before,
                                                    const std::vector<TranscriptLine>& now);

}  // namespace platform
