#include <gtest/gtest.h>

#include <QMenuBar>

#include "EditorGuiBench.h"
#include "workspace/Perevod.h"

namespace {

void SelectRows(QListWidget* list, std::initializer_list<int> rows) {
  list->clearSelection();
  for (int r : rows) list->item(r)->setSelected(true);
}

TEST(EditorList, DeleteAsksOnlyForSeveralLines) {
  EditorGuiBench b(NumberedLines(10));
  b.open();
  b.select(2);
  b.listKey(Qt::Key_Delete);
  EXPECT_TRUE(b.host.messages.empty());
  EXPECT_EQ(b.label("Label8"), "KeyDown 46 0");
  ASSERT_EQ(b.ws.PerevodArray.size(), 9u);
  EXPECT_EQ(b.entry(2), "1003 line3");
  EXPECT_EQ(b.list()->currentRow(), 2);

  SelectRows(b.list(), {0, 5});
  b.host.answers = {Answer::Cancel};
  b.listKey(Qt::Key_Delete);
  EXPECT_EQ(b.host.messageTexts(), std::vector<Text>{W("Удалить выденные строки?")});
  EXPECT_EQ(b.ws.PerevodArray.size(), 9u);

  b.host.answers = {Answer::Ok};
  b.listKey(Qt::Key_Delete);
  ASSERT_EQ(b.ws.PerevodArray.size(), 7u);
  EXPECT_EQ(b.list()->count(), 7);
  EXPECT_EQ(b.item(0), "1001 line1");
  EXPECT_EQ(b.item(4), "1007 line7");
  EXPECT_TRUE(b.logged(W("удалили 2 строк перевода")));
  // The editor's own bar moved and is hidden again.
  EXPECT_FALSE(b.get<QProgressBar>("ProgressBar2")->isVisible());
  bool editorBar = false;
  for (const auto& [bar, state] : b.host.progressCalls) editorBar |= bar == Bar::Editor && state.visible;
  EXPECT_TRUE(editorBar);
}

TEST(EditorList, DeletingBehindTheListMakesTheNewLastLineCurrent) {
  EditorGuiBench b(NumberedLines(5));
  b.open();
  b.select(4);
  b.list()->item(3)->setSelected(true);
  b.host.answers = {Answer::Ok};
  b.action("menuDeleteRows")->trigger();
  EXPECT_EQ(b.list()->count(), 3);
  EXPECT_EQ(b.list()->currentRow(), 2);
  EXPECT_EQ(b.ws.Editor.CurrentRow, 2);  // the selection handler ran for it
  EXPECT_EQ(b.address()->text(), "0");   // the edit was ended
}

TEST(EditorList, UpperAndLowerCaseOnCyrillicLines) {
  EditorGuiBench b({W("1000 абв xyz"), W("1001 Ёлка"), W("1002 ДОМ")});
  b.open();
  b.select(0);
  b.listKey(Qt::Key_U);
  EXPECT_EQ(b.entry(0), W("1000 АБВ XYZ"));
  EXPECT_EQ(b.item(0), QString::fromUtf8("1000 АБВ XYZ"));
  EXPECT_TRUE(b.logged(W("подняли регистр  у 1 строк перевода")));

  // With the Russian layout on, the key of L types Д and still means L.
  SelectRows(b.list(), {1, 2});
  b.host.answers = {Answer::Ok};
  b.key(b.list(), 0x0414, Qt::NoModifier, QString::fromUtf8("д"));
  EXPECT_EQ(b.label("Label8"), "KeyDown 76 0");
  EXPECT_EQ(b.host.messageTexts().back(), W("Опустить регистр у выденных строк?"));
  EXPECT_EQ(b.entry(1), W("1001 ёлка"));
  EXPECT_EQ(b.entry(2), W("1002 дом"));
  EXPECT_TRUE(b.ws.PerevodChanged);
}

TEST(EditorList, SelectAllKeepsTheCurrentLine) {
  EditorGuiBench b(NumberedLines(6));
  b.open();
  b.select(3);
  b.listKey(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(b.label("Label8"), "KeyDown 65 2");
  EXPECT_EQ(b.list()->selectedItems().size(), 6);
  EXPECT_EQ(b.list()->currentRow(), 3);
  // Shift as well is not Ctrl alone.
  b.list()->clearSelection();
  b.listKey(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(b.list()->selectedItems().size(), 0);
}

TEST(EditorList, F7FindsTheNextLineAndSaysWhenNoneFollows) {
  EditorGuiBench b({"1 a", W("2 Колонна"), "3 b", W("4 лонг")});
  b.open();
  b.select(0);
  b.host.inputs = {W("ЛОН"), W("ЛОН"), W("нет"), W("нет")};
  b.listKey(Qt::Key_F7);
  EXPECT_EQ(b.list()->currentRow(), 1);
  b.listKey(Qt::Key_F7);
  EXPECT_EQ(b.list()->currentRow(), 3);
  b.select(1);
  b.listKey(Qt::Key_F7);
  EXPECT_EQ(b.host.messageTexts(), std::vector<Text>{W("Строка не найдена")});
  EXPECT_EQ(b.list()->currentRow(), 2);
  b.select(3);
  b.listKey(Qt::Key_F7);  // on the last line: the message, and the line stays
  EXPECT_EQ(b.host.messages.size(), 2u);
  EXPECT_EQ(b.list()->currentRow(), 3);
  EXPECT_EQ(b.ws.Editor.LastFindString, W("нет"));
}

TEST(EditorList, CtrlGreaterShiftsTheCurrentLineRight) {
  EditorGuiBench b({"1000 Hello", "2000 x"});
  b.open();
  b.select(0);
  b.listKey(Qt::Key_Period, Qt::ControlModifier);
  EXPECT_EQ(b.entry(0), "1001 ello");
  b.listKey(Qt::Key_Period, Qt::ControlModifier);
  EXPECT_EQ(b.entry(0), "1002 llo");
  EXPECT_EQ(b.item(0), "1002 llo");
  EXPECT_FALSE(b.get<QCheckBox>("autoAddSpaces")->isChecked());
}

TEST(EditorList, FortyThousandLinesShow32767AndAllAreSaved) {
  EditorGuiBench b(NumberedLines(40000));
  b.open();
  EXPECT_EQ(b.list()->count(), 32767);
  ASSERT_EQ(b.host.messages.size(), 1u);
  EXPECT_NE(b.host.messages[0].text.find(W("НЕ ПОТЕРЯНЫ")), Text::npos);
  b.startEdit(32766);
  b.clearField();
  b.type(b.field(), "last");
  b.commit();
  b.ws.OverwriteOldFile = "YES";
  SavePerevod(b.ws);
  const std::string saved = ReadBytes(b.path("game.txt"));
  auto expected = NumberedLines(40000);
  expected[32766] = "33766 last     ";  // padded to the 9 characters of line32766
  const std::vector<Text> lines = SplitPerevodText(saved);
  ASSERT_EQ(lines.size(), 40000u);
  EXPECT_EQ(lines[32766], expected[32766]);
  EXPECT_TRUE(lines == expected);
}

TEST(EditorList, EmptyEntryEndsTheListButNotTheTranslation) {
  auto lines = NumberedLines(20);
  lines[10].clear();
  EditorGuiBench b(lines);
  b.open();
  EXPECT_EQ(b.list()->count(), 10);
  EXPECT_EQ(b.host.messageTexts(), std::vector<Text>{W("в файле перевода недопустимы пустые строки") + "\r\n" +
                                                     W("покажу строки только, до первой пустой строки")});
  // A line added from the list goes where the list ends, keeping line k entry k.
  b.ws.Editor.CurrentRow = -1;
  b.field()->setText("added");
  b.address()->setText("5000");
  b.action("menuEditToRow")->trigger();
  EXPECT_EQ(b.entry(10), "5000 added");
  EXPECT_EQ(b.item(10), "5000 added");
  EXPECT_EQ(b.ws.PerevodArray.size(), 20u);
}

TEST(FindDialog, CtrlFFillsTheSearchWithTheCurrentLinesText) {
  EditorGuiBench b({"1000 Hello", "bare"});
  b.open();
  b.select(0);
  b.listKey(Qt::Key_F, Qt::ControlModifier);
  auto* find = b.editor->findChild<FindForm*>("FindForm");
  ASSERT_TRUE(find);
  EXPECT_TRUE(find->isVisible());
  EXPECT_EQ(find->findChild<QLineEdit*>("FindWhat")->text(), "Hello");
  EXPECT_EQ(find->windowTitle(), QString::fromUtf8("Найти/Заменить - ") + toQString(b.ws.PerevodFileName));
  b.select(1);
  b.listKey(Qt::Key_D, Qt::ControlModifier);
  EXPECT_EQ(b.editor->findChildren<FindForm*>().size(), 1);
  EXPECT_EQ(find->findChild<QLineEdit*>("FindWhat")->text(), "bare");
}

TEST(FindDialog, ReplacesCyrillicWithoutRegardToCase) {
  EditorGuiBench b({W("10 Привет"), W("20 привет мир"), W("30 Пока")});
  b.open();
  b.select(2);
  b.startEdit(2);
  b.action("menuFindAndReplace")->trigger();
  auto* find = b.editor->findChild<FindForm*>("FindForm");
  find->findChild<QLineEdit*>("FindWhat")->clear();
  EditorGuiBench::type(find->findChild<QLineEdit*>("FindWhat"), QString::fromUtf8("привет"));
  EditorGuiBench::type(find->findChild<QLineEdit*>("ReplaceWith"), QString::fromUtf8("Здравствуй"));
  ASSERT_FALSE(find->findChild<QCheckBox*>("CaseSense")->isChecked());
  find->findChild<QPushButton*>("BntFindAndReplace")->click();
  EXPECT_EQ(b.entry(0), W("10 Здравствуй"));
  EXPECT_EQ(b.entry(1), W("20 Здравствуй мир"));
  EXPECT_EQ(b.item(1), QString::fromUtf8("20 Здравствуй мир"));
  EXPECT_TRUE(b.logged(W("изменили 2 строк(и) перевода")));
  // The edit in progress was ended and the row selected before is selected again.
  EXPECT_EQ(b.fieldText(), "");
  EXPECT_EQ(b.list()->currentRow(), 2);

  find->findChild<QCheckBox*>("CaseSense")->setChecked(true);
  find->findChild<QLineEdit*>("FindWhat")->setText(QString::fromUtf8("пока"));
  find->findChild<QPushButton*>("BntFindAndReplace")->click();
  EXPECT_TRUE(b.logged(W("Подстрока \"пока\" не найдена")));
  EXPECT_EQ(b.entry(2), W("30 Пока"));
}

TEST(FindDialog, DeletingEveryLineLeavesAnEmptyTranslationAndList) {
  EditorGuiBench b({W("1 да"), W("2 Да"), W("3 ДАДА")});
  b.open();
  b.select(1);
  b.listKey(Qt::Key_D, Qt::ControlModifier);
  auto* find = b.editor->findChild<FindForm*>("FindForm");
  find->findChild<QLineEdit*>("FindWhat")->setText(QString::fromUtf8("да"));
  find->findChild<QPushButton*>("BntFindAndDlete")->click();
  EXPECT_TRUE(b.ws.PerevodArray.empty());
  EXPECT_EQ(b.list()->count(), 0);
  EXPECT_TRUE(b.logged(W("удалили 3 строк(и) перевода")));
  EXPECT_TRUE(b.ws.PerevodChanged);
  EXPECT_TRUE(b.host.messages.empty());  // an empty translation is no empty line

  find->findChild<QPushButton*>("ExitBtn")->click();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(b.editor->findChildren<FindForm*>().isEmpty());
}

}  // namespace

namespace {

TEST(EditorList, NoCommandStartsInsideARunningOne) {
  EditorGuiBench b(NumberedLines(4));
  b.open();
  b.listKey(Qt::Key_F, Qt::ControlModifier);
  QPointer<FindForm> find = b.editor->findChild<FindForm*>("FindForm");
  ASSERT_TRUE(find);
  b.form->runCommand([&] {
    EXPECT_FALSE(b.editor->menuBar()->isEnabled());
    EXPECT_FALSE(find->findChild<QPushButton*>("BntFindAndDlete")->isEnabled());
    b.select(0);
    b.listKey(Qt::Key_Delete);
    b.listKey(Qt::Key_U);
    b.startEdit(1);
    b.commit();
  });
  EXPECT_EQ(b.ws.PerevodArray, NumberedLines(4));
  EXPECT_TRUE(b.editor->menuBar()->isEnabled());
  EXPECT_TRUE(find->findChild<QPushButton*>("BntFindAndDlete")->isEnabled());
  // Closing the editor takes its find dialog along.
  b.editor->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(b.editor.isNull());
  EXPECT_TRUE(find.isNull());
}

}  // namespace
