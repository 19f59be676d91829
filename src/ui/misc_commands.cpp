#include "src/ui/misc_commands.h"

#include <QWidget>

#include "platform/process/start_program.h"
#include "src/aol/aol_keyword.h"
#include "src/output/elite_filter.h"
#include "src/output/pause.h"
#include "src/output/styled_message.h"

namespace spindeck {
namespace {

// The character map programs of the common Linux desktops, in the order they are tried.
const std::vector<std::string> kCharacterMaps = {"gucharmap", "kcharselect", "charmap"};

// Hides or shows the main form; the program goes on working while it is hidden.
void SetMainFormVisible(RuntimeState& state, bool visible) {
  if (state.mainForm != nullptr) state.mainForm->setVisible(visible);
}

}  // namespace

void HideCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  SetMainFormVisible(state, false);
  Reply(state, "main form hidden");
}

void ShowCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  SetMainFormVisible(state, true);
  Reply(state, "main form shown");
}

void DjCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (argument.empty()) return;
  state.lblhandle = argument;
  Reply(state, "new handle set to <u>" + state.lblhandle + "</u>");
}

void DjQueryCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  Reply(state, "you are deejay <u>" + state.lblhandle + "</u>");
}

void PrCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (argument.empty()) return;
  PrivateRoom(argument);
  // The client needs a moment to open the room; the reply goes to whichever room is on top
  // by then.
  Pause(1.5);
  Reply(state, "<b>" + state.lblhandle + "</b> blasted into <b>" + argument + "</b>");
}

void AdvCommand(RuntimeState& state, const std::string&, const ReplyFragments& f) {
  const auto e = [&state](const std::string& text) { return EliteText(state, text); };
  SendStyled(state, e("spin.") + f.asciiColorTag + e("<b>deck</b>") + f.middleSeparator +
                        e("by quill") + f.middleSeparator + e("advertise"));
  Pause(0.5);
  SendStyled(state, e("exclusive user <b>") + f.asciiColorTag + e(state.lblhandle) +
                        f.textColorTag + e("</b> usin aol " + AolVersion()));
}

void CharmapCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  if (platform::StartFirstProgramFound(kCharacterMaps).empty()) {
    Reply(state, "error: no character map program found");
    return;
  }
  Reply(state, "character map loaded");
}

void TempCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  std::string temperature = WelcomeTemperature();
  for (char& c : temperature) {
    if (c == 'F') c = '\xB0';
  }
  Reply(state, "local temperature: " + temperature);
}

}  // namespace spindeck
