// The position timer wakes the program only where lbllen or lblcpos change; it must show the
// same texts as a timer that looks at the player every millisecond.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <sstream>
#include <utility>

#include "src/music/music_events.h"
#include "src/music/play_modes.h"
#include "tests/music/music_fixture.h"
#include "tests/music/silent_song.h"
#include "tests/support/test_songs.h"

namespace spindeck::testing {
namespace {

using Texts = std::pair<std::string, std::string>;  // lbllen, lblcpos

// Whether `part` appears in `whole` in the same order, possibly with others in between.
bool InOrderWithin(const std::vector<Texts>& part, const std::vector<Texts>& whole) {
  auto at = whole.begin();
  for (const Texts& t : part) {
    at = std::find(at, whole.end(), t);
    if (at == whole.end()) return false;
    ++at;
  }
  return true;
}

std::string Listed(const std::vector<Texts>& texts) {
  std::ostringstream out;
  for (const auto& [length, position] : texts) out << length << "/" << position << " ";
  return out.str();
}

class PositionTimerTest : public MusicTest {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(path("m"));
    WriteFile(QString::fromStdString(path("m/ten.mp3").string()),
              QByteArray::fromStdString(SilentMp3(10)));
    ConnectMusicEvents(state);
  }
  bool waitUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 30000) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return done();
  }
};

// The reference looks at the player every millisecond, and also right after each of the
// program's ticks (so it sees whatever the program saw, even if its own tick came late). A
// loaded machine may hold up either one, and a text that stood only briefly may then be missed
// by one of them; so the program must show nothing the reference did not see, and every text
// that the reference saw stand for 100 ms or more (on a free machine, every text: even at four
// times the speed each lasts a quarter of a second), both in the reference's order.
TEST_F(PositionTimerTest, ShowsTheTextsAOneMillisecondTimerWouldShow) {
  QElapsedTimer clock;
  clock.start();
  struct Seen {
    Texts texts;
    qint64 first, last;  // ms on `clock`
  };
  std::vector<Seen> seen;
  const auto look = [&] {
    const Texts now{MinutesSeconds(state.player.Duration()),
                    MinutesSeconds(state.player.CurrentPosition())};
    if (seen.empty() || seen.back().texts != now) {
      seen.push_back({now, clock.elapsed(), clock.elapsed()});
    } else {
      seen.back().last = clock.elapsed();
    }
  };
  QTimer reference;
  reference.setTimerType(Qt::PreciseTimer);
  reference.setInterval(1);
  QObject::connect(&reference, &QTimer::timeout, look);

  std::vector<Texts> shown;
  int wakes = 0;
  bool paused = false;
  QObject::connect(&state.tmrmp3, &platform::TimerControl::timeout, [&] {
    ++wakes;
    look();
    const Texts now{state.lbllen, state.lblcpos};
    if (!shown.empty() && shown.back() == now) return;
    shown.push_back(now);
    // Each change comes right after a shown change, when the next wake is furthest off: a
    // jump to a text that lasts less than that wait, a pause, and four times the speed.
    if (now.second == "00:01") state.player.SetCurrentPosition(3.1);
    if (now.second == "00:04") {
      state.player.Pause();
      paused = true;
    }
    if (now.second == "00:05") state.player.SetRate(4.0);
  });

  int ends = 0;
  QObject::connect(&state.player, &platform::MediaPlayer::EndOfStream, [&] { ++ends; });
  state.player.Open(path("m/ten.mp3").string());
  ASSERT_EQ(state.player.FileName(), path("m/ten.mp3").string());
  state.tmrmp3.start();
  reference.start();
  const auto standsFor = [&](qint64 ms) { return seen.back().last - seen.back().first >= ms; };
  ASSERT_TRUE(waitUntil([&] { return paused && standsFor(300); }));
  state.player.Play();
  ASSERT_TRUE(waitUntil(
      [&] { return ends == 1 && seen.back().texts.second == "00:00" && standsFor(300); }));
  reference.stop();
  const qint64 wallMs = clock.elapsed();

  std::vector<Texts> all, stood;
  for (const Seen& s : seen) {
    all.push_back(s.texts);
    if (s.last - s.first >= 100) stood.push_back(s.texts);
  }
  EXPECT_TRUE(InOrderWithin(shown, all)) << Listed(shown) << "\nreference: " << Listed(all);
  EXPECT_TRUE(InOrderWithin(stood, shown)) << Listed(shown) << "\nreference: " << Listed(stood);
  EXPECT_EQ(shown.back(), Texts("00:10", "00:00"));
  std::printf("[ position ] %d wakes in %lld ms (reference saw %zu texts)\n", wakes,
              static_cast<long long>(wallMs), all.size());
}

// The player says it plays, but its position stands at 12.49 s (a blocked output), so every
// tick finds the next shown second 10 ms off and shows nothing new: the waits the ticks ask
// for back off to 4 wakes a second (the timer waits at least that long).
TEST(PositionTimerBackOff, AStalledPositionWakesAtMostFourTimesASecond) {
  using namespace std::chrono;
  const microseconds untilNextSecond = milliseconds(10);
  int ticks = 0;
  microseconds at{0};
  for (int stalled = 1; at < seconds(5); ++stalled) {
    ++ticks;
    at += StalledPositionWait(untilNextSecond, stalled);
  }
  EXPECT_LE(ticks, 25);
  // A position that moves is waited for exactly.
  EXPECT_EQ(StalledPositionWait(untilNextSecond, 0), untilNextSecond);
}

}  // namespace
}  // namespace spindeck::testing
