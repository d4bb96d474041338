#pragma once
// How a table character shows in a cell of the table editor and its preview. The
// control codes and the one code Windows-1251 leaves empty have no glyph of their own;
// each gets a visible sign of its own, so that no filled cell looks empty and no two
// codes look alike.
#include <optional>
#include <string>
#include <string_view>

#include "workspace/Workspace.h"

// 1–31 and 0x7F: the Unicode control pictures (␁ … ␟, ␡); 0x98: U+FFFD; NUL (an empty
// cell): nothing, returned as 0; every other code its Windows-1251 character.
char32_t CellGlyph(unsigned char byte);

// The short name of the code a control picture stands for ("SOH" for ␁, "DEL" for ␡),
// for drawing it where no installed font has the picture; empty for any other character.
std::string_view ControlPictureName(char32_t glyph);

// The byte a character typed or dropped into a cell stands for, the signs read back as
// their codes. Nothing for a character no byte carries, and for NUL.
std::optional<unsigned char> ByteOfCellGlyph(char32_t c);

// A text in the signs of the cells, as UTF-32.
std::u32string CellGlyphs(std::string_view text);
// What the user typed or dropped, the signs read back as their codes; nothing when a
// character stands for no byte.
std::optional<Text> TextOfCellGlyphs(std::u32string_view shown);
