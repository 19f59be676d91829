// Feeds arbitrary bytes as the user's chat lines to the line split and the dispatcher, with
// every command of the table in reach. Each input starts from a fresh state and an empty
// program folder, so a crash is reproduced by its input alone.
//
// What it runs is kept harmless: the player plays into the null output, pauses between reply
// lines take no time (this file's Pause replaces the real one at link time), and the three
// commands whose effect leaves the process (ending the program, starting the character map,
// setting the computer's volume) keep their word and argument rule but do nothing. Folders
// added with "adir" are taken inside the program folder, so no scan leaves it and "del" can
// only delete the fuzzer's own files; the desktop the client is looked for on does not exist.
#include <QCoreApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "src/core/command_table.h"
#include "src/core/dispatch.h"
#include "src/output/pause.h"
#include "src/state/chat_line.h"
#include "src/state/runtime_state.h"

namespace spindeck {
void Pause(double) {}
}  // namespace spindeck

namespace {

class QuietChat : public spindeck::ChatPort {
 public:
  std::string GetScreenName() override { return "me"; }
  void ChatSend(const std::string&) override {}
};

const std::filesystem::path& ProgramFolder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "line_split_fuzz.XXXXXX");
    const char* made = mkdtemp(pattern.data());
    if (made == nullptr) std::abort();
    return std::filesystem::path(made);
  }();
  return folder;
}

spindeck::CommandTable HarmlessTable() {
  spindeck::CommandTable table = spindeck::DefaultCommandTable();
  for (spindeck::CommandRow& row : table) {
    if (row.word == "end" || row.word == "charmap" || row.word == "cvol") {
      row.handler = [](spindeck::RuntimeState&, const std::string&,
                       const spindeck::ReplyFragments&) {};
    } else if (row.word == "adir") {
      row.handler = [adir = row.handler](spindeck::RuntimeState& state, const std::string& argument,
                                         const spindeck::ReplyFragments& f) {
        std::string inside = argument;
        inside.erase(0, inside.find_first_not_of('/'));
        if (inside.find("..") != std::string::npos) inside.clear();
        adir(state, (ProgramFolder() / "music" / inside).string(), f);
      };
    }
  }
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("SPINDECK_AUDIO", "null", 1);
  setenv("SPINDECK_DESKTOP", (ProgramFolder().string() + ".no-desktop").c_str(), 1);
  static QCoreApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const spindeck::CommandTable table = HarmlessTable();
  const std::string text(reinterpret_cast<const char*>(data), size);
  const spindeck::SplitLine split = spindeck::SplitChatText(text);
  if (split.word.size() + split.argument.size() > text.size()) __builtin_trap();
  if (split.word.find(' ') != std::string::npos) __builtin_trap();

  const std::filesystem::path& folder = ProgramFolder();
  std::filesystem::create_directories(folder / "music");
  {
    spindeck::RuntimeState state;
    state.programFolder = folder;
    state.chat = std::make_unique<QuietChat>();
    state.random.seed(1);
    // Each line of the input is one chat line, so one input can set something up and use it.
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      spindeck::DispatchChatLine(state, table, {"me", text.substr(start, end - start)});
      start = end + 1;
    }
  }
  // What the player's threads queued for the state that is gone is dropped here.
  QCoreApplication::processEvents();
  std::filesystem::remove_all(folder);
  return 0;
}
