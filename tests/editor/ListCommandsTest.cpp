#include <gtest/gtest.h>

#include "editor/ListCommands.h"
#include "support/TestFiles.h"

namespace {

std::vector<Text> Lines(int n) {
  std::vector<Text> lines;
  for (int i = 0; i < n; ++i) lines.push_back(std::to_string(1000 + i) + " line" + std::to_string(i));
  return lines;
}

struct ListBench : TestBench {
  explicit ListBench(std::vector<Text> lines = Lines(10)) { ws.PerevodArray = std::move(lines); }
  std::vector<std::pair<int, int>> filled;
  int fill() {
    return FillTheListBox(ws, [&](int b, int e) { filled.emplace_back(b, e); });
  }
};

TEST(FillTheListBox, ListsAtMost32767LinesAndWarnsOnce) {
  ListBench b(Lines(40000));
  EXPECT_EQ(b.fill(), 32767);
  ASSERT_EQ(b.host.messages.size(), 1u);
  EXPECT_EQ(b.host.messages[0].text.rfind(W("Извините, но ListBox имени Micro$oft"), 0), 0u);
  EXPECT_EQ(b.filled.front(), std::make_pair(0, 100));
  EXPECT_EQ(b.filled.back(), std::make_pair(32700, 32767));
  EXPECT_EQ(b.ws.PerevodArray.size(), 40000u);
  // The main window's bar shows the filling and is hidden at its end.
  ASSERT_FALSE(b.host.progressCalls.empty());
  EXPECT_EQ(b.host.progressCalls.front().first, Bar::Main);
  EXPECT_FALSE(b.host.progressCalls.back().second.visible);
}

TEST(FillTheListBox, TheLimitItselfStillFitsWithoutAWarning) {
  ListBench full(Lines(32767));
  EXPECT_EQ(full.fill(), 32767);
  EXPECT_TRUE(full.host.messages.empty());
  ListBench over(Lines(32768));
  EXPECT_EQ(over.fill(), 32767);
  EXPECT_EQ(over.host.messages.size(), 1u);
}

TEST(FillTheListBox, StopsAtTheFirstEmptyEntry) {
  auto lines = Lines(300);
  lines[210].clear();
  ListBench b(lines);
  EXPECT_EQ(b.fill(), 210);
  EXPECT_EQ(b.filled.back(), std::make_pair(200, 210));
  EXPECT_EQ(b.host.messageTexts(), std::vector<Text>{W("в файле перевода недопустимы пустые строки") + "\r\n" +
                                                     W("покажу строки только, до первой пустой строки")});

  ListBench start({Text()});
  EXPECT_EQ(start.fill(), 0);
  EXPECT_EQ(start.host.messages.size(), 1u);

  ListBench none(std::vector<Text>{});
  EXPECT_EQ(none.fill(), 0);
  EXPECT_TRUE(none.host.messages.empty());
}

TEST(ListSelection, AscendingOnceAndTheCurrentLineKeptWithinTheRefilledList) {
  EXPECT_EQ(AscendingRows({7, 2, 7, 0, 2}), (std::vector<int>{0, 2, 7}));
  EXPECT_TRUE(AscendingRows({}).empty());
  const struct {
    int row, count;
    std::optional<int> current;
  } cases[] = {{3, 10, 3}, {9, 10, 9}, {10, 10, 9}, {12, 4, 3}, {0, 1, 0}, {-1, 10, {}}, {0, 0, {}}, {5, 0, {}}};
  for (const auto& c : cases) EXPECT_EQ(RowAfterRefill(c.row, c.count), c.current) << c.row << " " << c.count;
}

TEST(ConfirmRowsCommand, AsksUnlessExactlyOneLine) {
  ListBench b;
  EXPECT_TRUE(ConfirmRowsCommand(b.ws, 1, W("Удалить выденные строки?")));
  EXPECT_TRUE(b.host.messages.empty());
  b.host.answers = {Answer::Cancel, Answer::Ok};
  EXPECT_FALSE(ConfirmRowsCommand(b.ws, 2, W("Удалить выденные строки?")));
  EXPECT_TRUE(ConfirmRowsCommand(b.ws, 0, W("Удалить выденные строки?")));
  ASSERT_EQ(b.host.messages.size(), 2u);
  EXPECT_EQ(b.host.messages[0].buttons, Buttons::OkCancel);
}

TEST(DeleteSelectedLines, RemovesTheLinesAndEndsTheEdit) {
  ListBench b;
  b.ws.Editor.EditText = "draft";
  b.ws.Editor.RowAddress = 1003;
  b.ws.Editor.CurrentRow = 3;
  b.ws.ExtendedLogs = "NO";
  DeleteSelectedLines(b.ws, {0, 5});
  auto expected = Lines(10);
  expected.erase(expected.begin() + 5);
  expected.erase(expected.begin());
  EXPECT_EQ(b.ws.PerevodArray, expected);
  EXPECT_EQ(b.host.log, std::vector<Text>{W("удалили 2 строк перевода")});
  EXPECT_TRUE(b.ws.PerevodChanged);
  EXPECT_EQ(b.ws.Editor.CurrentRow, -1);
  EXPECT_EQ(b.ws.Editor.RowAddress, 0);
  EXPECT_EQ(b.ws.Editor.EditText, "");
  EXPECT_EQ(b.host.progressCalls.front().first, Bar::Editor);
  EXPECT_FALSE(b.host.progressCalls.back().second.visible);
}

TEST(DeleteSelectedLines, DetailLinesAndEmptyEntriesGoToo) {
  ListBench b({"1000 a", "bare", "", "3000 c"});
  b.ws.ExtendedLogs = "YES";
  DeleteSelectedLines(b.ws, {0, 1});
  EXPECT_EQ(b.ws.PerevodArray, std::vector<Text>{"3000 c"});
  EXPECT_EQ(b.host.log, (std::vector<Text>{W("Удалили стороку с указателем=1000"),
                                           W("Удалили стороку с указателем=bare"), W("удалили 2 строк перевода")}));

  ListBench last(Lines(3));
  DeleteSelectedLines(last.ws, {2});
  EXPECT_EQ(last.ws.PerevodArray.size(), 2u);
  EXPECT_FALSE(last.ws.PerevodArray.back().empty());

  ListBench nothing;
  DeleteSelectedLines(nothing.ws, {});
  EXPECT_EQ(nothing.ws.PerevodArray.size(), 10u);
  EXPECT_TRUE(nothing.host.log.empty());
  EXPECT_FALSE(nothing.ws.PerevodChanged);
}

TEST(UcaseSelectedLines, ChangesWholeEntriesOfBothAlphabets) {
  ListBench b({W("1000 абв xyz"), W("1001 ЁЖ Qq"), "&h1f ab<$0a>"});
  UcaseSelectedLines(b.ws, {0, 2}, "u");
  EXPECT_EQ(b.ws.PerevodArray[0], W("1000 АБВ XYZ"));
  EXPECT_EQ(b.ws.PerevodArray[1], W("1001 ЁЖ Qq"));
  EXPECT_EQ(b.ws.PerevodArray[2], "&H1F AB<$0A>");
  EXPECT_EQ(b.host.log.back(), W("подняли регистр  у 2 строк перевода"));

  UcaseSelectedLines(b.ws, {1}, "L");
  EXPECT_EQ(b.ws.PerevodArray[1], W("1001 ёж qq"));
  EXPECT_EQ(b.host.log.back(), W("опустили регистр у 1 строк перевода"));
  EXPECT_TRUE(b.ws.PerevodChanged);
}

TEST(FindString, SearchesOnFromTheNextLineIgnoringCase) {
  ListBench b({"1 a", W("2 Колонна"), "3 b", W("4 ЛОНГ")});
  b.host.inputs = {W("ЛОН"), std::nullopt};
  b.ws.Editor.LastFindString = "old";
  EXPECT_EQ(FindString(b.ws, -1, 4), 1);
  EXPECT_EQ(b.ws.Editor.LastFindString, W("ЛОН"));
  ASSERT_EQ(b.host.prompts.size(), 1u);
  EXPECT_EQ(b.host.prompts[0].rfind(W("Ввведите строку для поиска"), 0), 0u);

  // Cancelling gives an empty answer: nothing happens, and it is remembered.
  EXPECT_FALSE(FindString(b.ws, 1, 4));
  EXPECT_EQ(b.ws.Editor.LastFindString, "");
  EXPECT_TRUE(b.host.messages.empty());
}

TEST(FindString, NotFoundMovesOneLineDownButNotPastTheLast) {
  ListBench b({"1 a", "2 b", "3 c", "4 needle"});
  b.host.inputs = {Text("needle"), Text("zzz"), Text("needle")};
  EXPECT_EQ(FindString(b.ws, 1, 3), 2);  // line 3 is not listed
  EXPECT_EQ(b.host.messageTexts(), std::vector<Text>{W("Строка не найдена")});
  EXPECT_EQ(FindString(b.ws, 0, 4), 1);
  EXPECT_FALSE(FindString(b.ws, 3, 4));
  EXPECT_EQ(b.host.messages.size(), 3u);
}

}  // namespace
