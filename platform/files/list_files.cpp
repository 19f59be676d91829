#include "platform/files/list_files.h"

#include <algorithm>
#include <string>
#include <utility>

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

// The name with its ASCII letters in lower case: the first key of the list's order.
std::string FoldedName(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) c = static_cast<char>(LowerAsciiByte(static_cast<unsigned char>(c)));
  return folded;
}

// Case-folded comparison first, then the bytes, so that the order is total and stable. Each
// name is folded once, ahead of the sort, which keeps the sort of a large folder cheap.
void SortForList(std::vector<std::string>& names) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) keyed.emplace_back(FoldedName(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = std::move(keyed[i].second);
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
    SortForList(names);
  } catch (...) {
    names.clear();
  }
  return names;
}

}  // namespace platform
