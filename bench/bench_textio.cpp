// Text extraction, insertion and GBA pointers on a 32 MiB cartridge image.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>

#include "bench_textio_input.h"
#include "textio/Extraction.h"
#include "textio/FitCheck.h"
#include "textio/GbaPointers.h"
#include "textio/Insertion.h"
#include "workspace/CharTable.h"
#include "workspace/EntryCodec.h"
#include "workspace/Workspace.h"

namespace {

using namespace bench_textio;

const Cartridge& SharedCartridge() {
  static const Cartridge c = MakeCartridge();
  return c;
}

const Cartridge& PointerCartridge() {
  static const Cartridge c = [] {
    Cartridge p = MakeCartridge();
    AddPointers(p, 10000);
    return p;
  }();
  return c;
}

std::array<char, 256> AsciiDecode() {
  std::array<char, 256> decode{};
  const std::u32string lookup = AsciiLookup();
  for (size_t code = 0; code < 256; ++code) decode[code] = static_cast<char>(lookup[code]);
  return decode;
}

struct BenchWorkspace {
  NullHost host;
  Workspace ws{host};
  explicit BenchWorkspace(const Cartridge& c) {
    InitWorkspace(ws, std::filesystem::temp_directory_path().string());
    ws.RomImage = c.image;
    ws.RomLoaded = true;
    ws.CharTableLookup = AsciiLookup();
    ws.CharTable = CellsOf(ws.CharTableLookup);
    ws.TableLoaded = true;
    ws.PerevodLoaded = true;
    ws.ExtendedLogs = "NO";
  }
};

// The scan and the report text alone through `decoder`, handed on in pieces; the argument
// is NumberOfTextChars.
template <class Decoder>
void MeasureExtractionReport(benchmark::State& state, const Decoder& decoder) {
  const Cartridge& c = SharedCartridge();
  std::int64_t lines = 0;
  ExtractionReport(
      c.image, decoder, static_cast<int>(state.range(0)), false, [](std::int64_t) {},
      [&](std::string_view chunk) { lines += std::count(chunk.begin(), chunk.end(), '\n'); });
  for (auto _ : state) {
    ExtractionReport(
        c.image, decoder, static_cast<int>(state.range(0)), false, [](std::int64_t) {},
        [](std::string_view chunk) { benchmark::DoNotOptimize(chunk.data()); });
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.image.size()));
}

void BM_ExtractionReport(benchmark::State& state) {
  MeasureExtractionReport(state, AsciiDecode());
}
BENCHMARK(BM_ExtractionReport)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// The same image through a table whose every text code is a kana (three bytes of UTF-8
// each): the report that a Japanese table writes, against the ASCII one above.
void BM_ExtractionReportKana(benchmark::State& state) {
  std::u32string kana = AsciiLookup();
  for (char32_t& cell : kana)
    if (cell != 0) cell = U'\u3041' + (cell - 0x20);
  MeasureExtractionReport(state, EntryCodec(kana, {}));
}
BENCHMARK(BM_ExtractionReportKana)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// The whole operation, report file written (and synced) included.
void BM_ExtractTextFromRom(benchmark::State& state) {
  BenchWorkspace b(SharedCartridge());
  b.ws.NumberOfTextChars = static_cast<int>(state.range(0));
  const auto report = std::filesystem::temp_directory_path() / "bench_textio_report.txt";
  b.ws.ReportFileName = report.string();
  for (auto _ : state) ExtractTextFromRom(b.ws);
  std::filesystem::remove(report);
}
BENCHMARK(BM_ExtractTextFromRom)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// One pass over the image for 10,000 pointers.
void BM_ScanForGbaPointers(benchmark::State& state) {
  const Cartridge& c = PointerCartridge();
  GbaPointerSet set;
  for (size_t i = 0; i < 10000; ++i) set.add(*GbaPointerValue(static_cast<std::int64_t>(c.strings[i].offset) + 1));
  size_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    ScanForGbaPointers(c.image, set, [&](size_t, int) {
      ++hits;
      return true;
    });
  }
  state.counters["hits"] = static_cast<double>(hits);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.image.size()));
}
BENCHMARK(BM_ScanForGbaPointers)->Unit(benchmark::kMillisecond);

void BM_FindGbaPointers(benchmark::State& state) {
  BenchWorkspace b(PointerCartridge());
  b.ws.PerevodArray = TranslationOf(PointerCartridge(), 10000);
  for (auto _ : state) FindGbaPointers(b.ws);
}
BENCHMARK(BM_FindGbaPointers)->Unit(benchmark::kMillisecond);

