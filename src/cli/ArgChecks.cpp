#include "cli/ArgChecks.h"

#include "compression/CompressedBlocks.h"
#include "graphics/TileExchange.h"
#include "graphics/Tiles.h"
#include "textio/ShiftedPut.h"
#include "tools/FieldNumber.h"
#include "workspace/Escapes.h"
#include "workspace/TextParts.h"

namespace {

std::string Bad(const Text& arg, const char* what) {
  return "'" + arg + "' is not " + what;
}

Text WithoutBlanks(const Text& text) {
  Text out;
  for (char c : text)
    if (c != ' ' && c != '\t') out += c;
  return out;
}

bool IsHexPrefix(const Text& s) {
  return s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h');
}

bool StartsWithHexDigit(const Text& s, size_t at) {
  return at < s.size() && HexValue(s[at]) >= 0;
}

}  // namespace

std::string CheckFieldNumber(const Text& arg) {
  const Text s = WithoutBlanks(arg);
  if (IsHexPrefix(s)) return StartsWithHexDigit(s, 2) ? std::string() : Bad(arg, "a number (no digits after &H)");
  size_t i = s.empty() || (s[0] != '+' && s[0] != '-') ? 0 : 1;
  if (i < s.size() && s[i] == '.') ++i;
  return i < s.size() && IsDigit(s[i]) ? std::string() : Bad(arg, "a number");
}

std::string CheckShift(const Text& arg) {
  if (WithoutBlanks(arg).empty() || !ReadShiftField(arg)) return Bad(arg, "a shift from -2147483648 to 2147483647");
  return std::string();
}

std::string CheckAddress(const Text& arg) {
  const Text s = WithoutBlanks(arg);
  if (IsHexPrefix(s) ? StartsWithHexDigit(s, 2) : !s.empty() && IsDigit(s[0])) return std::string();
  return Bad(arg, "an address");
}

std::string CheckFlag(const Text& arg) {
  const Text v = utf8::Upper(arg);
  if (v.empty() || v == "1" || v == "0" || v == "YES" || v == "NO") return std::string();
  return Bad(arg, "1, YES, 0 or NO");
}

std::string CheckPointerKind(const Text& arg) {
  const Text v = utf8::Upper(arg);
  return v.empty() || v == "GBA" || v == "GB" ? std::string() : Bad(arg, "GBA or GB");
}

std::string CheckTableCode(const Text& arg) {
  size_t digits = 0;
  const auto code = ReadHexPrefix(arg, &digits);
  if (digits == 0 || digits != arg.size() || code > 0xFF) return Bad(arg, "a table code from 00 to FF");
  return std::string();
}

std::string CheckTileIndex(const Text& arg) {
  if (auto bad = CheckFieldNumber(arg); !bad.empty()) return bad;
  return RoundHalfEven(ReadFieldNumber(arg)) < 0 ? Bad(arg, "a tile index of 0 or more") : std::string();
}

std::string CheckBpp(const Text& arg) {
  return arg == "4" || arg == "1" || arg == "2" ? std::string() : Bad(arg, "4, 1 or 2 bits per pixel");
}

std::string CheckTileFormat(const Text& arg) {
  return ParseTileFormat(arg) ? std::string() : Bad(arg, "1BPP, 2BPP, 4BPP or 8BPP");
}

std::string CheckCellSize(const Text& arg) {
  return ParseCellSize(arg) ? std::string() : Bad(arg, "a cell of 1x1, 1x2 or 2x2 tiles");
}

std::string CheckPalette(const Text& arg) {
  return utf8::Upper(arg) == "GREY" || CheckFieldNumber(arg).empty() ? std::string() : Bad(arg, "GREY or an offset");
}

std::string CheckBlockOffset(const Text& arg) {
  return ReadBlockOffset(arg) ? std::string() : Bad(arg, "a block offset (decimal or &H hexadecimal)");
}

std::string CheckTileOffset(const Text& arg) {
  if (!IsPackedOffset(arg)) return CheckFieldNumber(arg);
  return ReadBlockOffset(TrimSpaces(arg).substr(1)) ? std::string()
                                                    : Bad(arg, "Z and a compressed block's offset (decimal or &H)");
}

std::string CheckPackType(const Text& arg) {
  return ReadPackKind(arg) ? std::string() : Bad(arg, "LZ77, LZ77WRAM, RLE, HUFF4 or HUFF8");
}
