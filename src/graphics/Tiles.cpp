#include "graphics/Tiles.h"

#include <cstring>

int BitsPerPixel(TileFormat format) {
  switch (format) {
    case TileFormat::Bpp1: return 1;
    case TileFormat::Bpp2: return 2;
    case TileFormat::Bpp4: return 4;
    case TileFormat::Bpp8: return 8;
  }
  return 4;
}

int TileBytes(TileFormat format) { return 8 * BitsPerPixel(format); }

const char* TileFormatName(TileFormat format) {
  static const char* const names[] = {"1BPP", "2BPP", "4BPP", "8BPP"};
  return names[static_cast<int>(format)];
}

std::optional<TileFormat> ParseTileFormat(std::string_view name) {
  std::string upper(name);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (TileFormat f : kTileFormats) {
    const std::string full = TileFormatName(f);
    if (upper == full || upper == full.substr(0, 1)) return f;
  }
  return std::nullopt;
}

std::optional<CellSize> ParseCellSize(std::string_view text) {
  std::string t(text);
  for (const char* times : {"\xC3\x97", "\xD7", "X"})  // the sign in UTF-8 and in Windows-1251
    if (auto at = t.find(times); at != std::string::npos) t.replace(at, std::strlen(times), "x");
  if (t == "1x1" || t.empty()) return CellSize{1, 1};
  if (t == "1x2") return CellSize{1, 2};
  if (t == "2x2") return CellSize{2, 2};
  return std::nullopt;
}

const char* CellSizeName(CellSize cell) {
  if (cell == CellSize{1, 2}) return "1x2";
  if (cell == CellSize{2, 2}) return "2x2";
  return "1x1";
}

int TileLayout::cellRows() const {
  const int cells = count / cell.tiles();
  const int across = cellsPerRow();
  return across > 0 ? (cells + across - 1) / across : 0;
}

size_t TileLayout::bytes() const { return static_cast<size_t>(count) * TileBytes(format); }

PixelPos TileOrigin(const TileLayout& layout, int index) {
  const int cell = index / layout.cell.tiles();
  const int within = index % layout.cell.tiles();
  const int across = layout.cellsPerRow();
  return {((cell % across) * layout.cell.w + within % layout.cell.w) * 8,
          ((cell / across) * layout.cell.h + within / layout.cell.w) * 8};
}

void DecodeTile(TileFormat format, const std::uint8_t* tile, std::uint8_t* pixels, size_t stride) {
  for (int y = 0; y < 8; ++y, pixels += stride) {
    switch (format) {
      case TileFormat::Bpp1:
        for (int x = 0; x < 8; ++x) pixels[x] = (tile[y] >> (7 - x)) & 1;
        break;
      case TileFormat::Bpp2: {
        const unsigned lo = tile[2 * y], hi = tile[2 * y + 1];
        for (int x = 0; x < 8; ++x) pixels[x] = static_cast<std::uint8_t>(((lo >> (7 - x)) & 1) | (((hi >> (7 - x)) & 1) << 1));
        break;
      }
      case TileFormat::Bpp4:
        for (int x = 0; x < 8; x += 2) {
          const std::uint8_t b = tile[4 * y + x / 2];
          pixels[x] = b & 0x0F;
          pixels[x + 1] = b >> 4;
        }
        break;
      case TileFormat::Bpp8:
        std::memcpy(pixels, tile + 8 * y, 8);
        break;
    }
  }
}

void EncodeTile(TileFormat format, const std::uint8_t* pixels, size_t stride, std::uint8_t* tile) {
  for (int y = 0; y < 8; ++y, pixels += stride) {
    switch (format) {
      case TileFormat::Bpp1: {
        unsigned b = 0;
        for (int x = 0; x < 8; ++x) b |= (pixels[x] & 1u) << (7 - x);
        tile[y] = static_cast<std::uint8_t>(b);
        break;
      }
      case TileFormat::Bpp2: {
        unsigned lo = 0, hi = 0;
        for (int x = 0; x < 8; ++x) {
          lo |= (pixels[x] & 1u) << (7 - x);
          hi |= ((pixels[x] >> 1) & 1u) << (7 - x);
        }
        tile[2 * y] = static_cast<std::uint8_t>(lo);
        tile[2 * y + 1] = static_cast<std::uint8_t>(hi);
        break;
      }
      case TileFormat::Bpp4:
        for (int x = 0; x < 8; x += 2)
          tile[4 * y + x / 2] = static_cast<std::uint8_t>((pixels[x] & 0x0F) | ((pixels[x + 1] & 0x0F) << 4));
        break;
      case TileFormat::Bpp8:
        std::memcpy(tile + 8 * y, pixels, 8);
        break;
    }
  }
}

IndexedImage TilesToImage(std::string_view tiles, const TileLayout& layout) {
  IndexedImage image;
  image.width = layout.width();
  image.height = layout.height();
  image.pixels.assign(static_cast<size_t>(image.width) * image.height, 0);
  const auto* src = reinterpret_cast<const std::uint8_t*>(tiles.data());
  const int tileBytes = TileBytes(layout.format);
  for (int t = 0; t < layout.count; ++t) {
    const PixelPos at = TileOrigin(layout, t);
    DecodeTile(layout.format, src + static_cast<size_t>(t) * tileBytes,
               image.pixels.data() + static_cast<size_t>(at.y) * image.width + at.x, image.width);
  }
  return image;
}

std::string TilesFromImage(const IndexedImage& image, const TileLayout& layout) {
  std::string out(layout.bytes(), '\0');
  auto* dst = reinterpret_cast<std::uint8_t*>(out.data());
  const int tileBytes = TileBytes(layout.format);
  for (int t = 0; t < layout.count; ++t) {
    const PixelPos at = TileOrigin(layout, t);
    EncodeTile(layout.format, image.pixels.data() + static_cast<size_t>(at.y) * image.width + at.x, image.width,
               dst + static_cast<size_t>(t) * tileBytes);
  }
  return out;
}

Palette GreyPalette(TileFormat format) {
  const int n = 1 << BitsPerPixel(format);
  Palette palette(n);
  for (int i = 0; i < n; ++i) {
    const int level = format == TileFormat::Bpp2 ? 255 - i * 85 : i * 255 / (n - 1);
    palette[i] = {static_cast<std::uint8_t>(level), static_cast<std::uint8_t>(level), static_cast<std::uint8_t>(level)};
  }
  return palette;
}

Palette RomPalette(std::string_view bytes, size_t offset, TileFormat format) {
  const int n = 1 << BitsPerPixel(format);
  Palette palette(n);
  const auto widen = [](unsigned v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); };
  for (int i = 0; i < n; ++i) {
    const unsigned word = static_cast<std::uint8_t>(bytes[offset + 2 * i]) |
                          (static_cast<unsigned>(static_cast<std::uint8_t>(bytes[offset + 2 * i + 1])) << 8);
    palette[i] = {widen(word & 31), widen((word >> 5) & 31), widen((word >> 10) & 31)};
  }
  return palette;
}
