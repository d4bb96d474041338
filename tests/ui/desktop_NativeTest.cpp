// The workbench as a desktop program: keys in the Russian layout, dialogs over the
// window that asked, Qt's Russian texts, drops, recent files, the caption.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>

#include "EditorGuiBench.h"
#include "ips/BpsFile.h"
#include "ui/AboutForm.h"
#include "ui/Application.h"
#include "ui/QtHost.h"
#include "workspace/OpenedFiles.h"
#include "workspace/Settings.h"

namespace {

// A key of the Russian layout: Qt names it by its Cyrillic letter and the text it types.
void RussianKey(QWidget* w, const char* letter, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
  const QString text = QString::fromUtf8(letter);
  EditorGuiBench::key(w, text.toUpper()[0].unicode(), mods, text);
}

TEST(RussianLayout, CtrlKeysOfTheListAndTheFieldWorkByTheirPhysicalKey) {
  EditorGuiBench b({"1000 Hello", "2000 x", "3000 abcd"});
  b.open();
  b.select(1);
  RussianKey(b.list(), "ф");  // the A key
  EXPECT_EQ(b.label("Label8"), "KeyDown 65 2");
  EXPECT_EQ(b.list()->selectedItems().size(), 3);
  EXPECT_EQ(b.list()->currentRow(), 1);
  b.select(0);
  RussianKey(b.list(), "а");  // the F key
  auto* find = b.editor->findChild<FindForm*>("FindForm");
  ASSERT_TRUE(find);
  EXPECT_EQ(find->findChild<QLineEdit*>("FindWhat")->text(), "Hello");
  find->close();
  RussianKey(b.list(), "ю");  // the key of "." and ">"
  EXPECT_EQ(b.entry(0), "1001 ello");
  b.startEdit(2);
  b.clearField();
  b.type(b.field(), QString::fromUtf8("жк"));
  RussianKey(b.field(), "я", Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("жк"));
  RussianKey(b.field(), "я");  // the Z key: one undo step, as Ctrl+Z takes
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("ж"));
}

// Ctrl+Z undoes as the key comes up, once for a key held down through its repeats; the
// menu item takes one step of its own.
TEST(RussianLayout, UndoActsOnTheReleaseOnceHoweverLongTheKeyIsHeld) {
  EditorGuiBench b({"1000 abcd"});
  b.open();
  b.startEdit(0);
  b.clearField();
  b.type(b.field(), QString::fromUtf8("жклм"));
  const auto send = [&](QEvent::Type type, Qt::KeyboardModifiers mods, bool repeat) {
    QKeyEvent event(type, QString::fromUtf8("Я")[0].unicode(), mods, QString::fromUtf8("я"), repeat);
    QApplication::sendEvent(b.field(), &event);
  };
  send(QEvent::KeyPress, Qt::ControlModifier, false);
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("жклм"));
  for (int i = 0; i < 5; ++i) {
    send(QEvent::KeyRelease, Qt::ControlModifier, true);
    send(QEvent::KeyPress, Qt::ControlModifier, true);
  }
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("жклм"));
  send(QEvent::KeyRelease, Qt::ControlModifier, false);
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("жкл"));
  EXPECT_EQ(b.label("CursorPositionInTranslationText"), "3");  // the labels show the state after the key
  // Ctrl let go first: the key comes up alone and does nothing.
  send(QEvent::KeyPress, Qt::ControlModifier, false);
  send(QEvent::KeyRelease, Qt::NoModifier, false);
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("жкл"));
  b.action("menuUnDo")->trigger();
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("жк"));
}

// The real host: dialogs are answered as they come up, noting the window each was
// shown over.
struct RealHostBench {
  QtHost host;
  Workspace ws{host};
  TempDir dir;
  std::unique_ptr<MainForm> form;
  QTimer answerer;
  std::vector<QWidget*> owners;
  std::function<void(QWidget*)> answer = [](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); };

  RealHostBench() {
    StartProgram(ws, FromNativePath(dir.path()), false);
    form = std::make_unique<MainForm>(ws);
    host.setMainWindow(form.get());
    form->show();
    answerer.setInterval(5);
    QObject::connect(&answerer, &QTimer::timeout, [this] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (!dialog || !dialog->isVisible()) return;
      owners.push_back(dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr);
      answer(dialog);
    });
    answerer.start();
  }
  ~RealHostBench() { host.setMainWindow(nullptr); }
};

