#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/win32/desktop_host.h"

namespace win32 {

std::string DesktopPath() {
  if (const char* explicitPath = std::getenv("SPINDECK_DESKTOP"); explicitPath && *explicitPath) {
    return explicitPath;
  }
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    return std::string(runtime) + "/spindeck/desktop";
  }
  return "/tmp/spindeck-" + std::to_string(getuid()) + "/desktop";
}

}  // namespace win32
