#include <gtest/gtest.h>

#include <QFontInfo>
#include <QMenu>
#include <QMenuBar>

#include "EditorGuiBench.h"
#include "workspace/CharTable.h"
#include "workspace/Perevod.h"

namespace {

TEST(EditorWindow, EnterStartsAnEditAndTypedCyrillicAndLatinAreCommitted) {
  EditorGuiBench b({"1000 Hello", W("1001 Мир")});
  b.open();
  ASSERT_EQ(b.list()->count(), 2);
  EXPECT_EQ(b.editor->windowTitle(), toQString(b.ws.VersionText + " - " + b.ws.PerevodFileName));
  b.startEdit(0);
  EXPECT_EQ(b.fieldText(), "Hello");
  EXPECT_EQ(b.get<QLineEdit>("OriginalString")->text(), "Hello");
  EXPECT_EQ(b.address()->text(), "1000");
  EXPECT_EQ(b.label("OrigStringLength"), "5");

  b.get<QCheckBox>("Check1")->setChecked(false);
  b.clearField();
  b.type(b.field(), QString::fromUtf8("Привет, world"));
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("Привет, world"));
  EXPECT_EQ(b.label("PerStringLength"), "13");
  EXPECT_EQ(b.label("CursorPositionInTranslationText"), "13");
  EXPECT_EQ(b.label("LeftTillEOL"), "-8");
  b.commit();
  EXPECT_EQ(b.entry(0), W("1000 Привет, world"));
  EXPECT_EQ(b.item(0), QString::fromUtf8("1000 Привет, world"));
  EXPECT_TRUE(b.logged(W("поменяли строку перевода номер 0")));
  EXPECT_TRUE(b.ws.PerevodChanged);
}

TEST(EditorWindow, LengthLimitStopsTypingAndPastingPastTheOriginal) {
  EditorGuiBench b({"1000 Hello", "1001 ", "1002 abc"});
  b.open();
  b.startEdit(0);
  b.clearField();
  b.type(b.field(), QString::fromUtf8("абвгдеж"));
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("абвгд"));
  b.key(b.field(), Qt::Key_Home);
  b.field()->insert("XYZ");  // a paste keeps what fits
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("абвгд"));
  b.key(b.field(), Qt::Key_Backspace, Qt::NoModifier);
  b.key(b.field(), Qt::Key_End);
  b.key(b.field(), Qt::Key_Backspace);
  b.field()->insert("XYZ");
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("абвгX"));

  // Switched off, the field takes up to 10000 characters; from the menu it comes back.
  b.get<QCheckBox>("Check1")->click();
  EXPECT_FALSE(b.action("menuLimitStringSize")->isChecked());
  b.type(b.field(), "more");
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("абвгXmore"));
  b.action("menuLimitStringSize")->trigger();
  EXPECT_TRUE(b.get<QCheckBox>("Check1")->isChecked());
  b.type(b.field(), "!");
  EXPECT_EQ(b.fieldText().size(), 9);

  // An empty original limits nothing.
  b.startEdit(1);
  b.type(b.field(), "longer than nothing");
  EXPECT_EQ(b.fieldText(), "longer than nothing");
}

// With an extended table the limit is the original's encoded bytes: "th" is one byte,
// so "thth" fits where "tht" plus "x" would not.
TEST(EditorWindow, LengthLimitCountsEncodedBytesWithAnExtendedTable) {
  EditorGuiBench b({"1000 abc"});
  b.ws.ExtendedTables = "YES";
  ApplyTableText(b.ws, "61=a\r\n62=b\r\n63=c\r\n74=t\r\n68=h\r\n78=x\r\nA0=th\r\n");
  ASSERT_TRUE(b.ws.TableExtended);
  b.open();
  b.startEdit(0);
  b.clearField();
  b.type(b.field(), "ththth");
  EXPECT_EQ(b.fieldText(), "ththth");
  EXPECT_EQ(b.label("PerStringLength"), "3");
  b.type(b.field(), "x");
  EXPECT_EQ(b.fieldText(), "ththth");
  b.key(b.field(), Qt::Key_Backspace);
  b.key(b.field(), Qt::Key_Backspace);
  b.field()->insert("xyz");  // a paste keeps what fits: "x" only
  EXPECT_EQ(b.fieldText(), "ththx");
}