TEST(DialogOwner, F7AndTheDeleteQuestionComeOverTheEditorAndGiveTheFocusBack) {
  RealHostBench b;
  b.ws.PerevodArray = {"1 a", "2 b", "3 c"};
  b.ws.PerevodLoaded = true;
  auto* editor = new EditForm(b.ws, b.form.get());
  editor->show();
  editor->activateWindow();
  QApplication::processEvents();
  auto* list = editor->findChild<QListWidget*>("PerevodList");
  list->setFocus();
  list->setCurrentRow(0);
  ASSERT_EQ(QApplication::focusWidget(), list);

  // Between the keys the window system has its say, as between a user's presses.
  for (int k : {Qt::Key_F7, Qt::Key_F7, Qt::Key_Delete}) {
    if (k == Qt::Key_Delete) list->selectAll();
    QWidget* focus = QApplication::focusWidget();
    EditorGuiBench::key(focus, k);
    QApplication::processEvents();
    EXPECT_EQ(focus, list);
  }
  EXPECT_EQ(b.owners, (std::vector<QWidget*>{editor, editor, editor}));
  EXPECT_EQ(QApplication::focusWidget(), list);
  EXPECT_EQ(QApplication::activeWindow(), editor);
  EXPECT_EQ(b.ws.PerevodArray.size(), 3u);  // the question was cancelled
  delete editor;
}

TEST(DialogOwner, SaveDialogsAppendTheChosenFiltersExtension) {
  RealHostBench b;
  QString filter;
  b.answer = [&](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_TRUE(dialog);
    if (!filter.isEmpty()) dialog->selectNameFilter(filter);
    dialog->selectFile(QString::fromStdString((b.dir.path() / "tictac").string()));
    QMetaObject::invokeMethod(dialog, "accept");
  };
  FileRequest request;
  request.kind = FileRequest::Kind::Save;
  request.title = "x";
  request.filter = W("Файл перевода (*.txt)|*.txt|Все файлы (*.*)|*.*");
  EXPECT_EQ(b.host.chooseFiles(request), std::vector<Text>{b.dir.file("tictac.txt")});
  filter = QtFilter(request.filter).split(";;").at(1);
  EXPECT_EQ(b.host.chooseFiles(request), std::vector<Text>{b.dir.file("tictac")});
  EXPECT_EQ(WithFilterExtension("/d/x", QString::fromUtf8("GameBoy ROM (*.gb *.gbc *.gba)")), "/d/x.gb");
  EXPECT_EQ(WithFilterExtension("/d.v/x", QString::fromUtf8("Patch файл (*.ips)")), "/d.v/x.ips");
  EXPECT_EQ(WithFilterExtension("/d/x.bin", QString::fromUtf8("Patch файл (*.ips)")), "/d/x.bin");
}

TEST(QtTexts, StandardButtonsAreRussianAndBoxesTitledTarvello) {
  ASSERT_TRUE(SetUpApplication(*qApp)) << "qt6-translations-l10n is not installed";
  QMessageBox box(QMessageBox::NoIcon, QString(), "x", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), QString::fromUtf8("Да"));
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove('&'), QString::fromUtf8("Отмена"));
  EXPECT_EQ(QApplication::applicationDisplayName(), "Tarvello");
  EXPECT_FALSE(QApplication::windowIcon().isNull());
}

void Drop(QWidget* target, const std::vector<std::filesystem::path>& files) {
  auto* mime = new QMimeData;
  QList<QUrl> urls;
  for (const auto& f : files) urls << QUrl::fromLocalFile(QString::fromStdString(f.string()));
  mime->setUrls(urls);
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
  // Qt delivers drops only during a drag of its own; the window's handler is what counts.
  static_cast<QObject*>(target)->event(&drop);
  delete mime;
}

