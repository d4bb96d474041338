#include <gtest/gtest.h>

#include <algorithm>

#include "ToolsTestHelpers.h"
#include "tools/TableEdit.h"

namespace {

Grid GridWith(std::initializer_list<std::pair<int, char32_t>> cells) {
  Grid grid(256, U'\0');
  for (auto [code, c] : cells) grid[static_cast<size_t>(code)] = c;
  return grid;
}

// The characters of a text, as the grid holds them.
Grid G(std::string_view text) {
  Grid out;
  for (size_t pos = 0; pos < text.size();) out += utf8::Next(text, pos);
  return out;
}

// The log lines from `from` on.
std::vector<Text> LogSince(const ScriptedHost& host, size_t from) {
  return std::vector<Text>(host.log.begin() + static_cast<std::ptrdiff_t>(from), host.log.end());
}

TEST(TableEditKeys, MovesWrapAroundTheGrid) {
  EXPECT_EQ(NextCell(0xF5, CellKey::Down, false).next, 0x05);
  EXPECT_EQ(NextCell(0x00, CellKey::Left, false).next, 0xFF);
  EXPECT_EQ(NextCell(0x03, CellKey::Up, false).next, 0xF3);
  EXPECT_EQ(NextCell(0xFF, CellKey::Other, false).next, 0x00);
  EXPECT_EQ(NextCell(0x41, CellKey::Other, false).next, 0x42);
  EXPECT_EQ(NextCell(0x41, CellKey::Modifier, false).next, 0x41);
}

TEST(TableEditKeys, BackspaceAndDeleteCopyTheGridWhereTheyShould) {
  const CellMove fullBack = NextCell(0x10, CellKey::Backspace, false);
  EXPECT_EQ(fullBack.next, 0x10);
  EXPECT_FALSE(fullBack.copyFirst);
  const CellMove emptyBack = NextCell(0x00, CellKey::Backspace, true);
  EXPECT_EQ(emptyBack.next, 0xFF);
  EXPECT_TRUE(emptyBack.copyFirst);
  const CellMove del = NextCell(0x10, CellKey::Delete, true);
  EXPECT_EQ(del.next, 0x10);
  EXPECT_TRUE(del.copyFirst);
}

TEST(TableEditDrop, SpreadsStripsOverConsecutiveCodesWrappingPast255) {
  Grid grid(256, U'\0');
  DropOnGrid(grid, 0xF0, RusBigLettersText());
  EXPECT_EQ(grid.substr(0xF0, 16), G(W("АБВГДЕЖЗИЙКЛМНОП")));
  EXPECT_EQ(grid.substr(0x00, 16), G(W("РСТУФХЦЧШЩЪЫЬЭЮЯ")));
  EXPECT_EQ(grid[0x10], '\0');

  Grid small(256, U'\0');
  DropOnGrid(small, 0xF0, EngSmallLettersText());
  EXPECT_EQ(small.substr(0xF0, 16), G("abcdefghijklmnop"));
  EXPECT_EQ(small.substr(0x00, 10), G("qrstuvwxyz"));
  EXPECT_EQ(small[0x0A], '\0');

  Grid big(256, U'\0');
  DropOnGrid(big, 0x41, EngBigLettersText());
  EXPECT_EQ(big.substr(0x41, 26), G("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
  EXPECT_EQ(big[0x40], '\0');
  EXPECT_EQ(big[0x5B], '\0');
}

TEST(TableEditDrop, OneCharacterReplacesAndEmptyChangesNothing) {
  Grid grid = GridWith({{0x41, 'A'}, {0x42, 'B'}});
  DropOnGrid(grid, 0x41, "Z");
  EXPECT_EQ(grid, GridWith({{0x41, 'Z'}, {0x42, 'B'}}));
  DropOnGrid(grid, 0x41, "");
  EXPECT_EQ(grid, GridWith({{0x41, 'Z'}, {0x42, 'B'}}));
  // A text longer than the grid goes round it; the last lap wins.
  DropOnGrid(grid, 0, Text(256, 'x') + "yz");
  EXPECT_EQ(grid.substr(0, 3), G("yzx"));
  EXPECT_EQ(grid.size(), 256u);
}

TEST(TableEditTable, GridFromTableWithAndWithoutATable) {
  TestBench b;
  b.ws.CharTableLookup = Grid(256, U'\0');
  b.ws.CharTableLookup[0x41] = 'A';
  b.ws.TableLoaded = true;
  const auto grid = GridFromTable(b.ws);
  ASSERT_TRUE(grid);
  EXPECT_EQ(*grid, GridWith({{0x41, 'A'}}));

  b.ws.TableLoaded = false;
  b.ws.CharTable.assign(256, "q");
  EXPECT_FALSE(GridFromTable(b.ws));
  EXPECT_EQ(b.ws.CharTable, std::vector<Text>(256));
  EXPECT_EQ(b.ws.CharTableLookup, Grid(256, U'\0'));
}

TEST(TableEditTable, PutGridInTableKeepsOneCharacterPerCodeAndOldComments) {
  TestBench b;
  b.ws.TableComments = "old\r\n";
  PutGridInTable(b.ws, GridWith({{0x20, ' '}, {0xC0, U'А'}}), Text());
  ASSERT_EQ(b.ws.CharTable.size(), 256u);
  EXPECT_EQ(b.ws.CharTable[0x20], " ");
  EXPECT_EQ(b.ws.CharTable[0x21], Text(1, '\0'));
  EXPECT_EQ(b.ws.CharTableLookup.size(), 256u);
  EXPECT_EQ(b.ws.CharTableLookup[0xC0], U'А');
  EXPECT_EQ(b.ws.TableComments, "old\r\n");  // an emptied field leaves the comments
  EXPECT_FALSE(b.ws.TableLoaded);
  EXPECT_FALSE(b.ws.TableChanged);

  PutGridInTable(b.ws, Grid(256, U'\0'), "new\r\n");
  EXPECT_EQ(b.ws.TableComments, "new\r\n");
}

TEST(TableEditTable, ResetsGiveTheStandardLayouts) {
  TestBench b;
  ResetTable(b.ws, AlphabetGrid(), Text());
  EXPECT_TRUE(b.ws.TableLoaded);
  EXPECT_TRUE(b.ws.TableChanged);
  const Grid& alph = b.ws.CharTableLookup;
  EXPECT_EQ(alph[0x20], ' ');
  EXPECT_EQ(alph[0x41], 'A');
  EXPECT_EQ(alph[0x7A], 'z');
  EXPECT_EQ(alph[0x7B], '\0');
  EXPECT_EQ(alph[0x1F], '\0');
  EXPECT_EQ(alph[0xA8], '\0');
  EXPECT_EQ(utf8::Of(alph[0xC0]), W("А"));
  EXPECT_EQ(utf8::Of(alph[0xFF]), W("я"));

  const Grid full = Windows1251Grid();
  EXPECT_EQ(full[0], '\0');
  EXPECT_EQ(utf8::Of(full[0xA8]), W("Ё"));
  EXPECT_EQ(utf8::Of(full[0xB8]), W("ё"));
  for (int code = 1; code < 256; ++code) EXPECT_EQ(full[static_cast<size_t>(code)], cp1251::Decode(static_cast<unsigned char>(code)));
}

TEST(TableEditTable, ShiftsMoveTheTableOneCode) {
  TestBench b;
  ResetTable(b.ws, GridWith({{0x00, 'z'}, {0x20, ' '}, {0x41, 'A'}, {0xFF, 'y'}}), Text());
  ShiftTableLeft(b.ws);
  EXPECT_EQ(b.ws.CharTableLookup, GridWith({{0x1F, ' '}, {0x40, 'A'}, {0xFE, 'y'}}));
  EXPECT_EQ(b.ws.CharTable[0x40], "A");
  EXPECT_EQ(b.ws.CharTable[0xFF], Text(1, '\0'));

  ResetTable(b.ws, GridWith({{0x00, 'z'}, {0x20, ' '}, {0x41, 'A'}, {0xFF, 'y'}}), Text());
  ShiftTableRight(b.ws);
  EXPECT_EQ(b.ws.CharTableLookup, GridWith({{0x01, 'z'}, {0x21, ' '}, {0x42, 'A'}}));
  EXPECT_EQ(b.ws.CharTable[0x00], Text(1, '\0'));
}

TEST(TableEditTable, ShiftWithoutAnyTableGivesAnEmptyOne) {
  TestBench b;  // CharTable has no entries before the first load
  ShiftTableRight(b.ws);
  EXPECT_EQ(b.ws.CharTable.size(), 256u);
  EXPECT_EQ(b.ws.CharTableLookup, Grid(256, U'\0'));
}

TEST(TableEditChecks, ChecksReadTheTableCaseSensitively) {
  TestBench b;
  Grid grid = Windows1251Grid();
  grid['q'] = '\0';
  ResetTable(b.ws, grid, Text());
  CheckRusLetters(b.ws);
  EXPECT_EQ(b.host.log.back(), W("Закончили проверку. Все русские символы есть в таблице"));
  const size_t from = b.host.log.size();
  CheckEngLetters(b.ws);
  EXPECT_EQ(LogSince(b.host, from), (std::vector<Text>{W("Начинаем проверку наличия английских символов в таблице"),
                                                       W("Символ (q) в таблице не найден"),
                                                       W("Закончили проверку. В таблице чего-то не хватает :-)")}));
}

TEST(TableEditCells, FactsForEmptySpaceAndLetters) {
  EXPECT_EQ(CellFacts(0x7F, ""), "7F=");
  EXPECT_EQ(CellFacts(0x20, " "), "20=space   (dec(32)");
  EXPECT_EQ(CellFacts(0x41, "A"), "41=A   (dec(65)");
  EXPECT_EQ(CellFacts(0x80, W("А")), W("80=А   (dec(192)"));
  EXPECT_EQ(CellFacts(0x05, "\x01"), "05=\x01   (dec(1)");
}

TEST(TableEditCells, ColoursByCode) {
  EXPECT_EQ(ColourOfCell(""), CellColour::Unchanged);
  EXPECT_EQ(ColourOfCell("\x01"), CellColour::Control);
  EXPECT_EQ(ColourOfCell("\x1F"), CellColour::Control);
  EXPECT_EQ(ColourOfCell(" "), CellColour::WindowText);
  EXPECT_EQ(ColourOfCell("7"), CellColour::WindowText);
  EXPECT_EQ(ColourOfCell("~"), CellColour::WindowText);
  EXPECT_EQ(ColourOfCell("\x7F"), CellColour::Between);
  EXPECT_EQ(ColourOfCell(W("№")), CellColour::Between);
  EXPECT_EQ(ColourOfCell(W("А")), CellColour::Cyrillic);
  EXPECT_EQ(ColourOfCell(W("я")), CellColour::Cyrillic);
}

TEST(TableEditComments, EqualsSignsAreReplacedAndLoggedOnce) {
  TestBench b;
  const size_t from = b.host.log.size();
  const auto fixed = CheckTableComments(b.ws, "a=b\r\n==");
  ASSERT_TRUE(fixed);
  EXPECT_EQ(*fixed, W("a равноb\r\n равно равно"));
  EXPECT_EQ(LogSince(b.host, from),
            std::vector<Text>{W("Коментарии в таблице не могут содержать знака равенства (=)")});
  // The field changes once more with the replacement, and that run finds nothing.
  EXPECT_FALSE(CheckTableComments(b.ws, *fixed));
  EXPECT_EQ(b.host.log.size(), from + 1);
  // Wherever the caret stood, it stands before the checked rest of the text.
  const auto checked = [&b](const Text& text) { return CheckTableComments(b.ws, text).value_or(text); };
  const Text typed = "=a==b=c";
  for (int caret = 0; caret <= static_cast<int>(typed.size()); ++caret) {
    const int equals = static_cast<int>(std::count(typed.begin(), typed.begin() + caret, '='));
    EXPECT_EQ(checked(typed).substr(static_cast<size_t>(CaretAfterCommentsCheck(caret, equals))),
              checked(typed.substr(static_cast<size_t>(caret))))
        << caret;
  }
}

TEST(TableEditSearch, SpaceSearchFindsTheCodeAmongFreeOnesAndMergesIt) {
  TestBench b;
  // "AB" at 0x41.., the space at 0x90: the ROM holds the words as those bytes.
  PutRom(b.ws, Text("\x01\x02") + "AB" + '\x90' + "BA" + "\x03");
  Grid grid = GridWith({{0x41, 'A'}, {0x42, 'B'}});
  ResetTable(b.ws, grid, Text());
  b.host.inputs.push_back(Text("AB BA"));
  const auto merged = SearchTableCodes(b.ws, CodeSearch::Space, grid);
  ASSERT_TRUE(merged);
  EXPECT_EQ(*merged, GridWith({{0x41, 'A'}, {0x42, 'B'}, {0x90, ' '}}));
  EXPECT_EQ(b.ws.CharTableLookup[0x90], '\0');  // the table changes only when the grid is copied
}

TEST(TableEditSearch, LetterSearchMergesOnlyWhatItFound) {
  TestBench b;
  // Capital letters coded from 0x80: "HELLO" as 0x87 0x84 0x8B 0x8B 0x8E.
  PutRom(b.ws, Text("zz\x87\x84\x8B\x8B\x8Ezz"));
  const Grid grid = GridWith({{0x20, ' '}, {0x80, 'q'}});
  b.host.inputs.push_back(Text("HELLO"));
  const auto merged = SearchTableCodes(b.ws, CodeSearch::BigEng, grid);
  ASSERT_TRUE(merged);
  EXPECT_EQ(merged->substr(0x80, 26), G(EngBigLettersText()));
  EXPECT_EQ((*merged)[0x20], ' ');
  EXPECT_EQ(b.host.prompts.back(),
            W("Введите текст ЗАГЛАВНЫМИ английскими буквами ?\r\n(без пробелов и знаков препинания)"));
}

TEST(TableEditSearch, NothingFoundOrNoRomChangesNoCell) {
  TestBench b;
  const Grid grid = GridWith({{0x41, 'A'}});
  EXPECT_FALSE(SearchTableCodes(b.ws, CodeSearch::SmallEng, grid));  // no ROM
  PutRom(b.ws, Text(64, '\0'));
  b.host.inputs.push_back(Text("hello"));
  EXPECT_FALSE(SearchTableCodes(b.ws, CodeSearch::SmallEng, grid));
}

TEST(TableEditPreview, DecodesThroughTheTableWithEscapes) {
  TestBench b;
  PutRom(b.ws, Text("AB\x0A") + Text(2000, 'A'));
  ResetTable(b.ws, GridWith({{'A', 'A'}, {'B', 'B'}}), Text());
  const Text preview = TablePreview(b.ws, "1");
  EXPECT_EQ(preview.substr(0, 8), "AB<$0A>A");
  EXPECT_EQ(preview.size(), 1001u + 4u);  // 1,001 bytes, one of them an escape of 5 characters
  EXPECT_EQ(b.ws.AddrInTblDumpPrv, "1");
  EXPECT_EQ(TablePreview(b.ws, "&H2").substr(0, 7), "B<$0A>A");
}

TEST(TableEditPreview, StartTooLargeIsLoggedNotThrown) {
  TestBench b;
  PutRom(b.ws, Text(16, 'A'));
  EXPECT_EQ(TablePreview(b.ws, "99999999999"), "");
  EXPECT_EQ(b.host.log.back().rfind(W("Ошибка однако... "), 0), 0u);
}

}  // namespace
