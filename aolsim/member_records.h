#pragma once
// The member records that the member list boxes point at. Other processes read them with
// ReadProcessMemory, following the list box's item data P: at P + 28 a little-endian 32-bit
// address Q, at Q + 6 the screen name in 16 bytes (NUL-ended when shorter). So the records
// live in memory mapped below 4 GiB, and a record is never freed or reused while the client
// runs: a reader holding an old address finds the old name, never another member's.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace aolsim {

// An anonymous private mapping below 4 GiB, unmapped on destruction.
class LowMapping {
 public:
  explicit LowMapping(std::size_t size);
  ~LowMapping();
  LowMapping(LowMapping&& other) noexcept;
  LowMapping& operator=(LowMapping&&) = delete;
  LowMapping(const LowMapping&) = delete;
  LowMapping& operator=(const LowMapping&) = delete;

  bool valid() const { return base_ != nullptr; }
  unsigned char* data() const { return base_; }
  std::size_t size() const { return size_; }

 private:
  unsigned char* base_ = nullptr;
  std::size_t size_ = 0;
};

class MemberRecords {
 public:
  // A new record holding the name (cut to 16 bytes); its 32-bit address P, or 0 when no
  // memory below 4 GiB could be had.
  std::uint32_t Add(const std::string& name);

 private:
  std::vector<LowMapping> chunks_;
  std::size_t used_ = 0;  // bytes taken in the last chunk
};

}  // namespace aolsim
