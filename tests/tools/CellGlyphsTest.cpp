#include <gtest/gtest.h>

#include <set>

#include "tools/CellGlyphs.h"

namespace {

// Every code a cell can hold shows as a visible sign of its own and reads back as itself.
TEST(CellGlyph, EveryCodeVisibleDistinctAndReadBack) {
  std::set<char32_t> seen;
  for (int b = 1; b < 256; ++b) {
    const char32_t glyph = CellGlyph(static_cast<unsigned char>(b));
    EXPECT_FALSE(glyph < 0x20 || (glyph >= 0x7F && glyph <= 0x9F)) << b;  // no invisible control
    EXPECT_TRUE(seen.insert(glyph).second) << b;
    EXPECT_EQ(ByteOfCellGlyph(glyph), std::optional<unsigned char>(static_cast<unsigned char>(b))) << b;
  }
  EXPECT_EQ(CellGlyph(0), U'\0');
  EXPECT_EQ(CellGlyph(0x01), U'␁');
  EXPECT_EQ(CellGlyph(0x7F), U'␡');
  EXPECT_EQ(CellGlyph(0xC0), U'А');
  EXPECT_FALSE(ByteOfCellGlyph(U'\0'));
  EXPECT_FALSE(ByteOfCellGlyph(U'Ω'));
  EXPECT_EQ(ByteOfCellGlyph(U'\u0098'), std::optional<unsigned char>(0x98));  // the raw code still goes in
  EXPECT_EQ(CellGlyphs(std::string("A\x1F\x7F", 3)), U"A␟␡");
  EXPECT_EQ(TextOfCellGlyphs(U"A␟␡\uFFFD"), std::optional<Text>(std::string("A\x1F\x7F\xC2\x98", 5)));
  // A character of any script stands for itself.
  EXPECT_EQ(TextOfCellGlyphs(U"AΩあ"), std::optional<Text>(W("AΩあ")));
  EXPECT_EQ(CellGlyphs(W("Ωあ\U0001F600")), U"Ωあ\U0001F600");
}

}  // namespace
