#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>

#include "MainGuiBench.h"
#include "compression/Codecs.h"
#include "support/TestFiles.h"
#include "ui/QtText.h"
#include "workspace/CharTable.h"
#include "workspace/RtfReader.h"

namespace {

// Walks the menu bar as the user sees it: nesting depth, name, caption.
void Walk(const QList<QAction*>& actions, int level, std::vector<std::string>& out) {
  for (QAction* a : actions) {
    out.push_back(std::to_string(level) + " " + a->objectName().toStdString() + " " + a->text().toStdString());
    if (a->menu()) Walk(a->menu()->actions(), level + 1, out);
  }
}

TEST(MainMenu, EveryItemInOrderWithItsExactCaption) {
  MainGuiBench b;
  std::vector<std::string> seen;
  Walk(b.form->menuBar()->actions(), 0, seen);
  const std::vector<std::string> expected = {
      "0 menuFile File",
      "1 menuOpen Load",
      "2 menuOpenROM ROM",
      "2 menuOpenTable Table",
      "2 menuOpenPerevod Translation",
      "2 menuOpenIPS IPS",
      "2 menuLoadTRVocabulary Словарь перевода",
      "1 menuSave Save",
      "2 menuSavePerevod Translation",
      "2 menuSavePerevodAs Translation as",
      "2 menuSaveROM ROM",
      "2 menuSaveROMAs ROM as",
      "2 menuSaveIPSas IPS as",
      "2 menuSaveTableAs Table as",
      "2 menuSavePerevodAsIPS Перевод как IPS",
      "2 menuSaveBPS Изменения ROM как BPS",
      "2 menuSavePerevodAsBPS Перевод как BPS...",
      "2 menuSavePerevodAsNoPointers Translation as (только текст)",
      "2 menuSaveTRVocAs Словарь перевода как",
      "1 menuRecentFiles Недавние файлы",
      "1 menuExit Exit",
      "0 menuEdit Edit",
      "1 menuExtractTextFromROM Извлечь текст из ROM",
      "1 menuPerevodEditor Редактор перевода",
      "1 menuPutTranslationInROM Вернуть перевод в ROM",
      "1 menuCheckFit Проверить, влезает ли перевод",
      "1 menuTableEditor Редактор таблиц",
      "1 menuExtractTextFromIPS Извлечь текст из IPS",
      "1 menuApplyIPS Применить IPS к ROM",
      "1 menuApplyBPS Применить BPS к ROM",
      "1 menuGenerateIPSfromTranslation Генерировать IPS из перевода",
      "1 menuMakeMagicIPS Генерировать Magic IPS",
      "1 menuCompareROMSandMakeIPS Сравнить Входной и Выходной ROM и создать IPS",
      "1 menuCompareROMSandMakeBPS Сравнить Входной и Выходной ROM и создать BPS",
      "1 menuTableGen Генератор таблиц",
      "1 menuAppendFiles Склеить файлы перевода",
      "1 menuCombineFiles Черезстрочное слияние переводов",
      "1 menuFuzzyCombiner Fuzzy Объединение переводов",
      "1 menuGroupEqualTRLines Группировать одинаковые строки",
      "1 menuSorting Сортировать перевод",
      "2 menuSortPerevodStringsByText по тексту",
      "2 menuSortPerevodStringsByLen по длинне строк",
      "2 menuSortPerevodByPointer по указателям (смещению в ROM)",
      "0 menuVocabulary Словарь",
      "1 menuVocabCheck Чистка перевода по словарю",
      "1 menuAddLeadingSpaceToTRWords Нарастить слова словаря начальным пробелом",
      "1 menuTRbyVocabylary Перевод по словарю (массовый find+replace)",
      "0 menuOptions Options",
      "1 menuExtendedLogs Extended Logs",
      "1 menuUseHEXaddr Делать HEX адреса",
      "1 menuTextFilesUTF8 Сохранять текстовые файлы в UTF-8",
      "1 menuTextFilesReadEncoding Кодировка читаемых текстовых файлов",
      "2 menuReadEncodingAuto AUTO",
      "2 menuReadEncodingUtf8 UTF-8",
      "2 menuReadEncoding1251 WINDOWS-1251",
      "2 menuReadEncodingShiftJis SHIFT-JIS",
      "2 menuReadEncodingEucJp EUC-JP",
      "1 menuExtendedTables Расширенные таблицы (многобайтные коды, DTE/MTE)",
      "0 menuTools Tools",
      "1 menuTranspon Транспонирование",
      "1 menuGraphics Просмотр и правка графики...",
      "1 menuDumper Dumper",
      "1 menuShiftedPut Возврат перевода со сдвигом",
      "1 menuFixHeaderChecksums Исправить контрольные суммы заголовка",
      "1 menuRunInEmulator Запустить в эмуляторе",
      "1 menuFindCompressed Найти сжатые данные",
      "1 menuUnpackBlock Распаковать блок...",
      "1 menuPutPackedBlock Запаковать и записать блок...",
      "0 menuHelp Help",
      "1 menuHelpContents Tarvello подсказка",
      "1 menuAbout About",
  };
  EXPECT_EQ(seen, expected);
  // No shortcut, no access key and no greyed item anywhere.
  for (QAction* a : b.form->findChildren<QAction*>()) {
    if (a->objectName().isEmpty()) continue;
    EXPECT_TRUE(a->shortcut().isEmpty()) << a->objectName().toStdString();
    EXPECT_FALSE(a->text().contains('&')) << a->objectName().toStdString();
    EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
  }
}

TEST(MainMenu, TheShippedGuideNamesEveryItem) {
  MainGuiBench b;
  std::vector<std::string> seen;
  Walk(b.form->menuBar()->actions(), 0, seen);
  const std::string guide = RtfToHtml(ReadBytes(TARVELLO_HELP_FILE));
  for (const std::string& line : seen) {
    const size_t nameEnd = line.find(' ', 2);
    const std::string name = line.substr(2, nameEnd - 2);
    if (name.starts_with("menuRecentFile") && name != "menuRecentFiles") continue;  // the files themselves
    const std::string caption = line.substr(nameEnd + 1);
    EXPECT_NE(guide.find(caption), std::string::npos) << line;
  }
}

TEST(MainMenu, OptionItemsMirrorTheirSettings) {
  const std::string ini = "ExtendedLogs=no 'x\r\nUseHEXaddr=yes 'x\r\nTextFilesEncoding= utf-8 'x\r\n";
  MainGuiBench b(&ini);
  EXPECT_EQ(b.form->windowTitle(), "Tarvello 1.41b");
  QAction* logs = b.item("menuExtendedLogs");
  QAction* hex = b.item("menuUseHEXaddr");
  QAction* utf8 = b.item("menuTextFilesUTF8");
  ASSERT_TRUE(logs->isCheckable() && hex->isCheckable() && utf8->isCheckable());
  EXPECT_FALSE(logs->isChecked());
  EXPECT_TRUE(hex->isChecked());
  EXPECT_TRUE(utf8->isChecked());
  b.click("menuExtendedLogs");
  b.click("menuUseHEXaddr");
  b.click("menuTextFilesUTF8");
  EXPECT_EQ(b.ws.ExtendedLogs, "YES");
  EXPECT_EQ(b.ws.UseHEXaddr, "NO");
  EXPECT_EQ(b.ws.TextFilesEncoding, "WINDOWS-1251");
  EXPECT_TRUE(logs->isChecked());
  EXPECT_FALSE(hex->isChecked());
  EXPECT_FALSE(utf8->isChecked());
  b.click("menuTextFilesUTF8");
  EXPECT_EQ(b.ws.TextFilesEncoding, "UTF-8");
  // The read encoding: one of five, the chosen one checked.
  b.click("menuReadEncodingShiftJis");
  EXPECT_EQ(b.ws.TextFilesReadEncoding, "SHIFT-JIS");
  EXPECT_TRUE(b.item("menuReadEncodingShiftJis")->isChecked());
  EXPECT_FALSE(b.item("menuReadEncodingAuto")->isChecked());
  b.click("menuReadEncodingAuto");
  EXPECT_EQ(b.ws.TextFilesReadEncoding, "AUTO");
  EXPECT_TRUE(utf8->isChecked());
  // The new values reach the settings file at the end, itself written as UTF-8 now.
  b.form->requestExit();
  const std::string written = ReadBytes(b.path("tarvello.ini"));
  EXPECT_NE(written.find("ExtendedLogs=YES '"), std::string::npos);
  EXPECT_NE(written.find("UseHEXaddr=NO '"), std::string::npos);
  EXPECT_NE(written.find("TextFilesEncoding=UTF-8 '"), std::string::npos);
  EXPECT_NE(written.find("Это файл параметров"), std::string::npos);
}

TEST(MainMenu, ExtendedTablesItemReloadsTheLoadedTableInTheOtherMode) {
  MainGuiBench b;
  WriteBytes(b.dir.path() / "t.tbl", "41=A\r\n42=bc\r\n");
  b.ws.TableFileName = b.dir.file("t.tbl");
  QAction* item = b.item("menuExtendedTables");
  ASSERT_TRUE(item->isCheckable());
  EXPECT_FALSE(item->isChecked());
  b.click("menuExtendedTables");
  EXPECT_EQ(b.ws.ExtendedTables, "YES");
  EXPECT_FALSE(b.ws.TableLoaded);  // nothing loaded, nothing reloaded
  LoadTable(b.ws);
  ASSERT_EQ(b.ws.TableEntries.size(), 1u);
  b.click("menuExtendedTables");
  EXPECT_EQ(b.ws.ExtendedTables, "NO");
  EXPECT_FALSE(b.ws.TableExtended);
  EXPECT_TRUE(b.ws.TableEntries.empty());
  // Unsaved edits of the table are never thrown away by a reload: the mode waits.
  b.ws.TableChanged = true;
  b.ws.CharTable[0x43] = "Z";
  b.click("menuExtendedTables");
  EXPECT_EQ(b.ws.ExtendedTables, "YES");
  EXPECT_FALSE(b.ws.TableExtended);
  EXPECT_EQ(b.ws.CharTable[0x43], "Z");
}

TEST(MainMenu, StartWithoutSettingsChecksExtendedLogs) {
  MainGuiBench b;
  EXPECT_TRUE(b.item("menuExtendedLogs")->isChecked());
  EXPECT_FALSE(b.item("menuUseHEXaddr")->isChecked());
  EXPECT_FALSE(b.item("menuTextFilesUTF8")->isChecked());
  EXPECT_EQ(b.ws.NumberOfTextChars, 2);
  EXPECT_EQ(b.ws.magicIterator, 100);
  EXPECT_EQ(b.ws.HelpFileName, b.dir.file("tarvellohelp.rtf"));
  EXPECT_TRUE(b.host.messages.empty());
}

TEST(MainMenu, CommandLineTextOnlyGetsTheNoBatchMessage) {
  MainGuiBench b(nullptr, true);
  ASSERT_EQ(b.host.messages.size(), 1u);
  EXPECT_EQ(b.host.messages[0].text, W("Пакетной обработки нет") + "\r\n" + W("желаюшие могут добавить. :-)"));
  EXPECT_EQ(b.host.messages[0].buttons, Buttons::Ok);
  EXPECT_TRUE(b.host.log.empty());
}

TEST(MainMenu, FileDialogsCarryTheirTitlesAndFilters) {
  MainGuiBench b;
  struct Case {
    const char* item;
    const char* title;
    const char* filter;
    FileRequest::Kind kind;
  };
  const Case cases[] = {
      {"menuOpenROM", "Загрузить ROM...", "GameBoy ROM (*.gb;*.gbc;*.gba)|*.gb;*.gbc;*.gba|Все файлы (*.*)|*.*",
       FileRequest::Kind::Open},
      {"menuOpenTable", "Загрузить таблицу...", "Табличный файл (*.tbl)|*.tbl|Все файлы (*.*)|*.*",
       FileRequest::Kind::Open},
      {"menuOpenIPS", "Загрузить IPS...", "Patch файл (*.ips)|*.ips|Все файлы (*.*)|*.*", FileRequest::Kind::Open},
      {"menuLoadTRVocabulary", "Загрузить словарь перевода...", "Файл словаря (*.txt)|*.txt|Все файлы (*.*)|*.*",
       FileRequest::Kind::Open},
      {"menuSaveTableAs", "Сохранить таблицу как...", "Файл таблицы (*.tbl)|*.tbl|Все файлы (*.*)|*.*",
       FileRequest::Kind::Save},
      {"menuSavePerevodAsIPS", "Сохранить перевод в формате IPS как...", "Patch файл (*.ips)|*.ips|Все файлы (*.*)|*.*",
       FileRequest::Kind::Save},
      {"menuSaveBPS", "Сохранить изменения ROM как BPS...", "BPS патч (*.bps)|*.bps|Все файлы (*.*)|*.*",
       FileRequest::Kind::Save},
      {"menuSavePerevodAsBPS", "Сохранить перевод в формате BPS как...", "BPS патч (*.bps)|*.bps|Все файлы (*.*)|*.*",
       FileRequest::Kind::Save},
      {"menuApplyBPS", "Загрузить BPS...", "BPS патч (*.bps)|*.bps|Все файлы (*.*)|*.*", FileRequest::Kind::Open},
      {"menuCompareROMSandMakeIPS", "Загрузить Входной ROM...",
       "GameBoy ROM (*.gb;*.gbc;*.gba)|*.gb;*.gbc;*.gba|Все файлы (*.*)|*.*", FileRequest::Kind::Open},
      {"menuTableGen", "Сохранить сгенерированную таблицу в...", "Table файл (*.tbl)|*.tbl|Все файлы (*.*)|*.*",
       FileRequest::Kind::Save},
      {"menuAppendFiles", "Какие файлЫ перевода будем склеивать в один...",
       "Файл перевода (*.txt)|*.txt|Все файлы (*.*)|*.*", FileRequest::Kind::Open},
  };
  for (const Case& c : cases) {
    b.host.fileRequests.clear();
    b.click(c.item);  // every dialog is cancelled
    ASSERT_FALSE(b.host.fileRequests.empty()) << c.item;
    const FileRequest& r = b.host.fileRequests.front();
    EXPECT_EQ(r.title, W(c.title)) << c.item;
    EXPECT_EQ(r.filter, W(c.filter)) << c.item;
    EXPECT_EQ(r.kind, c.kind) << c.item;
    EXPECT_EQ(r.multiSelect, std::string(c.item) == "menuAppendFiles") << c.item;
  }
}

TEST(MainMenu, CancelledDialogsLeaveOnlyTheClearedNames) {
  MainGuiBench b;
  b.ws.InputRomFileName = "keep.gb";
  b.ws.PerevodFileName = "keep.txt";
  b.ws.TableFileName = "old.tbl";
  b.ws.ReportFileName = "old.txt";
  b.ws.OutputRomFileName = "old.gb";
  b.ws.TRVocabularyFile = "old.voc";
  for (const char* name : {"menuOpenROM", "menuOpenPerevod", "menuSavePerevodAs", "menuSaveTableAs",
                           "menuExtractTextFromROM", "menuSaveROMAs", "menuSaveTRVocAs"})
    b.click(name);
  EXPECT_EQ(b.ws.InputRomFileName, "keep.gb");
  EXPECT_EQ(b.ws.PerevodFileName, "keep.txt");
  EXPECT_EQ(b.ws.TableFileName, "");
  EXPECT_EQ(b.ws.ReportFileName, "");
  EXPECT_EQ(b.ws.OutputRomFileName, "");
  EXPECT_EQ(b.ws.TRVocabularyFile, "");
  // "ROM as" without a ROM is refused before any dialog.
  EXPECT_EQ(b.host.log, std::vector<Text>{W("ROM еще не загружен")});
  EXPECT_FALSE(b.ws.RomLoaded || b.ws.PerevodLoaded || b.ws.TableLoaded);
}

// The compare items ask for both ROMs, then for the patch's name after the comparison;
// an IPS that cannot shorten the file turns into the BPS when the user agrees.
TEST(MainMenu, CompareItemsWriteThePatchChosenAfterTheRoms) {
  MainGuiBench b;
  WriteBytes(b.path("in.gb"), "ABCDEFGHIJKL");
  WriteBytes(b.path("out.gb"), "ABxDEFGHIJKLzz");
  WriteBytes(b.path("short.gb"), "ABC");
  b.ws.OutputIPSFileName = "kept.ips";
  for (const char* f : {"in.gb", "out.gb", "d.ips"}) b.host.files.push_back({b.dir.file(f)});
  b.click("menuCompareROMSandMakeIPS");
  EXPECT_EQ(ReadBytes(b.path("d.ips")), "PATCH" + std::string("\0\0\2\0\1x\0\0\x0C\0\2zz", 13) + "EOF");
  EXPECT_EQ(b.ws.OutputIPSFileName, b.dir.file("d.ips"));
  // A shorter output: the IPS ends with the size the file is cut to, and no question.
  for (const char* f : {"in.gb", "short.gb", "d.ips"}) b.host.files.push_back({b.dir.file(f)});
  b.click("menuCompareROMSandMakeIPS");
  EXPECT_EQ(ReadBytes(b.path("d.ips")), "PATCHEOF" + std::string("\0\0\3", 3));
  EXPECT_TRUE(b.host.messages.empty());
  for (const char* f : {"in.gb", "short.gb", "d.bps"}) b.host.files.push_back({b.dir.file(f)});
  b.click("menuCompareROMSandMakeBPS");
  EXPECT_EQ(b.host.fileRequests.back().title, W("Сохранить изменения ROM как BPS..."));
  EXPECT_EQ(ReadBytes(b.path("d.bps")).substr(0, 4), "BPS1");
  b.host.files.push_back({b.dir.file("in.gb")});
  b.host.files.push_back({b.dir.file("out.gb")});
  b.click("menuCompareROMSandMakeBPS");  // the name's dialog cancelled: the old name stays, nothing written
  EXPECT_EQ(b.ws.OutputBPSFileName, b.dir.file("d.bps"));
  EXPECT_TRUE(b.logged(W("Не указано имя файла для сохранения, BPS не сохранен")));
}

TEST(MainMenu, TableGeneratorRunsAlsoWhenItsDialogIsCancelled) {
  MainGuiBench b;
  b.ws.GenTableFileName = "old.tbl";
  b.click("menuTableGen");                      // cancelled; the generator still runs and refuses without a ROM
  EXPECT_EQ(b.ws.GenTableFileName, "old.tbl");  // a cancel keeps the previous name
  EXPECT_EQ(b.host.messageTexts(), std::vector<Text>{W("ROM еще не загружен")});
}

TEST(MainMenu, MultiFileCommandsWantSeveralFiles) {
  MainGuiBench b;
  WriteBytes(b.path("a.txt"), "1 A");
  b.click("menuAppendFiles", "a.txt");
  b.click("menuCombineFiles", "a.txt");
  b.click("menuFuzzyCombiner");  // cancelled: nothing at all
  EXPECT_EQ(b.host.log, (std::vector<Text>{W("...я же просил НЕСКОЛЬКО файлов для склеивания :-("),
                                           W("...я же просил ДВА файла для сливания :-(")}));
  EXPECT_FALSE(b.ws.PerevodLoaded);
}

TEST(MainMenu, SaveTranslationAsksForANameOnlyWithoutOne) {
  MainGuiBench b;
  b.ws.PerevodArray = {"1 A", "2 B"};
  b.ws.PerevodFileName.clear();
  b.click("menuSavePerevod", "t.txt");
  EXPECT_EQ(ReadBytes(b.path("t.txt")), "1 A\r\n2 B");
  EXPECT_EQ(b.host.fileRequests.size(), 1u);
  b.ws.PerevodArray = {"1 C", "2 D"};
  b.click("menuSavePerevod");  // the known name: no dialog
  EXPECT_EQ(b.host.fileRequests.size(), 1u);
  EXPECT_EQ(ReadBytes(b.path("t.txt")), "1 C\r\n2 D");
}

TEST(MainMenu, TextOnlySaveWarnsAndThenTakesOverTheName) {
  MainGuiBench b;
  b.ws.PerevodArray = {"1 Hello world", "2 B"};
  b.ws.PerevodFileName = b.dir.file("t.txt");
  b.click("menuSavePerevodAsNoPointers", "plain.txt");
  ASSERT_EQ(b.host.messages.size(), 1u);
  EXPECT_EQ(b.host.messages[0].text, W("Таким файлом уже нельзя будет пользоваться для перевода!!!"));
  EXPECT_EQ(b.host.prompts, std::vector<Text>{W("Сохранить перевод как...(Только текст!)")});
  EXPECT_EQ(ReadBytes(b.path("plain.txt")), "Hello world\r\nB\r\n");
  EXPECT_EQ(b.ws.PerevodFileName, b.dir.file("plain.txt"));
}

TEST(MainMenu, TranslationAsIpsWritesNoFileWhenGenerationIsRefused) {
  MainGuiBench b;
  b.click("menuSavePerevodAsIPS", "p.ips");
  EXPECT_FALSE(std::filesystem::exists(b.path("p.ips")));
  EXPECT_FALSE(b.ws.IpsChanged && b.ws.IpsImage.size() > 5);
}

TEST(MainMenu, FitCheckAndHeaderFixReachTheirOperations) {
  MainGuiBench b;
  b.click("menuCheckFit");
  EXPECT_TRUE(b.logged(W("Файл с переводом еще не загружен")));
  b.click("menuFixHeaderChecksums");
  EXPECT_TRUE(b.logged(W("ROM еще не загружен")));
}

TEST(MainMenu, CompressedBlockItemsAskTheOffsetThenRunTheirOperations) {
  MainGuiBench b;
  b.ws.RomImage = std::string(8, 'x') + PackRle(std::string(40, 'a')) + std::string(64, '\xFF');
  b.ws.RomLoaded = true;
  b.host.inputs.push_back(Text("&H8"));
  b.click("menuUnpackBlock", "a.bin");
  EXPECT_EQ(ReadBytes(b.path("a.bin")), std::string(40, 'a'));
  const size_t asked = b.host.fileRequests.size();
  b.host.inputs.push_back(std::nullopt);  // a cancelled question asks nothing more
  b.click("menuPutPackedBlock");
  EXPECT_EQ(b.host.fileRequests.size(), asked);
  b.click("menuFindCompressed", "list.txt");
  EXPECT_EQ(ReadBytes(b.path("list.txt")), "&H00000008 RLE 6 40 0\r\n");
}

TEST(MainMenu, NoCommandStartsWhileAnotherRuns) {
  MainGuiBench b;
  b.ws.PerevodArray = {"1 A", "2 B"};
  bool menusEnabled = true;
  bool exitEnabled = true;
  bool started = true;
  b.host.duringMessage = [&](const Text&) {
    menusEnabled = b.form->menuBar()->isEnabled();
    exitEnabled = b.form->findChild<QWidget*>("ExitButton")->isEnabled();
    b.click("menuOpenROM");  // chosen while the warning is still up
    started = b.form->runCommand([] {});
    b.form->close();  // the close box too waits for the end
  };
  b.click("menuSavePerevodAsNoPointers");  // its warning comes first; its dialog is cancelled
  EXPECT_FALSE(menusEnabled);
  EXPECT_FALSE(exitEnabled);
  EXPECT_FALSE(started);
  ASSERT_EQ(b.host.fileRequests.size(), 1u);  // only the text-only save's own dialog
  EXPECT_EQ(b.host.fileRequests[0].title, W("Сохранить перевод как...(Только текст!)"));
  // The close that came during the command ran the exit once the command was over.
  EXPECT_EQ(b.exits, 1);
}

TEST(MainMenu, ToolWindowsExistOnceAndComeBackAfterClosing) {
  MainGuiBench b;
  for (const char* item : {"menuTranspon", "menuShiftedPut", "menuTableEditor"}) {
    b.click(item);
    b.click(item);
  }
  for (const char* name : {"TransponForm", "ShiftedPutForm", "TableEditForm"}) {
    ASSERT_EQ(b.form->findChildren<QWidget*>(name).size(), 1) << name;
    EXPECT_TRUE(b.form->findChild<QWidget*>(name)->isVisible()) << name;
  }
  QPointer<QWidget> first = b.form->toolWindow("TransponForm");
  first->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull());
  b.click("menuTranspon");
  EXPECT_NE(b.form->toolWindow("TransponForm"), nullptr);
  EXPECT_TRUE(b.host.log.empty());
}

