#include "workspace/Escapes.h"

#include <cstdint>
#include <limits>

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::uint64_t ReadHexPrefix(std::string_view text, size_t* digitsRead) {
  constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  size_t i = 0;
  for (; i < text.size(); ++i) {
    const int d = HexValue(text[i]);
    if (d < 0) break;
    value = value > (kMax >> 4) ? kMax : (value << 4) | static_cast<std::uint64_t>(d);
  }
  if (digitsRead) *digitsRead = i;
  return value;
}

Text DecodeEscapes(const Text& text) {
  if (text.size() < 4) return text;
  Text out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (const auto byte = EscapeAt(text, i)) {
      utf8::Append(out, cp1251::Decode(*byte));
      i += 5;
    } else {
      out += text[i++];
    }
  }
  return out;
}