// The whole correction step of 10,000 lines moved by 16 bytes: the working copy, the
// scan, the rewrite and the commit. Each run starts from the image with the old pointers.
void BM_CorrectGbaPointers(benchmark::State& state) {
  BenchWorkspace b(PointerCartridge());
  b.ws.ExtendedLogs = state.range(0) ? "YES" : "NO";
  b.ws.PerevodArray = TranslationOf(PointerCartridge(), 10000);
  b.ws.LeaveChangesInPerevodAddr = "NO";
  BuildGbaPointerTable(b.ws);
  for (auto _ : state) {
    state.PauseTiming();
    b.ws.RomImage = PointerCartridge().image;
    b.ws.LogText.clear();
    state.ResumeTiming();
    CorrectGbaPointers(b.ws, 16);
  }
}
BENCHMARK(BM_CorrectGbaPointers)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Insertion of translations of growing length into the 32 MiB image: the per-line cost
// stays flat, and the two image copies of every insertion are the fixed part.
void BM_PutPerevodInRom(benchmark::State& state) {
  BenchWorkspace b(SharedCartridge());
  b.ws.PerevodArray = TranslationOf(SharedCartridge(), static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    b.ws.LogText.clear();
    PutPerevodInRom(b.ws, 0);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PutPerevodInRom)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The fit check of 100,000 lines against the 32 MiB image: every line reads only its own
// string. One line in ten is made longer than its original and one in seven shorter, so
// the report has lines to log.
void BM_CheckFit(benchmark::State& state) {
  static const Cartridge c = MakeCartridge(1, 100000);
  BenchWorkspace b(c);
  b.ws.PerevodArray = TranslationOf(c, 100000);
  for (size_t i = 0; i < b.ws.PerevodArray.size(); ++i) {
    if (i % 10 == 0) b.ws.PerevodArray[i] += "!!";
    if (i % 7 == 0) b.ws.PerevodArray[i].pop_back();
  }
  for (auto _ : state) {
    b.ws.LogText.clear();
    CheckFit(b.ws);
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_CheckFit)->Unit(benchmark::kMillisecond);

}  // namespace

// Extended tables. 500 entries of two characters: the printable one-byte codes and
// two-byte codes F0 00 onwards, each standing for a pair of letters.
static std::vector<TableEntry> PairEntries() {
  std::vector<TableEntry> entries;
  for (int i = 0; entries.size() < 500; ++i) {
    const Text text{static_cast<char>('a' + i % 26), static_cast<char>('a' + (i / 26) % 26)};
    Text code = i < 95 ? Text(1, static_cast<char>(0x20 + i)) : Text{'\xF0', static_cast<char>(i - 95)};
    if (i >= 95 + 256) code = Text{'\xF1', static_cast<char>(i - 95 - 256)};
    entries.push_back({code, text, EntryKind::Normal});
  }
  return entries;
}

// The same image as BM_ExtractionReport through the 500 pairs; the argument is
// NumberOfTextChars. At 4 (two codes) it finds about the strings the one-byte table
// finds at 2; at 2 every lone code is a line of its own, nearly three times as many.
static void BM_ExtractionReportPairs(benchmark::State& state) {
  const Cartridge& c = SharedCartridge();
  const EntryCodec codec(std::u32string(256, U'\0'), PairEntries());
  std::int64_t lines = 0;
  ExtractionReport(
      c.image, codec, static_cast<int>(state.range(0)), false, [](std::int64_t) {},
      [&](std::string_view chunk) { lines += std::count(chunk.begin(), chunk.end(), '\n'); });
  for (auto _ : state) {
    ExtractionReport(
        c.image, codec, static_cast<int>(state.range(0)), false, [](std::int64_t) {},
        [](std::string_view chunk) { benchmark::DoNotOptimize(chunk.data()); });
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.image.size()));
}
BENCHMARK(BM_ExtractionReportPairs)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

// Encoding a text of N characters through the 500 pairs: linear in N.
static void BM_EncodePairs(benchmark::State& state) {
  const EntryCodec codec(std::u32string(256, U'\0'), PairEntries());
  Text text;
  for (std::int64_t i = 0; i < state.range(0); ++i) text += static_cast<char>('a' + (i * 7 + i / 3) % 26);
  for (auto _ : state) benchmark::DoNotOptimize(codec.encode(text).bytes.data());
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_EncodePairs)->RangeMultiplier(10)->Range(1000, 1000000)->Complexity()->Unit(benchmark::kMillisecond);

// Decoding N bytes into strings through the 500 pairs: linear in N.
static void BM_DecodePairs(benchmark::State& state) {
  const EntryCodec codec(std::u32string(256, U'\0'), PairEntries());
  const std::string_view bytes =
      std::string_view(SharedCartridge().image).substr(0, static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    size_t strings = 0;
    codec.forEachString(bytes, 2, [&](size_t, size_t) { ++strings; });
    benchmark::DoNotOptimize(strings);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DecodePairs)->RangeMultiplier(16)->Range(1 << 12, 1 << 24)->Complexity()->Unit(benchmark::kMillisecond);
