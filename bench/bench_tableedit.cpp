// The table editor's work per user action with the preview on: a key release copies the
// grid into the table and decodes up to 1,001 ROM bytes through it; a reset rewrites the
// whole table first. Both must stay far below a keystroke's time on a 32 MiB image.
#include <benchmark/benchmark.h>

#include <random>

#include "tools/TableEdit.h"
#include "workspace/Host.h"

namespace {

struct PreviewBench {
  NullHost host;
  Workspace ws{host};
  PreviewBench() {
    std::mt19937 rng(11);
    ws.RomImage.resize(32u << 20);
    for (char& c : ws.RomImage) c = static_cast<char>(rng());
    ws.RomLoaded = true;
    ResetTable(ws, AlphabetGrid(), Text());
  }
};

void BM_KeyReleaseWithPreview(benchmark::State& state) {
  PreviewBench b;
  Grid grid = AlphabetGrid();
  const Text start = "16000000";  // near the middle of the image
  int code = 0;
  for (auto _ : state) {
    DropOnGrid(grid, code, "x");
    code = WrapCode(code + 1);
    PutGridInTable(b.ws, grid, Text());
    benchmark::DoNotOptimize(TablePreview(b.ws, start));
  }
}
BENCHMARK(BM_KeyReleaseWithPreview)->Unit(benchmark::kMicrosecond);

void BM_ResetWithPreview(benchmark::State& state) {
  PreviewBench b;
  for (auto _ : state) {
    ResetTable(b.ws, Windows1251Grid(), Text());
    benchmark::DoNotOptimize(TablePreview(b.ws, "1"));
  }
}
BENCHMARK(BM_ResetWithPreview)->Unit(benchmark::kMicrosecond);

}  // namespace
