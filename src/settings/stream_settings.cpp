#include "src/settings/stream_settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <iterator>

#include "platform/files/unique_fd.h"
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

constexpr std::size_t kMaxPasswordFileBytes = 64 * 1024;

std::string OctalMode(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode) & 07777U);
  return text;
}

// The address as it may be shown: without whatever stands before its last '@' (the user, and
// a password wrongly put there), so that no part of a secret reaches a message.
std::string ShownUrl(const std::string& url) {
  const auto scheme = url.find("://");
  const std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
  const auto at = url.rfind('@');
  if (at == std::string::npos || at < start) return url;
  return url.substr(0, start) + url.substr(at + 1);
}

// The number in `text` (all of it), or nothing.
template <class Number>
std::optional<Number> NumberIn(const std::string& text) {
  Number value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || text.empty()) return std::nullopt;
  return value;
}

// The optional keys of the stream; false, with the reason in `problem`, for one out of range.
bool ReadOptions(const fs::path& settingsFile, platform::StreamOptions& options,
                 std::string& problem) {
  const auto key = [&](const char* name) { return ReadIni(kStreamSection, name, settingsFile); };
  if (std::string text = key("format"); !text.empty()) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    if (text == "opus") {
      options.format = platform::StreamFormat::kOpus;
    } else if (text != "mp3") {
      problem = "the stream's FORMAT must be mp3 or opus";
      return false;
    }
  }
  if (const std::string text = key("bitrate"); !text.empty()) {
    static constexpr int kRates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    const auto value = NumberIn<int>(text);
    if (options.format == platform::StreamFormat::kOpus) {
      if (!value || *value < 6 || *value > 510) {
        problem = "the stream's BITRATE must be a number from 6 to 510 (kbit/s) for opus";
        return false;
      }
    } else if (!value ||
               std::find(std::begin(kRates), std::end(kRates), *value) == std::end(kRates)) {
      problem =
          "the stream's BITRATE must be one of 32 40 48 56 64 80 96 112 128 160 192 224 "
          "256 320 (kbit/s)";
      return false;
    }
    options.kilobitsPerSecond = *value;
  }
  if (const std::string text = key("quality"); !text.empty()) {
    const auto value = NumberIn<int>(text);
    if (!value || *value < 0 || *value > 9) {
      problem = "the stream's QUALITY must be a number from 0 (best) to 9 (fastest)";
      return false;
    }
    options.quality = *value;
  }
  if (const std::string text = key("streamgain"); !text.empty()) {
    const auto value = NumberIn<double>(text);
    if (!value || !(*value >= -60.0 && *value <= 20.0)) {
      problem = "the stream's STREAMGAIN must be a number of decibels from -60 to 20";
      return false;
    }
    options.gainDb = *value;
  }
  if (const std::string text = key("public"); !text.empty()) {
    if (text != "0" && text != "1") {
      problem = "the stream's PUBLIC must be 0 or 1";
      return false;
    }
    options.listed = text == "1";
  }
  if (const std::string text = key("name"); !text.empty())
    options.name = platform::Cp1252ToUtf8(text);
  options.genre = platform::Cp1252ToUtf8(key("genre"));
  options.description = platform::Cp1252ToUtf8(key("description"));
  options.url = platform::Cp1252ToUtf8(key("stationurl"));
  return true;
}

}  // namespace

std::optional<std::string> ReadPasswordFile(const fs::path& file, std::string& problem) {
  const std::string name = file.string();
  // Opened once, and the open file checked: what is read is what was checked. Non-blocking,
  // so that a named pipe is refused rather than waited on.
  const platform::UniqueFd fd(open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd) {
    problem = "the stream's password file " + name +
              (errno == ENOENT ? " does not exist" : " cannot be opened");
    return std::nullopt;
  }
  struct stat status {};
  if (fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    problem = "the stream's password file " + name + " is not a file";
    return std::nullopt;
  }
  if (status.st_uid != geteuid()) {
    problem = "the stream's password file " + name + " belongs to another user (uid " +
              std::to_string(status.st_uid) + "); it must be the program's own (uid " +
              std::to_string(geteuid()) + ")";
    return std::nullopt;
  }
  if ((status.st_mode & 077) != 0) {
    problem = "the stream's password file " + name + " is open to other users (mode " +
              OctalMode(status.st_mode) + "); make it private (chmod 600 " + name + ")";
    return std::nullopt;
  }
  // The first line is all that is needed; a password file is small.
  std::string bytes;
  char buffer[4096];
  while (bytes.size() < kMaxPasswordFileBytes) {
    const ssize_t got = read(fd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      problem = "the stream's password file " + name + " cannot be read";
      return std::nullopt;
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
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
    problem = error + " (" + platform::Cp1252ToUtf8(ShownUrl(url)) + ")";
    return std::nullopt;
  }
  const std::string passwordFile = ReadIni(kStreamSection, "passwordfile", settingsFile);
  if (passwordFile.empty()) {
    problem = "the stream has no PASSWORDFILE in the settings file";
    return std::nullopt;
  }
  auto password = ReadPasswordFile(PathOfSetting(passwordFile, programFolder), problem);
  if (!password) return std::nullopt;
  platform::IcecastUrl where = *parsed;
  if (const std::string caFile = ReadIni(kStreamSection, "cafile", settingsFile); !caFile.empty())
    where.caFile = PathOfSetting(caFile, programFolder).string();
  std::string listenUrl = ReadIni(kStreamSection, "listenurl", settingsFile);
  if (listenUrl.empty()) listenUrl = platform::ListenUrlOf(where);
  platform::StreamOptions options;
  if (!ReadOptions(settingsFile, options, problem)) return std::nullopt;
  return StreamSettings{std::move(where), std::move(*password), std::move(listenUrl),
                        std::move(options)};
}

}  // namespace spindeck
