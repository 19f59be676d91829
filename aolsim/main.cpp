// aolsim: the stand-in chat client. It owns the chat windows and serves them on the desktop
// socket ($SPINDECK_DESKTOP), and is driven by commands on standard input.
#include <sys/prctl.h>

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "aolsim/chat_client.h"
#include "aolsim/events.h"
#include "aolsim/script_mode.h"
#include "platform/win32/desktop_host.h"
#include "platform/win32/window_tree.h"

int main(int argc, char** argv) {
  // Programs of the same user read the member records with process_vm_readv; under Yama
  // that needs our leave. Failure only matters where Yama is strict, so it is ignored.
  ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
  std::signal(SIGPIPE, SIG_IGN);  // a reader that went away must not kill the client

  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf(
          "usage: aolsim [--script]\n"
          "Serves the chat client's windows on $SPINDECK_DESKTOP and reads commands,\n"
          "tab-separated, from standard input (see README.md).\n");
      return 0;
    }
    if (std::strcmp(argv[i], "--script") != 0) {
      std::fprintf(stderr, "aolsim: unknown option %s\n", argv[i]);
      return 2;
    }
  }

  QCoreApplication app(argc, argv);
  win32::WindowTree tree;
  aolsim::ChatClient client(tree, aolsim::PrintEvent);
  win32::DesktopHost host(tree);
  const std::string path = win32::DesktopPath();
  if (!host.Listen(path)) {
    std::fprintf(stderr, "aolsim: cannot listen on %s\n", path.c_str());
    return 1;
  }
  aolsim::PrintEvent({"ready"});
  aolsim::ScriptMode script(client);
  return app.exec();
}
