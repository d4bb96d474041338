#pragma once
// The Game Boy Advance sees the cartridge at 0x08000000; a string is reached through the
// four little-endian bytes of that bus address. This file holds the pointer form and the
// one-pass search that finds many pointers in a whole image at once.
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "workspace/Cp1251.h"

// A cartridge holds at most 32 MiB; the upper half is mapped at 0x09000000.
inline constexpr std::int64_t kGbaCartridgeSize = 0x02000000;
inline constexpr std::uint32_t kGbaRomBase = 0x08000000;

// The bus address of translation address `address` (1-based), or nothing for addresses
// that no cartridge pointer can reach: 0 and below, or offsets from 32 MiB on.
std::optional<std::uint32_t> GbaPointerValue(std::int64_t address);
// The pointer as the ROM stores it, least significant byte first.
Text GbaPointerBytes(std::uint32_t value);
// The 4 bytes of a pointer read back.
std::uint32_t GbaPointerFromBytes(std::string_view bytes);

// The pointers one search looks for, each given a dense id in the order of adding.
class GbaPointerSet {
 public:
  // The id of the value, adding it when new.
  int add(std::uint32_t value);
  // -1 when the value is not in the set.
  int find(std::uint32_t value) const;
  size_t size() const { return values_.size(); }

 private:
  size_t slotOf(std::uint32_t value) const;
  void grow();

  std::vector<std::uint32_t> keys_;  // 0 marks a free slot: no pointer is 0
  std::vector<int> ids_;
  std::vector<std::uint32_t> values_;
};

// Calls onHit(offset, id) for every offset of `image` divisible by `alignment` whose 4
// bytes are a pointer of the set, overlapping hits included, in ascending order of
// offset. The search stops early when onHit returns false.
void ScanForGbaPointers(std::string_view image, const GbaPointerSet& set, size_t alignment,
                        const std::function<bool(size_t offset, int id)>& onHit);
inline void ScanForGbaPointers(std::string_view image, const GbaPointerSet& set,
                               const std::function<bool(size_t offset, int id)>& onHit) {
  ScanForGbaPointers(image, set, 1, onHit);
}
