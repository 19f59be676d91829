#pragma once
// The one record of the program's runtime state: named text fields, named ordered lists and
// the two timers. Every field holds text, numbers and flags included.
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/mediaplayer/media_player.h"
#include "platform/scanchat/chat_scanner.h"
#include "platform/scanchat/own_lines.h"
#include "platform/timer/timer_control.h"
#include "platform/volume/volume_control.h"
#include "src/state/chat_line.h"
#include "src/core/chat_port.h"
#include "src/state/state_list.h"

namespace spindeck {

struct RuntimeState {
  RuntimeState();
  RuntimeState(const RuntimeState&) = delete;
  RuntimeState& operator=(const RuntimeState&) = delete;

  // Text fields, with their values at the moment the main form exists.
  std::string lblhandle;           // DJ name
  std::string lblloads = "0";      // load counter
  std::string lblstyle;            // current chat style
  std::string lblfont;             // font face of the reply text
  std::string lblfcolor;           // colour of the reply text
  std::string lblfascii;           // front decoration
  std::string lblbascii;           // back decoration
  std::string lblmascii;           // middle decoration
  std::string lblacolor;           // colour of the decorations
  std::string lblafont;            // font face of the decorations
  std::string lblsauthor;          // author of the current style
  std::string lblElitemode = "0";  // elite filter: "0" on, "1" off
  std::string lblplaymode = "0";   // play mode "0".."4"
  std::string lblrand;             // search text of shuffle by text
  std::string lblsong;             // display name of the song last started
  std::string lbllen;              // length of the open song, mm:ss
  std::string lblcpos;             // position in the open song, mm:ss
  std::string lblmins = "0";       // minutes of the current away period
  std::string lblhours = "0";      // hours of the current away period
  std::string lblrsn;              // away reason

  // Ordered lists.
  StateList lstcmds;      // help lines (shown)
  StateList lstStyles;    // style names (shown)
  StateList lstdirs;      // music directories
  StateList lstpl;        // playlist entries (shown); its selection is the playlist cursor
  StateList lstmultidir;  // full song paths, parallel to lstpl
  StateList lstfound1;    // entries of the last search
  StateList lstfound2;    // paths of the last search
  StateList lstsn;        // screen names of the room, as last read
  StateList lstfound;     // names the last ignore command matched
  StateList lstMsg;       // messages left while away (shown), at most 20

  // Timers: the position timer (1 ms, so it ticks at the system timer's resolution) and the
  // away timer (60000 ms), both stopped at start.
  platform::TimerControl tmrmp3;
  QTimer tmrIdle;

  // The media player and the computer's volume.
  platform::MediaPlayer player;
  platform::VolumeControl vol1;
  // Where listeners hear the player's stream (settings text); empty while nothing streams.
  std::string streamListenUrl;

  // The one random generator of the program, seeded once at start; tests may reseed it.
  std::mt19937 random;

  // Where the program's files live: the folder that holds the executable.
  std::filesystem::path programFolder;

  // The chat client, as the dispatcher and the composer need it. May be empty: then no line
  // passes the sender test and replies are lost.
  std::unique_ptr<ChatPort> chat;

  // The chat scanners: scan feeds the commands, scan2 the selection dialogue, scan3 the
  // messages left while away. Empty until the chat client is connected.
  std::unique_ptr<platform::ChatScanner> scan;
  std::unique_ptr<platform::ChatScanner> scan2;
  std::unique_ptr<platform::ChatScanner> scan3;
  // The lines the program typed into the room, so the scanners do not report them back.
  platform::OwnLines ownLines;

  // The main form, once it exists; "hide" and "show" act on it.
  QPointer<QWidget> mainForm;
  // Chat lines are held until start-up has loaded every field and sent its first line; then
  // they are dispatched in the order they came, and lines that come while any is still held
  // join them.
  bool chatLinesOpen = false;
  std::deque<ChatLine> heldChatLines;
  // Start-up until its first line is sent: a request to end waits for that point, so the
  // farewell never comes before the greeting.
  bool formLoading = false;
  bool unloadRequested = false;
  // Set once shutdown has begun: it runs only once.
  bool formUnloaded = false;
};

}  // namespace spindeck
