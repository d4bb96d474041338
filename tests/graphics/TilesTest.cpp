#include <gtest/gtest.h>

#include <random>

#include "graphics/TileView.h"
#include "graphics/Tiles.h"

namespace {

// A pixel read straight from the definition of each format, one bit at a time.
int ReferencePixel(TileFormat f, const std::string& tile, int x, int y) {
  const auto byte = [&](int i) { return static_cast<unsigned char>(tile[i]); };
  switch (f) {
    case TileFormat::Bpp1: return (byte(y) >> (7 - x)) & 1;
    case TileFormat::Bpp2: return ((byte(2 * y) >> (7 - x)) & 1) | (((byte(2 * y + 1) >> (7 - x)) & 1) << 1);
    case TileFormat::Bpp4: return (byte(4 * y + x / 2) >> (x % 2 ? 4 : 0)) & 15;
    case TileFormat::Bpp8: return byte(8 * y + x);
  }
  return -1;
}

TEST(Tiles, EveryFormatDecodesAsDefinedAndEncodesBack) {
  std::mt19937 rng(25);
  for (TileFormat f : kTileFormats)
    for (int round = 0; round < 200; ++round) {
      std::string tile(TileBytes(f), '\0');
      for (char& c : tile) c = static_cast<char>(rng());
      std::uint8_t pixels[64];
      DecodeTile(f, reinterpret_cast<const std::uint8_t*>(tile.data()), pixels, 8);
      for (int i = 0; i < 64; ++i) ASSERT_EQ(pixels[i], ReferencePixel(f, tile, i % 8, i / 8)) << TileFormatName(f);
      std::string back(tile.size(), '\0');
      EncodeTile(f, pixels, 8, reinterpret_cast<std::uint8_t*>(back.data()));
      ASSERT_EQ(back, tile) << TileFormatName(f);
    }
}

TEST(Tiles, NamesOfFormatsAndCells) {
  EXPECT_EQ(ParseTileFormat("4bpp"), TileFormat::Bpp4);
  EXPECT_EQ(ParseTileFormat("2"), TileFormat::Bpp2);
  EXPECT_FALSE(ParseTileFormat("3BPP"));
  EXPECT_FALSE(ParseTileFormat(""));
  EXPECT_EQ(ParseCellSize("1x2"), (CellSize{1, 2}));
  EXPECT_EQ(ParseCellSize("2\xC3\x97" "2"), (CellSize{2, 2}));
  EXPECT_FALSE(ParseCellSize("2x1"));
}

TEST(Tiles, CellsFillLeftToRightThenTopToBottom) {
  struct Case {
    CellSize cell;
    int perRow;
    std::vector<PixelPos> origins;  // of tiles 0, 1, 2, ...
  };
  const Case cases[] = {
      {{1, 1}, 2, {{0, 0}, {8, 0}, {0, 8}}},
      {{1, 2}, 2, {{0, 0}, {0, 8}, {8, 0}, {8, 8}, {0, 16}}},
      {{2, 2}, 4, {{0, 0}, {8, 0}, {0, 8}, {8, 8}, {16, 0}, {24, 0}, {16, 8}, {24, 8}, {0, 16}}},
  };
  for (const Case& c : cases) {
    const TileLayout layout{TileFormat::Bpp1, 64, c.perRow, c.cell};
    for (size_t i = 0; i < c.origins.size(); ++i) {
      const PixelPos at = TileOrigin(layout, static_cast<int>(i));
      EXPECT_EQ(at.x, c.origins[i].x) << CellSizeName(c.cell) << " tile " << i;
      EXPECT_EQ(at.y, c.origins[i].y) << CellSizeName(c.cell) << " tile " << i;
    }
  }
}

TEST(Tiles, TheLastRowIsPaddedWithColourZero) {
  const TileLayout layout{TileFormat::Bpp1, 3, 2, {}};
  const IndexedImage image = TilesToImage(std::string(24, '\xFF'), layout);
  ASSERT_EQ(image.width, 16);
  ASSERT_EQ(image.height, 16);
  EXPECT_EQ(image.at(7, 15), 1);
  EXPECT_EQ(image.at(8, 8), 0);
  EXPECT_EQ(image.at(15, 15), 0);
  EXPECT_EQ(TilesFromImage(image, layout), std::string(24, '\xFF'));
}

TEST(Tiles, Palettes) {
  const Palette gb = GreyPalette(TileFormat::Bpp2);
  EXPECT_EQ(gb, (Palette{{255, 255, 255}, {170, 170, 170}, {85, 85, 85}, {0, 0, 0}}));
  const Palette ramp = GreyPalette(TileFormat::Bpp4);
  EXPECT_EQ(ramp.front(), (Rgb{0, 0, 0}));
  EXPECT_EQ(ramp.back(), (Rgb{255, 255, 255}));
  EXPECT_EQ(GreyPalette(TileFormat::Bpp8).size(), 256u);
  // BGR555, low byte first: white, pure red, pure blue, and 1 in each channel.
  const std::string words("xx\xFF\x7F\x1F\x00\x00\x7C\x21\x04", 10);
  const Palette rom = RomPalette(words, 2, TileFormat::Bpp2);
  EXPECT_EQ(rom, (Palette{{255, 255, 255}, {255, 0, 0}, {0, 0, 255}, {8, 8, 8}}));
}

}  // namespace

