// The GBA codecs on tile data of the sizes games hold: LZ77 packing and unpacking of
// 1 MiB of tiles, and the search for streams over a 32 MiB image (TARVELLO_PERF_ROM names
// one to use, else a random image of that size is made). BM_Lz77CorpusSizes packs a set
// of made tile sets (fonts, gradients, dithered pictures, sparse maps) and reports the
// total of the smallest streams beside a greedy parse's, as the README quotes them.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "compression/Codecs.h"
#include "compression/StreamFinder.h"
#include "workspace/Files.h"

namespace {

using Bytes = std::string;

// 4bpp tiles from a picture function of (x, y) giving colour indexes 0-15.
template <class Pixel>
Bytes Tiles4(int tilesWide, int tilesHigh, Pixel pixel) {
  Bytes out;
  for (int ty = 0; ty < tilesHigh; ++ty)
    for (int tx = 0; tx < tilesWide; ++tx)
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; x += 2)
          out += static_cast<char>((pixel(tx * 8 + x, ty * 8 + y) & 15) | (pixel(tx * 8 + x + 1, ty * 8 + y) & 15) << 4);
  return out;
}

template <class Pixel>
Bytes Tiles8(int tilesWide, int tilesHigh, Pixel pixel) {
  Bytes out;
  for (int ty = 0; ty < tilesHigh; ++ty)
    for (int tx = 0; tx < tilesWide; ++tx)
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) out += static_cast<char>(pixel(tx * 8 + x, ty * 8 + y));
  return out;
}

// A font of `glyphs` 8x`height` glyphs: strokes made of a few random segments, a
// shadow colour under each ink pixel.
Bytes Font(int glyphs, int height, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::vector<std::uint8_t>> bitmap(glyphs, std::vector<std::uint8_t>(8 * height, 0));
  for (auto& g : bitmap)
    for (int stroke = 0; stroke < 3; ++stroke) {
      int x = 1 + rng() % 5, y = 1 + rng() % (height - 3);
      const int dx = static_cast<int>(rng() % 3) - 1, dy = static_cast<int>(rng() % 3) - 1;
      for (int k = 0; k < 5 && x >= 0 && x < 7 && y >= 0 && y < height - 1; ++k, x += dx, y += dy) g[y * 8 + x] = 1;
    }
  return Tiles4(glyphs, height / 8, [&](int px, int py) {
    const auto& g = bitmap[px / 8];
    const int x = px % 8, y = py;
    if (g[y * 8 + x]) return 1;
    if (x > 0 && y > 0 && g[(y - 1) * 8 + x - 1]) return 2;
    return 0;
  });
}

Bytes Dithered(int w, int h, unsigned seed, int colours) {
  static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  const double phase = seed * 0.7;
  return Tiles4(w, h, [&](int x, int y) {
    const double v = (std::sin(x * 0.05 + phase) + std::cos(y * 0.07 - phase) + 2) / 4 * (colours - 1);
    const int base = static_cast<int>(v);
    return base + ((v - base) * 16 > bayer[y % 4][x % 4] ? 1 : 0);
  });
}

Bytes SparseMap(int entries, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes out;
  for (int i = 0; i < entries; ++i) {
    const unsigned v = rng() % 5 == 0 ? (rng() % 200) | (rng() % 4) << 12 : 0;
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
  }
  return out;
}

std::vector<Bytes> Corpus() {
  std::vector<Bytes> sets;
  for (unsigned s = 0; s < 6; ++s) sets.push_back(Font(96 + 32 * s, s % 2 ? 16 : 8, s));
  for (unsigned s = 0; s < 4; ++s)
    sets.push_back(Tiles4(16, 8 + 4 * s, [s](int x, int y) { return (x / (2 + s) + y / 3) % 16; }));
  for (unsigned s = 0; s < 4; ++s) sets.push_back(Dithered(20 + 4 * s, 16, s, 4 + 3 * s));
  for (unsigned s = 0; s < 3; ++s)
    sets.push_back(Tiles8(12, 8, [s](int x, int y) { return (x * (s + 1) + y * 3) / 4 % 64 + 16 * s; }));
  for (unsigned s = 0; s < 4; ++s) sets.push_back(SparseMap(1024 << (s % 2), s));
  return sets;
}

// The usual packer's parse: the longest copy at each position, a literal where there is
// none, the same VRAM-safe rule.
size_t GreedyLz77Size(const Bytes& s) {
  size_t size = 4, items = 0;
  for (size_t i = 0; i < s.size(); ++items) {
    size_t best = 0;
    for (size_t d = 2; d <= i && d <= 4096 && best < 18; ++d) {
      size_t len = 0;
      while (len < 18 && i + len < s.size() && s[i + len] == s[i + len - d]) ++len;
      best = std::max(best, len);
    }
    if (best >= 3) {
      size += 2, i += best;
    } else {
      size += 1, ++i;
    }
  }
  return size + (items + 7) / 8;
}

Bytes OneMebibyteOfTiles() {
  Bytes out;
  for (unsigned round = 0; out.size() < (1u << 20); ++round)
    for (const Bytes& set : Corpus()) out += set;
  out.resize(1u << 20);
  return out;
}

void BM_PackLz77(benchmark::State& state) {
  const Bytes input = OneMebibyteOfTiles();
  for (auto _ : state) benchmark::DoNotOptimize(PackLz77(input, true));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_PackLz77)->Unit(benchmark::kMillisecond);

void BM_UnpackLz77(benchmark::State& state) {
  const Bytes input = OneMebibyteOfTiles();
  const Bytes stream = PackLz77(input, true);
  for (auto _ : state) benchmark::DoNotOptimize(UnpackLz77(stream));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_UnpackLz77)->Unit(benchmark::kMillisecond);

Bytes SearchImage() {
  if (const char* name = std::getenv("TARVELLO_PERF_ROM")) return ReadWholeFile(name);
  std::mt19937_64 rng(26);
  Bytes image(32u << 20, '\0');
  for (size_t i = 0; i < image.size(); i += 8) {
    const std::uint64_t v = rng();
    std::memcpy(image.data() + i, &v, 8);
  }
  return image;
}

void BM_FindCompressed32MiB(benchmark::State& state) {
  const Bytes image = SearchImage();
  size_t found = 0;
  for (auto _ : state) found = FindStreams(image).size();
  state.counters["streams"] = static_cast<double>(found);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_FindCompressed32MiB)->Unit(benchmark::kMillisecond);

void BM_Lz77CorpusSizes(benchmark::State& state) {
  const std::vector<Bytes> corpus = Corpus();
  size_t unpacked = 0, optimal = 0, greedy = 0;
  for (auto _ : state) {
    unpacked = optimal = greedy = 0;
    for (const Bytes& set : corpus) {
      unpacked += set.size();
      optimal += PackLz77(set, true).size();
      greedy += GreedyLz77Size(set);
    }
  }
  state.counters["sets"] = static_cast<double>(corpus.size());
  state.counters["unpacked"] = static_cast<double>(unpacked);
  state.counters["optimal"] = static_cast<double>(optimal);
  state.counters["greedy"] = static_cast<double>(greedy);
}
BENCHMARK(BM_Lz77CorpusSizes)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
