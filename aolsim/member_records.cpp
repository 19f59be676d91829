#include "aolsim/member_records.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>

namespace aolsim {
namespace {

constexpr std::size_t kChunkSize = 64 * 1024;
constexpr std::size_t kRecordSize = 64;  // P .. P+31, then Q = P+32 with the name at Q+6
constexpr std::size_t kQOffset = 32;
constexpr std::size_t kNameBytes = 16;
constexpr std::uint64_t kFourGiB = 0x100000000ULL;

void* MapLow(std::size_t size) {
#if defined(__x86_64__) && defined(MAP_32BIT)
  void* p =
      ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  if (p != MAP_FAILED) return p;
#endif
  // Elsewhere a low hint; the kernel may place it anywhere, so check the result.
  for (std::uintptr_t hint = 0x10000000; hint < 0xF0000000; hint += 0x10000000) {
    void* q = ::mmap(reinterpret_cast<void*>(hint), size, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (q == MAP_FAILED) continue;
    if (reinterpret_cast<std::uintptr_t>(q) + size <= kFourGiB) return q;
    ::munmap(q, size);
  }
  return nullptr;
}

void PutLittleEndian32(unsigned char* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

LowMapping::LowMapping(std::size_t size) {
  void* p = MapLow(size);
  if (p != nullptr) {
    base_ = static_cast<unsigned char*>(p);
    size_ = size;
  }
}

LowMapping::~LowMapping() {
  if (base_ != nullptr) ::munmap(base_, size_);
}

LowMapping::LowMapping(LowMapping&& other) noexcept : base_(other.base_), size_(other.size_) {
  other.base_ = nullptr;
  other.size_ = 0;
}

std::uint32_t MemberRecords::Add(const std::string& name) {
  if (chunks_.empty() || used_ + kRecordSize > chunks_.back().size()) {
    LowMapping chunk(kChunkSize);
    if (!chunk.valid()) return 0;
    chunks_.push_back(std::move(chunk));
    used_ = 0;
  }
  unsigned char* record = chunks_.back().data() + used_;
  used_ += kRecordSize;
  const auto p = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(record));
  PutLittleEndian32(record + 28, p + kQOffset);
  unsigned char* nameBytes = record + kQOffset + 6;
  std::memset(nameBytes, 0, kNameBytes);
  std::memcpy(nameBytes, name.data(), std::min(name.size(), kNameBytes));
  return p;
}

}  // namespace aolsim
