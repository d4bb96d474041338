#pragma once
// The editor's address field and pointer field: what a typed address reads as, the
// Game Boy Advance pointer bytes shown for an address, and the address a typed pointer
// points at.
#include <cstdint>
#include <optional>
#include <string_view>

#include "workspace/Cp1251.h"

struct AddressFieldReading {
  enum class Kind { NotANumber, Number, TooLarge } kind = Kind::NotANumber;
  std::int64_t value = 0;  // rounded to an integer, halves to the even neighbour
};

// The whole field, spaces around it aside, must be one number: decimal digits with an
// optional sign and fraction, or "&H" and hexadecimal digits. Numbers outside the
// signed 32-bit range are TooLarge.
AddressFieldReading ReadAddressField(std::string_view field);

// The four bytes of the pointer to a 1-based address as eight hex digits in ROM order
// (1193047 gives 56341208); empty where no cartridge pointer reaches the address.
Text PointerText(std::int64_t address);

// "&H" and a pointer as the ROM stores it (ending in 08, or 09 for the upper 16 MiB),
// at most 10 characters: the 1-based address it points at. &H56341208 gives 1193047.
std::optional<std::int64_t> PointedAddress(std::string_view field);
