#include "src/settings/stream_settings.h"

#include <cstdio>
#include <system_error>

#include "platform/files/read_file.h"
#include "platform/text/cp1252.h"
#include "src/settings/settings_store.h"

namespace spindeck {
namespace {

namespace fs = std::filesystem;

// A file name from the settings (Windows-1252 text) as the native path it names.
fs::path PathOfSetting(const std::string& text, const fs::path& programFolder) {
  const fs::path path(platform::Cp1252ToUtf8(text));
  return path.is_absolute() ? path : programFolder / path;
}

std::string OctalMode(fs::perms perms) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(perms) & 07777U);
  return text;
}

}  // namespace

std::optional<std::string> ReadPasswordFile(const fs::path& file, std::string& problem) {
  const std::string name = file.string();
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (!fs::exists(status)) {
    problem = "the stream's password file " + name + " does not exist";
    return std::nullopt;
  }
  if (!fs::is_regular_file(status)) {
    problem = "the stream's password file " + name + " is not a file";
    return std::nullopt;
  }
  const fs::perms open = fs::perms::group_all | fs::perms::others_all;
  if ((status.permissions() & open) != fs::perms::none) {
    problem = "the stream's password file " + name + " is open to other users (mode " +
              OctalMode(status.permissions()) + "); make it private (chmod 600 " + name + ")";
    return std::nullopt;
  }
  std::string bytes;
  if (platform::ReadFileBytes(file, bytes) != platform::FileRead::ok) {
    problem = "the stream's password file " + name + " cannot be read";
    return std::nullopt;
  }
  std::string password = bytes.substr(0, bytes.find_first_of("\r\n"));
  if (password.empty()) {
    problem = "the stream's password file " + name + " holds no password on its first line";
    return std::nullopt;
  }
  return password;
}

std::optional<StreamSettings> ReadStreamSettings(const fs::path& settingsFile,
                                                 const fs::path& programFolder,
                                                 std::string& problem) {
  problem.clear();
  const std::string url = ReadIni(kStreamSection, "url", settingsFile);
  if (url.empty()) return std::nullopt;
  std::string error;
  const auto parsed = platform::ParseIcecastUrl(url, error);
  if (!parsed) {
    problem = error + " (" + platform::Cp1252ToUtf8(url) + ")";
    return std::nullopt;
  }
  const std::string passwordFile = ReadIni(kStreamSection, "passwordfile", settingsFile);
  if (passwordFile.empty()) {
    problem = "the stream has no PASSWORDFILE in the settings file";
    return std::nullopt;
  }
  auto password = ReadPasswordFile(PathOfSetting(passwordFile, programFolder), problem);
  if (!password) return std::nullopt;
  std::string listenUrl = ReadIni(kStreamSection, "listenurl", settingsFile);
  if (listenUrl.empty()) listenUrl = platform::ListenUrlOf(*parsed);
  return StreamSettings{*parsed, std::move(*password), std::move(listenUrl)};
}

}  // namespace spindeck
