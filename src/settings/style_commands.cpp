#include "src/settings/style_commands.h"

#include "platform/text/zero_padded.h"
#include "src/state/random_number.h"
#include "src/output/styled_message.h"
#include "src/settings/chat_styles.h"
#include "src/settings/program_files.h"
#include "src/settings/settings_store.h"

namespace spindeck {
namespace {

// The working style "default": switches to it, sets one field and writes only that key.
void SetDefaultField(RuntimeState& state, std::string RuntimeState::*field, const char* key,
                     const std::string& value, const std::string& reply) {
  state.lblstyle = "default";
  state.*field = value;
  WriteIni("default", key, value, StyleFile(state, "default"));
  Reply(state, reply);
}

}  // namespace

void StyleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (argument.empty()) return;
  // A style counts as valid only when its file gives a front decoration.
  if (!IsPlainStyleName(argument) ||
      ReadIni(argument, "fascii", StyleFile(state, argument)).empty()) {
    Reply(state, "<u>" + argument + "</u> isnt a valid style");
    return;
  }
  WriteIni(kSettingsSection, "style", argument, SettingsFile(state));
  // The name is taken back as the settings file gives it, which may differ from the argument
  // (blanks and enclosing quotation marks are dropped on reading).
  state.lblstyle = argument;
  state.lblstyle = ReadIni(kSettingsSection, "style", SettingsFile(state));
  LoadStyle(state);
  Reply(state, "style changed to: <u>" + argument + "</u>");
}

void FaCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  SetDefaultField(state, &RuntimeState::lblfascii, "fascii", argument, "new front ascii set");
}

void BaCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  SetDefaultField(state, &RuntimeState::lblbascii, "bascii", argument, "new back ascii set");
}

void AcCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  SetDefaultField(state, &RuntimeState::lblacolor, "acolor", argument, "new ascii color set");
}

void FcCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  SetDefaultField(state, &RuntimeState::lblfcolor, "fcolor", argument, "new font color set");
}

void FCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  SetDefaultField(state, &RuntimeState::lblfont, "font", argument, "new text font set");
}

void AfCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  SetDefaultField(state, &RuntimeState::lblafont, "afont", argument, "new ascii font set");
}

void MaCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  SetDefaultField(state, &RuntimeState::lblmascii, "mascii", argument, "new middle ascii set");
}

void SstyleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (argument.empty()) return;
  if (!IsPlainStyleName(argument)) {
    Reply(state, "error: invalid style name");
    return;
  }
  state.lblstyle = argument;
  WriteIni(kSettingsSection, "style", state.lblstyle, SettingsFile(state));
  SaveStyle(state);
  // The list of styles learns of the new file only on "rstyles".
  Reply(state, "style saved as <u>" + state.lblstyle + "</u>");
}

void RstylesCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  state.lstStyles.clear();
  const std::string count = platform::ZeroPadded(std::to_string(RefreshStyleList(state)), 2);
  Reply(state, "styles refreshed! <b>" + count + "</b> styles!");
}

void RstyleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  bool anyName = false;
  for (const auto& entry : state.lstStyles.entries()) anyName = anyName || !entry.empty();
  if (!anyName) {
    Reply(state, "error: no styles found");
    return;
  }
  // Draws over one place more than the list holds, until a draw lands on a name: every name
  // has the same chance. With at least one name this ends.
  const int n = state.lstStyles.count();
  do {
    state.lblstyle = state.lstStyles.entryAt(RandomNumber(state, n + 1) - 1);
  } while (state.lblstyle.empty());
  LoadStyle(state);
  Reply(state, "random style set: <u>" + state.lblstyle + "</u>");
}

void SinfoCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  Reply(state, "style name: " + state.lblstyle + ", author: " + state.lblsauthor);
}

}  // namespace spindeck
