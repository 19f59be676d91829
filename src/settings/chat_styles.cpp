#include "src/settings/chat_styles.h"

#include <array>

#include "platform/files/list_files.h"
#include "platform/text/cp1252.h"
#include "src/settings/program_files.h"
#include "src/settings/settings_store.h"

namespace spindeck {
namespace {

struct StyleKey {
  const char* key;
  std::string RuntimeState::*field;
};

// The keys in the order a style is read.
constexpr std::array<StyleKey, 8> kLoadOrder = {{
    {"font", &RuntimeState::lblfont},
    {"fcolor", &RuntimeState::lblfcolor},
    {"fascii", &RuntimeState::lblfascii},
    {"bascii", &RuntimeState::lblbascii},
    {"acolor", &RuntimeState::lblacolor},
    {"afont", &RuntimeState::lblafont},
    {"author", &RuntimeState::lblsauthor},
    {"mascii", &RuntimeState::lblmascii},
}};

// The keys in the order a style is written; "author" is written from the DJ name instead.
constexpr std::array<StyleKey, 8> kSaveOrder = {{
    {"font", &RuntimeState::lblfont},
    {"fcolor", &RuntimeState::lblfcolor},
    {"afont", &RuntimeState::lblafont},
    {"acolor", &RuntimeState::lblacolor},
    {"mascii", &RuntimeState::lblmascii},
    {"bascii", &RuntimeState::lblbascii},
    {"fascii", &RuntimeState::lblfascii},
    {"author", &RuntimeState::lblhandle},
}};

// The text with every occurrence of `find` removed, matching case exactly, in one pass from
// the left (what is left after a removal is not searched again as a new whole).
std::string RemoveExact(const std::string& text, const std::string& find) {
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(find); at != std::string::npos; at = text.find(find, from)) {
    result.append(text, from, at - from);
    from = at + find.size();
  }
  result.append(text, from);
  return result;
}

}  // namespace

void LoadStyle(RuntimeState& state) {
  const bool plain = IsPlainStyleName(state.lblstyle);
  const auto file = StyleFile(state, state.lblstyle);
  for (const auto& [key, field] : kLoadOrder)
    state.*field = plain ? ReadIni(state.lblstyle, key, file) : std::string();
}

void SaveStyle(RuntimeState& state) {
  if (!IsPlainStyleName(state.lblstyle)) return;
  const auto file = StyleFile(state, state.lblstyle);
  for (const auto& [key, field] : kSaveOrder) WriteIni(state.lblstyle, key, state.*field, file);
}

int RefreshStyleList(RuntimeState& state) {
  const auto files = platform::ListFiles(StylesFolder(state), ".dll");
  for (const auto& name : files)
    state.lstStyles.append(RemoveExact(platform::Utf8ToCp1252(name), ".dll"));
  return static_cast<int>(files.size());
}

bool IsPlainStyleName(const std::string& name) {
  return name.find_first_of("/\\") == std::string::npos && !name.starts_with("..");
}

}  // namespace spindeck
