// The workbench as a desktop program: keys in the Russian layout, dialogs over the
// window that asked, Qt's Russian texts, drops, recent files, the caption.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>

#include "EditorGuiBench.h"
#include "ips/BpsFile.h"
#include "tools/TileTransposition.h"
#include "ui/AboutForm.h"
#include "ui/Application.h"
#include "ui/QtHost.h"
#include "workspace/OpenedFiles.h"
#include "workspace/Rom.h"
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

// Ctrl+Z undoes as the key comes up, once for a key held down through its repeats
// whether or not they are marked as repeats; Ctrl let go before Z still undoes; the
// menu item takes one step of its own.
TEST(RussianLayout, UndoActsOnTheReleaseOnceHoweverLongTheKeyIsHeld) {
  EditorGuiBench b({"1000 abcde"});
  b.open();
  b.startEdit(0);
  b.clearField();
  b.type(b.field(), QString::fromUtf8("жклмн"));
  const auto send = [&](QEvent::Type type, Qt::KeyboardModifiers mods, bool repeat, ulong time) {
    QKeyEvent event(type, QString::fromUtf8("Я")[0].unicode(), mods, QString::fromUtf8("я"), repeat);
    event.setTimestamp(time);
    QApplication::sendEvent(b.field(), &event);
  };
  for (bool flagged : {true, false}) {
    const QString before = b.fieldText();
    send(QEvent::KeyPress, Qt::ControlModifier, false, 1000);
    EXPECT_EQ(b.fieldText(), before);
    for (ulong t = 1500; t < 1700; t += 33) {
      send(QEvent::KeyRelease, Qt::ControlModifier, flagged, t);
      send(QEvent::KeyPress, Qt::ControlModifier, flagged, t);
    }
    send(QEvent::KeyRelease, Qt::ControlModifier, false, 1800);
    EXPECT_EQ(b.fieldText(), before.chopped(1)) << flagged;
  }
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("жкл"));
  EXPECT_EQ(b.label("CursorPositionInTranslationText"), "3");  // the labels show the state after the key
  // Ctrl let go first: the Z that went down with Ctrl still takes its step.
  send(QEvent::KeyPress, Qt::ControlModifier, false, 3000);
  QKeyEvent ctrlUp(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
  QApplication::sendEvent(b.field(), &ctrlUp);
  send(QEvent::KeyRelease, Qt::NoModifier, false, 3100);
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("жк"));
  b.action("menuUnDo")->trigger();
  EXPECT_EQ(b.fieldText(), QString::fromUtf8("ж"));
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

// Qt appends a display name to every window's caption; the program sets none, and its
// boxes carry its name themselves.
TEST(QtTexts, StandardButtonsAreRussianAndBoxesTitledTarvello) {
  ASSERT_TRUE(SetUpApplication(*qApp)) << "qt6-translations-l10n is not installed";
  QMessageBox box(QMessageBox::NoIcon, QString(), "x", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), QString::fromUtf8("Да"));
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove('&'), QString::fromUtf8("Отмена"));
  EXPECT_EQ(QApplication::applicationDisplayName(), QApplication::applicationName());
  EXPECT_EQ(BoxTitle(), "Tarvello");
  EXPECT_FALSE(QApplication::windowIcon().isNull());
}

// Typed "tictac" under the translation filter is "tictac.txt": the question is about that
// file, No leaves it as it was and goes back to the dialog, Yes replaces it.
TEST(DialogOwner, TheReplaceQuestionNamesTheFileTheFiltersExtensionCompletes) {
  RealHostBench b;
  WriteBytes(b.dir.path() / "tictac.txt", "old");
  b.ws.PerevodArray = {"1 new"};
  b.ws.PerevodLoaded = true;
  QStringList questions;
  QMessageBox::StandardButton reply = QMessageBox::No;
  int dialogs = 0;
  b.answer = [&](QWidget* w) {
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      questions << box->text();
      EXPECT_EQ(box->windowTitle(), "Tarvello");
      return box->button(reply)->click();
    }
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_TRUE(dialog);
    if (++dialogs == 2) return dialog->reject();  // back in the dialog after No: cancelled
    dialog->selectFile(QString::fromStdString((b.dir.path() / "tictac").string()));
    QMetaObject::invokeMethod(dialog, "accept");
  };
  b.form->findChild<QAction*>("menuSavePerevodAs")->trigger();
  ASSERT_EQ(questions.size(), 1);
  EXPECT_TRUE(questions[0].contains("tictac.txt")) << questions[0].toStdString();
  EXPECT_EQ(dialogs, 2);
  EXPECT_EQ(ReadBytes(b.dir.path() / "tictac.txt"), "old");

  reply = QMessageBox::Yes;
  b.form->findChild<QAction*>("menuSavePerevodAs")->trigger();
  EXPECT_EQ(questions.size(), 2);
  EXPECT_EQ(ReadBytes(b.dir.path() / "tictac.txt"), "1 new");
}

