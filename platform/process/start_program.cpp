#include "platform/process/start_program.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace platform {

std::string StartFirstProgramFound(const std::vector<std::string>& names) {
  for (const auto& name : names) {
    const QString path = QStandardPaths::findExecutable(QString::fromStdString(name));
    if (path.isEmpty()) continue;
    // A program that is found but cannot be started (a broken link, a bad binary) is passed
    // over for the next one.
    if (QProcess::startDetached(path, {})) return name;
  }
  return {};
}

}  // namespace platform
