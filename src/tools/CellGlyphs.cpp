#include "tools/CellGlyphs.h"

namespace {

constexpr char32_t kControlPictures = 0x2400;  // ␀; ␁ is 0x2401
constexpr char32_t kDeletePicture = 0x2421;    // ␡
constexpr char32_t kNoCharacter = 0xFFFD;
constexpr char32_t kEmptyCode = 0x98;  // the code Windows-1251 gives no character, as it decodes

}  // namespace

char32_t GlyphOfChar(char32_t c) {
  if (c == 0) return 0;
  if (c < 32) return kControlPictures + c;
  if (c == 0x7F) return kDeletePicture;
  if (c == kEmptyCode) return kNoCharacter;
  return c;
}

std::optional<char32_t> CharOfGlyph(char32_t glyph) {
  if (glyph > kControlPictures && glyph < kControlPictures + 32) return glyph - kControlPictures;
  if (glyph == kDeletePicture) return 0x7F;
  if (glyph == kNoCharacter) return kEmptyCode;
  if (glyph == 0) return std::nullopt;
  return glyph;
}

char32_t CellGlyph(unsigned char byte) {
  return GlyphOfChar(cp1251::Decode(byte));
}

std::optional<unsigned char> ByteOfCellGlyph(char32_t c) {
  const auto ch = CharOfGlyph(c);
  if (!ch) return std::nullopt;
  return cp1251::Encode(*ch);
}

std::string_view ControlPictureName(char32_t glyph) {
  static constexpr std::string_view kNames[] = {
      "",    "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
      "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
  if (glyph > kControlPictures && glyph < kControlPictures + 32) return kNames[glyph - kControlPictures];
  if (glyph == kDeletePicture) return "DEL";
  return {};
}

std::u32string CellGlyphs(std::string_view text) {
  std::u32string shown;
  shown.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) shown += GlyphOfChar(utf8::Next(text, pos));
  return shown;
}

std::optional<Text> TextOfCellGlyphs(std::u32string_view shown) {
  Text text;
  text.reserve(shown.size());
  for (char32_t c : shown) {
    const auto ch = CharOfGlyph(c);
    if (!ch) return std::nullopt;
    utf8::Append(text, *ch);
  }
  return text;
}
