#pragma once
#include <optional>

#include "workspace/Cp1251.h"

// Replaces every "<$hh>" by the character of byte hh in Windows-1251, the encoding the
// escapes have always been written in. The two characters are read leniently as hex
// (reading stops at a non-digit, none gives 0) because translators type them by hand.
Text DecodeEscapes(const Text& text);

// The byte of the escape that starts at `pos`, read as DecodeEscapes reads it.
inline std::optional<unsigned char> EscapeAt(std::string_view text, size_t pos);

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
// 0..15 for a hexadecimal digit of either case, -1 for anything else.
int HexValue(char c);

// The value of the leading hexadecimal digits of `text` (either case), reading stopping
// at the first other character; no digits give 0. Saturates instead of wrapping.
std::uint64_t ReadHexPrefix(std::string_view text, size_t* digitsRead = nullptr);

inline std::optional<unsigned char> EscapeAt(std::string_view text, size_t pos) {
  if (pos + 5 > text.size() || text[pos] != '<' || text[pos + 1] != '$' || text[pos + 4] != '>') return std::nullopt;
  return static_cast<unsigned char>(ReadHexPrefix(text.substr(pos + 2, 2)));
}
