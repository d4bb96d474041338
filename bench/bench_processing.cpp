// Translation processing on translations of the size users work with: 100,000 lines
// grouped, sorted by each key, translated by a 2,000-pair dictionary and checked
// against a 1 MiB clean-up dictionary; the merges on two 50,000-line files.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "processing/Dictionary.h"
#include "processing/GroupAndSort.h"
#include "processing/Merge.h"
#include "processing/VocabCheck.h"
#include "workspace/Files.h"
#include "workspace/Perevod.h"

namespace {

constexpr size_t kLines = 100000;

Text RandomWord(std::mt19937& rng, size_t minLen, size_t maxLen) {
  Text word(minLen + rng() % (maxLen - minLen + 1), ' ');
  for (auto& c : word) c = static_cast<char>('a' + rng() % 26);
  return word;
}

// Extraction-like lines: rising addresses, a third of the texts repeated (menus,
// names), the rest words with spaces, and some very short garbage.
const std::vector<Text>& Translation() {
  static const std::vector<Text> lines = [] {
    std::mt19937 rng(1);
    std::vector<Text> common;
    for (int i = 0; i < 2000; ++i) common.push_back(RandomWord(rng, 3, 12) + " " + RandomWord(rng, 2, 8));
    std::vector<Text> out;
    std::int64_t address = 16385;
    for (size_t i = 0; i < kLines; ++i) {
      Text text;
      if (i % 3 == 0) {
        text = common[rng() % common.size()];
      } else if (i % 7 == 0) {
        text = RandomWord(rng, 1, 4);
      } else {
        for (int w = 0; w < 4; ++w) text += RandomWord(rng, 2, 7) + " ";
      }
      out.push_back(std::to_string(address) + " " + text);
      address += static_cast<std::int64_t>(text.size() + 1 + rng() % 5);
    }
    std::shuffle(out.begin(), out.end(), rng);  // the address sort has work to do
    return out;
  }();
  return lines;
}

struct Bench {
  NullHost host;
  Workspace ws{host};
  Bench() {
    InitWorkspace(ws, CurrentDirectory());
    ws.ExtendedLogs = "NO";
  }
  void reset() {
    ws.PerevodArray = Translation();
    ws.PerevodLoaded = true;
  }
};

void BM_GroupEqualTRLines(benchmark::State& state) {
  Bench b;
  for (auto _ : state) {
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
    GroupEqualTRLines(b.ws);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kLines));
}
BENCHMARK(BM_GroupEqualTRLines)->Unit(benchmark::kMillisecond);

void BM_SortPerevod(benchmark::State& state) {
  const Text modes[] = {SortModeByText(), SortModeByLength(), SortModeByAddress()};
  const Text& mode = modes[state.range(0)];
  Bench b;
  for (auto _ : state) {
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
    SortPerevod(b.ws, mode);
  }
  state.SetLabel(state.range(0) == 0 ? "by text" : state.range(0) == 1 ? "by length" : "by address");
}
BENCHMARK(BM_SortPerevod)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Already sorted input, the order that makes a careless quicksort quadratic or deep.
void BM_SortPerevodSortedInput(benchmark::State& state) {
  Bench b;
  b.reset();
  SortPerevod(b.ws, SortModeByAddress());
  const std::vector<Text> sorted = b.ws.PerevodArray;
  for (auto _ : state) {
    state.PauseTiming();
    b.ws.PerevodArray = sorted;
    state.ResumeTiming();
    SortPerevod(b.ws, SortModeByAddress());
  }
}
BENCHMARK(BM_SortPerevodSortedInput)->Unit(benchmark::kMillisecond);

class BenchFolder {
 public:
  BenchFolder() : path_(std::filesystem::temp_directory_path() / ("tarvello-bench-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~BenchFolder() { std::filesystem::remove_all(path_); }
  Text file(const std::string& name, std::string_view bytes) const {
    const Text path = FromNativePath(path_ / name);
    WriteFileAtomically(path, bytes);
    return path;
  }

 private:
  std::filesystem::path path_;
};

void BM_TranslateByVocabulary(benchmark::State& state) {
  std::mt19937 rng(2);
  Text dictionary;
  for (int i = 0; i < 2000; ++i) {
    const Text word = RandomWord(rng, 3, 8);
    dictionary += word + "\r\n" + Text(word.size(), 'x') + "\r\n";
  }
  BenchFolder folder;
  Bench b;
  b.ws.TRVocabularyFile = folder.file("voc.txt", dictionary);
  LoadTRVocabulary(b.ws);
  if (state.range(0)) AddLeadingSpaceToTRWords(b.ws);
  for (auto _ : state) {
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
    TranslateByVocabulary(b.ws);
  }
  state.SetLabel(state.range(0) ? "words with a leading space" : "plain words");
}
BENCHMARK(BM_TranslateByVocabulary)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_VocabCheck(benchmark::State& state) {
  std::mt19937 rng(3);
  Text dictionary;
  while (dictionary.size() < (1u << 20)) dictionary += RandomWord(rng, 2, 10) + "\r\n";
  BenchFolder folder;
  Bench b;
  b.ws.VocabularyFile = folder.file("clean.txt", dictionary);
  LoadVocabulary(b.ws);
  for (auto _ : state) {
    state.PauseTiming();
    b.reset();
    state.ResumeTiming();
    VocabCheck(b.ws);
  }
}
BENCHMARK(BM_VocabCheck)->Unit(benchmark::kMillisecond);

// Both files hold half of the translation each.
struct MergeFiles {
  BenchFolder folder;
  Text first;
  Text second;
  MergeFiles() {
    const auto& lines = Translation();
    const std::vector<Text> a(lines.begin(), lines.begin() + kLines / 2);
    const std::vector<Text> b(lines.begin() + kLines / 2, lines.end());
    first = folder.file("a.txt", JoinPerevodLines(a));
    second = folder.file("b.txt", JoinPerevodLines(b));
  }
};

void BM_AppendPerevodFiles(benchmark::State& state) {
  MergeFiles files;
  Bench b;
  for (auto _ : state) AppendPerevodFiles(b.ws, {files.first, files.second});
}
BENCHMARK(BM_AppendPerevodFiles)->Unit(benchmark::kMillisecond);

void BM_CombinePerevodFiles(benchmark::State& state) {
  MergeFiles files;
  Bench b;
  for (auto _ : state) CombinePerevodFiles(b.ws, {files.first, files.second});
}
BENCHMARK(BM_CombinePerevodFiles)->Unit(benchmark::kMillisecond);

// The whole fuzzy merge over a 4 MiB image, the report file written.
class ReportHost : public NullHost {
 public:
  Text report;
  std::vector<Text> chooseFiles(const FileRequest&) override { return {report}; }
};

void BM_FuzzyCombinePerevodFiles(benchmark::State& state) {
  MergeFiles files;
  ReportHost host;
  host.report = FromNativePath(std::filesystem::temp_directory_path() /
                               ("tarvello-bench-report-" + std::to_string(::getpid()) + ".txt"));
  Workspace ws(host);
  InitWorkspace(ws, CurrentDirectory());
  ws.ExtendedLogs = "NO";
  ws.RomImage.assign(4u << 20, '\0');
  ws.RomLoaded = true;
  for (auto _ : state) FuzzyCombinePerevodFiles(ws, {files.first, files.second});
  std::filesystem::remove(NativePath(host.report));
}
BENCHMARK(BM_FuzzyCombinePerevodFiles)->Unit(benchmark::kMillisecond);

}  // namespace
