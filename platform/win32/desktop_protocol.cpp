#include "platform/win32/desktop_protocol.h"

namespace win32::protocol {
namespace {

void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutU64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutText(std::string& out, const std::string& s) {
  PutU32(out, static_cast<std::uint32_t>(s.size()));
  out += s;
}

std::string Framed(const std::string& payload) {
  std::string out;
  PutU32(out, static_cast<std::uint32_t>(payload.size()));
  return out + payload;
}

class Reader {
 public:
  explicit Reader(const std::string& s) : s_(s) {}
  bool U8(std::uint8_t& v) {
    if (pos_ + 1 > s_.size()) return false;
    v = static_cast<std::uint8_t>(s_[pos_++]);
    return true;
  }
  bool U32(std::uint32_t& v) {
    if (pos_ + 4 > s_.size()) return false;
    v = 0;
    for (int i = 0; i < 4; ++i)
      v |= std::uint32_t{static_cast<std::uint8_t>(s_[pos_++])} << (8 * i);
    return true;
  }
  bool U64(std::uint64_t& v) {
    if (pos_ + 8 > s_.size()) return false;
    v = 0;
    for (int i = 0; i < 8; ++i)
      v |= std::uint64_t{static_cast<std::uint8_t>(s_[pos_++])} << (8 * i);
    return true;
  }
  bool Text(std::string& v) {
    std::uint32_t n = 0;
    if (!U32(n) || n > s_.size() - pos_) return false;
    v = s_.substr(pos_, n);
    pos_ += n;
    return true;
  }
  bool AtEnd() const { return pos_ == s_.size(); }

 private:
  const std::string& s_;
  std::size_t pos_ = 0;
};

}  // namespace

std::string EncodeRequest(const Request& r) {
  std::string p;
  PutU32(p, r.id);
  p += static_cast<char>(r.op);
  PutU64(p, r.a);
  PutU64(p, r.b);
  PutU64(p, r.c);
  PutU64(p, r.d);
  p += static_cast<char>((r.hasText1 ? 1 : 0) | (r.hasText2 ? 2 : 0));
  PutText(p, r.text1);
  PutText(p, r.text2);
  return Framed(p);
}

std::string EncodeReply(const Reply& r) {
  std::string p;
  PutU32(p, r.id);
  PutU64(p, static_cast<std::uint64_t>(r.result));
  PutU64(p, r.extra);
  p += static_cast<char>(r.ok ? 1 : 0);
  PutText(p, r.text);
  return Framed(p);
}

std::optional<Request> DecodeRequest(const std::string& payload) {
  Reader in(payload);
  Request r;
  std::uint8_t op = 0, flags = 0;
  if (!in.U32(r.id) || !in.U8(op) || !in.U64(r.a) || !in.U64(r.b) || !in.U64(r.c) || !in.U64(r.d) ||
      !in.U8(flags) || !in.Text(r.text1) || !in.Text(r.text2) || !in.AtEnd()) {
    return std::nullopt;
  }
  if (op < static_cast<std::uint8_t>(Op::kFindWindow) ||
      op > static_cast<std::uint8_t>(Op::kSubscribe) || flags > 3) {
    return std::nullopt;
  }
  r.op = static_cast<Op>(op);
  r.hasText1 = flags & 1;
  r.hasText2 = flags & 2;
  return r;
}

std::optional<Reply> DecodeReply(const std::string& payload) {
  Reader in(payload);
  Reply r;
  std::uint64_t result = 0;
  std::uint8_t ok = 0;
  if (!in.U32(r.id) || !in.U64(result) || !in.U64(r.extra) || !in.U8(ok) || !in.Text(r.text) ||
      !in.AtEnd() || ok > 1) {
    return std::nullopt;
  }
  r.result = static_cast<std::int64_t>(result);
  r.ok = ok == 1;
  return r;
}

std::string EncodeEvent(const Event& e) {
  std::string p;
  PutU32(p, kEventMark);
  PutU32(p, e.event);
  PutU32(p, e.hwnd);
  PutU32(p, static_cast<std::uint32_t>(e.idObject));
  PutU32(p, static_cast<std::uint32_t>(e.idChild));
  PutU32(p, e.thread);
  PutU32(p, e.pid);
  PutU32(p, e.timeMs);
  return Framed(p);
}

std::optional<Event> DecodeEvent(const std::string& payload) {
  Reader in(payload);
  Event e;
  std::uint32_t mark = 0, idObject = 0, idChild = 0;
  if (!in.U32(mark) || mark != kEventMark || !in.U32(e.event) || !in.U32(e.hwnd) ||
      !in.U32(idObject) || !in.U32(idChild) || !in.U32(e.thread) || !in.U32(e.pid) ||
      !in.U32(e.timeMs) || !in.AtEnd()) {
    return std::nullopt;
  }
  e.idObject = static_cast<std::int32_t>(idObject);
  e.idChild = static_cast<std::int32_t>(idChild);
  return e;
}

std::optional<std::string> TakeFrame(const std::string& buffer, std::size_t& offset, bool& bad) {
  bad = false;
  if (offset > buffer.size() || buffer.size() - offset < 4) return std::nullopt;
  std::uint32_t n = 0;
  for (int i = 0; i < 4; ++i) {
    n |= std::uint32_t{static_cast<std::uint8_t>(buffer[offset + static_cast<std::size_t>(i)])}
         << (8 * i);
  }
  if (n > kMaxFrame) {
    bad = true;
    return std::nullopt;
  }
  if (buffer.size() - offset - 4 < n) return std::nullopt;
  std::string payload = buffer.substr(offset + 4, n);
  offset += 4 + static_cast<std::size_t>(n);
  return payload;
}

std::optional<std::string> TakeFrame(std::string& buffer, bool& bad) {
  std::size_t offset = 0;
  auto payload = TakeFrame(buffer, offset, bad);
  buffer.erase(0, offset);
  return payload;
}

}  // namespace win32::protocol
