#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "processing/GroupAndSort.h"
#include "support/TestFiles.h"

namespace {

struct ReorderBench : TestBench {
  explicit ReorderBench(std::vector<Text> lines) {
    ws.PerevodArray = std::move(lines);
    ws.PerevodLoaded = true;
  }
};

std::vector<Text> Sorted(std::vector<Text> lines, const Text& mode) {
  ReorderBench b(std::move(lines));
  SortPerevod(b.ws, mode);
  EXPECT_TRUE(b.ws.PerevodChanged);
  return b.ws.PerevodArray;
}

TEST(GroupEqualTRLines, BringsEqualTextsToTheirFirstLine) {
  ReorderBench b({"30 b", "10 a", "", "20 b"});
  GroupEqualTRLines(b.ws);
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{"30 b", "20 b", "10 a"}));
  EXPECT_EQ(b.host.log,
            (std::vector<Text>{W("начинаем группировку одинаковых строк перевода"), W("встречено 2 одинаковых строк=b"),
                               W("закончена группировка одинаковых строк перевода")}));
  EXPECT_EQ(b.host.closedWindows, (std::vector<Window>{Window::EditForm, Window::FindForm}));
  EXPECT_TRUE(b.ws.PerevodChanged);
}

TEST(GroupEqualTRLines, ComparesWholeTextsCaseSensitively) {
  ReorderBench b({"1 ab", "2 Ab", "3 abc", "4 a", "5 ab", "6 ", "7 ", "8 abc"});
  GroupEqualTRLines(b.ws);
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{"1 ab", "5 ab", "2 Ab", "3 abc", "8 abc", "4 a", "6 ", "7 "}));
}

// The grouping must give what comparing every line with every later one gives, also
// after a length sort (which the old shortcut of stopping at a shorter line relied on).
TEST(GroupEqualTRLines, MatchesTheFullScanOnRandomInput) {
  std::mt19937 rng(3);
  for (int round = 0; round < 50; ++round) {
    std::vector<Text> lines;
    for (int i = 0; i < 60; ++i)
      lines.push_back(rng() % 8 ? std::to_string(i) + " " + Text(rng() % 4, static_cast<char>('a' + rng() % 2))
                                : Text());
    ReorderBench b(lines);
    if (round % 2) SortPerevod(b.ws, SortModeByLength());
    const std::vector<Text> input = b.ws.PerevodArray;
    GroupEqualTRLines(b.ws);
    std::vector<Text> expected;
    std::vector<bool> taken(input.size());
    auto text = [](const Text& l) { return l.substr(l.find(' ') + 1); };
    for (size_t m = 0; m < input.size(); ++m) {
      if (input[m].empty() || taken[m]) continue;
      expected.push_back(input[m]);
      for (size_t j = m + 1; j < input.size(); ++j)
        if (!input[j].empty() && !taken[j] && text(input[j]) == text(input[m]))
          expected.push_back(input[j]), taken[j] = true;
    }
    ASSERT_EQ(b.ws.PerevodArray, expected) << "round " << round;
  }
}

TEST(SortPerevod, ByAddressReadsHexAndDecimal) {
  EXPECT_EQ(Sorted({"&H20 x", "16 y", "&h1 z"}, SortModeByAddress()), (std::vector<Text>{"&h1 z", "16 y", "&H20 x"}));
}

TEST(SortPerevod, ByTextIgnoresCaseAndFollowsCodePoints) {
  auto out = Sorted({"1 AC", "2 ab", "3 Ab", "4 a"}, SortModeByText());
  EXPECT_EQ(out[0], "4 a");  // a prefix comes first
  EXPECT_EQ(out[3], "1 AC");
  // Cyrillic after Latin, ordered by the upper case's code point: 'Ё' (U+0401) before
  // 'А' (U+0410), 'Я' last, whatever the bytes' order in the code page.
  EXPECT_EQ(Sorted({W("1 я"), W("2 б"), W("3 ё"), W("4 z"), W("5 Б1"), W("6 а")}, SortModeByText()),
            (std::vector<Text>{W("4 z"), W("3 ё"), W("6 а"), W("2 б"), W("5 Б1"), W("1 я")}));
}

