#include "textio/GbaPointer.h"

#include <bit>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

std::uint32_t Load32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Every pointer's top byte is 0x08 or 0x09, so only the bytes of those two values can
// end one. Eight bytes are tested at a time: masking bit 0 and comparing with 0x08 turns
// both values into a zero byte, and the zero-byte test never misses one.
bool MayHoldPointerTop(std::uint64_t word) {
  const std::uint64_t y = (word & ~kOnes) ^ (kOnes * 0x08);
  return ((y - kOnes) & ~y & kHighs) != 0;
}

bool IsPointerTop(unsigned char b) {
  return (b & 0xFE) == 0x08;
}

}  // namespace

std::optional<std::uint32_t> GbaPointerValue(std::int64_t address) {
  if (address < 1 || address - 1 >= kGbaCartridgeSize) return std::nullopt;
  return kGbaRomBase + static_cast<std::uint32_t>(address - 1);
}

Text GbaPointerBytes(std::uint32_t value) {
  Text bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

std::uint32_t GbaPointerFromBytes(std::string_view bytes) {
  return Load32(reinterpret_cast<const unsigned char*>(bytes.data()));
}

size_t GbaPointerSet::slotOf(std::uint32_t value) const {
  // Fibonacci hashing spreads the low, busy bits of neighbouring addresses.
  const size_t mask = keys_.size() - 1;
  size_t slot = static_cast<size_t>((static_cast<std::uint64_t>(value) * 0x9E3779B97F4A7C15ULL) >> 40) & mask;
  while (keys_[slot] != 0 && keys_[slot] != value) slot = (slot + 1) & mask;
  return slot;
}

void GbaPointerSet::grow() {
  const size_t capacity = keys_.empty() ? 64 : keys_.size() * 2;
  keys_.assign(capacity, 0);
  ids_.assign(capacity, -1);
  for (size_t id = 0; id < values_.size(); ++id) {
    const size_t slot = slotOf(values_[id]);
    keys_[slot] = values_[id];
    ids_[slot] = static_cast<int>(id);
  }
}

int GbaPointerSet::add(std::uint32_t value) {
  if ((values_.size() + 1) * 2 > keys_.size()) grow();
  const size_t slot = slotOf(value);
  if (keys_[slot] == value) return ids_[slot];
  keys_[slot] = value;
  ids_[slot] = static_cast<int>(values_.size());
  values_.push_back(value);
  return ids_[slot];
}

int GbaPointerSet::find(std::uint32_t value) const {
  if (keys_.empty() || value == 0) return -1;
  const size_t slot = slotOf(value);
  return keys_[slot] == value ? ids_[slot] : -1;
}

void ScanForGbaPointers(std::string_view image, const GbaPointerSet& set, size_t alignment,
                        const std::function<bool(size_t, int)>& onHit) {
  if (image.size() < 4 || set.size() == 0) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(image.data());
  const size_t n = image.size();
  // top walks the positions of a pointer's last byte; its pointer starts 3 bytes earlier.
  auto check = [&](size_t top) {
    if (!IsPointerTop(bytes[top]) || (top - 3) % alignment != 0) return true;
    const int id = set.find(Load32(bytes + top - 3));
    return id < 0 || onHit(top - 3, id);
  };
  size_t top = 3;
#ifdef __SSE2__
  const __m128i low = _mm_set1_epi8(static_cast<char>(0xFE));
  const __m128i eight = _mm_set1_epi8(0x08);
  for (; top + 16 <= n; top += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + top));
    unsigned tops = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, low), eight)));
    for (; tops != 0; tops &= tops - 1)
      if (!check(top + static_cast<size_t>(std::countr_zero(tops)))) return;
  }
#endif
  for (; top + 8 <= n; top += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + top, 8);
    if (!MayHoldPointerTop(word)) continue;
    for (size_t k = 0; k < 8; ++k)
      if (!check(top + k)) return;
  }
  for (; top < n; ++top)
    if (!check(top)) return;
}
