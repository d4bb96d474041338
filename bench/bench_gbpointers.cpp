// Game Boy pointer tables: 10,000 strings in a 4 MiB image of random bytes, 40 in each
// of 250 banks, every bank with a table of pointers to its own strings at its start.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "textio/GbPointer.h"
#include "textio/GbPointers.h"
#include "workspace/Log.h"
#include "workspace/Workspace.h"

namespace {

constexpr std::int64_t kBanks = 250;
constexpr std::int64_t kPerBank = 40;

struct GbCartridge {
  std::string image;
  std::vector<Text> lines;
  Text tables;
};

GbCartridge MakeGbCartridge() {
  std::mt19937_64 rng(3);
  GbCartridge c;
  c.image.resize(size_t{4} << 20);
  for (char& b : c.image) b = static_cast<char>(rng());
  for (std::int64_t bank = 1; bank <= kBanks; ++bank) {
    const std::int64_t start = bank * kGbBankSize;
    c.tables += Digits(start + 1) + "-" + Digits(start + 2 * kPerBank) + ";";
    for (std::int64_t k = 0; k < kPerBank; ++k) {
      const std::int64_t at = start + 0x100 * (k + 1);
      const std::uint16_t value = GbPointerValue(at);
      c.image[static_cast<size_t>(start + 2 * k)] = static_cast<char>(value & 0xFF);
      c.image[static_cast<size_t>(start + 2 * k + 1)] = static_cast<char>(value >> 8);
      c.lines.push_back(Digits(at + 1) + " string number " + Digits(k));
    }
  }
  return c;
}

const GbCartridge& Cartridge() {
  static const GbCartridge c = MakeGbCartridge();
  return c;
}

struct GbWorkspace {
  NullHost host;
  Workspace ws{host};
  GbWorkspace() {
    InitWorkspace(ws, std::filesystem::temp_directory_path().string());
    ws.RomImage = Cartridge().image;
    ws.RomLoaded = true;
    ws.PerevodArray = Cartridge().lines;
    ws.PerevodLoaded = true;
    ws.GbPointerTables = Cartridge().tables;
    ws.ExtendedLogs = "NO";
    ws.LeaveChangesInPerevodAddr = "NO";
  }
};

void BM_FindGbPointers(benchmark::State& state) {
  GbWorkspace b;
  for (auto _ : state) {
    b.ws.LogText.clear();
    FindGbPointers(b.ws);
  }
}
BENCHMARK(BM_FindGbPointers)->Unit(benchmark::kMillisecond);

// Recording the entries and correcting them for strings moved by 16 bytes: the working
// copy, the rewrite and the commit included. Each run starts from the old pointers.
void BM_BuildAndCorrectGbPointers(benchmark::State& state) {
  GbWorkspace b;
  for (auto _ : state) {
    state.PauseTiming();
    b.ws.RomImage = Cartridge().image;
    b.ws.LogText.clear();
    state.ResumeTiming();
    BuildGbPointerTable(b.ws);
    CorrectGbPointers(b.ws, 16);
  }
  state.counters["entries"] = static_cast<double>(b.ws.GbPointerMap.entries.size());
}
BENCHMARK(BM_BuildAndCorrectGbPointers)->Unit(benchmark::kMillisecond);

}  // namespace
