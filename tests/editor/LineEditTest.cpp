#include <gtest/gtest.h>

#include "editor/LineEdit.h"
#include "support/TestFiles.h"
#include "workspace/CharTable.h"

namespace {

const Text kZeroLog = W("Нулевой указатель, такую строку НЕЛЬЗЯ использовать для возвращения в ROM");

struct EditorBench : TestBench {
  EditorState& st = ws.Editor;
  explicit EditorBench(std::vector<Text> lines = {"1000 Hello", "1001 World", "0 zero", "bare", "&H10 x<$0A>y",
                                                  "2000 ab", "2001 cd", "2002 ef"}) {
    ws.PerevodArray = std::move(lines);
  }
  int listed() const { return static_cast<int>(ws.PerevodArray.size()); }
};

TEST(SplitEditorLine, ZeroOrMissingAddressKeepsTheWholeEntry) {
  EXPECT_EQ(SplitEditorLine("1000 Hello").address, 1000);
  EXPECT_EQ(SplitEditorLine("1000 Hello").text, "Hello");
  EXPECT_EQ(SplitEditorLine("123  x").text, " x");
  EXPECT_EQ(SplitEditorLine("0 zero").text, "0 zero");
  EXPECT_EQ(SplitEditorLine("abc def").text, "abc def");
  EXPECT_EQ(SplitEditorLine("bare").address, 0);
  EXPECT_EQ(SplitEditorLine("bare").text, "bare");
}

TEST(SelectLine, FollowsTheSelectionWithoutTouchingTheEdit) {
  EditorBench b;
  b.st.EditText = "draft";
  auto view = SelectLine(b.ws, 4);
  ASSERT_TRUE(view);
  EXPECT_EQ(b.st.CurrentRow, 4);
  EXPECT_EQ(b.st.RowAddress, 16);
  EXPECT_EQ(view->pointer, "0F000008");
  EXPECT_EQ(view->origLength, 3);  // x, the escaped byte, y
  EXPECT_EQ(b.st.EditText, "draft");
  EXPECT_TRUE(b.host.log.empty());

  view = SelectLine(b.ws, 2);
  EXPECT_EQ(view->pointer, "");
  EXPECT_EQ(b.host.log, std::vector<Text>{kZeroLog});

  EXPECT_FALSE(SelectLine(b.ws, 99));
  EXPECT_EQ(b.st.CurrentRow, 0);
}

TEST(StartEdit, TakesTheLineOrWarnsWithoutOne) {
  EditorBench b;
  ASSERT_TRUE(StartEdit(b.ws, 3));
  EXPECT_EQ(b.st.RowAddress, 0);
  EXPECT_EQ(b.st.EditText, "bare");
  EXPECT_EQ(b.st.OrigText, "bare");
  EXPECT_EQ(b.st.OrigTextLength, 4);
  EXPECT_EQ(b.host.log, std::vector<Text>{kZeroLog});

  EXPECT_FALSE(StartEdit(b.ws, -1));
  EXPECT_EQ(b.st.CurrentRow, -1);
  ASSERT_EQ(b.host.messages.size(), 1u);
  EXPECT_NE(b.host.messages[0].text.find("32767"), Text::npos);
  EXPECT_EQ(b.st.EditText, "bare");
}

TEST(MoveStart, RightDropsTheFirstCharacterLeftAddsASpace) {
  EditorBench b;
  StartEdit(b.ws, 0);
  MoveStartRight(b.st);
  EXPECT_EQ(b.st.EditText, "ello");
  EXPECT_EQ(b.st.RowAddress, 1001);
  EXPECT_EQ(b.st.EditTextLength, 4);

  StartEdit(b.ws, 0);
  EXPECT_TRUE(MoveStartLeft(b.st));
  EXPECT_EQ(b.st.EditText, " Hello");
  EXPECT_EQ(b.st.RowAddress, 999);

  b.st.RowAddress = 1;
  EXPECT_TRUE(MoveStartLeft(b.st));
  EXPECT_EQ(b.st.RowAddress, 0);
  EXPECT_FALSE(MoveStartLeft(b.st));
  EXPECT_EQ(b.st.RowAddress, 0);

  b.st.EditText.clear();
  MoveStartRight(b.st);
  EXPECT_EQ(b.st.EditText, "");
}

TEST(AddressFieldChanged, NumbersSetTheAddressAndThePointer) {
  EditorBench b;
  b.st.RowAddress = 5;
  auto view = AddressFieldChanged(b.ws, "1193047");
  EXPECT_EQ(b.st.RowAddress, 1193047);
  EXPECT_EQ(view.pointer, "56341208");
  EXPECT_FALSE(view.pointedLabel);

  for (const char* field : {"", "0", "-4", "x", "2147483647"}) {
    view = AddressFieldChanged(b.ws, field);
    EXPECT_EQ(view.pointer, "") << field;
    EXPECT_EQ(b.st.RowAddress, 1193047) << field;
  }
  EXPECT_TRUE(b.host.log.empty());

  view = AddressFieldChanged(b.ws, "&h56341208");
  ASSERT_TRUE(view.pointedLabel);
  EXPECT_EQ(*view.pointedLabel, "1193047");

  AddressFieldChanged(b.ws, "99999999999");
  EXPECT_EQ(b.host.log,
            std::vector<Text>{W("Ошибка однако... Переполнение 6...вероятно введено слишком большое число")});
}

TEST(PaddedText, SpacesUpToTheOriginalLengthOnlyWhenAsked) {
  EXPECT_EQ(PaddedText("ab", 5, true), "ab   ");
  EXPECT_EQ(PaddedText("ab", 5, false), "ab");
  EXPECT_EQ(PaddedText("abcdef", 5, true), "abcdef");
}

TEST(CommitEdit, WritesToTheLineSelectedLast) {
  EditorBench b;
  StartEdit(b.ws, 5);  // 2000 ab
  b.host.log.clear();
  SelectLine(b.ws, 7);
  const CommitResult r = CommitEdit(b.ws, "AB", "2000", b.listed());
  EXPECT_EQ(r.kind, CommitResult::Kind::Replaced);
  EXPECT_EQ(r.row, 7);
  EXPECT_EQ(b.ws.PerevodArray[7], "2000 AB");
  EXPECT_EQ(b.ws.PerevodArray[5], "2000 ab");
  EXPECT_EQ(b.host.log.back(), W("поменяли строку перевода номер 7"));
  EXPECT_TRUE(b.ws.PerevodChanged);
}

TEST(CommitEdit, ZeroAddressStoresTheTextAlone) {
  EditorBench b;
  StartEdit(b.ws, 2);
  b.host.log.clear();
  CommitEdit(b.ws, "0 zero!", "0", b.listed());
  EXPECT_EQ(b.ws.PerevodArray[2], "0 zero!");
  EXPECT_EQ(b.host.log.front(), kZeroLog);
}

TEST(CommitEdit, BadAddressIsRefusedAndChangesNothing) {
  for (const char* field : {"", "abc", "2147483648", "-1", "&H100000000"}) {
    EditorBench b;
    StartEdit(b.ws, 0);
    const auto before = b.ws.PerevodArray;
    const CommitResult r = CommitEdit(b.ws, "Changed", field, b.listed());
    EXPECT_EQ(r.kind, CommitResult::Kind::Refused) << field;
    EXPECT_EQ(b.ws.PerevodArray, before) << field;
    EXPECT_FALSE(b.ws.PerevodChanged) << field;
    EXPECT_EQ(b.st.RowAddress, 1000) << field;
    EXPECT_EQ(b.host.messages.size(), 1u) << field;
  }
}

TEST(CommitEdit, NoListedTargetAppendsBehindTheList) {
  EditorBench b;
  b.st.CurrentRow = -1;
  CommitResult r = CommitEdit(b.ws, "new", "3000", b.listed());
  EXPECT_EQ(r.kind, CommitResult::Kind::Appended);
  EXPECT_EQ(b.ws.PerevodArray.back(), "3000 new");
  EXPECT_EQ(b.host.log.back(), W("добавили строку перевода"));

  // A target left behind the list by an earlier, longer translation appends as well.
  b.st.CurrentRow = 500;
  r = CommitEdit(b.ws, "more", "3001", b.listed());
  EXPECT_EQ(r.row, 9);
  EXPECT_EQ(b.ws.PerevodArray.size(), 10u);
}

TEST(CommitEdit, AppendKeepsListLinesAndEntriesInStepWhenTheListStoppedEarly) {
  EditorBench b({"1 a", "2 b", "", "4 d"});
  b.st.CurrentRow = -1;
  const CommitResult r = CommitEdit(b.ws, "c", "3", 2);
  EXPECT_EQ(r.row, 2);
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{"1 a", "2 b", "3 c", "4 d"}));

  EditorBench fresh({Text()});  // the program's start: one empty line
  fresh.st.CurrentRow = -1;
  CommitEdit(fresh.ws, "x", "5", 0);
  EXPECT_EQ(fresh.ws.PerevodArray, std::vector<Text>{"5 x"});
}