TEST(MainWindowDrop, EachKindGoesThroughItsCommandAndFilesJoinTheRecentFiles) {
  MainGuiBench b;
  WriteBytes(b.path("game.gb"), std::string(0x8000, 'A'));
  WriteBytes(b.path("font.tbl"), "41=A\r\n42=B\r\n");
  WriteBytes(b.path("ru.txt"), "1 AB\r\n");
  WriteBytes(b.path("fix.ips"), std::string("PATCH") + std::string("\x00\x00\x01\x00\x01Z", 6) + "EOF");
  WriteBytes(b.path("notes.doc"), "x");
  Drop(b.form.get(), {b.path("game.gb"), b.path("notes.doc")});
  EXPECT_TRUE(b.ws.RomLoaded);
  EXPECT_EQ(b.ws.InputRomFileName, b.dir.file("game.gb"));
  Drop(b.form.get(), {b.path("font.tbl"), b.path("ru.txt"), b.path("fix.ips")});
  EXPECT_TRUE(b.ws.TableLoaded);
  EXPECT_TRUE(b.ws.PerevodLoaded);
  EXPECT_TRUE(b.ws.IpsLoaded);
  EXPECT_EQ(b.ws.IPSFileName, b.dir.file("fix.ips"));
  // A BPS patch is applied, as its menu command does.
  std::string patched = b.ws.RomImage;
  patched[0x100] = 'Z';
  b.ws.OutputBPSFileName = b.dir.file("fix.bps");
  ASSERT_TRUE(SaveBpsOf(b.ws, b.ws.RomImage, patched));
  Drop(b.form.get(), {b.path("fix.bps")});
  EXPECT_EQ(b.ws.RomImage, patched);
  // A failed load keeps what was loaded and is not remembered.
  Drop(b.form.get(), {b.path("missing.tbl")});
  EXPECT_TRUE(b.ws.TableLoaded);

  auto* recent = b.form->findChild<QMenu*>("menuRecentFiles");
  ASSERT_TRUE(recent);
  const QList<QAction*> fileItems = b.form->findChild<QMenu*>("menuFile")->actions();
  ASSERT_EQ(fileItems.indexOf(recent->menuAction()) + 1, fileItems.indexOf(b.item("menuExit")));
  EXPECT_EQ(recent->title(), QString::fromUtf8("Недавние файлы"));
  emit recent->aboutToShow();
  const QList<QAction*> items = recent->actions();
  ASSERT_EQ(items.size(), 3);
  EXPECT_TRUE(items[0]->text().endsWith(toQString(b.dir.file("ru.txt"))));
  EXPECT_TRUE(items[2]->text().endsWith(toQString(b.dir.file("game.gb"))));

  // Choosing one loads it as its kind, and the settings file keeps the list.
  b.ws.RomLoaded = false;
  items[2]->trigger();
  EXPECT_TRUE(b.ws.RomLoaded);
  EXPECT_EQ(RecentFiles(b.ws).front(), (RecentFile{FileKind::Rom, b.dir.file("game.gb")}));
  WriteSettings(b.ws);
  Workspace again(b.host);
  again.SettingsFilePath = b.ws.SettingsFilePath;
  ReadSettings(again);
  EXPECT_EQ(RecentFiles(again), RecentFiles(b.ws));
}

TEST(MainWindowCaption, StarWhileUnsavedAndTheLogFollowsTheNewestLineAfterAResize) {
  MainGuiBench b;
  b.form->show();
  EXPECT_EQ(b.form->windowTitle(), "Tarvello 1.41b");
  b.ws.TableChanged = true;
  b.form->runCommand([] {});
  EXPECT_EQ(b.form->windowTitle(), "Tarvello 1.41b *");
  b.ws.TableChanged = false;
  b.form->runCommand([] {});
  EXPECT_EQ(b.form->windowTitle(), "Tarvello 1.41b");

  for (int i = 0; i < 300; ++i) AppendLog(b.ws, "line " + std::to_string(i) + std::string(i % 7 * 20, 'x'));
  b.form->flushLog();
  auto* bar = b.form->findChild<QPlainTextEdit*>("LogText")->verticalScrollBar();
  for (QSize size : {QSize(300, 200), QSize(900, 700), QSize(400, 300)}) {
    b.form->resize(size);
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum()) << size.width();
  }
}

}  // namespace

namespace {

// At their smallest the tool windows keep their caption and their field captions on one
// line, and the credits read without scrolling.
TEST(WindowMinimums, CaptionsWholeFieldCaptionsOnOneLineCreditsUnscrolled) {
  MainGuiBench b;
  for (const char* item : {"menuTranspon", "menuShiftedPut"}) b.click(item);
  b.host.files.push_back({b.dir.file("dump.txt")});
  b.click("menuDumper");
  for (const char* name : {"TransponForm", "ShiftedPutForm", "DumperForm"}) {
    auto* window = b.form->toolWindow(name);
    ASSERT_TRUE(window) << name;
    window->resize(window->minimumSize());
    QApplication::processEvents();
    EXPECT_GT(window->width(), window->fontMetrics().horizontalAdvance(window->windowTitle())) << name;
    for (auto* label : window->findChildren<QLabel*>()) {
      if (!label->buddy()) continue;
      EXPECT_LT(label->height(), 2 * label->fontMetrics().lineSpacing()) << name;
    }
  }
  AboutForm about(b.ws);
  about.show();
  about.resize(about.minimumSize());
  QApplication::processEvents();
  auto* credits = about.findChild<QTextEdit*>("myTextBox");
  EXPECT_EQ(credits->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(credits->horizontalScrollBar()->maximum(), 0);
}

}  // namespace
