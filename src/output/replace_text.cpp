#include "src/output/replace_text.h"

namespace spindeck {
std::string ReplaceText(const std::string& source, const std::string& find,
                        const std::string& replacement) {
  if (find.empty()) return source;
  const std::string lowerFind = LowerText(find);
  std::string result = source;
  std::string lowerResult = LowerText(result);
  std::size_t p = lowerResult.find(lowerFind);
  while (p != std::string::npos) {
    result.replace(p, find.size(), replacement);
    lowerResult.replace(p, find.size(), LowerText(replacement));
    p = lowerResult.find(lowerFind, p + replacement.size());
  }
  return result;
}

}  // namespace spindeck
