#include "aolsim/script_mode.h"

#include <cstdio>
#include <vector>

#include "aolsim/events.h"
#include "platform/text/cp1252.h"

namespace aolsim {
namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(
        line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return fields;
}

// Fields from `from` on, joined again: the free text of "say" and "temp" may hold tabs.
std::string Rest(const std::vector<std::string>& fields, std::size_t from) {
  std::string text;
  for (std::size_t i = from; i < fields.size(); ++i) {
    if (i > from) text += '\t';
    text += fields[i];
  }
  return text;
}

void Complain(const std::string& what, const std::string& line) {
  std::fprintf(stderr, "aolsim: %s: %s\n", what.c_str(), platform::Cp1252ToUtf8(line).c_str());
}

}  // namespace

bool RunCommand(ChatClient& client, const std::string& line) {
  if (line.empty()) return true;
  const std::vector<std::string> f = SplitTabs(line);
  const std::string& verb = f[0];
  const std::string arg = f.size() > 1 ? f[1] : std::string();
  const bool hasArg = f.size() > 1 && !arg.empty();
  if (verb == "quit") return false;
  RoomNetwork* const network = client.network();
  if (network != nullptr &&
      (verb == "join" || verb == "leave" || (verb == "say" && hasArg && arg != client.user()))) {
    // On a network the other people are real: only the user's own lines are the client's.
    Complain("the other people are real on IRC; not", line);
  } else if (verb == "signoff") {
    if (network != nullptr) {
      network->SignOff();
    } else {
      client.SignOff();
    }
  } else if (verb == "echo") {
    PrintEvent({"echo", Rest(f, 1)});  // lets a script know that all before it is done
  } else if (verb == "temp") {
    client.SetTemperature(Rest(f, 1));
  } else if (!hasArg && (verb == "signon" || verb == "room" || verb == "close" || verb == "join" ||
                         verb == "leave" || verb == "say" || verb == "version")) {
    Complain("missing name", line);
  } else if (verb == "signon") {
    if (network != nullptr) {
      network->SignOn(arg);
    } else {
      client.SignOn(arg);
    }
  } else if (verb == "room") {
    client.OpenRoom(arg);
  } else if (verb == "close") {
    if (!client.CloseRoom(arg)) Complain("no such room", line);
  } else if (verb == "join") {
    if (!client.Join(arg)) Complain("no room open", line);
  } else if (verb == "leave") {
    if (!client.Leave(arg)) Complain("no room open", line);
  } else if (verb == "say") {
    if (!client.Say(arg, Rest(f, 2))) Complain("no room open", line);
  } else if (verb == "version") {
    if (!client.SetVersion(arg)) Complain("unknown version", line);
  } else {
    Complain("unknown command", line);
  }
  return true;
}

}  // namespace aolsim
