#include "tests/support/wait_for_file.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace spindeck::testing {

bool WaitForFile(const QString& path, const std::function<bool()>& done, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  QFileSystemWatcher watcher;
  QEventLoop loop;
  QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, &QEventLoop::quit);
  QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &loop, &QEventLoop::quit);
  while (true) {
    // The nearest folder on the way that exists is watched, until the file's own folder is.
    QString folder = QFileInfo(path).absolutePath();
    while (!QFileInfo::exists(folder) && folder != QFileInfo(folder).absolutePath()) {
      folder = QFileInfo(folder).absolutePath();
    }
    if (!watcher.directories().contains(folder)) watcher.addPath(folder);
    // The file is watched from the moment it exists, so that writes to it wake the loop too;
    // one that is replaced is watched afresh.
    if (QFileInfo::exists(path) && !watcher.files().contains(path)) watcher.addPath(path);
    if (done()) return true;
    const qint64 left = deadline.remainingTime();
    if (left <= 0) return false;
    QTimer wake;
    wake.setSingleShot(true);
    QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
    wake.start(static_cast<int>(left));
    loop.exec();
  }
}

bool WaitForFileToExist(const QString& path, int timeoutMs) {
  return WaitForFile(
      path, [&] { return QFileInfo::exists(path); }, timeoutMs);
}

}  // namespace spindeck::testing
