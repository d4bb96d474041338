// Fuzz target for the PNG import: whatever the file holds, the reader stays inside its
// bytes, and a picture it takes is whole tiles that write back to the same PNG pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "graphics/Png.h"
#include "graphics/TileExchange.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view png(reinterpret_cast<const char*>(data), size);
  TileBlock fallback;
  fallback.layout = {TileFormat::Bpp4, 1, 1, {1, 2}};
  const auto greys = [](const TileBlock& b, Text&) { return std::optional<Palette>(GreyPalette(b.layout.format)); };
  const PngTiles got = TilesFromPng(png, fallback, greys, 1u << 16);
  if (!got.refusal.empty()) return 0;
  Require(got.tiles.size() == got.block.layout.bytes());
  const std::string again = TilesToPng(got.tiles, got.block, GreyPalette(got.block.layout.format));
  const PngTiles twice = TilesFromPng(again, fallback, greys, 1u << 16);
  Require(twice.refusal.empty() && twice.tiles == got.tiles);
  return 0;
}
