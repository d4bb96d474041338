// The ROM tools on images of the sizes users work with: relative search over a 32 MiB
// image (the literal search beside the one-pass one), the whole table generator, a
// 4 MiB dump and the largest tile transposition.
#include <benchmark/benchmark.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <random>

#include "tools/CodeSearch.h"
#include "tools/Dumper.h"
#include "tools/TableGenerator.h"
#include "tools/TileTransposition.h"
#include "workspace/CharTable.h"
#include "workspace/Files.h"

namespace {

constexpr size_t kRomSize = 32u << 20;

std::string RandomImage(size_t size, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::string image(size, '\0');
  for (size_t i = 0; i < size; i += 8) {
    const std::uint64_t v = rng();
    std::memcpy(image.data() + i, &v, std::min<size_t>(8, size - i));
  }
  return image;
}

// A 32 MiB image whose text is coded with the small letters from 0x80, the capitals
// from 0xA0, the space at 0xD0 and the digits at 0xE0, planted near its end.
const std::string& GameImage() {
  static const std::string image = [] {
    std::string img = RandomImage(kRomSize, 7);
    const auto code = [](const std::string& text) {
      std::string out;
      for (char c : text) {
        if (c >= 'a' && c <= 'z')
          out += static_cast<char>(0x80 + c - 'a');
        else if (c >= 'A' && c <= 'Z')
          out += static_cast<char>(0xA0 + c - 'A');
        else if (c >= '0' && c <= '9')
          out += static_cast<char>(0xE0 + c - '0');
        else
          out += static_cast<char>(0xD0);
      }
      return out;
    };
    const std::string text = code("hello traveller") + code("WELCOME") + code("you have 150 gold ");
    img.replace(kRomSize - 4096, text.size(), text);
    return img;
  }();
  return image;
}

CodeSearchRequest SmallLetters(const std::string& sample) {
  static const std::string map(256, '\0');
  return {GameImage(), map, "abcdefghijklmnopqrstuvwxyz", sample, 0, false};
}

void BM_RelativeSearchOnePass(benchmark::State& state) {
  const std::string sample = state.range(0) ? "hello" : "zyxwv";  // found at 0x80, or never
  for (auto _ : state) benchmark::DoNotOptimize(FindAlphabetCode(SmallLetters(sample)));
}
BENCHMARK(BM_RelativeSearchOnePass)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_RelativeSearchOrdered(benchmark::State& state) {
  const std::string sample = state.range(0) ? "hello" : "zyxwv";
  for (auto _ : state) benchmark::DoNotOptimize(FindAlphabetCodeOrdered(SmallLetters(sample)));
}
BENCHMARK(BM_RelativeSearchOrdered)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(2);

// Answers the generator's four questions.
class AnsweringHost : public NullHost {
 public:
  std::deque<Text> answers;
  std::optional<Text> inputBox(const Text&, const Text&, const Text&) override {
    if (answers.empty()) return std::nullopt;
    Text a = answers.front();
    answers.pop_front();
    return a;
  }
};

Text TempName(const char* name) {
  return FromNativePath(std::filesystem::temp_directory_path() / name);
}

void BM_GenerateTable(benchmark::State& state) {
  AnsweringHost host;
  Workspace ws(host);
  ws.RomImage = GameImage();
  ws.RomLoaded = true;
  ws.GenTableFileName = TempName("tarvello-bench.tbl");
  for (auto _ : state) {
    host.answers = {"hello", "WELCOME", "hello traveller", "have 150 gold"};
    GenerateTable(ws);
  }
  std::filesystem::remove(NativePath(ws.GenTableFileName));
}
BENCHMARK(BM_GenerateTable)->Unit(benchmark::kMillisecond);

void BM_DumpRomBlock(benchmark::State& state) {
  NullHost host;
  Workspace ws(host);
  ws.RomImage = RandomImage(4u << 20, 3);
  ws.RomLoaded = true;
  Text table;
  for (int code = 0x20; code < 0x7F; ++code)
    if (code != '=')
      table +=
          Text{"0123456789ABCDEF"[code >> 4], "0123456789ABCDEF"[code & 15], '=', static_cast<char>(code), '\r', '\n'};
  ApplyTableText(ws, table);
  ws.TableLoaded = true;
  ws.ReportFileName = TempName("tarvello-bench-dump.txt");
  for (auto _ : state) {
    std::int32_t start = 1;
    DumpRomBlock(ws, start, 4 << 20, static_cast<std::int32_t>(state.range(0)), true);
  }
  std::filesystem::remove(NativePath(ws.ReportFileName));
}
BENCHMARK(BM_DumpRomBlock)->Arg(70)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TransposeTileBlock(benchmark::State& state) {
  NullHost host;
  Workspace ws(host);
  ws.RomImage = RandomImage(kRomSize, 5);
  ws.RomLoaded = true;
  for (auto _ : state) TransposeTileBlock(ws, TransposeFields{"&H100000", "31", "31", 0});
}
BENCHMARK(BM_TransposeTileBlock)->Unit(benchmark::kMillisecond);

}  // namespace
