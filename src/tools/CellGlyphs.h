#pragma once
// How a table character shows in a cell of the table editor and its preview. The
// control codes and the one code Windows-1251 leaves empty have no glyph of their own;
// each gets a visible sign of its own, so that no filled cell looks empty and no two
// codes look alike.
#include <optional>
#include <string>
#include <string_view>

#include "workspace/Workspace.h"

// U+0001–U+001F and U+007F: the Unicode control pictures (␁ … ␟, ␡); U+0098 (the
// character of the code Windows-1251 leaves empty): U+FFFD; NUL (an empty cell):
// nothing, returned as 0; every other character itself.
char32_t GlyphOfChar(char32_t c);
// The character a sign typed or dropped into a cell stands for; nothing for NUL.
std::optional<char32_t> CharOfGlyph(char32_t glyph);

// The short name of the code a control picture stands for ("SOH" for ␁, "DEL" for ␡),
// for drawing it where no installed font has the picture; empty for any other character.
std::string_view ControlPictureName(char32_t glyph);

// The same for the byte of a Windows-1251 character.
char32_t CellGlyph(unsigned char byte);
// The Windows-1251 byte a typed character stands for; nothing for a character no byte
// carries, and for NUL.
std::optional<unsigned char> ByteOfCellGlyph(char32_t c);

// A text in the signs of the cells, as UTF-32.
std::u32string CellGlyphs(std::string_view text);
// What the user typed or dropped, the signs read back as their characters; nothing for NUL.
std::optional<Text> TextOfCellGlyphs(std::u32string_view shown);
