#pragma once
// Runs aolsim in script mode on a desktop of its own, and points this process's window
// services at that desktop, so that a test drives its windows as the program does.
#include <QProcess>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "platform/win32/win32.h"

namespace aolsim_test {

class AolsimProcess {
 public:
  // extraArgs follow "--script" on the command line.
  explicit AolsimProcess(const QStringList& extraArgs = {});
  ~AolsimProcess();

  bool started() const { return started_; }
  // Sends one command; the fields are joined by tabs (UTF-8).
  void Command(const std::vector<std::string>& fields);
  // The next event line (UTF-8, without its newline), or "" after the timeout.
  std::string NextEvent(int timeoutMs = 3000);
  // Sends "echo" and skips events until it comes back: every command before it is done.
  // Returns the events skipped.
  std::vector<std::string> Sync();
  // Closes standard input and waits for the exit; the exit code, or -1.
  int CloseInputAndWait();
  void CloseInput();
  // Waits for the exit; the exit code, or -1.
  int WaitForExit(int timeoutMs);
  qint64 pid() const { return process_.processId(); }

 private:
  QTemporaryDir dir_;
  QProcess process_;
  std::string buffered_;
  bool started_ = false;
};

// The window helpers below start from the frame each time, as the program does.
win32::HWND Frame();
win32::HWND MdiClient();
// The "AOL Child" windows in z-order, top first.
std::vector<win32::HWND> Children(win32::HWND parent, const char* className);
std::string Caption(win32::HWND window);
// WM_GETTEXTLENGTH then WM_GETTEXT.
std::string ControlText(win32::HWND window);
// A room window by caption, or 0.
win32::HWND RoomWindow(const std::string& name);
win32::HWND Child(win32::HWND parent, const char* className);
// Names of the member list through the member records in the client's memory.
std::vector<std::string> MemberNames(win32::HWND memberList);

}  // namespace aolsim_test
