// aolsim: the stand-in chat client. It owns the chat windows and serves them on the desktop
// socket ($SPINDECK_DESKTOP). "aolsim --script" takes tab-separated commands on standard
// input and reports events on standard output; plain "aolsim" is for a person at a terminal;
// "aolsim --window" shows the windows on the screen (with either of the other two).
// Chatters and a companion program (see options.h) make it a room to try the jukebox in.
#include <sys/prctl.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "aolsim/chat_client.h"
#include "aolsim/chatters.h"
#include "aolsim/companion.h"
#include "aolsim/events.h"
#include "aolsim/irc/irc_chatters.h"
#include "aolsim/irc/irc_rooms.h"
#include "aolsim/options.h"
#include "aolsim/script_mode.h"
#include "aolsim/stdin_lines.h"
#include "aolsim/terminal_mode.h"
#include "aolsim/window/client_window.h"
#include "platform/process/quit_signals.h"
#include "platform/text/cp1252.h"
#include "platform/win32/desktop_host.h"
#include "platform/win32/window_tree.h"

namespace {

// The server's password: the first line of the password file, or $AOLSIM_PASSWORD. Nothing,
// after a complaint, when the file cannot be read.
std::optional<std::string> ReadPassword(const aolsim::Options& options) {
  if (options.passwordFile.empty()) {
    const char* password = std::getenv("AOLSIM_PASSWORD");
    return std::string(password != nullptr ? password : "");
  }
  std::ifstream file(options.passwordFile);
  std::string line;
  if (!file || !std::getline(file, line)) {
    std::fprintf(stderr, "aolsim: cannot read the password file %s\n",
                 options.passwordFile.c_str());
    return std::nullopt;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<aolsim::irc::ServerAddress> ServerOf(const aolsim::Options& options) {
  aolsim::irc::ServerAddress server;
  server.host = options.ircHost;
  server.tls = options.tls;
  server.port = options.ircPort != 0 ? options.ircPort : options.tls ? 6697 : 6667;
  server.caFile = options.tlsCa;
  server.sasl = options.sasl;
  server.saslOptional = options.saslOptional;
  server.saslAccount = options.saslAccount;
  const std::optional<std::string> password = ReadPassword(options);
  if (!password) return std::nullopt;
  server.password = *password;
  if (server.sasl && server.password.empty()) {
    std::fprintf(stderr, "aolsim: --sasl needs a password: --password-file or $AOLSIM_PASSWORD\n");
    return std::nullopt;
  }
  return server;
}

}  // namespace

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

  // The window needs a graphical application; without a display it draws offscreen.
  std::unique_ptr<QCoreApplication> app;
  if (options->window) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
      setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    app = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
  } else {
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  win32::WindowTree tree;
  aolsim::ChatClient client(tree, script ? aolsim::PrintEvent : aolsim::ShowEvent);
  win32::DesktopHost host(tree);
  const std::string path = win32::DesktopPath();
  if (!host.Listen(path)) {
    std::fprintf(stderr, "aolsim: cannot listen on %s\n", path.c_str());
    return 1;
  }
  // On IRC the rooms are channels, and the user signs on once the server has welcomed them.
  std::optional<aolsim::irc::ServerAddress> server;
  std::unique_ptr<aolsim::irc::IrcRooms> network;
  std::unique_ptr<aolsim::irc::IrcChatters> networkChatters;
  if (!options->ircHost.empty()) {
    server = ServerOf(*options);
    if (!server) return 2;
    network = std::make_unique<aolsim::irc::IrcRooms>(client, *server, AOLSIM_VERSION);
    client.SetNetwork(network.get());
  }
  std::vector<std::string> rooms = options->rooms;
  if (rooms.empty() && !script) rooms.push_back("Lobby");
  const char* envName = std::getenv("AOLSIM_NAME");
  const bool named = envName != nullptr && *envName != '\0';
  const std::string name = platform::Utf8ToCp1252(named ? envName : "DeckUser");
  if (network) {
    if ((named || !script) && !network->SignOn(name)) return 2;
  } else if (!script) {
    client.SignOn(name);
  }
  for (const std::string& room : rooms) client.OpenRoom(platform::Utf8ToCp1252(room));
  if (!script) {
    if (network) {
      std::printf("aolsim: connecting to %s:%d as %s, serving %s. Type /help.\n",
                  server->host.c_str(), server->port, platform::Cp1252ToUtf8(name).c_str(),
                  path.c_str());
    } else {
      std::printf("aolsim: signed on as %s in %s, serving %s. Type /help.\n",
                  platform::Cp1252ToUtf8(client.user()).c_str(), rooms.front().c_str(),
                  path.c_str());
    }
    std::fflush(stdout);
  }

  std::vector<std::string> chatterNames;
  for (const std::string& chatter : options->chatters) {
    chatterNames.push_back(platform::Utf8ToCp1252(chatter));
  }
  if (network && !chatterNames.empty()) {
    networkChatters = std::make_unique<aolsim::irc::IrcChatters>(client, *server);
  }
  aolsim::Chatters chatters =
      networkChatters
          ? aolsim::Chatters(networkChatters->Voice(), chatterNames, options->minPauseMs,
                             options->maxPauseMs)
          : aolsim::Chatters(client, chatterNames, options->minPauseMs, options->maxPauseMs);

  std::unique_ptr<aolsim::window::ClientWindow> window;  // made below; let close on quitting

  // Ending: with a companion, the client waits for it (serving its windows meanwhile), so
  // that whatever it says on its way out still reaches the room.
  std::unique_ptr<aolsim::Companion> companion;
  // On a network the lines still waiting to leave go first, within a bound.
  auto quit = [&] {
    if (window) window->AllowClose();
    if (network) {
      network->Finish([] { QCoreApplication::quit(); }, 10000);
    } else {
      QCoreApplication::quit();
    }
  };
  auto end = [&] {
    if (!companion) {
      quit();
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
    QObject::connect(companion.get(), &aolsim::Companion::stopped, app.get(), quit);
    if (!companion->Start()) return 1;
  }

  if (options->window) {
    window = std::make_unique<aolsim::window::ClientWindow>(client, tree);
    QObject::connect(window.get(), &aolsim::window::ClientWindow::closed, app.get(), end);
    if (options->windowAt) window->PlaceAt(*options->windowAt);
    window->show();
  }

  if (script) {
    aolsim::FlushEventsBeforeEachWait();
    aolsim::PrintEvent({"ready"});
    aolsim::StdinLines input(
        [&](const std::string& line) { return aolsim::RunCommand(client, line); }, end);
    return app->exec();
  }
  // With the window the terminal is optional: without one, the window alone drives the client
  // and the end of its standard input ends nothing.
  if (window && !::isatty(STDIN_FILENO)) return app->exec();
  // At a terminal the typed line, echoed by the terminal, gives way to the room's line.
  const bool echoed = ::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO);
  aolsim::StdinLines input(
      [&](const std::string& line) {
        if (echoed) std::fputs("\x1b[1A\x1b[2K", stdout);
        return aolsim::RunTerminalLine(client, line);
      },
      end);
  return app->exec();
}
