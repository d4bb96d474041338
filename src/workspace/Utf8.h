#pragma once
// The program's text is UTF-8 inside: any character a table, a file or the keyboard
// brings is kept as itself. Byte order is code point order, so std::string compares
// text as the program sorts it; what must count or change characters goes through
// these helpers, never through bytes.
#include <optional>
#include <string>
#include <string_view>

using Text = std::string;  // UTF-8 text, or raw bytes where a name says so (ROM images, codes)

namespace utf8 {

// Reads one UTF-8 sequence at pos and moves past it; nothing (pos unmoved) when malformed.
std::optional<char32_t> NextStrict(std::string_view text, size_t& pos);

// The character at pos, moving past it; a malformed byte reads as U+FFFD and is passed alone.
inline char32_t Next(std::string_view text, size_t& pos) {
  const auto b = static_cast<unsigned char>(text[pos]);
  if (b < 0x80) {
    ++pos;
    return b;
  }
  if (auto cp = NextStrict(text, pos)) return *cp;
  ++pos;
  return U'\uFFFD';
}

inline bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

void Append(std::string& out, char32_t cp);
inline Text Of(char32_t cp) {
  Text out;
  Append(out, cp);
  return out;
}

// Characters, not bytes.
size_t Length(std::string_view text);
// The byte offset just past the first `chars` characters (the whole text when it has fewer).
size_t Advance(std::string_view text, size_t chars);
// The first `chars` characters.
inline std::string_view Prefix(std::string_view text, size_t chars) {
  return text.substr(0, Advance(text, chars));
}

bool Valid(std::string_view text);
// Malformed bytes become U+FFFD; valid text comes back as it is.
Text Repaired(std::string_view text);

// Latin and Cyrillic change case as they always have in this program; every other
// script by Unicode's simple case mapping.
char32_t ToUpper(char32_t cp);
char32_t ToLower(char32_t cp);
Text Upper(std::string_view text);
Text Lower(std::string_view text);
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace utf8