// Every window shows its own caption, and nothing more.
TEST(WindowCaptions, EveryWindowIsTitledWithItsCaption) {
  MainGuiBench b;
  b.ws.HelpFileName = TARVELLO_HELP_FILE;
  b.ws.PerevodArray = {"1 a"};
  b.ws.PerevodLoaded = true;
  b.ws.PerevodFileName = b.dir.file("ru.txt");
  for (const char* item : {"menuTranspon", "menuShiftedPut", "menuTableEditor", "menuPerevodEditor", "menuHelpContents"})
    b.click(item);
  b.click("menuDumper", "dump.txt");
  auto* editor = b.form->toolWindow("EditForm");
  ASSERT_TRUE(editor);
  auto* list = editor->findChild<QListWidget*>("PerevodList");
  list->setCurrentRow(0);
  EditorGuiBench::key(list, Qt::Key_F, Qt::ControlModifier);
  const QString version = toQString(b.ws.VersionText);
  const std::pair<const char*, QString> captions[] = {
      {"MainForm", version},
      {"TransponForm", QString::fromUtf8("Транспонирование (части) ROM")},
      {"ShiftedPutForm", QString::fromUtf8("Вставка текста перевода со смещением")},
      {"TableEditForm", "Table Editor"},
      {"DumperForm", "Dumper"},
      {"EditForm", version + " - " + toQString(b.ws.PerevodFileName)},
      {"FindForm", QString::fromUtf8("Найти/Заменить - ") + toQString(b.ws.PerevodFileName)},
      {"HelpForm", QString::fromUtf8("Tarvello Подсказка")},
  };
  for (const auto& [name, caption] : captions) {
    QWidget* window = std::string(name) == "MainForm" ? b.form.get() : b.form->findChild<QWidget*>(name);
    ASSERT_TRUE(window) << name;
    EXPECT_EQ(window->windowTitle(), caption) << name;
  }
  AboutForm about(b.ws);
  EXPECT_EQ(about.windowTitle(), "Tarvello About");
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
  std::string patched(b.ws.RomImage);
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
  // Dragged edge by edge, as a window manager resizes, without a pass of the event loop
  // between some steps.
  for (int w = 300; w <= 900; w += 37) {
    b.form->resize(w, 200 + w / 3);
    if (w % 2) QApplication::processEvents();
  }
  QApplication::processEvents();
  EXPECT_EQ(bar->value(), bar->maximum());
  // Scrolled up by the user, the pane stays where it was put.
  bar->setValue(bar->maximum() / 2);
  b.form->resize(500, 400);
  QApplication::processEvents();
  EXPECT_LT(bar->value(), bar->maximum());
}

// A file on the command line (the desktop entry's %F) loads as a drop would; text
// that names no file gets the message that there is no batch mode.
TEST(CommandLine, FilesLoadAsTheirKindAndOtherTextGetsTheMessage) {
  TempDir dir;
  WriteBytes(dir.path() / "game.gba", std::string(0x200, 'A'));
  WriteBytes(dir.path() / "font.tbl", "41=A\r\n");
  const Text cwd = FromNativePath(dir.path());
  CommandLineFiles line = ReadCommandLine({"game.gba", dir.file("font.tbl")}, cwd);
  EXPECT_FALSE(line.otherText);
  ASSERT_EQ(line.files.size(), 2u);
  EXPECT_EQ(line.files[0], std::make_pair(FileKind::Rom, dir.file("game.gba")));
  EXPECT_EQ(line.files[1].first, FileKind::Table);
  for (const std::vector<Text>& words : {std::vector<Text>{"--batch"}, std::vector<Text>{"missing.gba"},
                                         std::vector<Text>{"game.gba", "notes.doc"}})
    EXPECT_TRUE(ReadCommandLine(words, cwd).otherText) << words.back();

  MainGuiBench b(nullptr, ReadCommandLine({"notes"}, cwd).otherText);
  EXPECT_EQ(b.host.messages.size(), 1u);
  b.form->openFiles(line.files);
  EXPECT_TRUE(b.ws.RomLoaded);
  EXPECT_TRUE(b.ws.TableLoaded);
  EXPECT_EQ(b.ws.InputRomFileName, dir.file("game.gba"));
  EXPECT_EQ(RecentFiles(b.ws).size(), 2u);
}

