#include "tools/CellGlyphs.h"

namespace {

constexpr char32_t kControlPictures = 0x2400;  // ␀; ␁ is 0x2401
constexpr char32_t kDeletePicture = 0x2421;    // ␡
constexpr char32_t kNoCharacter = 0xFFFD;
constexpr unsigned char kEmptyCode = 0x98;  // the code Windows-1251 gives no character

}  // namespace

char32_t CellGlyph(unsigned char byte) {
  if (byte == 0) return 0;
  if (byte < 32) return kControlPictures + byte;
  if (byte == 0x7F) return kDeletePicture;
  if (byte == kEmptyCode) return kNoCharacter;
  return cp1251::Decode(byte);
}

std::optional<unsigned char> ByteOfCellGlyph(char32_t c) {
  if (c > kControlPictures && c < kControlPictures + 32) return static_cast<unsigned char>(c - kControlPictures);
  if (c == kDeletePicture) return 0x7F;
  if (c == kNoCharacter) return kEmptyCode;
  const auto byte = cp1251::Encode(c);
  if (!byte || *byte == 0) return std::nullopt;
  return byte;
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
  for (char c : text) shown += CellGlyph(static_cast<unsigned char>(c));
  return shown;
}

std::optional<Text> TextOfCellGlyphs(std::u32string_view shown) {
  Text text;
  text.reserve(shown.size());
  for (char32_t c : shown) {
    const auto byte = ByteOfCellGlyph(c);
    if (!byte) return std::nullopt;
    text += static_cast<char>(*byte);
  }
  return text;
}