TEST(CommitEdit, FullListAddsNothingButMarksTheChange) {
  EditorBench b(std::vector<Text>(32765, "1 a"));
  b.st.CurrentRow = -1;
  const CommitResult r = CommitEdit(b.ws, "x", "5", 32765);
  EXPECT_EQ(r.kind, CommitResult::Kind::ListFull);
  EXPECT_EQ(b.ws.PerevodArray.size(), 32765u);
  EXPECT_TRUE(b.host.log.empty());
  EXPECT_TRUE(b.ws.PerevodChanged);
}

TEST(Undo, KeepsTheStartAndTheFirst999Changes) {
  EditorState st;
  ResetUndo(st, "start");
  for (int i = 1; i <= 1200; ++i) RecordUndo(st, "change " + std::to_string(i));
  EXPECT_EQ(UndoStep(st), "change 998");
  EXPECT_EQ(UndoStep(st), "change 997");
  for (int i = 0; i < 996; ++i) UndoStep(st);
  EXPECT_EQ(st.EditText, "change 1");
  EXPECT_EQ(UndoStep(st), "start");
  EXPECT_FALSE(UndoStep(st));
  EXPECT_EQ(st.EditText, "start");

  // No redo: the next change records over the undone states.
  RecordUndo(st, "again");
  EXPECT_EQ(st.UndoPosition, 1);
  EXPECT_EQ(UndoStep(st), "start");

  st.UndoReplay = true;
  RecordUndo(st, "silent");
  EXPECT_EQ(st.UndoPosition, 0);
}

