#pragma once
// Tile graphics as the consoles store them, and the indexed pixels a tile editor draws.
// Everything here works on plain byte buffers, so a block decompressed elsewhere is
// drawn the same way as a block read straight from the ROM image.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class TileFormat { Bpp1, Bpp2, Bpp4, Bpp8 };

inline constexpr TileFormat kTileFormats[] = {TileFormat::Bpp1, TileFormat::Bpp2, TileFormat::Bpp4, TileFormat::Bpp8};

int BitsPerPixel(TileFormat format);
// Bytes of one 8x8 tile: 8 x bits per pixel.
int TileBytes(TileFormat format);
// "1BPP", "2BPP", "4BPP", "8BPP".
const char* TileFormatName(TileFormat format);
// A name as above in any case, or its bare digit.
std::optional<TileFormat> ParseTileFormat(std::string_view name);

// Glyphs wider or taller than a tile are stored as cells: the cell's tiles follow one
// another, left to right, then top to bottom.
struct CellSize {
  int w = 1;  // tiles across
  int h = 1;  // tiles down
  int tiles() const { return w * h; }
  bool operator==(const CellSize&) const = default;
};
// "1x1", "1x2" (8x16 glyphs) or "2x2" (16x16); "x" or the multiplication sign.
std::optional<CellSize> ParseCellSize(std::string_view text);
const char* CellSizeName(CellSize cell);

// COUNT tiles laid out PERROW tiles a row; a row of cells is PERROW / cell width cells.
struct TileLayout {
  TileFormat format = TileFormat::Bpp4;
  int count = 0;
  int perRow = 16;
  CellSize cell;
  int cellsPerRow() const { return perRow / cell.w; }
  int cellRows() const;
  int width() const { return perRow * 8; }
  int height() const { return cellRows() * cell.h * 8; }
  size_t bytes() const;
};

// One byte a pixel, each a colour index.
struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  std::uint8_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct PixelPos {
  int x = 0;
  int y = 0;
};
// The top-left pixel of tile `index` in the layout's image.
PixelPos TileOrigin(const TileLayout& layout, int index);

// One tile's bytes as 8 rows of 8 indices `stride` apart, and back.
void DecodeTile(TileFormat format, const std::uint8_t* tile, std::uint8_t* pixels, size_t stride);
void EncodeTile(TileFormat format, const std::uint8_t* pixels, size_t stride, std::uint8_t* tile);

// The layout's image of `tiles` (at least layout.bytes() bytes); the cells past COUNT are
// colour 0.
IndexedImage TilesToImage(std::string_view tiles, const TileLayout& layout);
// The first COUNT tiles of an image of the layout's size, as bytes.
std::string TilesFromImage(const IndexedImage& image, const TileLayout& layout);

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
using Palette = std::vector<Rgb>;

// 2^bpp greys: for 2BPP the Game Boy's shades, colour 0 white to colour 3 black; for the
// other formats an even ramp from black (colour 0) to white.
Palette GreyPalette(TileFormat format);
// 2^bpp colours from `bytes` at `offset`, 15-bit BGR words, low byte first. The caller
// checks that the 2^(bpp+1) bytes are there.
Palette RomPalette(std::string_view bytes, size_t offset, TileFormat format);
inline size_t PaletteBytes(TileFormat format) { return size_t{2} << BitsPerPixel(format); }
