#pragma once
// Indexed PNG files, written and read with libpng so that the bit depth (1, 2, 4 or 8)
// and the palette's order survive exactly; an outside editor keeps indices that way.
#include <string>
#include <string_view>

#include "graphics/Tiles.h"

// The tEXt keyword under which an export records its block.
inline constexpr const char* kPngRecordKey = "Tarvello";

// An indexed PNG of `image` at `bitDepth` with `palette`, and `record` under kPngRecordKey
// when it is not empty. Throws std::runtime_error only when libpng itself fails.
std::string WriteIndexedPng(const IndexedImage& image, int bitDepth, const Palette& palette, std::string_view record);

struct PngPicture {
  bool indexed = false;
  // Indexed: one index a pixel, `palette` its PLTE. Otherwise: r, g, b a pixel (grey is
  // widened to all three, alpha dropped).
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> data;
  Palette palette;
  std::string record;  // the text under kPngRecordKey; empty when there is none
  Rgb colourAt(size_t pixel) const {
    return {data[3 * pixel], data[3 * pixel + 1], data[3 * pixel + 2]};
  }
};

enum class PngFault { None, NotPng, Damaged, SixteenBit, TooLarge };

struct PngReadResult {
  PngPicture picture;
  PngFault fault = PngFault::None;
  std::string detail;  // libpng's own words for a damaged file
};

// Reads a whole PNG from memory; every chunk's CRC is checked and the file must run to
// IEND. 16-bit channels and pictures of more than `maxPixels` pixels are refused before
// anything is allocated for them.
PngReadResult ReadPng(std::string_view bytes, size_t maxPixels);
