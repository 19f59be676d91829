// Plays one song file to its end with the program's media player, then prints the output that
// was used and exits: the program's playback as a process of its own, whose CPU time the CPU
// benchmark measures. The output is chosen from SPINDECK_AUDIO, as in the program.
#include <QCoreApplication>
#include <cstdio>

#include "platform/mediaplayer/media_player.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s SONG\n", argv[0]);
    return 2;
  }
  platform::MediaPlayer player;
  QObject::connect(&player, &platform::MediaPlayer::EndOfStream, &app, &QCoreApplication::quit);
  player.Open(argv[1]);
  if (player.FileName().empty()) {
    std::fprintf(stderr, "%s: cannot play %s\n", argv[0], argv[1]);
    return 1;
  }
  const int result = app.exec();
  std::printf("%s\n", player.OutputName().c_str());
  return result;
}
