#pragma once
// Script mode: commands on standard input, one a line, fields separated by a tab, in UTF-8.
// The end of the input ends the client.
#include <QObject>
#include <QSocketNotifier>
#include <string>

#include "aolsim/chat_client.h"

namespace aolsim {

// Carries out one command line (Windows-1252). Returns false for "quit". Commands that make
// no sense are reported on standard error and otherwise skipped.
bool RunCommand(ChatClient& client, const std::string& line);

class ScriptMode : public QObject {
  Q_OBJECT
 public:
  explicit ScriptMode(ChatClient& client, QObject* parent = nullptr);

 private:
  void ReadInput();
  void Finish();

  ChatClient& client_;
  QSocketNotifier notifier_;
  std::string pending_;
  bool finished_ = false;
};

}  // namespace aolsim
