// Loading and saving the files a translator works with, at the sizes of real work.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "workspace/Files.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"
#include "workspace/Workspace.h"

namespace {

namespace fs = std::filesystem;

fs::path BenchDir() {
  const fs::path dir = fs::temp_directory_path() / "tarvello-bench";
  fs::create_directories(dir);
  return dir;
}

// A translation of `lines` lines with an empty line after every tenth, as hand-edited
// files have them.
Text MakePerevodFile(int lines) {
  Text text;
  for (int i = 0; i < lines; ++i) {
    text += std::to_string(16384 + i * 24) + " Line number " + std::to_string(i) + " of the game text\r\n";
    if (i % 10 == 0) text += "\r\n\r\n";
  }
  return text;
}

// A translator's UTF-8 file of the same shape: Cyrillic text and LF line ends, so every
// character is decoded and every line end normalised before the lines are split.
std::string MakeUtf8PerevodFile(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) {
    text += std::to_string(16384 + i * 24) + " Строка номер " + std::to_string(i) + " текста игры\n";
    if (i % 10 == 0) text += "\n\n";
  }
  return text;
}

void LoadPerevodFrom(benchmark::State& state, const std::string& name, const std::string& content) {
  const fs::path file = BenchDir() / name;
  std::ofstream(file, std::ios::binary) << content;
  NullHost host;
  Workspace ws(host);
  InitWorkspace(ws, FromNativePath(BenchDir()));
  for (auto _ : state) {
    ws.PerevodFileName = FromNativePath(file);
    LoadPerevod(ws);
    benchmark::DoNotOptimize(ws.PerevodArray.data());
  }
  state.SetComplexityN(state.range(0));
}

void BM_LoadPerevod(benchmark::State& state) {
  const auto lines = static_cast<int>(state.range(0));
  LoadPerevodFrom(state, "load" + std::to_string(lines) + ".txt", MakePerevodFile(lines));
}
BENCHMARK(BM_LoadPerevod)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_LoadPerevodUtf8(benchmark::State& state) {
  const auto lines = static_cast<int>(state.range(0));
  LoadPerevodFrom(state, "load-utf8-" + std::to_string(lines) + ".txt", MakeUtf8PerevodFile(lines));
}
BENCHMARK(BM_LoadPerevodUtf8)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_SavePerevod(benchmark::State& state) {
  const auto lines = static_cast<int>(state.range(0));
  NullHost host;
  Workspace ws(host);
  InitWorkspace(ws, FromNativePath(BenchDir()));
  ws.PerevodArray = SplitPerevodText(MakePerevodFile(lines));
  ws.OverwriteOldFile = "YES";
  ws.MakeBAKFiles = "NO";
  const Text name = FromNativePath(BenchDir() / ("save" + std::to_string(lines) + ".txt"));
  for (auto _ : state) {
    ws.PerevodFileName = name;
    SavePerevod(ws);
  }
  state.SetComplexityN(lines);
}
BENCHMARK(BM_SavePerevod)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_LoadRom(benchmark::State& state) {
  const auto size = static_cast<size_t>(state.range(0));
  const fs::path file = BenchDir() / ("rom" + std::to_string(size) + ".gba");
  std::ofstream(file, std::ios::binary) << std::string(size, '\x5A');
  NullHost host;
  Workspace ws(host);
  InitWorkspace(ws, FromNativePath(BenchDir()));
  for (auto _ : state) {
    ws.InputRomFileName = FromNativePath(file);
    LoadRom(ws);
    benchmark::DoNotOptimize(ws.RomImage.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}
BENCHMARK(BM_LoadRom)->Arg(1 << 20)->Arg(32 << 20)->Unit(benchmark::kMillisecond);

// The first load of a program: a fresh workspace each time, so no buffer is reused.
void BM_LoadRomFresh(benchmark::State& state) {
  const auto size = static_cast<size_t>(state.range(0));
  const fs::path file = BenchDir() / ("rom" + std::to_string(size) + ".gba");
  std::ofstream(file, std::ios::binary) << std::string(size, '\x5A');
  NullHost host;
  for (auto _ : state) {
    Workspace ws(host);
    ws.InputRomFileName = FromNativePath(file);
    LoadRom(ws);
    benchmark::DoNotOptimize(ws.RomImage.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}
BENCHMARK(BM_LoadRomFresh)->Arg(32 << 20)->Unit(benchmark::kMillisecond);

// What LoadRom is measured against: open, read(2) the whole file into a new buffer, close.
void BM_PlainFileRead(benchmark::State& state) {
  const auto size = static_cast<size_t>(state.range(0));
  const fs::path file = BenchDir() / ("rom" + std::to_string(size) + ".gba");
  std::ofstream(file, std::ios::binary) << std::string(size, '\x5A');
  for (auto _ : state) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    std::unique_ptr<char[]> buffer(new char[size]);
    size_t got = 0;
    while (got < size) {
      const ssize_t n = ::read(fd, buffer.get() + got, size - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    ::close(fd);
    benchmark::DoNotOptimize(buffer.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}
BENCHMARK(BM_PlainFileRead)->Arg(32 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
