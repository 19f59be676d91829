#pragma once
// The view of a chat room: the transcript drawn from each line's HTML, the member list with
// its count, and the input box with its Send button. Enter or Send types the line into the
// served input box and presses Enter there; a double click on a member double-clicks the
// served member list at that name.
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdint>
#include <string>
#include <vector>

#include "aolsim/chat_client.h"
#include "aolsim/window/transcript_view.h"
#include "aolsim/window/window_view.h"

namespace aolsim::window {

class RoomView : public WindowView {
  Q_OBJECT
 public:
  RoomView(ChatClient& client, win32::WindowTree& tree, win32::HWND room);
  void Refresh() override;

  TranscriptView& transcript() { return transcript_; }
  QListWidget& members() { return members_; }
  QLineEdit& input() { return input_; }
  QPushButton& send() { return send_; }

 private:
  void Send();
  void OpenMember(int row);

  ChatClient& client_;
  win32::WindowTree& tree_;
  std::uint64_t shownUpTo_ = 0;  // the serial after the last line drawn
  std::vector<std::string> shownMembers_;

  // Children after the layouts and widgets they sit in (members go in reverse order).
  QHBoxLayout layout_{this};
  QVBoxLayout chatColumn_;
  QVBoxLayout memberColumn_;
  QHBoxLayout inputRow_;
  TranscriptView transcript_;
  QLineEdit input_;
  QPushButton send_{QStringLiteral("Send")};
  QLabel count_;
  QListWidget members_;
};

}  // namespace aolsim::window
