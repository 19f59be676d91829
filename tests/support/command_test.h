#pragma once
// A program folder, a state with a stand-in chat signed on as "DjSam", and a way to send
// commands and read back the reply texts.
#include <filesystem>
#include <string>
#include <vector>

#include "src/core/dispatch.h"
#include "src/state/runtime_state.h"
#include "tests/support/fake_chat.h"
#include "tests/support/temp_folder_test.h"

namespace spindeck::testing {

class CommandTest : public TempFolderTest {
 protected:
  CommandTest() : chat(InstallFakeChat(state)) {
    state.programFolder = path("");
    state.random.seed(12345);
    state.lblElitemode = "1";  // replies as written, not in elite letters
  }

  // Makes a folder with (empty, unplayable) files of these names; gives its path.
  std::string folderWith(const std::string& name, const std::vector<std::string>& files) {
    const auto folder = path(name);
    std::filesystem::create_directories(folder);
    for (const auto& f : files) put(folder / f, "");
    return folder.string();
  }
  void writeDirs(const std::string& lines) { put(path("dirs.txt"), lines); }

  // Sends a command line as the user and gives the reply texts it caused.
  std::vector<std::string> say(const std::string& line) {
    chat.sent.clear();
    DispatchChatLine(state, {chat.screenName_, line});
    return chat.sent;
  }
  std::vector<std::string> replies(std::initializer_list<std::string> texts) {
    std::vector<std::string> lines;
    for (const auto& t : texts) lines.push_back(PlainLine(t));
    return lines;
  }

  RuntimeState state;
  FakeChat& chat;
};

}  // namespace spindeck::testing