namespace {

TEST(TileView, ScrollingStepsStayInsideTheImage) {
  TileView view{0, TileFormat::Bpp4, 16, {1, 2}};
  EXPECT_EQ(view.rowBytes(), 1024);
  const size_t size = 10000;
  EXPECT_EQ(ScrolledOffset(view, size, ScrollStep::Byte, 3, 4), 3);
  EXPECT_EQ(ScrolledOffset(view, size, ScrollStep::Tile, 2, 4), 64);
  EXPECT_EQ(ScrolledOffset(view, size, ScrollStep::Row, 1, 4), 1024);
  EXPECT_EQ(ScrolledOffset(view, size, ScrollStep::Page, 2, 4), 8192);
  EXPECT_EQ(ScrolledOffset(view, size, ScrollStep::Page, 3, 4), 9999);
  EXPECT_EQ(ScrolledOffset(view, size, ScrollStep::Row, -1, 4), 0);
}

TEST(TileView, ThePixelUnderThePointNamesItsTileAndBytes) {
  // 2x2 cells of 1BPP from offset 5: the cell's second tile is to the right of its first.
  const TileView view{5, TileFormat::Bpp1, 4, {2, 2}};
  const auto at = PixelAt(view, 1000, 12, 3);
  ASSERT_TRUE(at);
  EXPECT_EQ(at->tileOffset, 5 + 8);
  EXPECT_EQ(at->x, 4);
  EXPECT_EQ(at->y, 3);
  EXPECT_EQ(PixelAt(view, 1000, 17, 9)->tileOffset, 5 + 6 * 8);  // the second cell's lower left tile
  EXPECT_FALSE(PixelAt(view, 1000, 32, 0));                        // right of the rows
  EXPECT_FALSE(PixelAt(view, 5 + 8 + 7, 12, 3));                     // the tile is cut by the end
  std::uint8_t tile[32] = {};
  SetTilePixelIndex(TileFormat::Bpp4, tile, 3, 2, 9);
  EXPECT_EQ(tile[2 * 4 + 1], 0x90);
  EXPECT_EQ(TilePixelIndex(TileFormat::Bpp4, tile, 3, 2), 9);
  EXPECT_EQ(TilePixelIndex(TileFormat::Bpp4, tile, 2, 2), 0);
}

TEST(TileView, TheLastRowsPastTheImageAreBlank) {
  const TileView view{8, TileFormat::Bpp1, 2, {}};
  const IndexedImage shown = ViewImage(std::string(24, '\xFF'), view, 3);
  EXPECT_EQ(shown.height, 24);
  EXPECT_EQ(shown.at(15, 7), 1);
  EXPECT_EQ(shown.at(0, 8), 0);
}

}  // namespace
