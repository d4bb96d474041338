#pragma once
#include "workspace/Cp1251.h"

// Replaces every "<$hh>" by the byte hh. The two characters are read leniently as hex
// (reading stops at a non-digit, none gives 0) because translators type them by hand.
Text DecodeEscapes(const Text& text);

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// 0..15 for a hexadecimal digit of either case, -1 for anything else.
int HexValue(char c);

// The value of the leading hexadecimal digits of `text` (either case), reading stopping
// at the first other character; no digits give 0. Saturates instead of wrapping.
std::uint64_t ReadHexPrefix(std::string_view text, size_t* digitsRead = nullptr);
