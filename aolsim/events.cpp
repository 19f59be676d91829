#include "aolsim/events.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <cstdio>

#include "platform/text/cp1252.h"

namespace aolsim {

std::string FormatEvent(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += '\t';
    for (char c : fields[i]) line += (c == '\r' || c == '\n') ? ' ' : c;
  }
  return platform::Cp1252ToUtf8(line);
}

void PrintEvent(const std::vector<std::string>& fields) {
  std::string line = FormatEvent(fields);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
}

void FlushEventsBeforeEachWait() {
  // The dispatcher exists once the application object does.
  QAbstractEventDispatcher* dispatcher = QCoreApplication::eventDispatcher();
  if (dispatcher == nullptr) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // no loop to wait on: each line at once
    return;
  }
  QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                   [] { std::fflush(stdout); });
}

}  // namespace aolsim
