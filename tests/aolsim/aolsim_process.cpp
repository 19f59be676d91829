#include "aolsim_process.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cstdlib>
#include <cstring>

namespace aolsim_test {

using namespace win32;

AolsimProcess::AolsimProcess(const QStringList& extraArgs) {
  const std::string path = dir_.path().toStdString() + "/desktop";
  setenv("SPINDECK_DESKTOP", path.c_str(), 1);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("SPINDECK_DESKTOP", QString::fromStdString(path));
  process_.setProcessEnvironment(env);
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.start(AOLSIM_EXE, QStringList{"--script"} + extraArgs);
  started_ = process_.waitForStarted(5000) && NextEvent(5000) == "ready";
}

AolsimProcess::~AolsimProcess() {
  if (process_.state() != QProcess::NotRunning) {
    process_.kill();
    process_.waitForFinished(3000);
  }
}

void AolsimProcess::Command(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += '\t';
    line += fields[i];
  }
  line += '\n';
  process_.write(line.data(), static_cast<qint64>(line.size()));
  process_.waitForBytesWritten(1000);
}

std::string AolsimProcess::NextEvent(int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (true) {
    buffered_ += process_.readAllStandardOutput().toStdString();
    const std::size_t newline = buffered_.find('\n');
    if (newline != std::string::npos) {
      std::string line = buffered_.substr(0, newline);
      buffered_.erase(0, newline + 1);
      return line;
    }
    const qint64 left = timeoutMs - timer.elapsed();
    if (left <= 0 || process_.state() == QProcess::NotRunning) return "";
    process_.waitForReadyRead(static_cast<int>(left));
  }
}

std::vector<std::string> AolsimProcess::Sync() {
  Command({"echo", "sync"});
  std::vector<std::string> skipped;
  while (true) {
    const std::string event = NextEvent();
    if (event.empty() || event == "echo\tsync") return skipped;
    skipped.push_back(event);
  }
}

int AolsimProcess::CloseInputAndWait() {
  CloseInput();
  return WaitForExit(5000);
}

void AolsimProcess::CloseInput() {
  process_.closeWriteChannel();
}

int AolsimProcess::WaitForExit(int timeoutMs) {
  if (!process_.waitForFinished(timeoutMs)) return -1;
  return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

HWND Frame() {
  return FindWindowA("AOL Frame25", nullptr);
}

HWND MdiClient() {
  return FindWindowExA(Frame(), 0, "MDIClient", nullptr);
}

std::vector<HWND> Children(HWND parent, const char* className) {
  std::vector<HWND> found;
  for (HWND w = FindWindowExA(parent, 0, className, nullptr); w != 0;
       w = FindWindowExA(parent, w, className, nullptr)) {
    found.push_back(w);
  }
  return found;
}

std::string Caption(HWND window) {
  char buffer[256];
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

std::string ControlText(HWND window) {
  const auto n = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::strlen(text.c_str()));
  return text;
}

HWND RoomWindow(const std::string& name) {
  return FindWindowExA(MdiClient(), 0, "AOL Child", name.c_str());
}

HWND Child(HWND parent, const char* className) {
  return FindWindowExA(parent, 0, className, nullptr);
}

std::vector<std::string> MemberNames(HWND memberList) {
  std::vector<std::string> names;
  DWORD pid = 0;
  GetWindowThreadProcessId(memberList, &pid);
  HANDLE process = OpenProcess(STANDARD_RIGHTS_REQUIRED | PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) return names;
  const auto count = SendMessageA(memberList, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto p = static_cast<std::uint32_t>(
        SendMessageA(memberList, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    unsigned char q[4] = {};
    ReadProcessMemory(process, reinterpret_cast<LPCVOID>(std::uintptr_t{p} + 28), q, 4, nullptr);
    const std::uint32_t qAddress =
        q[0] | (q[1] << 8) | (q[2] << 16) | (static_cast<std::uint32_t>(q[3]) << 24);
    char name[16] = {};
    ReadProcessMemory(process, reinterpret_cast<LPCVOID>(std::uintptr_t{qAddress} + 6), name, 16,
                      nullptr);
    names.emplace_back(name, strnlen(name, 16));
  }
  CloseHandle(process);
  return names;
}

}  // namespace aolsim_test
