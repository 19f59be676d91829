#pragma once
// The view of the Welcome window: its greeting and the temperature.
#include <QLabel>
#include <QVBoxLayout>

#include "aolsim/chat_client.h"
#include "aolsim/window/window_view.h"

namespace aolsim::window {

class WelcomeView : public WindowView {
  Q_OBJECT
 public:
  WelcomeView(ChatClient& client, win32::WindowTree& tree, win32::HWND welcome);
  void Refresh() override;

  const QLabel& greeting() const { return greeting_; }
  const QLabel& temperature() const { return temperature_; }

 private:
  ChatClient& client_;
  win32::WindowTree& tree_;
  QVBoxLayout layout_{this};
  QLabel greeting_;
  QLabel temperature_;
};

}  // namespace aolsim::window
