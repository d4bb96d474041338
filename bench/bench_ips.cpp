// IPS patches: applying (in memory, as an operation, and as a whole tarvello-cli process
// that loads a ROM and a patch, applies and saves), generating from a translation,
// Magic IPS and text extraction, on inputs of the sizes translators use.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "workspace/CharTable.h"
#include "ips/IpsFile.h"
#include "ips/IpsFromPerevod.h"
#include "ips/IpsRecords.h"
#include "ips/IpsText.h"
#include "ips/MagicIps.h"
#include "workspace/Workspace.h"

extern char** environ;

namespace {

constexpr size_t kRomSize = 16 * 1024 * 1024;

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string out(n, '\0');
  for (auto& c : out) c = static_cast<char>(rng());
  return out;
}

// 20,000 records of 8 to 64 bytes scattered over the image, a few run-length ones among them.
std::string ScatteredPatch() {
  std::mt19937 rng(1);
  Text patch(kIpsHeader);
  for (int i = 0; i < 20000; ++i) {
    std::uint32_t offset = rng() % (kRomSize - 64);
    if (offset == kIpsEofOffset) --offset;
    if (i % 50 == 0) {
      patch += Text{
          static_cast<char>(offset >> 16), static_cast<char>(offset >> 8), static_cast<char>(offset), 0, 0, 0, 32, 'x'};
      continue;
    }
    AppendIpsRecord(patch, offset, RandomBytes(8 + rng() % 57, static_cast<unsigned>(i)));
  }
  return patch + Text(kIpsTrailer);
}

// The whole image as 512 records of 32 KiB.
std::string WholeImagePatch() {
  const std::string rom = RandomBytes(kRomSize, 2);
  Text patch(kIpsHeader);
  for (std::uint32_t k = 0; k < 512; ++k)
    AppendIpsRecord(patch, k * 32768, std::string_view(rom).substr(k * 32768, 32768));
  return patch + Text(kIpsTrailer);
}

const std::string& Patch(int which) {
  static const std::string scattered = ScatteredPatch();
  static const std::string whole = WholeImagePatch();
  return which == 0 ? scattered : whole;
}

const char* PatchName(int which) {
  return which == 0 ? "20000records" : "512x32KiB";
}

void BM_ApplyInMemory(benchmark::State& state) {
  const std::string& patch = Patch(static_cast<int>(state.range(0)));
  RomBytes image(RandomBytes(kRomSize, 3));
  for (auto _ : state) {
    ApplyIpsRecords(patch, image);
    benchmark::DoNotOptimize(image.data());
  }
  state.SetLabel(PatchName(static_cast<int>(state.range(0))));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * patch.size()));
}
BENCHMARK(BM_ApplyInMemory)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The operation: checks, progress, the log line and the commit of the 16 MiB work copy.
void BM_ApplyIpsOperation(benchmark::State& state) {
  NullHost host;
  Workspace ws(host);
  InitWorkspace(ws, ".");
  ws.RomImage = RandomBytes(kRomSize, 3);
  ws.RomLoaded = true;
  ws.IpsImage = Patch(static_cast<int>(state.range(0)));
  ws.IpsLoaded = true;
  for (auto _ : state) {
    ApplyIps(ws);
    ws.LogText.clear();
  }
  state.SetLabel(PatchName(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ApplyIpsOperation)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_GenerateIpsFromPerevod(benchmark::State& state) {
  NullHost host;
  Workspace ws(host);
  InitWorkspace(ws, ".");
  ws.CharTable.assign(256, Text(1, '\0'));
  for (int c = 0x20; c < 0x7F; ++c) ws.CharTable[static_cast<size_t>(c + 0x60)] = Text(1, static_cast<char>(c));
  ws.CharTableLookup = LookupOf(ws.CharTable);
  ws.TableLoaded = true;
  ws.PerevodArray.clear();
  // Every line carries an escape the table lacks, so the warning path is measured too.
  char address[32];
  for (int64_t i = 0; i < state.range(0); ++i) {
    std::snprintf(address, sizeof address, "&H%llX", static_cast<unsigned long long>(16 + i * 40));
    ws.PerevodArray.push_back(address + (" Line number " + std::to_string(i)) + " <$0A>text");
  }
  ws.PerevodLoaded = true;
  for (auto _ : state) {
    GenerateIpsFromPerevod(ws);
    ws.LogText.clear();
    benchmark::DoNotOptimize(ws.IpsImage.data());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_GenerateIpsFromPerevod)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_MakeMagicIps(benchmark::State& state) {
  NullHost host;
  Workspace ws(host);
  InitWorkspace(ws, ".");
  ws.RomImage = RandomBytes(static_cast<size_t>(state.range(0)), 4);
  ws.RomLoaded = true;
  for (auto _ : state) {
    ws.magicIterator = 100;
    MakeMagicIps(ws);
    ws.LogText.clear();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_MakeMagicIps)->Arg(1 << 20)->Arg(kRomSize)->Unit(benchmark::kMillisecond);

void BM_CollectIpsText(benchmark::State& state) {
  IpsTextDecoder decoder{};
  for (int c = 0x20; c < 0x7F; ++c) decoder[static_cast<size_t>(c)] = static_cast<char>(c);
  const std::string& patch = Patch(1);
  for (auto _ : state) benchmark::DoNotOptimize(CollectIpsText(patch, decoder, 4).lines.size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * patch.size()));
}
BENCHMARK(BM_CollectIpsText)->Unit(benchmark::kMillisecond);

// ---- the whole process, as a build script would run it ----------------------------

std::string CliPath() {
  if (const char* env = std::getenv("TARVELLO_CLI")) return env;
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "tarvello-cli").string();
}

int RunQuietly(const std::vector<std::string>& args, const std::string& dir) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_CliLoadApplySave(benchmark::State& state) {
  const std::string cli = CliPath();
  if (!std::filesystem::exists(cli)) {
    state.SkipWithError(("tarvello-cli not found; set TARVELLO_CLI: " + cli).c_str());
    return;
  }
  const auto dir = std::filesystem::temp_directory_path() / ("tarvello-bench-ips-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "rom.gba", std::ios::binary) << RandomBytes(kRomSize, 3);
  std::ofstream(dir / "p.ips", std::ios::binary) << Patch(static_cast<int>(state.range(0)));
  const std::vector<std::string> args = {cli,
                                         "--set",
                                         "MakeBAKFiles=NO",
                                         "--set",
                                         "InputRomFileName=rom.gba",
                                         "LoadRom",
                                         "--set",
                                         "IPSFileName=p.ips",
                                         "LoadIps",
                                         "ApplyIps",
                                         "--set",
                                         "OutputRomFileName=out.gba",
                                         "SaveRom"};
  for (auto _ : state)
    if (RunQuietly(args, dir.string()) != 0) state.SkipWithError("tarvello-cli failed");
  std::filesystem::remove_all(dir);
  state.SetLabel(PatchName(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_CliLoadApplySave)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
