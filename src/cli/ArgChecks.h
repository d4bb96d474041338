#pragma once
// Checks of step arguments made before anything runs: an argument a window would never
// have turned into a number is a usage error of the command line, not a silent run on 0.
// Each returns an empty text for a good argument, otherwise what is wrong with it.
#include <string>

#include "workspace/Cp1251.h"

// A tool window's number field (dumper, transposition, the find dialog's check box):
// "&H" and at least one hexadecimal digit, or a decimal number; a tail after the number
// is read as the window reads it.
std::string CheckFieldNumber(const Text& arg);
// A shift as the shifted insertion window's shift field takes it.
std::string CheckShift(const Text& arg);
// An address as translation lines write it: decimal digits or "&H" and hexadecimal digits.
std::string CheckAddress(const Text& arg);
// The pointer check box: 1, YES, 0 or NO in any case; empty leaves it unchecked.
std::string CheckFlag(const Text& arg);
// The pointer kind of a shifted insertion: GBA or GB in any case; empty is GBA.
std::string CheckPointerKind(const Text& arg);
// A table code: one or two hexadecimal digits, 00 to FF.
std::string CheckTableCode(const Text& arg);
// The highest tile index of a transposed block: a field number of 0 or more.
std::string CheckTileIndex(const Text& arg);
// Bits per pixel of a transposed block: 4, 1 or 2.
std::string CheckBpp(const Text& arg);
// A tile format of the graphics steps: 1BPP, 2BPP, 4BPP or 8BPP (or the bare digit).
std::string CheckTileFormat(const Text& arg);
// A cell of tiles: 1x1, 1x2 or 2x2.
std::string CheckCellSize(const Text& arg);
// A palette: GREY, or the offset of the ROM's colours as a field number.
std::string CheckPalette(const Text& arg);
// A compressed block's offset: decimal digits or "&H" and hexadecimal digits.
std::string CheckBlockOffset(const Text& arg);
// A block of tiles' offset: a field number, or "Z" and a compressed block's offset.
std::string CheckTileOffset(const Text& arg);
// A packing type: LZ77, LZ77WRAM, RLE, HUFF4 or HUFF8 in any case.
std::string CheckPackType(const Text& arg);