// Started from a desktop menu the working folder holds no guide: the one beside the
// program, or in its data folder, is shown. A guide in the working folder comes first.
TEST(CommandLine, TheHelpFileIsFoundBesideTheProgramWhateverTheWorkingFolder) {
  TempDir cwd, program, data;
  WriteBytes(data.path() / "tarvellohelp.rtf", "{\\rtf1 x}");
  ScriptedHost host;
  Workspace ws(host);
  StartProgram(ws, FromNativePath(cwd.path()), false, {FromNativePath(program.path()), FromNativePath(data.path())});
  EXPECT_EQ(ws.HelpFileName, data.file("tarvellohelp.rtf"));
  WriteBytes(program.path() / "tarvellohelp.rtf", "{\\rtf1 y}");
  StartProgram(ws, FromNativePath(cwd.path()), false, {FromNativePath(program.path()), FromNativePath(data.path())});
  EXPECT_EQ(ws.HelpFileName, program.file("tarvellohelp.rtf"));
  WriteBytes(cwd.path() / "tarvellohelp.rtf", "{\\rtf1 z}");
  StartProgram(ws, FromNativePath(cwd.path()), false, {FromNativePath(program.path())});
  EXPECT_EQ(ws.HelpFileName, cwd.file("tarvellohelp.rtf"));
}

// The main window comes back where and as large as it was left.
TEST(MainWindowGeometry, PlaceAndSizeAreKeptInTheSettings) {
  std::string ini;
  {
    MainGuiBench b;
    b.form->show();
    b.form->move(40, 30);
    b.form->resize(520, 330);
    QApplication::processEvents();
    b.form->requestExit();
    EXPECT_EQ(b.ws.MainFormWidth, 520);
    EXPECT_EQ(b.ws.MainFormHeight, 330);
    ini = ReadBytes(b.path("tarvello.ini"));
  }
  EXPECT_NE(ini.find("MainFormWidth=520 '"), std::string::npos);
  MainGuiBench again(&ini);
  again.form->show();
  QApplication::processEvents();
  EXPECT_EQ(again.form->size(), QSize(520, 330));
  EXPECT_EQ(again.form->pos(), QPoint(40, 30));
}

// Esc closes the find, shifted insertion, table editor, dumper and help windows,
// wherever the focus is in them.
TEST(EscapeKey, ClosesTheToolWindows) {
  EditorGuiBench b({"1 a"});
  b.ws.HelpFileName = TARVELLO_HELP_FILE;
  b.open();
  b.select(0);
  b.listKey(Qt::Key_F, Qt::ControlModifier);
  for (const char* item : {"menuShiftedPut", "menuTableEditor", "menuHelpContents"}) b.click(item);
  b.click("menuDumper", "dump.txt");
  for (const char* name : {"FindForm", "ShiftedPutForm", "TableEditForm", "DumperForm", "HelpForm"}) {
    QPointer<QWidget> window = b.form->findChild<QWidget*>(name);
    ASSERT_TRUE(window) << name;
    QWidget* focus = window->focusWidget() ? window->focusWidget() : window.data();
    EditorGuiBench::key(focus, Qt::Key_Escape);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull() || !window->isVisible()) << name;
  }
  EXPECT_TRUE(b.editor->isVisible());  // the editor itself stays
}

}  // namespace