TEST(SortPerevod, ByLengthAndAnyOtherModeText) {
  const std::vector<Text> in{"1 ccc", "2 a", "3 bb", "4 "};
  const std::vector<Text> expected{"4 ", "2 a", "3 bb", "1 ccc"};
  EXPECT_EQ(Sorted(in, SortModeByLength()), expected);
  EXPECT_EQ(Sorted(in, "whatever"), expected);
}

TEST(SortPerevod, DropsEmptyLinesAndKeepsLinesWithoutSpace) {
  EXPECT_EQ(Sorted({"", "2 b", "", "abc", "1 a", ""}, SortModeByText()), (std::vector<Text>{"1 a", "abc", "2 b"}));
  EXPECT_EQ(Sorted({"", ""}, SortModeByText()), std::vector<Text>{""});
}

TEST(GroupAndSort, RefuseWithoutATranslation) {
  TestBench b;
  GroupEqualTRLines(b.ws);
  SortPerevod(b.ws, SortModeByText());
  EXPECT_EQ(b.host.log, (std::vector<Text>{W("нечего группировать, перевод не загружен"),
                                           W("нечего сортировать, перевод не загружен")}));
  ReorderBench empty({});
  GroupEqualTRLines(empty.ws);
  SortPerevod(empty.ws, SortModeByText());
  EXPECT_EQ(empty.host.log, std::vector<Text>{W("нечего группировать, перевод пустой")});
  EXPECT_FALSE(empty.ws.PerevodChanged);
}

std::vector<SortRecord> Records(const std::vector<std::int64_t>& numbers) {
  std::vector<SortRecord> records;
  for (auto n : numbers) records.push_back(SortRecord{static_cast<std::uint32_t>(records.size()), n, Text()});
  return records;
}

bool Ascending(const std::vector<SortRecord>& r) {
  return std::is_sorted(r.begin(), r.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
}

// Every order, every run of equal keys, and a budget that runs out at once (the heap
// sort then finishes the range) must all end sorted, holding the same records.
TEST(QuickSortRecords, SortsAnyOrderWithOrWithoutItsDepthBudget) {
  std::mt19937 rng(5);
  for (int round = 0; round < 400; ++round) {
    std::vector<std::int64_t> numbers(rng() % 50);
    for (auto& n : numbers) n = static_cast<std::int64_t>(rng() % (round % 4 == 0 ? 3 : 1000));
    if (round % 5 == 1) std::sort(numbers.begin(), numbers.end());
    if (round % 5 == 2) std::sort(numbers.rbegin(), numbers.rend());
    for (int budget : {0, 1, QuickSortDepthBudget(numbers.size())}) {
      auto records = Records(numbers);
      QuickSortRecords(records, SortKey::ByLength, 0, static_cast<std::ptrdiff_t>(records.size()) - 1, budget);
      ASSERT_TRUE(Ascending(records)) << "round " << round << " budget " << budget;
      std::vector<std::uint32_t> lines;
      for (const auto& r : records) lines.push_back(r.line);
      std::sort(lines.begin(), lines.end());
      for (size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(lines[i], i);
    }
  }
}

TEST(QuickSortRecords, SortsOnlyTheGivenRange) {
  auto records = Records({9, 8, 7, 6, 5, 4});
  QuickSortRecords(records, SortKey::ByAddress, 1, 4, 8);
  std::vector<std::int64_t> numbers;
  for (const auto& r : records) numbers.push_back(r.number);
  EXPECT_EQ(numbers, (std::vector<std::int64_t>{9, 5, 6, 7, 8, 4}));
}

}  // namespace
