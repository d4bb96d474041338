#include "processing/GroupAndSort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string_view>
#include <unordered_map>

#include "workspace/Dialogs.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"

namespace {

// Ranges smaller than this are sorted without telling the progress bar: a call per
// tiny range would cost more than the sorting.
constexpr std::ptrdiff_t kProgressRange = 1024;

struct Messages {
  Text notLoaded;
  Text empty;  // nothing is logged when empty
  Text start;
  Text end;
};

// A line without a space is all text.
std::string_view TextPart(std::string_view line) {
  const size_t space = line.find(' ');
  return space == std::string_view::npos ? line : line.substr(space + 1);
}

bool StartReordering(Workspace& ws, const Messages& m) {
  if (!ws.PerevodLoaded) {
    AppendLog(ws, m.notLoaded);
    MarkNotDone(ws);
    return false;
  }
  if (ws.PerevodArray.empty()) {
    // Sorting no lines is done at once; grouping them is refused with its own line.
    if (!m.empty.empty()) {
      AppendLog(ws, m.empty);
      MarkNotDone(ws);
    }
    return false;
  }
  ws.host->closeWindow(Window::EditForm);
  ws.host->closeWindow(Window::FindForm);
  AppendLog(ws, m.start);
  return true;
}

// The lines in the new order, empty ones left out.
void FinishReordering(Workspace& ws, const std::vector<std::uint32_t>& order, const Messages& m) {
  std::vector<Text> lines;
  lines.reserve(order.size() + 1);
  for (std::uint32_t i : order)
    if (!ws.PerevodArray[i].empty()) lines.push_back(std::move(ws.PerevodArray[i]));
  // One empty line is how the workspace holds a translation without lines.
  if (lines.empty()) lines.emplace_back();
  ws.PerevodArray = std::move(lines);
  ws.PerevodChanged = true;
  AppendLog(ws, m.end);
}

std::vector<SortRecord> MakeRecords(const std::vector<Text>& lines, SortKey key) {
  std::vector<SortRecord> records(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    SortRecord& r = records[i];
    r.line = static_cast<std::uint32_t>(i);
    const std::string_view text = TextPart(lines[i]);
    if (key == SortKey::ByLength) {
      r.number = static_cast<std::int64_t>(utf8::Length(text));
    } else if (key == SortKey::ByAddress) {
      const auto parts = ParsePerevodLine(lines[i]);
      r.number = parts.hasSeparator ? parts.address : 0;
    } else {
      // Upper case first, then the order of the code points, which the bytes of UTF-8
      // compare in: equal upper cases compare equal.
      r.text = utf8::Upper(text);
    }
  }
  return records;
}

template <class Less>
void SortRange(std::vector<SortRecord>& recs, std::ptrdiff_t lo, std::ptrdiff_t hi, int budget, const Less& less,
               const std::function<void(std::ptrdiff_t)>& onPartition) {
  while (lo < hi) {
    if (budget-- <= 0) {
      std::make_heap(recs.begin() + lo, recs.begin() + hi + 1, less);
      std::sort_heap(recs.begin() + lo, recs.begin() + hi + 1, less);
      return;
    }
    if (onPartition && hi - lo >= kProgressRange) onPartition(lo);
    const SortRecord pivot = recs[static_cast<size_t>(lo + (hi - lo) / 2)];
    std::ptrdiff_t i = lo;
    std::ptrdiff_t j = hi;
    for (;;) {
      while (less(recs[static_cast<size_t>(i)], pivot)) ++i;
      while (less(pivot, recs[static_cast<size_t>(j)])) --j;
      if (j < i) break;
      std::swap(recs[static_cast<size_t>(i)], recs[static_cast<size_t>(j)]);
      ++i;
      --j;
      if (j < i) break;
    }
    // The smaller part goes to the recursion, the larger stays in this loop.
    if (j - lo < hi - i) {
      SortRange(recs, lo, j, budget, less, onPartition);
      lo = i;
    } else {
      SortRange(recs, i, hi, budget, less, onPartition);
      hi = j;
    }
  }
}

std::vector<std::uint32_t> LineOrder(const std::vector<SortRecord>& records) {
  std::vector<std::uint32_t> order;
  order.reserve(records.size());
  for (const auto& r : records) order.push_back(r.line);
  return order;
}

}  // namespace

