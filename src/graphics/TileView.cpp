#include "graphics/TileView.h"

#include <algorithm>

TileLayout TileView::layout(size_t size, int rows) const {
  TileLayout l{format, 0, perRow, cell};
  const std::int64_t left = offset < static_cast<std::int64_t>(size) ? static_cast<std::int64_t>(size) - offset : 0;
  const std::int64_t fit = std::int64_t{rows} * perRow * cell.h;
  l.count = static_cast<int>(std::min(fit, left / TileBytes(format)));
  return l;
}

std::int64_t ScrolledOffset(const TileView& view, size_t size, ScrollStep step, int count, int pageRows) {
  std::int64_t unit = 1;
  switch (step) {
    case ScrollStep::Byte: unit = 1; break;
    case ScrollStep::Tile: unit = TileBytes(view.format); break;
    case ScrollStep::Row: unit = view.rowBytes(); break;
    case ScrollStep::Page: unit = view.rowBytes() * std::max(1, pageRows); break;
  }
  const std::int64_t last = size > 0 ? static_cast<std::int64_t>(size) - 1 : 0;
  return std::clamp(view.offset + unit * count, std::int64_t{0}, last);
}

IndexedImage ViewImage(std::string_view image, const TileView& view, int rows) {
  TileLayout l = view.layout(image.size(), rows);
  const std::string_view from = l.count > 0 ? image.substr(static_cast<size_t>(view.offset)) : std::string_view();
  IndexedImage out = TilesToImage(from, l);
  // Whole rows, even where the image ends before them.
  out.height = rows * view.cell.h * 8;
  out.pixels.resize(static_cast<size_t>(out.width) * out.height, 0);
  return out;
}

std::optional<TilePixel> PixelAt(const TileView& view, size_t size, int px, int py) {
  const int cellW = 8 * view.cell.w, cellH = 8 * view.cell.h;
  if (px < 0 || py < 0 || px >= view.perRow * 8) return std::nullopt;
  const std::int64_t cell = std::int64_t{py / cellH} * (view.perRow / view.cell.w) + px / cellW;
  const std::int64_t tile = cell * view.cell.tiles() + (py % cellH) / 8 * view.cell.w + (px % cellW) / 8;
  const std::int64_t at = view.offset + tile * TileBytes(view.format);
  if (at + TileBytes(view.format) > static_cast<std::int64_t>(size)) return std::nullopt;
  return TilePixel{at, px % 8, py % 8};
}

std::uint8_t TilePixelIndex(TileFormat format, const std::uint8_t* tile, int x, int y) {
  std::uint8_t pixels[64];
  DecodeTile(format, tile, pixels, 8);
  return pixels[y * 8 + x];
}

void SetTilePixelIndex(TileFormat format, std::uint8_t* tile, int x, int y, std::uint8_t index) {
  std::uint8_t pixels[64];
  DecodeTile(format, tile, pixels, 8);
  pixels[y * 8 + x] = index;
  EncodeTile(format, pixels, 8, tile);
}
