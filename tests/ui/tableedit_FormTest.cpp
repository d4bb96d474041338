#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include "MainGuiBench.h"
#include "tools/TableEdit.h"
#include "tools/ToolsTestHelpers.h"
#include "ui/QtText.h"
#include "ui/TableEditForm.h"

namespace {

// An open table editor on a workspace of a scripted host, with the focus in it.
struct EditorBench {
  TestBench b;
  QPointer<TableEditForm> form;

  EditorBench() { open(); }
  ~EditorBench() { delete form.data(); }

  void open() {
    form = new TableEditForm(b.ws);
    form->show();
    QApplication::setActiveWindow(form);
    EXPECT_TRUE(QTest::qWaitForWindowActive(form));
  }
  QLineEdit* cell(int code) const { return form->cell(code); }
  QString text(int code) const { return cell(code)->text(); }
  template <typename T = QPushButton>
  T* child(const char* name) const {
    T* found = form->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  void click(const char* button) const { QTest::mouseClick(child(button), Qt::LeftButton); }
  void focus(int code) const {
    cell(code)->setFocus(Qt::OtherFocusReason);
    cell(code)->selectAll();
  }
  int focused() const {
    for (int k = 0; k < 256; ++k)
      if (QApplication::focusWidget() == cell(k)) return k;
    return -1;
  }
  // A key pressed and released in the cell that has the focus, carrying its text as a
  // keyboard would (also for Cyrillic letters).
  void key(int keyCode, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QKeyEvent press(QEvent::KeyPress, keyCode, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, keyCode, modifiers, text);
    QApplication::sendEvent(target, &release);
  }
  char32_t table(int code) const { return b.ws.CharTableLookup.at(static_cast<size_t>(code)); }
  QColor colour(int code) const { return cell(code)->palette().color(QPalette::Text); }
  QString dump() const { return child<QTextEdit>("DumpView")->toPlainText(); }
};

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

TEST(TableEditForm, TypingMovesToTheNextCellWithItsTextSelected) {
  EditorBench e;
  e.click("btnResetROM");
  e.focus(0x41);
  e.key(Qt::Key_Q, "Q");
  EXPECT_EQ(e.text(0x41), "Q");
  EXPECT_EQ(e.focused(), 0x42);
  EXPECT_EQ(e.cell(0x42)->selectedText(), "B");
  EXPECT_EQ(e.table(0x41), 'Q');

  // A Cyrillic letter replaces the selected B and goes on to C.
  e.key(0, Q("Ж"));
  EXPECT_EQ(e.text(0x42), Q("Ж"));
  EXPECT_EQ(utf8::Of(e.table(0x42)), W("Ж"));
  EXPECT_EQ(e.focused(), 0x43);
  EXPECT_EQ(e.colour(0x42), QColor(255, 0, 0));

  // Typed into a full cell whose text is not selected, a character still replaces it.
  e.cell(0x43)->deselect();
  e.cell(0x43)->setCursorPosition(1);
  e.key(Qt::Key_D, "d");
  EXPECT_EQ(e.text(0x43), "d");
  EXPECT_EQ(e.focused(), 0x44);
}

TEST(TableEditForm, ShiftHeldAtTheReleaseKeepsTheFocus) {
  EditorBench e;
  e.focus(0x41);
  e.key(Qt::Key_A, "A", Qt::ShiftModifier);
  EXPECT_EQ(e.text(0x41), "A");
  EXPECT_EQ(e.focused(), 0x41);
  EXPECT_EQ(e.b.ws.CharTableLookup[0x41], 'A');  // the grid is copied all the same
}

TEST(TableEditForm, ArrowsWrapAroundTheGridAndLabel3FollowsTheFocus) {
  EditorBench e;
  e.click("btnResetROM");
  auto* label3 = e.child<QLabel>("Label3");
  e.focus(0xF5);
  e.key(Qt::Key_Down);
  EXPECT_EQ(e.focused(), 0x05);
  EXPECT_EQ(label3->text(), "05=");
  e.focus(0x00);
  e.key(Qt::Key_Left);
  EXPECT_EQ(e.focused(), 0xFF);
  EXPECT_EQ(label3->text(), Q("FF=я   (dec(255)"));
  e.focus(0x03);
  e.key(Qt::Key_Up);
  EXPECT_EQ(e.focused(), 0xF3);
  e.key(Qt::Key_Right);
  EXPECT_EQ(e.focused(), 0xF4);
  e.focus(0x1F);
  e.key(Qt::Key_Right);
  EXPECT_EQ(label3->text(), "20=space   (dec(32)");
}

TEST(TableEditForm, BackspaceInAFullAndAnEmptyCell) {
  EditorBench e;
  e.click("btnResetROM");
  // The caret before the character: nothing is deleted and the focus stays.
  e.focus(0x41);
  e.cell(0x41)->setCursorPosition(0);
  e.key(Qt::Key_Backspace, "\b");
  EXPECT_EQ(e.text(0x41), "A");
  EXPECT_EQ(e.focused(), 0x41);
  EXPECT_EQ(e.cell(0x41)->selectedText(), "A");

  // In an empty cell the focus goes back one code.
  e.focus(0x7B);
  e.key(Qt::Key_Backspace, "\b");
  EXPECT_EQ(e.focused(), 0x7A);
  EXPECT_EQ(e.cell(0x7A)->selectedText(), "z");

  // With the character selected it is deleted; the cell is empty at the release, so
  // the emptied code reaches the table and the focus goes back.
  e.key(Qt::Key_Backspace, "\b");
  EXPECT_EQ(e.text(0x7A), "");
  EXPECT_EQ(e.focused(), 0x79);
  EXPECT_EQ(e.table(0x7A), '\0');
}

TEST(TableEditForm, ShiftButtonsMoveTheTable) {
  EditorBench e;
  e.click("btnClearAll");
  ASSERT_TRUE(e.form->dropOnCell(0x20, " "));
  ASSERT_TRUE(e.form->dropOnCell(0x41, "A"));
  e.click("btnShiftLeft");
  EXPECT_EQ(e.text(0x1F), " ");
  EXPECT_EQ(e.text(0x40), "A");
  EXPECT_EQ(e.text(0x41), "");
  EXPECT_EQ(e.text(0xFF), "");
  EXPECT_EQ(e.table(0x40), 'A');

  e.click("btnClearAll");
  e.form->dropOnCell(0x20, " ");
  e.form->dropOnCell(0x41, "A");
  e.form->dropOnCell(0xFF, "x");
  e.click("btnShiftRight");
  EXPECT_EQ(e.text(0x21), " ");
  EXPECT_EQ(e.text(0x42), "A");
  EXPECT_EQ(e.text(0x00), "");
  EXPECT_EQ(e.table(0x21), ' ');
}

TEST(TableEditForm, ShiftWithoutATableLeavesTheGridAndEmptiesTheTable) {
  EditorBench e;
  e.form->dropOnCell(0x41, "A");  // typed into the grid: the table exists but is not loaded
  ASSERT_FALSE(e.b.ws.TableLoaded);
  e.click("btnShiftLeft");
  EXPECT_EQ(e.text(0x41), "A");
  EXPECT_EQ(e.b.ws.CharTableLookup, std::u32string(256, U'\0'));
}

TEST(TableEditForm, ResetsAndChecksWithTheirLogLines) {
  EditorBench e;
  e.click("btnResetROM");
  EXPECT_TRUE(e.b.ws.TableLoaded);
  EXPECT_TRUE(e.b.ws.TableChanged);
  EXPECT_EQ(e.text(0x20), " ");
  EXPECT_EQ(e.text(0x41), "A");
  EXPECT_EQ(e.text(0x7A), "z");
  EXPECT_EQ(e.text(0x7B), "");
  EXPECT_EQ(e.text(0xC0), Q("А"));
  EXPECT_EQ(e.text(0xFF), Q("я"));
  EXPECT_EQ(e.b.ws.CharTableLookup, AlphabetGrid());

  size_t from = e.b.host.log.size();
  e.click("btnRUSchk");
  EXPECT_EQ(std::vector<Text>(e.b.host.log.begin() + static_cast<long>(from), e.b.host.log.end()),
            (std::vector<Text>{W("Начинаем проверку наличия русских символов в таблице"),
                               W("Символ (Ё) в таблице не найден"), W("Символ (ё) в таблице не найден"),
                               W("Закончили проверку. В таблице чего-то не хватает :-)")}));
  e.click("btnChkENG");
  EXPECT_EQ(e.b.host.log.back(), W("Закончили проверку. Все английские символы есть в таблице"));

  e.click("btnReset1251");
  EXPECT_EQ(e.text(0xA8), Q("Ё"));
  EXPECT_EQ(e.text(0xB8), Q("ё"));
  EXPECT_EQ(e.text(0x00), "");
  EXPECT_EQ(e.text(0x01), QString(QChar(0x2401)));  // a control character gets a visible sign
  EXPECT_EQ(e.b.ws.CharTableLookup, Windows1251Grid());
  from = e.b.host.log.size();
  e.click("btnRUSchk");
  EXPECT_EQ(e.b.host.log.back(), W("Закончили проверку. Все русские символы есть в таблице"));
  EXPECT_EQ(e.b.host.log.size(), from + 2);
}

TEST(TableEditForm, CellColoursByCode) {
  EditorBench e;
  e.click("btnReset1251");
  EXPECT_EQ(e.colour('5'), QApplication::palette().color(QPalette::Text));
  EXPECT_EQ(e.colour(0xC0), QColor(255, 0, 0));
  EXPECT_EQ(e.colour(0x01), QColor(128, 128, 0));
  EXPECT_EQ(e.text(0xB9), Q("№"));
  EXPECT_EQ(e.colour(0xB9), QColor(128, 128, 128));
  // An emptied cell keeps the colour it had.
  e.focus(0xC0);
  e.key(Qt::Key_Delete);
  e.cell(0xC0)->clear();
  EXPECT_EQ(e.colour(0xC0), QColor(255, 0, 0));
}

// The drop handler itself, through a drop event as the toolkit delivers it.
void DropOn(QLineEdit* cell, const QString& text) {
  QMimeData mime;
  mime.setText(text);
  const QPointF at(cell->width() / 2.0, cell->height() / 2.0);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(cell, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(cell, &drop);
  EXPECT_TRUE(drop.isAccepted());
}

// No installed font has the control pictures: each code's own label is drawn, so two
// codes never look alike and a filled cell never looks empty.
TEST(TableEditForm, ControlCodesDrawDifferently) {
  EditorBench e;
  const auto pixels = [&](int code, const QString& text) {
    e.cell(code)->setText(text);
    return e.cell(code)->grab().toImage();
  };
  const QImage empty = pixels(1, QString());
  const QImage soh = pixels(1, TableEditForm::cellGlyphs(Text(1, '\x01')));
  const QImage stx = pixels(1, TableEditForm::cellGlyphs(Text(1, '\x02')));
  const QImage del = pixels(1, TableEditForm::cellGlyphs(Text(1, '\x7F')));
  EXPECT_NE(soh, stx);
  EXPECT_NE(soh, del);
  EXPECT_NE(soh, empty);
  EXPECT_NE(stx, empty);
  EXPECT_EQ(e.text(1), QString(QChar(0x2421)));  // the drawing leaves the cell its text
}

TEST(TableEditForm, DroppingLetterStripsSpreadsThemOverTheCodes) {
  EditorBench e;
  auto* rusBig = e.child<QLabel>("RusBigLetters");
  DropOn(e.cell(0xF0), rusBig->text());
  EXPECT_EQ(e.text(0xF0), Q("А"));
  EXPECT_EQ(e.text(0xFF), Q("П"));
  EXPECT_EQ(e.text(0x00), Q("Р"));
  EXPECT_EQ(e.text(0x0F), Q("Я"));
  EXPECT_EQ(e.text(0x10), "");
  EXPECT_EQ(utf8::Of(e.table(0x0F)), W("Я"));

  DropOn(e.cell(0x41), e.child<QLabel>("EngBigLetters")->text());
  for (int code = 0x41; code <= 0x5A; ++code) EXPECT_EQ(e.text(code), QString(QChar('A' + code - 0x41)));
  EXPECT_EQ(e.text(0x5B), "");
  EXPECT_EQ(e.table(0x5A), 'Z');
  EXPECT_TRUE(e.b.ws.TableChanged);
  EXPECT_FALSE(e.b.ws.TableLoaded);  // typing or dropping into the grid loads nothing
}

TEST(TableEditForm, TextOfEveryScriptIsTakenByTheCells) {
  EditorBench e;
  QMimeData mime;
  mime.setText(Q("日本"));
  QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(e.cell(0x10), &enter);
  EXPECT_TRUE(enter.isAccepted());
  EXPECT_TRUE(e.form->dropOnCell(0x10, Q("日本")));
  EXPECT_EQ(e.text(0x10), Q("日"));
  EXPECT_EQ(e.table(0x11), U'本');
  e.focus(0x20);
  e.key(0, Q("カ"));
  EXPECT_EQ(e.text(0x20), Q("カ"));
}

TEST(TableEditForm, EqualsSignInTheCommentsIsReplaced) {
  EditorBench e;
  auto* comments = e.child<QPlainTextEdit>("EditTableComments");
  const size_t from = e.b.host.log.size();
  comments->setFocus();
  QTest::keyClicks(comments, "a=b");
  EXPECT_EQ(comments->toPlainText(), Q("a равноb"));
  EXPECT_EQ(std::count(e.b.host.log.begin() + static_cast<long>(from), e.b.host.log.end(),
                       W("Коментарии в таблице не могут содержать знака равенства (=)")),
            1);
  EXPECT_EQ(comments->textCursor().position(), comments->toPlainText().size());
  e.click("ExitBtn");
  EXPECT_EQ(e.b.ws.TableComments, W("a равноb"));
}

TEST(TableEditForm, CommentsShowAndAnEmptiedFieldKeepsThem) {
  EditorBench e;
  delete e.form.data();
  e.b.ws.TableComments = "line one\r\nline two\r\n";
  e.open();
  auto* comments = e.child<QPlainTextEdit>("EditTableComments");
  EXPECT_EQ(comments->toPlainText(), "line one\nline two\n");
  comments->clear();
  e.form->close();
  EXPECT_EQ(e.b.ws.TableComments, "line one\r\nline two\r\n");
}

TEST(TableEditForm, PreviewFollowsACellChangeWhenChecked) {
  EditorBench e;
  PutRom(e.b.ws, "HELLO\x01" + Text(100, 'A'));
  e.click("btnResetROM");
  EXPECT_EQ(e.dump(), "Dump Preview");  // unchecked at start: no preview yet
  e.child<QCheckBox>("DoPreview")->setChecked(true);
  e.focus('H');
  EXPECT_TRUE(e.dump().startsWith("HELLO<$01>AAA"));
  e.key(Qt::Key_J, "J");
  EXPECT_TRUE(e.dump().startsWith("JELLO<$01>AAA"));
  EXPECT_EQ(e.b.host.messages.size(), 0u);

  // Moving the start and leaving the field previews from there.
  auto* start = e.child<QLineEdit>("fldStartAddr");
  start->setFocus();
  start->setText("&H3");
  e.focus(0x41);
  EXPECT_TRUE(e.dump().startsWith("LLO<$01>A"));
  EXPECT_EQ(e.b.ws.AddrInTblDumpPrv, "3");
}

TEST(TableEditForm, RewritingTheWholeGridPreviewsOnce) {
  EditorBench e;
  PutRom(e.b.ws, "ABC");
  e.child<QCheckBox>("DoPreview")->setChecked(true);
  const int pumps = e.b.host.pumps;
  e.click("btnReset1251");
  EXPECT_EQ(e.dump(), "ABC");
  EXPECT_EQ(e.b.host.pumps - pumps, 1);  // the preview lets the event loop run once
}

TEST(TableEditForm, ShowDumpPreviewsWithoutTheCheckBoxAndStartsWhereTheLastEnded) {
  EditorBench e;
  PutRom(e.b.ws, "abcdef");
  e.b.ws.AddrInTblDumpPrv = "2";
  delete e.form.data();
  e.open();
  EXPECT_EQ(e.child<QLineEdit>("fldStartAddr")->text(), "2");
  e.click("btnResetROM");
  e.click("btnShowPreview");
  EXPECT_EQ(e.dump(), "bcdef");
}

TEST(TableEditForm, ClosingCopiesTheGridIntoTheTable) {
  EditorBench e;
  ApplyTableText(e.b.ws, "41=A\r\n");
  e.b.ws.TableLoaded = true;
  e.b.ws.TableChanged = false;
  delete e.form.data();
  e.open();
  EXPECT_EQ(e.text(0x41), "A");
  EXPECT_TRUE(e.b.ws.TableChanged);  // writing the cells on opening counts as a change
  // A change the keys have not yet copied into the table.
  e.cell(0x42)->setText("B");
  EXPECT_EQ(e.table(0x42), '\0');
  e.click("ExitBtn");
  EXPECT_EQ(e.table(0x42), 'B');
  EXPECT_EQ(e.b.ws.CharTable[0x42], "B");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(e.form.isNull());
}

TEST(TableEditForm, EntriesBeyondTheGridAreCountedAndKept) {
  EditorBench e;
  e.b.ws.ExtendedTables = "YES";
  ApplyTableText(e.b.ws, "41=A\r\n42=bc\r\nE001=x\r\n/FF\r\n");
  e.b.ws.TableLoaded = true;
  delete e.form.data();
  e.open();
  EXPECT_EQ(e.text(0x42), "");
  EXPECT_EQ(e.form->findChild<QLabel*>("lblEntriesNotInGrid")->text(), QString::fromUtf8("Записей вне сетки: 3"));
  const auto entries = e.b.ws.TableEntries;
  e.click("btnClearAll");
  e.click("ExitBtn");
  EXPECT_EQ(e.b.ws.TableEntries, entries);
}

TEST(TableEditForm, ClosingKeepsATableLoadedWhileTheEditorWasOpen) {
  EditorBench e;
  e.click("btnResetROM");
  // The main window loads another table; the grid still shows the old one.
  ApplyTableText(e.b.ws, "41=Q\r\n");
  e.b.ws.CharTableLookup = std::u32string(256, U'\0');
  e.b.ws.CharTableLookup[0x41] = 'Q';
  e.form->close();
  EXPECT_EQ(e.table(0x41), 'Q');
  EXPECT_EQ(e.table(0x42), '\0');
}

TEST(TableEditForm, RevertShowsTheTableAgain) {
  EditorBench e;
  e.click("btnResetROM");
  e.cell(0x41)->setText("Q");
  e.click("btnRevertTable");
  EXPECT_EQ(e.text(0x41), "A");
}

TEST(TableEditForm, CapitalSearchFillsTheCodesItFound) {
  EditorBench e;
  PutRom(e.b.ws, "zz\x87\x84\x8B\x8B\x8Ezz");
  e.click("btnResetROM");
  e.b.host.inputs.push_back(Text("HELLO"));
  e.click("btnFindBigEng");
  EXPECT_EQ(e.text(0x80), "A");
  EXPECT_EQ(e.text(0x99), "Z");
  EXPECT_EQ(e.text(0x41), "A");  // codes the search found nothing for keep their text
  EXPECT_EQ(e.table(0x99), 'Z');
}

TEST(TableEditForm, SpaceSearchWithoutATableUsesTheGrid) {
  EditorBench e;
  PutRom(e.b.ws, "\x10\x11\x05\x11\x10");
  e.form->dropOnCell(0x10, "hi");
  e.b.host.inputs.push_back(Text("hi ih"));
  e.click("btnFindSpaceCode");
  EXPECT_EQ(e.text(0x05), " ");
  EXPECT_EQ(e.table(0x05), ' ');
}

// At its smallest the window still shows every control whole, inside the window and
// clear of the others; what it gains beyond goes to the dump view.
TEST(TableEditForm, MinimumSizeClipsNothingAndTheDumpViewTakesTheRest) {
  EditorBench e;
  e.focus(0x41);  // Label3 gets its text
  e.form->resize(e.form->minimumSize());
  QApplication::processEvents();
  ASSERT_EQ(e.form->size(), e.form->minimumSize());
  const QRect window = e.form->rect();
  std::vector<std::pair<QWidget*, QRect>> placed;
  for (QWidget* w : e.form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!w->isVisibleTo(e.form) || w->objectName().isEmpty()) continue;
    const QRect at = w->geometry();
    EXPECT_TRUE(window.contains(at)) << w->objectName().toStdString();
    QString text;
    if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    EXPECT_GE(w->width(), w->fontMetrics().horizontalAdvance(text)) << w->objectName().toStdString();
    EXPECT_GE(w->height(), w->fontMetrics().height()) << w->objectName().toStdString();
    for (const auto& [other, place] : placed)
      EXPECT_FALSE(at.intersects(place)) << w->objectName().toStdString() << " " << other->objectName().toStdString();
    placed.emplace_back(w, at);
  }
  EXPECT_GE(placed.size(), 20u);
  auto* view = e.child<QTextEdit>("DumpView");
  const QSize before = view->size();
  e.form->resize(e.form->size() + QSize(100, 80));
  QApplication::processEvents();
  EXPECT_EQ(view->size(), before + QSize(100, 80));
}

TEST(TableEditForm, ButtonsWaitWhileACommandOfTheMainWindowRuns) {
  MainGuiBench b;
  QPointer<TableEditForm> editor = new TableEditForm(b.ws, b.form.get());
  editor->show();
  auto* reset = editor->findChild<QPushButton*>("btnResetROM");
  b.form->runCommand([&] {
    EXPECT_FALSE(reset->isEnabled());
    EXPECT_TRUE(editor->findChild<QPushButton*>("ExitBtn")->isEnabled());
  });
  EXPECT_TRUE(reset->isEnabled());
  QTest::mouseClick(reset, Qt::LeftButton);
  EXPECT_TRUE(b.ws.TableLoaded);
  editor->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(editor.isNull());
}

}  // namespace
