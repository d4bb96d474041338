#pragma once
// What the graphics window shows and where the mouse is in it, without the window: a
// run of tiles from any byte offset of an image, in rows of PERROW tiles (of cells).
#include <cstdint>
#include <optional>
#include <string_view>

#include "graphics/Tiles.h"

struct TileView {
  std::int64_t offset = 0;  // the first shown tile's first byte
  TileFormat format = TileFormat::Bpp4;
  int perRow = 16;
  CellSize cell;

  // Bytes of one row of cells.
  std::int64_t rowBytes() const { return std::int64_t{perRow} * cell.h * TileBytes(format); }
  // The layout of `rows` rows of cells from the offset, as far as whole tiles of an
  // image of `size` bytes reach.
  TileLayout layout(size_t size, int rows) const;
};

enum class ScrollStep { Byte, Tile, Row, Page };

// The offset after moving `count` steps (negative: back); never before 0 or past the
// image's last byte.
std::int64_t ScrolledOffset(const TileView& view, size_t size, ScrollStep step, int count, int pageRows);

// The shown tiles of `image`: its bytes from the view's offset, decoded.
IndexedImage ViewImage(std::string_view image, const TileView& view, int rows);

// A pixel of the view: the tile it lies in and its place inside that tile.
struct TilePixel {
  std::int64_t tileOffset = 0;  // the tile's first byte in the image
  int x = 0;                    // 0..7 inside the tile
  int y = 0;
};
// The pixel at (px, py) of the unzoomed view; none outside the rows or past the
// image's last whole tile.
std::optional<TilePixel> PixelAt(const TileView& view, size_t size, int px, int py);

// One pixel's colour index in a tile's bytes, read and written.
std::uint8_t TilePixelIndex(TileFormat format, const std::uint8_t* tile, int x, int y);
void SetTilePixelIndex(TileFormat format, std::uint8_t* tile, int x, int y, std::uint8_t index);