TEST(EditorWindow, CommitPadsToTheOriginalLengthWhenAsked) {
  EditorGuiBench b({"1000 Hello", "1001 World"});
  b.open();
  b.startEdit(0);
  b.clearField();
  b.type(b.field(), "ab");
  b.commit();
  EXPECT_EQ(b.entry(0), "1000 ab   ");
  EXPECT_EQ(b.fieldText(), "ab   ");

  b.startEdit(1);
  b.get<QCheckBox>("autoAddSpaces")->setChecked(false);
  b.clearField();
  b.type(b.field(), "ab");
  b.action("menuEditToRow")->trigger();
  EXPECT_EQ(b.entry(1), "1001 ab");
}

TEST(EditorWindow, MoveButtonsShiftTheStartAndUncheckPadding) {
  EditorGuiBench b({"1000 Hello", "1 x"});
  b.open();
  b.startEdit(0);
  b.get<QPushButton>("MoveRightButton")->click();
  EXPECT_EQ(b.fieldText(), "ello");
  EXPECT_EQ(b.address()->text(), "1001");
  EXPECT_EQ(b.get<QLineEdit>("gbapointer")->text(), "E8030008");
  EXPECT_FALSE(b.get<QCheckBox>("autoAddSpaces")->isChecked());
  b.commit();
  EXPECT_EQ(b.entry(0), "1001 ello");

  b.startEdit(0);
  b.get<QPushButton>("MoveLeftButton")->click();
  EXPECT_EQ(b.fieldText(), " ello");
  EXPECT_EQ(b.address()->text(), "1000");

  // "<" past address 0 does nothing; the text written by code is never cut by the limit.
  b.startEdit(1);
  b.get<QCheckBox>("autoAddSpaces")->setChecked(true);
  b.get<QPushButton>("MoveLeftButton")->click();
  b.get<QPushButton>("MoveLeftButton")->click();
  EXPECT_EQ(b.fieldText(), " x");
  EXPECT_EQ(b.address()->text(), "0");
  EXPECT_FALSE(b.get<QCheckBox>("autoAddSpaces")->isChecked());
  b.commit();
  EXPECT_EQ(b.entry(1), " x");
  EXPECT_TRUE(b.logged(W("Нулевой указатель, такую строку НЕЛЬЗЯ использовать для возвращения в ROM")));
}

