// Tiles to PNG and back on 1 MiB of 4BPP graphics (32,768 tiles): what one export or
// import of a GBA game's whole tile bank costs.
#include <benchmark/benchmark.h>

#include <random>

#include "graphics/Png.h"
#include "graphics/TileExchange.h"

namespace {

// A GBA-like bank: half glyphs (a few strokes on colour 0), a quarter shaded pictures,
// a quarter noise (compressed data or code caught in the block).
std::string MakeTiles(int count) {
  std::mt19937 rng(25);
  std::string out;
  for (int t = 0; t < count; ++t) {
    std::uint8_t pixels[64] = {};
    const int kind = t % 4;
    for (int i = 0; i < 64; ++i) {
      if (kind < 2) pixels[i] = (rng() % 5 == 0) ? static_cast<std::uint8_t>(1 + rng() % 3) : 0;
      if (kind == 2) pixels[i] = static_cast<std::uint8_t>((i / 8 + i % 8 + rng() % 2) & 15);
      if (kind == 3) pixels[i] = static_cast<std::uint8_t>(rng() & 15);
    }
    std::uint8_t tile[32];
    EncodeTile(TileFormat::Bpp4, pixels, 8, tile);
    out.append(reinterpret_cast<const char*>(tile), 32);
  }
  return out;
}

TileBlock Bank(int count) {
  TileBlock block;
  block.layout = {TileFormat::Bpp4, count, 16, {}};
  return block;
}

void BM_ExportTiles4bpp(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::string tiles = MakeTiles(count);
  const Palette greys = GreyPalette(TileFormat::Bpp4);
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string png = TilesToPng(tiles, Bank(count), greys);
    bytes = png.size();
    benchmark::DoNotOptimize(png.data());
  }
  state.counters["png_bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(tiles.size()));
}
BENCHMARK(BM_ExportTiles4bpp)->Arg(32768)->Unit(benchmark::kMillisecond);

void BM_ImportTiles4bpp(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::string tiles = MakeTiles(count);
  const std::string png = TilesToPng(tiles, Bank(count), GreyPalette(TileFormat::Bpp4));
  const auto greys = [](const TileBlock& b, Text&) { return std::optional<Palette>(GreyPalette(b.layout.format)); };
  for (auto _ : state) {
    const PngTiles back = TilesFromPng(png, TileBlock(), greys, size_t{1} << 26);
    if (back.tiles != tiles) state.SkipWithError("the tiles did not come back");
    benchmark::DoNotOptimize(back.tiles.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(tiles.size()));
}
BENCHMARK(BM_ImportTiles4bpp)->Arg(32768)->Unit(benchmark::kMillisecond);

}  // namespace