TEST(MainMenu, DumperAsksForItsFileBeforeItsWindow) {
  MainGuiBench b;
  b.ws.ReportFileName = "old.txt";
  b.click("menuDumper");  // cancelled: the name is gone and no window opens
  EXPECT_EQ(b.ws.ReportFileName, "");
  EXPECT_EQ(b.form->findChild<QWidget*>("DumperForm"), nullptr);
  b.click("menuDumper", "dump.txt");
  EXPECT_EQ(b.ws.ReportFileName, b.dir.file("dump.txt"));
  ASSERT_NE(b.form->findChild<QWidget*>("DumperForm"), nullptr);
  EXPECT_EQ(b.host.fileRequests.back().title, W("Сохранить вынутый дамп как..."));
}

TEST(MainMenu, EditorIsClosedByALoadAndOpensAgain) {
  MainGuiBench b;
  WriteBytes(b.path("t.txt"), "1 A\r\n2 B");
  b.click("menuOpenPerevod", "t.txt");
  b.click("menuPerevodEditor");
  QPointer<QWidget> editor = b.form->findChild<QWidget*>("EditForm");
  ASSERT_FALSE(editor.isNull());
  EXPECT_TRUE(editor->isVisible());
  b.click("menuOpenPerevod", "t.txt");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(editor.isNull() || !editor->isVisible());
  b.click("menuPerevodEditor");
  EXPECT_NE(b.form->findChild<QWidget*>("EditForm"), nullptr);
}

}  // namespace
