#include "src/core/lifecycle.h"

#include <QCoreApplication>
#include <QTimer>

#include "platform/text/zero_padded.h"
#include "src/core/dispatch.h"
#include "src/core/help_list.h"
#include "src/core/load_counter.h"
#include "src/state/reply_fragments.h"
#include "src/music/library.h"
#include "src/music/stream_output.h"
#include "src/output/elite_filter.h"
#include "src/output/pause.h"
#include "src/output/styled_message.h"
#include "src/settings/chat_styles.h"
#include "src/settings/program_files.h"
#include "src/settings/settings_store.h"

namespace spindeck {
namespace {

// Both pauses between the two lines of a greeting or a farewell.
constexpr double kLinePause = 0.7;

// "spin.deck by quill" and the word that ends it, in the current style's colours.
std::string ProgramLine(const RuntimeState& state, const ReplyFragments& f,
                        const std::string& word) {
  return EliteText(state, "spin.") + f.asciiColorTag + EliteText(state, "<b>deck</b>") +
         f.middleSeparator + EliteText(state, "by quill") + f.middleSeparator +
         EliteText(state, word);
}

// "welcome: NAME! activated 005 times" and its farewell form.
std::string CountLine(const RuntimeState& state, const ReplyFragments& f,
                      const std::string& greeting, const std::string& word) {
  return EliteText(state, greeting) + f.asciiColorTag + "<b>" + EliteText(state, state.lblhandle) +
         "</b>" + f.textColorTag + "!" + EliteText(state, " " + word + " <b>") + f.asciiColorTag +
         platform::ZeroPadded(state.lblloads, 3) + f.textColorTag + EliteText(state, "</b> times");
}

// Dispatches the oldest held line. The next one follows by a queued call made first, so it is
// handled inside a pause of this one, as a line the scanner reports would be.
void DispatchNextHeldLine(RuntimeState& state) {
  if (state.heldChatLines.empty()) return;
  const ChatLine line = std::move(state.heldChatLines.front());
  state.heldChatLines.pop_front();
  if (!state.heldChatLines.empty()) {
    QTimer::singleShot(0, [&state] { DispatchNextHeldLine(state); });
  }
  DispatchChatLine(state, line);
}

// From now on chat lines are dispatched; those held so far go first, so they are handled
// inside the pause that comes next.
void OpenChatLines(RuntimeState& state) {
  state.chatLinesOpen = true;
  if (!state.heldChatLines.empty()) {
    QTimer::singleShot(0, [&state] { DispatchNextHeldLine(state); });
  }
}

}  // namespace

void LoadMainForm(RuntimeState& state, MainWindow& window) {
  state.formLoading = true;
  RefreshStyleList(state);
  if (state.scan) state.scan->start();
  window.SizeAndPaintTitle();
  FillHelpList(state.lstcmds);
  window.StayOnTop();
  window.show();

  const auto settings = SettingsFile(state);
  state.lblhandle = ReadIni(kSettingsSection, "id", settings);
  state.lblloads = NextLoadCount(ReadIni(kSettingsSection, "loads", settings));
  WriteIni(kSettingsSection, "loads", state.lblloads, settings);
  state.lblstyle = ReadIni(kSettingsSection, "style", settings);
  LoadStyle(state);
  StartStreamAtStartup(state);

  LoadLibraryAtStartup(state);

  const ReplyFragments f = BuildReplyFragments(state);
  SendStyled(state, ProgramLine(state, f, "activated"));
  OpenChatLines(state);
  state.formLoading = false;
  if (state.unloadRequested) {
    UnloadMainForm(state);
    return;
  }
  Pause(kLinePause);
  // A request to end that came during the pause has already said goodbye.
  if (state.formUnloaded) return;
  SendStyled(state, CountLine(state, f, "welcome: ", "activated"));
}

void UnloadMainForm(RuntimeState& state) {
  if (state.formLoading) {
    state.unloadRequested = true;
    return;
  }
  if (state.formUnloaded) return;
  state.formUnloaded = true;
  const auto settings = SettingsFile(state);
  WriteIni(kSettingsSection, "id", state.lblhandle, settings);
  WriteIni(kSettingsSection, "style", state.lblstyle, settings);
  if (state.lblstyle == "default") {
    WriteIni(kSettingsSection, "style", state.lblstyle, settings);
    SaveStyle(state);
  }
  SaveList(DirListFile(state), state.lstdirs);

  const ReplyFragments f = BuildReplyFragments(state);
  SendStyled(state, ProgramLine(state, f, "deactivated"));
  Pause(kLinePause);
  SendStyled(state, CountLine(state, f, "goodbye: ", "deactivated"));
  if (state.mainForm != nullptr) state.mainForm->close();
  QCoreApplication::quit();
}

void EndCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (!argument.empty()) return;
  UnloadMainForm(state);
}

void ChatLineArrived(RuntimeState& state, const ChatLine& line) {
  // A line joins the held ones while any is left, so none overtakes a line said before it.
  if (state.chatLinesOpen && state.heldChatLines.empty()) {
    DispatchChatLine(state, line);
  } else {
    state.heldChatLines.push_back(line);
  }
}

}  // namespace spindeck