namespace {

// At their smallest the tool windows keep their caption and their field captions on one
// line, and the credits read without scrolling.
// Each control of a window at least as large as it asks to be, inside the window and
// clear of its neighbours: nothing squeezed, nothing cut.
void ExpectUnclipped(QWidget* window) {
  std::vector<std::pair<QWidget*, QRect>> placed;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisible() || w->isWindow() || !(qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                                              qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w)))
      continue;
    const QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
    const QString name = w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName();
    EXPECT_TRUE(window->rect().contains(r)) << name.toStdString();
    const int needed = w->hasHeightForWidth() ? w->heightForWidth(w->width()) : w->minimumSizeHint().height();
    EXPECT_GE(w->height(), needed) << name.toStdString();
    if (!qobject_cast<QLabel*>(w) && !qobject_cast<QLineEdit*>(w)) {
      EXPECT_GE(w->width(), w->minimumSizeHint().width()) << name.toStdString();
    }
    for (const auto& [other, rect] : placed)
      if (!other->isAncestorOf(w) && !w->isAncestorOf(other)) {
        EXPECT_FALSE(rect.intersects(r)) << name.toStdString() << " / " << other->objectName().toStdString();
      }
    placed.emplace_back(w, r);
  }
}

TEST(WindowMinimums, TheTranspositionWindowAtItsMinimumShowsEveryControlWhole) {
  MainGuiBench b;
  b.click("menuTranspon");
  QWidget* window = b.form->toolWindow("TransponForm");
  ASSERT_TRUE(window);
  window->resize(window->minimumSize());
  QApplication::processEvents();
  EXPECT_EQ(window->size(), window->minimumSize());
  ExpectUnclipped(window);
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(window->findChild<QRadioButton*>(QString("TileFormatBpp_%1").arg(i))->isVisible());
}

// Enlarged, the dumper and the shifted insertion keep their rows together: the gap
// between two rows does not grow.
TEST(WindowMinimums, EnlargedToolWindowsKeepTheirRowsTogether) {
  MainGuiBench b;
  b.click("menuShiftedPut");
  b.click("menuDumper", "dump.txt");
  const struct {
    const char *name, *upper, *lower;
  } rows[] = {{"DumperForm", "fldStartAddr", "fldEndAddr"}, {"ShiftedPutForm", "fldAddToAddr", "fldNewAddr"}};
  for (const auto& row : rows) {
    const char* name = row.name;
    QWidget* window = b.form->toolWindow(name);
    ASSERT_TRUE(window) << name;
    const auto gap = [&] {
      QApplication::processEvents();
      return window->findChild<QWidget*>(row.lower)->y() - window->findChild<QWidget*>(row.upper)->y();
    };
    window->resize(window->minimumSize());
    const int small = gap();
    window->resize(window->minimumWidth() + 400, window->minimumHeight() + 600);
    EXPECT_EQ(gap(), small) << name;
    ExpectUnclipped(window);
  }
}

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

namespace {

// "Запустить в эмуляторе" starts the configured command on a file that holds the image
// as it is in memory, changes included; the ROM file keeps its bytes.
TEST(EmulatorItem, StartsTheCommandOnTheCurrentImageAndLeavesTheRomFile) {
  MainGuiBench b;
  std::string rom(0x100, '\0');
  for (size_t i = 0; i < rom.size(); ++i) rom[i] = static_cast<char>(i);
  WriteBytes(b.path("game.gb"), rom);
  b.form->openFiles({{FileKind::Rom, b.dir.file("game.gb")}});
  ASSERT_TRUE(b.ws.RomLoaded);
  TransposeTileBlock(b.ws, TransposeFields{"0", "1", "1", 1});  // two 8-byte tiles trade places
  ASSERT_TRUE(b.ws.RomChanged);
  b.ws.EmulatorCommand = FromNativePath(RecordingCommand(b.dir.path())) + " %f";
  QAction* item = b.item("menuRunInEmulator");
  ASSERT_TRUE(item);
  EXPECT_EQ(item->text(), QString::fromUtf8("Запустить в эмуляторе"));
  EXPECT_TRUE(b.form->findChild<QMenu*>("menuTools")->actions().contains(item));
  item->trigger();
  ASSERT_TRUE(WaitForFile(b.path("args"))) << b.host.log.back();
  const std::string image = ReadBytes(b.path("image"));
  EXPECT_EQ(image, std::string(RomWorkImage(b.ws)));
  EXPECT_NE(image, rom);
  EXPECT_EQ(ReadBytes(b.path("game.gb")), rom);
  const std::string args = ReadBytes(b.path("args"));
  EXPECT_TRUE(args.ends_with("/game.gb\n")) << args;
  EXPECT_FALSE(args.starts_with(b.dir.path().string())) << args;
}

}  // namespace
