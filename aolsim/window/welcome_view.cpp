#include "aolsim/window/welcome_view.h"

#include "platform/text/cp1252.h"

namespace aolsim::window {

WelcomeView::WelcomeView(ChatClient& client, win32::WindowTree& tree, win32::HWND welcome)
    : WindowView(welcome), client_(client), tree_(tree) {
  QFont big = greeting_.font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  big.setBold(true);
  greeting_.setFont(big);
  // Any desktop peer can set these captions: shown as they are, never as markup.
  greeting_.setTextFormat(Qt::PlainText);
  temperature_.setTextFormat(Qt::PlainText);
  layout_.addWidget(&greeting_);
  layout_.addWidget(&temperature_);
  layout_.addStretch();
  resize(280, 140);
}

void WelcomeView::Refresh() {
  auto shown = [](const std::string& text) {
    return QString::fromStdString(platform::Cp1252ToUtf8(text));
  };
  greeting_.setText(shown(tree_.Caption(window())));
  const win32::HWND box = client_.temperatureBox();
  temperature_.setText(QStringLiteral("Weather: ") + shown(box != 0 ? tree_.Caption(box) : ""));
}

}  // namespace aolsim::window
