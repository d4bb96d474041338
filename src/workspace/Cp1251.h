#pragma once
// Windows-1251, the encoding of the translators' files: read into the program's UTF-8
// text at the file's edge and written back whenever every character fits.
#include <optional>
#include <string>
#include <string_view>

#include "workspace/Utf8.h"

namespace cp1251 {

// The Unicode code point of a byte. 0x98 has no character in the code page; it maps
// to U+0098 so that all 256 bytes survive a round trip.
char32_t Decode(unsigned char byte);
// The byte of a code point, or nothing when the code page has no such character.
std::optional<unsigned char> Encode(char32_t cp);

// Reads one UTF-8 sequence at pos and moves past it; nothing (pos unmoved) when malformed.
inline std::optional<char32_t> NextUtf8(std::string_view utf8, size_t& pos) {
  return utf8::NextStrict(utf8, pos);
}
inline void AppendUtf8(std::string& out, char32_t cp) {
  utf8::Append(out, cp);
}

// Windows-1251 bytes as UTF-8 text.
std::string ToUtf8(std::string_view bytes);
// The Windows-1251 bytes of a text; nothing when the UTF-8 is malformed or holds a
// character the code page lacks.
std::optional<std::string> FromUtf8(std::string_view utf8);
// True when FromUtf8 would give bytes.
bool Fits(std::string_view utf8);

// The case mapping of the code page's letters (Latin, and the Russian, Ukrainian,
// Belarusian, Serbian and Macedonian Cyrillic); every other byte maps to itself.
unsigned char ToUpper(unsigned char c);
unsigned char ToLower(unsigned char c);

}  // namespace cp1251

// A literal of the source (UTF-8) as program text: the same bytes.
inline Text W(std::string_view utf8) {
  return Text(utf8);
}
