#pragma once
// Windows-1251 is the program's only text encoding; every conversion to and from
// Unicode (file-system paths, the toolkit, the source's literals, the console)
// goes through this one table.
#include <optional>
#include <string>
#include <string_view>

using Text = std::string;  // Windows-1251 bytes

namespace cp1251 {

// The Unicode code point of a byte. 0x98 has no character in the code page; it maps
// to U+0098 so that all 256 bytes survive a round trip.
char32_t Decode(unsigned char byte);
// The byte of a code point, or nothing when the code page has no such character.
std::optional<unsigned char> Encode(char32_t cp);

// Reads one UTF-8 sequence at pos and moves past it; nothing (pos unmoved) when malformed.
std::optional<char32_t> NextUtf8(std::string_view utf8, size_t& pos);

void AppendUtf8(std::string& out, char32_t cp);
std::string ToUtf8(std::string_view text);
// Nothing when the UTF-8 is malformed or holds a character the code page lacks.
std::optional<Text> FromUtf8(std::string_view utf8);

// Latin and Cyrillic case mapping (Russian, Ukrainian, Belarusian, Serbian and
// Macedonian letters); every other byte maps to itself.
unsigned char ToUpper(unsigned char c);
unsigned char ToLower(unsigned char c);
Text Upper(std::string_view text);
Text Lower(std::string_view text);
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace cp1251

// A Russian literal of the source (UTF-8) as program text. Literals are ours, so a
// character outside the code page is a programming error and shows as "?".
Text W(std::string_view utf8);
