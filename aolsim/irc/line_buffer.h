#pragma once
#include <optional>
#include <string>
#include <string_view>
namespace aolsim::irc {
class LineBuffer { public: explicit LineBuffer(std::size_t maxLine = 8704) : max_(maxLine) {} void Append(std::string_view b) { buf_ += b; }
 std::optional<std::string> Next() { auto p = buf_.find('\n'); if (p == std::string::npos) return std::nullopt; std::string l = buf_.substr(0, p); buf_.erase(0, p + 1); if (!l.empty() && l.back()=='\r') l.pop_back(); return l; }
 std::size_t dropped() const { return 0; }
 private: std::size_t max_; std::string buf_; };
}