Text SortModeByText() {
  return W("ПО ТЕКСТУ");
}
Text SortModeByLength() {
  return W("ПО ДЛИННЕ");
}
Text SortModeByAddress() {
  return W("ПО ПОИНТЕРАМ");
}

int QuickSortDepthBudget(size_t n) {
  return 2 * static_cast<int>(std::bit_width(n));
}

void QuickSortRecords(std::vector<SortRecord>& records, SortKey key, std::ptrdiff_t lo, std::ptrdiff_t hi,
                      int depthBudget, const std::function<void(std::ptrdiff_t lo)>& onPartition) {
  if (key == SortKey::ByText) {
    const auto less = [](const SortRecord& a, const SortRecord& b) { return a.text < b.text; };
    SortRange(records, lo, hi, depthBudget, less, onPartition);
  } else {
    const auto less = [](const SortRecord& a, const SortRecord& b) { return a.number < b.number; };
    SortRange(records, lo, hi, depthBudget, less, onPartition);
  }
}

void SortPerevod(Workspace& ws, const Text& mode) {
  const Messages m{W("нечего сортировать, перевод не загружен"), Text(), W("начинаем сортировку строк перевода"),
                   W("закончена сортировка строк перевода")};
  if (!StartReordering(ws, m)) return;
  const SortKey key = mode == SortModeByText()      ? SortKey::ByText
                      : mode == SortModeByAddress() ? SortKey::ByAddress
                                                    : SortKey::ByLength;
  const auto last = static_cast<std::ptrdiff_t>(ws.PerevodArray.size()) - 1;
  Progress bar(ws, Bar::Main, 0, static_cast<int>(last));
  auto records = MakeRecords(ws.PerevodArray, key);
  QuickSortRecords(records, key, 0, last, QuickSortDepthBudget(records.size()),
                   [&bar](std::ptrdiff_t lo) { bar.set(static_cast<int>(lo)); });
  FinishReordering(ws, LineOrder(records), m);
}

void GroupEqualTRLines(Workspace& ws) {
  const Messages m{W("нечего группировать, перевод не загружен"), W("нечего группировать, перевод пустой"),
                   W("начинаем группировку одинаковых строк перевода"),
                   W("закончена группировка одинаковых строк перевода")};
  if (!StartReordering(ws, m)) return;
  const auto& lines = ws.PerevodArray;
  Progress bar(ws, Bar::Main, 0, static_cast<int>(lines.size()) - 1);
  // Hashing the texts gives in one pass what comparing every line with every later
  // one gives: the groups in the order of their first lines, each in line order.
  std::unordered_map<std::string_view, std::uint32_t> groupOfText;
  groupOfText.reserve(lines.size());
  std::vector<std::uint32_t> groupOfLine(lines.size());
  std::vector<std::uint32_t> firstLine;
  std::vector<std::uint32_t> groupSize;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    const auto [it, fresh] = groupOfText.try_emplace(TextPart(lines[i]), static_cast<std::uint32_t>(firstLine.size()));
    if (fresh) {
      firstLine.push_back(static_cast<std::uint32_t>(i));
      groupSize.push_back(0);
    }
    groupOfLine[i] = it->second;
    ++groupSize[it->second];
  }
  std::vector<std::uint32_t> groupStart(firstLine.size() + 1, 0);
  for (size_t g = 0; g < firstLine.size(); ++g) {
    groupStart[g + 1] = groupStart[g] + groupSize[g];
    if (g % 100 == 0) bar.set(static_cast<int>(groupStart[g]));
    if (ws.ExtendedLogs == "YES" && groupSize[g] > 1)
      AppendLog(ws,
                W("встречено") + StrNum(groupSize[g]) + W(" одинаковых строк=") + Text(TextPart(lines[firstLine[g]])));
  }
  std::vector<std::uint32_t> order(groupStart.back());
  std::vector<std::uint32_t> next(groupStart.begin(), groupStart.end() - 1);
  for (size_t i = 0; i < lines.size(); ++i)
    if (!lines[i].empty()) order[next[groupOfLine[i]]++] = static_cast<std::uint32_t>(i);
  FinishReordering(ws, order, m);
}
