// GbPointerTables is typed by hand into the settings file or the shifted insertion
// window: any text gives either tables that are whole, separate and in banks from 1, or
// a refusal that names a piece of the text; the entries read stay inside the image.
#include <cstddef>
#include <cstdint>

#include "textio/GbPointer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const GbTablesReading reading = ReadGbPointerTables(input);
  if (!reading.error.empty() && !reading.tables.empty()) __builtin_trap();
  for (size_t i = 0; i < reading.tables.size(); ++i) {
    const auto& t = reading.tables[i];
    if (t.first < 0 || t.last < t.first + 1 || t.bank < 1) __builtin_trap();
    if (input.find(t.name) == std::string_view::npos) __builtin_trap();
    for (size_t k = 0; k < i; ++k)
      if (t.first <= reading.tables[k].last && reading.tables[k].first <= t.last) __builtin_trap();
  }
  // The input itself serves as the image the tables are read from.
  ForEachGbTableEntry(input, reading.tables, [&](std::int64_t at, std::uint16_t value, std::int64_t bank) {
    if (at < 0 || static_cast<size_t>(at) + 1 >= size || bank < 1) __builtin_trap();
    const auto target = GbPointerTarget(value, bank);
    if (target && (value >= 0x4000) != (*target >= 0x4000)) __builtin_trap();
  });
  return 0;
}