TEST(UndoLineEdit, BackToTheStartingTextKeepingTheAddress) {
  EditorBench b;
  StartEdit(b.ws, 0);
  MoveStartRight(b.st);
  UndoLineEdit(b.st);
  EXPECT_EQ(b.st.EditText, "Hello");
  EXPECT_EQ(b.st.EditTextLength, 5);
  EXPECT_EQ(b.st.RowAddress, 1001);
}

}  // namespace

namespace {

// With an extended table the editor counts the bytes a text encodes to.
TEST(EncodedLength, CountsEncodedBytesWithAnExtendedTable) {
  TestBench b;
  EXPECT_EQ(EncodedLength(b.ws, "ab<$FF>"), 7);
  b.ws.ExtendedTables = "YES";
  ApplyTableText(b.ws, "61=a\r\n6100=ab\r\n10=ab\r\n");
  EXPECT_EQ(EncodedLength(b.ws, "ab<$FF>"), 2);
  EXPECT_EQ(EncodedLength(b.ws, "aab"), 2);
}

// What is left of the original length after the caret, in the unit the length is in.
TEST(CaretViewOf, LeftTillTheEndCountsEncodedBytesWithAnExtendedTable) {
  TestBench b;
  b.ws.Editor.OrigTextLength = 3;
  const struct {
    int caret;
    std::int64_t plain, extended;
  } cases[] = {{0, 3, 3}, {1, 2, 2}, {2, 1, 2}, {4, -1, 1}, {5, -2, 0}};
  for (const auto& c : cases) EXPECT_EQ(CaretViewOf(b.ws, "ababa", c.caret, 0).leftTillEol, c.plain) << c.caret;
  b.ws.ExtendedTables = "YES";
  ApplyTableText(b.ws, "61=a\r\n10=ab\r\n");
  for (const auto& c : cases) EXPECT_EQ(CaretViewOf(b.ws, "ababa", c.caret, 0).leftTillEol, c.extended) << c.caret;
}

}  // namespace
