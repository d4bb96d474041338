#pragma once
// A Game Boy string is reached through 2 little-endian bytes: its offset when it lies in
// bank 0, otherwise 0x4000 plus its place inside the 16 KiB bank switched in at
// 0x4000-0x7FFF. Any 2 bytes are such a pointer by chance about once in 64 KiB, so
// pointers are looked for only inside the pointer tables the translator names.
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "workspace/Cp1251.h"

inline constexpr std::int64_t kGbBankSize = 0x4000;

// One named table: 2-byte entries from `first` on while a whole entry fits up to `last`.
struct GbPointerTableRange {
  std::int64_t first = 0;  // offset of the first entry
  std::int64_t last = 0;   // offset of the table's last byte
  std::int64_t bank = 1;   // the bank that entries from 0x4000 on point into
  Text name;               // the range as the setting writes it
};

// The setting read: the tables in their order, or why a piece of it cannot be one.
struct GbTablesReading {
  std::vector<GbPointerTableRange> tables;
  Text error;  // empty when the setting was read
};

// "START-END[:BANK];...": START and END addresses as a translation file writes them
// (decimal or "&H", counted from 1), END the table's last byte; BANK decimal or "&H".
// Tables that share a byte are refused: an entry must be rewritten once at most.
GbTablesReading ReadGbPointerTables(std::string_view setting);

inline std::int64_t GbBankOf(std::int64_t offset) {
  return offset / kGbBankSize;
}
// The pointer with which code of the string's own bank reaches `offset` (from 0).
std::uint16_t GbPointerValue(std::int64_t offset);
// The offset an entry of a table for `bank` reaches; nothing for values from 0x8000 on,
// which point at memory other than the cartridge's ROM.
std::optional<std::int64_t> GbPointerTarget(std::uint16_t value, std::int64_t bank);

// Calls onEntry(entry offset, value) for each entry of the tables, in their order, that
// lies wholly inside `image`.
void ForEachGbTableEntry(
    std::string_view image, const std::vector<GbPointerTableRange>& tables,
    const std::function<void(std::int64_t offset, std::uint16_t value, std::int64_t bank)>& onEntry);
