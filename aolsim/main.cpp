// aolsim: the stand-in chat client. It owns the chat windows and serves them on the desktop
// socket ($SPINDECK_DESKTOP). "aolsim --script" takes tab-separated commands on standard
// input and reports events on standard output; plain "aolsim" is for a person at a terminal.
// Chatters and a companion program (see options.h) make it a room to try the jukebox in.
#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "aolsim/chat_client.h"
#include "aolsim/chatters.h"
#include "aolsim/companion.h"
#include "aolsim/events.h"
#include "aolsim/options.h"
#include "aolsim/script_mode.h"
#include "aolsim/stdin_lines.h"
#include "aolsim/terminal_mode.h"
#include "platform/process/quit_signals.h"
#include "platform/text/cp1252.h"
#include "platform/win32/desktop_host.h"
#include "platform/win32/window_tree.h"

int main(int argc, char** argv) {
  // Programs of the same user read the member records with process_vm_readv; under Yama
  // that needs our leave. Failure only matters where Yama is strict, so it is ignored.
  ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
  std::signal(SIGPIPE, SIG_IGN);  // a reader that went away must not kill the client

  const std::optional<aolsim::Options> options = aolsim::ParseOptions(argc, argv);
  if (!options) return 2;
  if (options->help) {
    std::fputs(aolsim::kUsage, stdout);
    return 0;
  }
  const bool script = options->script;

  QCoreApplication app(argc, argv);
  win32::WindowTree tree;
  aolsim::ChatClient client(tree, script ? aolsim::PrintEvent : aolsim::ShowEvent);
  win32::DesktopHost host(tree);
  const std::string path = win32::DesktopPath();
  if (!host.Listen(path)) {
    std::fprintf(stderr, "aolsim: cannot listen on %s\n", path.c_str());
    return 1;
  }
  if (!script) {
    const char* name = std::getenv("AOLSIM_NAME");
    client.SignOn(platform::Utf8ToCp1252(name != nullptr && *name != '\0' ? name : "DeckUser"));
    client.OpenRoom("Lobby");
    std::printf("aolsim: signed on as %s in Lobby, serving %s. Type /help.\n",
                platform::Cp1252ToUtf8(client.user()).c_str(), path.c_str());
    std::fflush(stdout);
  }

  std::vector<std::string> chatterNames;
  for (const std::string& name : options->chatters) {
    chatterNames.push_back(platform::Utf8ToCp1252(name));
  }
  aolsim::Chatters chatters(client, chatterNames, options->minPauseMs, options->maxPauseMs);

  // Ending: with a companion, the client waits for it (serving its windows meanwhile), so
  // that whatever it says on its way out still reaches the room.
  std::unique_ptr<aolsim::Companion> companion;
  auto end = [&] {
    if (!companion) {
      QCoreApplication::quit();
      return;
    }
    if (!script) {
      const QString program = QFileInfo(QString::fromStdString(options->companion[0])).fileName();
      std::printf("\x1b[2m(waiting for %s to end)\x1b[0m\n", qPrintable(program));
      std::fflush(stdout);
    }
    companion->Stop();
  };
  platform::QuitSignals quitSignals(end);
  if (!options->companion.empty()) {
    QStringList command;
    for (const std::string& arg : options->companion) command << QString::fromStdString(arg);
    companion =
        std::make_unique<aolsim::Companion>(command, QString::fromStdString(options->companionLog));
    QObject::connect(companion.get(), &aolsim::Companion::stopped, &app, &QCoreApplication::quit);
    if (!companion->Start()) return 1;
  }

  if (script) {
    aolsim::FlushEventsBeforeEachWait();
    aolsim::PrintEvent({"ready"});
    aolsim::StdinLines input(
        [&](const std::string& line) { return aolsim::RunCommand(client, line); }, end);
    return app.exec();
  }
  // At a terminal the typed line, echoed by the terminal, gives way to the room's line.
  const bool echoed = ::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO);
  aolsim::StdinLines input(
      [&](const std::string& line) {
        if (echoed) std::fputs("\x1b[1A\x1b[2K", stdout);
        return aolsim::RunTerminalLine(client, line);
      },
      end);
  return app.exec();
}
