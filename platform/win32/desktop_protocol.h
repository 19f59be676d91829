#pragma once
// The frames that carry window calls and window events over the desktop socket. A frame is a
// 32-bit little-endian payload length followed by the payload. Decoders take any bytes: a
// malformed frame is refused, never trusted.
//
// A connection that sends kSubscribe becomes an event connection: after the reply to it, the
// owner sends an Event frame for each event that passes its filter. A later kSubscribe on the
// same connection replaces the filter and is answered in turn.
#include <cstdint>
#include <optional>
#include <string>

namespace win32::protocol {

enum class Op : std::uint8_t {
  kFindWindow = 1,    // a = parent, b = after, text1 = class, text2 = title
  kSendMessage,       // a = hwnd, b = msg, c = wParam, d = lParam, text1 = text
  kPostMessage,       // a = hwnd, b = msg, c = wParam, d = lParam
  kGetWindowText,     // a = hwnd
  kGetMenu,           // a = hwnd
  kGetMenuItemCount,  // a = menu
  kGetSubMenu,        // a = menu, b = position
  kGetMenuItemId,     // a = menu, b = position
  kGetMenuString,     // a = menu, b = item, c = flags
  kGetWindowProcess,  // a = hwnd; reply result = thread id, extra = pid
  kSubscribe,         // a = first event, b = last event, c = pid (0: any), d = thread (0: any)
};

struct Request {
  std::uint32_t id = 0;
  Op op = Op::kFindWindow;
  std::uint64_t a = 0, b = 0, c = 0, d = 0;
  bool hasText1 = false, hasText2 = false;
  std::string text1, text2;
};

struct Reply {
  std::uint32_t id = 0;
  std::int64_t result = 0;
  std::uint64_t extra = 0;
  bool ok = true;  // false: no such window or item
  std::string text;
};

// One window event. Its payload begins with kEventMark, an id that no reply carries.
struct Event {
  std::uint32_t event = 0;
  std::uint32_t hwnd = 0;
  std::int32_t idObject = 0;
  std::int32_t idChild = 0;
  std::uint32_t thread = 0;  // the owner's thread id, as GetWindowThreadProcessId gives it
  std::uint32_t pid = 0;     // the owner's process id
  std::uint32_t timeMs = 0;  // when it happened, in milliseconds of a monotonic clock
};
constexpr std::uint32_t kEventMark = 0xFFFFFFFF;

constexpr std::uint32_t kMaxFrame = 16u << 20;

std::string EncodeRequest(const Request& request);                 // with the length prefix
std::string EncodeReply(const Reply& reply);                       // with the length prefix
std::optional<Request> DecodeRequest(const std::string& payload);  // without the prefix
std::optional<Reply> DecodeReply(const std::string& payload);
std::string EncodeEvent(const Event& event);  // with the length prefix
std::optional<Event> DecodeEvent(const std::string& payload);

// Takes one whole frame's payload off the front of a buffer: nullopt while incomplete;
// sets `bad` when the announced length is over the limit.
std::optional<std::string> TakeFrame(std::string& buffer, bool& bad);
// The same from `offset` on, which it moves past the frame taken: a reader that takes many
// frames erases what it took once, at the end, rather than once per frame.
std::optional<std::string> TakeFrame(const std::string& buffer, std::size_t& offset, bool& bad);

}  // namespace win32::protocol
