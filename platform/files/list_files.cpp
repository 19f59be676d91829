#include "platform/files/list_files.h"

#include <algorithm>

#include "platform/text/letter_case.h"

namespace platform {
namespace {

bool EndsWithIgnoringCase(const std::string& name, const std::string& ending) {
  if (ending.size() > name.size()) return false;
  const size_t start = name.size() - ending.size();
  for (size_t i = 0; i < ending.size(); ++i) {
    if (LowerAsciiByte(static_cast<unsigned char>(name[start + i])) !=
        LowerAsciiByte(static_cast<unsigned char>(ending[i]))) {
      return false;
    }
  }
  return true;
}

// Case-folded comparison first, then the bytes, so that the order is total and stable.
bool ListOrder(const std::string& a, const std::string& b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const unsigned char x = LowerAsciiByte(static_cast<unsigned char>(a[i]));
    const unsigned char y = LowerAsciiByte(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace

std::vector<std::string> ListFiles(const std::filesystem::path& folder,
                                   const std::string& extension) {
  return ListFiles(folder, std::vector<std::string>{extension});
}

std::vector<std::string> ListFiles(const std::filesystem::path& folder,
                                   const std::vector<std::string>& extensions) {
  std::vector<std::string> names;
  try {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    const std::filesystem::directory_iterator end;
    for (; !ec && it != end; it.increment(ec)) {
      std::error_code type_ec;
      if (!it->is_regular_file(type_ec)) continue;
      std::string name = it->path().filename().string();
      const bool wanted = std::any_of(
          extensions.begin(), extensions.end(),
          [&](const std::string& extension) { return EndsWithIgnoringCase(name, extension); });
      if (wanted) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), ListOrder);
  } catch (...) {
    names.clear();
  }
  return names;
}

}  // namespace platform