TEST(EditorWindow, UndoAfter1200ChangesReturnsToChange998) {
  EditorGuiBench b({"1000 "});
  b.open();
  b.startEdit(0);
  QString typed;
  for (int i = 0; i < 1200; ++i) {
    const QString c(QChar('a' + i % 26));
    b.type(b.field(), c);
    typed += c;
  }
  ASSERT_EQ(b.fieldText(), typed);
  b.key(b.field(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(b.fieldText(), typed.left(998));
  b.action("menuUnDo")->trigger();
  EXPECT_EQ(b.fieldText(), typed.left(997));
  for (int i = 0; i < 1000; ++i) b.key(b.field(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(b.fieldText(), "");
  // The undone text is what a commit writes.
  b.type(b.field(), "z");
  b.commit();
  EXPECT_EQ(b.entry(0), "1000 z");
}

TEST(EditorWindow, CommitGoesToTheLineSelectedLast) {
  EditorGuiBench b(NumberedLines(10));
  b.open();
  b.startEdit(3);
  b.clearField();
  b.type(b.field(), "new");
  b.select(7);
  b.field()->setFocus();
  b.commit();
  EXPECT_EQ(b.entry(7), "1003 new  ");
  EXPECT_EQ(b.item(7), "1003 new  ");
  EXPECT_EQ(b.entry(3), "1003 line3");
  EXPECT_TRUE(b.logged(W("поменяли строку перевода номер 7")));
}

TEST(EditorWindow, AddressFieldShowsPointersBothWays) {
  EditorGuiBench b({"1000 Hello"});
  b.open();
  b.startEdit(0);
  b.address()->clear();
  b.type(b.address(), "1193047");
  EXPECT_EQ(b.get<QLineEdit>("gbapointer")->text(), "56341208");
  b.address()->clear();
  EXPECT_EQ(b.get<QLineEdit>("gbapointer")->text(), "");
  b.type(b.address(), "&h56341208");
  EXPECT_EQ(b.label("Label12"), "1193047");

  // A field that holds no address refuses the commit and changes nothing.
  b.address()->setText("abc");
  b.host.messages.clear();
  b.commit();
  EXPECT_EQ(b.entry(0), "1000 Hello");
  ASSERT_EQ(b.host.messages.size(), 1u);
  EXPECT_FALSE(b.ws.PerevodChanged);
}

TEST(EditorWindow, CharactersOfEveryScriptAreTyped) {
  EditorGuiBench b({"1000 Hello"});
  b.open();
  b.startEdit(0);
  b.clearField();
  b.type(b.field(), QString::fromUtf8("a☃"));
  b.field()->insert(QString::fromUtf8("あ😀"));  // a character beyond the 16-bit range
  QApplication::processEvents();
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("a☃あ😀"));  // four characters of the five "Hello" allows
  EXPECT_TRUE(b.host.messages.empty());
}

TEST(EditorWindow, EditStateOutlivesTheWindowAndLoadingClosesIt) {
  EditorGuiBench b({"1000 Hello", "1001 World"});
  b.open();
  b.startEdit(1);
  b.clearField();
  b.type(b.field(), "Earth");
  b.editor->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(b.editor.isNull());
  EXPECT_EQ(b.ws.Editor.EditText, "Earth");

  b.open();
  EXPECT_EQ(b.fieldText(), "");  // filled again only by the next start of an edit
  EXPECT_EQ(b.ws.Editor.OrigText, "World");
  b.listKey(Qt::Key_F, Qt::ControlModifier);
  QPointer<FindForm> find = b.editor->findChild<FindForm*>("FindForm");
  ASSERT_TRUE(find);

  // Loading a translation closes both windows through the host.
  WriteBytes(b.path("other.txt"), "1 a\r\n2 b\r\n");
  b.ws.PerevodFileName = b.dir.file("other.txt");
  LoadPerevod(b.ws);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(b.editor.isNull());
  EXPECT_TRUE(find.isNull());
}

TEST(EditorWindow, MenusCarryTheirCaptionsInOrder) {
  EditorGuiBench b({"1000 Hello"});
  b.open();
  const QList<QAction*> bar = b.editor->menuBar()->actions();
  ASSERT_EQ(bar.size(), 2);
  EXPECT_EQ(bar[0]->text(), "Editor");
  EXPECT_EQ(bar[1]->text(), "Options");
  QStringList editor;
  for (QAction* a : bar[0]->menu()->actions()) editor << a->objectName() + "=" + a->text();
  const QStringList expected = {
      QString::fromUtf8("menuUnDo=UnDo (Ctrl+z)"),
      QString::fromUtf8("menuLimitStringSize=Ограничивать длинну вводимой строки"),
      QString::fromUtf8("menuMoveLineRight=Подвинуть строку вправо (CTRL+>)"),
      QString::fromUtf8("menuFindAndReplace=Найти и заменить (CTRL+F)"),
      QString::fromUtf8("menuFindAndDelete=Найти и удалить (CTRL+D)"),
      QString::fromUtf8("menuFindString=Найти строку (F7)"),
      QString::fromUtf8("menuSelectAll=Выделить все (CTRL+A)"),
      QString::fromUtf8("menuDeleteRows=Удалить выделенные строки (Del)"),
      QString::fromUtf8("menuUpperCaseRows=Поднять регистр у выделенных строк (U)"),
      QString::fromUtf8("menuLcaseRows=Опустить регистр у выделенных строк (L)"),
      QString::fromUtf8("menuRowToEdit=Редактирование выбранной строки (Enter)"),
      QString::fromUtf8("menuEditToRow=Подтвердить изменения строки (Enter)"),
      QString::fromUtf8("menuUndoEditRow=Отменить изменения строки"),
      QString::fromUtf8("menuCloseEditor=Закрыть"),
  };
  EXPECT_EQ(editor, expected);
  QStringList options;
  for (QAction* a : bar[1]->menu()->actions()) options << a->objectName() + "=" + a->text();
  EXPECT_EQ(options, (QStringList{QString::fromUtf8("menuSetListBoxFont=Шрифт для окна просмотра текста"),
                                  QString::fromUtf8("menuSetEditBoxFont=Шрифт для поля редактирования текста")}));
  for (QAction* a : bar[0]->menu()->actions()) EXPECT_TRUE(a->shortcut().isEmpty());
}

TEST(EditorWindow, RulerAndTextShareOneMonospacedFontFromTheSettings) {
  EditorGuiBench b({"1000 Hello"});
  b.ws.FontNameForEditBox = "DejaVu Sans Mono";
  b.ws.FontSizeForEditBox = 14;
  b.open();
  auto* ruler = b.get<QLabel>("Label5");
  EXPECT_TRUE(ruler->text().startsWith("^0-------^10"));
  EXPECT_EQ(ruler->font(), b.field()->font());
  EXPECT_EQ(b.get<QLineEdit>("OriginalString")->font(), b.field()->font());
  EXPECT_EQ(b.field()->font().pointSize(), 14);
  EXPECT_TRUE(QFontInfo(b.field()->font()).fixedPitch());
  // The ruler's first mark stands where the field's first column starts.
  b.field()->setCursorPosition(0);
  const int caret = b.field()->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
  const int fieldX = b.field()->mapTo(b.editor, QPoint(caret, 0)).x();
  const int rulerX = ruler->mapTo(b.editor, QPoint(ruler->indent(), 0)).x();
  EXPECT_LE(std::abs(fieldX - rulerX), 1);
}

TEST(EditorWindow, OpensFromTheMainMenuOnceAndLoadsTheTranslationWhenNoneIs) {
  MainGuiBench b;
  b.click("menuPerevodEditor");  // no translation yet: the load asks for a file, cancelled here
  auto* editor = qobject_cast<EditForm*>(b.form->toolWindow("EditForm"));
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(b.logged(W("Не задано имя файла перевода")));
  EXPECT_EQ(editor->findChild<QListWidget*>("PerevodList")->count(), 0);
  EXPECT_EQ(b.host.messageTexts().back(), W("в файле перевода недопустимы пустые строки") + "\r\n" +
                                              W("покажу строки только, до первой пустой строки"));
  b.click("menuPerevodEditor");
  EXPECT_EQ(b.form->toolWindow("EditForm"), editor);
  EXPECT_EQ(b.form->findChildren<EditForm*>().size(), 1);

  // A commit into the start-up translation takes the place of its one empty line.
  editor->findChild<QLineEdit*>("AddressInROM")->setText("100");
  editor->findChild<QLineEdit*>("TranslationBox")->setText(QString::fromUtf8("Начало"));
  editor->findChild<QAction*>("menuEditToRow")->trigger();
  EXPECT_EQ(b.ws.PerevodArray, std::vector<Text>{W("100 Начало")});
}

}  // namespace

namespace {

TEST(EditorWindow, FitStatusFollowsTheTypingAgainstTheRomString) {
  EditorGuiBench b({"3 Hello", "9 World"});
  b.ws.RomImage = std::string("\0\0Hello\0\0World", 14);
  b.ws.RomLoaded = true;
  b.ws.CharTable.assign(256, Text(1, '\0'));
  for (int c = 'A'; c <= 'z'; ++c) b.ws.CharTable[static_cast<size_t>(c)] = Text(1, static_cast<char>(c));
  b.ws.CharTableLookup = LookupOf(b.ws.CharTable);
  b.ws.TableLoaded = true;
  b.open();
  b.get<QCheckBox>("Check1")->setChecked(false);
  b.startEdit(0);
  EXPECT_EQ(b.label("FitStatus"), QString::fromUtf8("влезает"));
  b.type(b.field(), "ab");
  EXPECT_EQ(b.label("FitStatus"), QString::fromUtf8("не влезает, лишних 2"));
  b.clearField();
  b.type(b.field(), "Hi");
  EXPECT_EQ(b.label("FitStatus"), QString::fromUtf8("короче на 3"));
  b.ws.RomLoaded = false;  // without a ROM there is nothing to say
  b.startEdit(1);
  EXPECT_EQ(b.label("FitStatus"), QString());
}

}  // namespace
