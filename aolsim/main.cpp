// aolsim: the stand-in chat client. It owns the chat windows and serves them on the desktop
// socket ($SPINDECK_DESKTOP). "aolsim --script" takes tab-separated commands on standard
// input and reports events on standard output; plain "aolsim" is for a person at a terminal.
#include <sys/prctl.h>

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "aolsim/chat_client.h"
#include "aolsim/events.h"
#include "aolsim/script_mode.h"
#include "aolsim/stdin_lines.h"
#include "aolsim/terminal_mode.h"
#include "platform/text/cp1252.h"
#include "platform/win32/desktop_host.h"
#include "platform/win32/window_tree.h"

int main(int argc, char** argv) {
  // Programs of the same user read the member records with process_vm_readv; under Yama
  // that needs our leave. Failure only matters where Yama is strict, so it is ignored.
  ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
  std::signal(SIGPIPE, SIG_IGN);  // a reader that went away must not kill the client

  bool script = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf(
          "usage: aolsim [--script]\n"
          "Serves the chat client's windows on $SPINDECK_DESKTOP. With --script it reads\n"
          "tab-separated commands from standard input and writes events (see README.md);\n"
          "without, you chat at the terminal (type /help).\n");
      return 0;
    }
    if (std::strcmp(argv[i], "--script") != 0) {
      std::fprintf(stderr, "aolsim: unknown option %s\n", argv[i]);
      return 2;
    }
    script = true;
  }

  QCoreApplication app(argc, argv);
  win32::WindowTree tree;
  aolsim::ChatClient client(tree, script ? aolsim::PrintEvent : aolsim::ShowEvent);
  win32::DesktopHost host(tree);
  const std::string path = win32::DesktopPath();
  if (!host.Listen(path)) {
    std::fprintf(stderr, "aolsim: cannot listen on %s\n", path.c_str());
    return 1;
  }
  if (script) {
    aolsim::PrintEvent({"ready"});
    aolsim::StdinLines input(
        [&](const std::string& line) { return aolsim::RunCommand(client, line); });
    return app.exec();
  }
  const char* name = std::getenv("AOLSIM_NAME");
  client.SignOn(platform::Utf8ToCp1252(name != nullptr && *name != '\0' ? name : "DeckUser"));
  client.OpenRoom("Lobby");
  std::printf("aolsim: signed on as %s in Lobby, serving %s. Type /help.\n",
              platform::Cp1252ToUtf8(client.user()).c_str(), path.c_str());
  std::fflush(stdout);
  aolsim::StdinLines input(
      [&](const std::string& line) { return aolsim::RunTerminalLine(client, line); });
  return app.exec();
}
