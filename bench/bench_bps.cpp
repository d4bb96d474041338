// BPS patches and ROM comparison on a 16 MiB pair with 20,000 scattered edits: making the
// patch, its checksums, reading and applying it, and the IPS of the same comparison; the
// delta encoder on the same image with one byte inserted and on a translated text.
#include <benchmark/benchmark.h>

#include "bench_bps_input.h"
#include "ips/Bps.h"
#include "ips/RomCompare.h"

namespace {

const std::pair<std::string, std::string>& Pair() {
  static const auto pair = BpsBenchPair();
  return pair;
}

void BM_Crc32(benchmark::State& state) {
  const std::string& rom = Pair().first;
  for (auto _ : state) benchmark::DoNotOptimize(Crc32(rom));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rom.size()));
}
BENCHMARK(BM_Crc32)->Unit(benchmark::kMillisecond);

// The encoder (scattered edits: no stretch long enough to search) and the three checksums.
void BM_CreateBps(benchmark::State& state) {
  size_t size = 0;
  for (auto _ : state) size = CreateBps(Pair().first, Pair().second).size();
  state.SetLabel("patch " + std::to_string(size) + " bytes");
}
BENCHMARK(BM_CreateBps)->Unit(benchmark::kMillisecond);

// Reading (patch CRC, every action walked) and building the 16 MiB target, without the
// target CRC the operation adds.
void BM_ApplyBpsPatch(benchmark::State& state) {
  const Text patch = CreateBps(Pair().first, Pair().second);
  for (auto _ : state) benchmark::DoNotOptimize(ApplyBpsPatch(ReadBpsPatch(patch), Pair().first).data());
}
BENCHMARK(BM_ApplyBpsPatch)->Unit(benchmark::kMillisecond);

// The whole image shifted by one byte: the source's index, then one copy of it.
void BM_CreateBpsOneByteInserted(benchmark::State& state) {
  std::string target = Pair().first;
  target.insert(0x1000, 1, 'Q');
  size_t size = 0;
  for (auto _ : state) size = CreateBps(Pair().first, target).size();
  state.SetLabel("patch " + std::to_string(size) + " bytes");
}
BENCHMARK(BM_CreateBpsOneByteInserted)->Unit(benchmark::kMillisecond);

void BM_CreateBpsTranslatedText(benchmark::State& state) {
  static const auto text = BpsTextPair();
  size_t size = 0;
  for (auto _ : state) size = CreateBps(text.first, text.second).size();
  state.SetLabel("patch " + std::to_string(size) + " bytes of " + std::to_string(text.second.size()));
}
BENCHMARK(BM_CreateBpsTranslatedText)->Unit(benchmark::kMillisecond);

void BM_CreateIpsFromRoms(benchmark::State& state) {
  size_t size = 0;
  for (auto _ : state) size = CreateIpsFromRoms(Pair().first, Pair().second).patch.size();
  state.SetLabel("patch " + std::to_string(size) + " bytes");
}
BENCHMARK(BM_CreateIpsFromRoms)->Unit(benchmark::kMillisecond);

}  // namespace
