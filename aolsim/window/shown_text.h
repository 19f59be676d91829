#pragma once
// The client's texts are Windows-1252 bytes; Qt shows them as Unicode.
#include <QString>
#include <string>

#include "platform/text/cp1252.h"

namespace aolsim::window {

inline QString Shown(const std::string& text) {
  return QString::fromStdString(platform::Cp1252ToUtf8(text));
}

}  // namespace aolsim::window
