// The translation editor's commands on a whole translation of 100,000 lines: the find
// dialog's replace and delete, the list commands and the filling of the list.
#include <benchmark/benchmark.h>

#include "editor/FindReplace.h"
#include "editor/ListCommands.h"
#include "workspace/Workspace.h"

namespace {

// A Russian translation in which every tenth line greets somebody.
std::vector<Text> MakeTranslation(int lines) {
  std::vector<Text> out;
  out.reserve(static_cast<size_t>(lines));
  for (int i = 0; i < lines; ++i) {
    Text text = std::to_string(16384 + i * 40) + " " + W("Строка номер ") + std::to_string(i) + W(" текста игры");
    if (i % 10 == 0) text += W(", ПРИВЕТ герою");
    out.push_back(std::move(text));
  }
  return out;
}

// Every operation runs on a fresh copy of the translation; the copying is not timed.
template <typename Op>
void RunOnCopies(benchmark::State& state, Op op) {
  const std::vector<Text> original = MakeTranslation(static_cast<int>(state.range(0)));
  NullHost host;
  Workspace ws(host);
  ws.ExtendedLogs = "NO";
  for (auto _ : state) {
    state.PauseTiming();
    ws.PerevodArray = original;
    state.ResumeTiming();
    op(ws);
    benchmark::DoNotOptimize(ws.PerevodArray.data());
  }
  state.SetComplexityN(state.range(0));
}

void BM_FindAndReplaceNoCase(benchmark::State& state) {
  RunOnCopies(state, [](Workspace& ws) { FindAndReplace(ws, W("привет"), W("здравствуй"), false); });
}
BENCHMARK(BM_FindAndReplaceNoCase)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_FindAndReplaceCase(benchmark::State& state) {
  RunOnCopies(state, [](Workspace& ws) { FindAndReplace(ws, W("ПРИВЕТ"), W("здравствуй"), true); });
}
BENCHMARK(BM_FindAndReplaceCase)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_FindAndDelete(benchmark::State& state) {
  RunOnCopies(state, [](Workspace& ws) { FindAndDelete(ws, W("привет"), false); });
}
BENCHMARK(BM_FindAndDelete)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity();

std::vector<int> EveryNth(int count, int step) {
  std::vector<int> rows;
  for (int i = 0; i < count; i += step) rows.push_back(i);
  return rows;
}

void BM_DeleteSelectedLines(benchmark::State& state) {
  // Every other listed line of a translation longer than the list.
  const std::vector<int> rows = EveryNth(kListLimit, 2);
  RunOnCopies(state, [&](Workspace& ws) { DeleteSelectedLines(ws, rows); });
}
BENCHMARK(BM_DeleteSelectedLines)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_UpperCaseAllListed(benchmark::State& state) {
  const std::vector<int> rows = EveryNth(kListLimit, 1);
  RunOnCopies(state, [&](Workspace& ws) { UcaseSelectedLines(ws, rows, "U"); });
}
BENCHMARK(BM_UpperCaseAllListed)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_FillTheListBox(benchmark::State& state) {
  RunOnCopies(state, [](Workspace& ws) {
    size_t chars = 0;
    FillTheListBox(ws, [&](int begin, int end) {
      for (int k = begin; k < end; ++k) chars += ws.PerevodArray[static_cast<size_t>(k)].size();
    });
    benchmark::DoNotOptimize(chars);
  });
}
BENCHMARK(BM_FillTheListBox)->Arg(100000)->Unit(benchmark::kMillisecond);

// F7 for a text no listed line holds: every listed line is searched.
class AnswerHost : public NullHost {
 public:
  std::optional<Text> inputBox(const Text&, const Text&, const Text&) override { return W("дракон"); }
};

void BM_FindStringNotFound(benchmark::State& state) {
  AnswerHost host;
  Workspace ws(host);
  ws.PerevodArray = MakeTranslation(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(FindString(ws, -1, kListLimit));
}
BENCHMARK(BM_FindStringNotFound)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
