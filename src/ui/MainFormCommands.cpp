#include "ui/MainFormCommands.h"

#include <utility>

#include "compression/CompressedBlocks.h"
#include "ips/BpsFile.h"
#include "ips/IpsFile.h"
#include "ips/IpsFromPerevod.h"
#include "ips/IpsText.h"
#include "ips/MagicIps.h"
#include "ips/RomCompare.h"
#include "processing/Dictionary.h"
#include "processing/GroupAndSort.h"
#include "processing/Merge.h"
#include "processing/VocabCheck.h"
#include "textio/Extraction.h"
#include "textio/FitCheck.h"
#include "textio/Insertion.h"
#include "tools/Emulator.h"
#include "tools/HeaderChecksums.h"
#include "tools/TableGenerator.h"
#include "ui/DumperForm.h"
#include "ui/EditForm.h"
#include "ui/MainForm.h"
#include "ui/ShiftedPutForm.h"
#include "ui/TableEditForm.h"
#include "ui/GraphicsForm.h"
#include "ui/TransponForm.h"
#include "workspace/CharTable.h"
#include "workspace/Dialogs.h"
#include "workspace/Log.h"
#include "workspace/OpenedFiles.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"

namespace {

using Operation = void (*)(Workspace&);
using FilesOperation = void (*)(Workspace&, const std::vector<Text>&);
using WindowFactory = QWidget* (*)(MainForm&);
using Field = Text Workspace::*;

// A table entry whose operation is still to come is given nullptr: the command then
// logs that it is not available yet instead of doing nothing.

template <class Form>
QWidget* Make(MainForm& form) {
  return new Form(form.workspace(), &form);
}

const char kRomFilter[] = "GameBoy ROM (*.gb;*.gbc;*.gba)|*.gb;*.gbc;*.gba|Все файлы (*.*)|*.*";
const char kTableLoadFilter[] = "Табличный файл (*.tbl)|*.tbl|Все файлы (*.*)|*.*";
const char kTableSaveFilter[] = "Файл таблицы (*.tbl)|*.tbl|Все файлы (*.*)|*.*";
const char kGenTableFilter[] = "Table файл (*.tbl)|*.tbl|Все файлы (*.*)|*.*";
const char kPerevodFilter[] = "Файл перевода (*.txt)|*.txt|Все файлы (*.*)|*.*";
const char kPatchFilter[] = "Patch файл (*.ips)|*.ips|Все файлы (*.*)|*.*";
const char kDictionaryFilter[] = "Файл словаря (*.txt)|*.txt|Все файлы (*.*)|*.*";

enum class Before { Keep, Clear };

Text AskName(Workspace& ws, FileRequest::Kind kind, const char* title, const char* filter) {
  return ChooseFileName(ws, kind, W(title), W(filter));
}

MenuHandler Run(Operation op) {
  return [op](MainForm& form, const Text& caption) {
    if (!op) return LogNotAvailable(form.workspace(), caption);
    op(form.workspace());
  };
}

// A cancelled dialog ends the command; a chosen name is stored, then the operation runs.
MenuHandler WithFile(FileRequest::Kind kind, const char* title, const char* filter, Field field, Operation op,
                     Before before = Before::Keep) {
  return [=](MainForm& form, const Text& caption) {
    Workspace& ws = form.workspace();
    if (!op) return LogNotAvailable(ws, caption);
    if (before == Before::Clear) (ws.*field).clear();
    const Text name = AskName(ws, kind, title, filter);
    if (name.empty()) return;
    ws.*field = name;
    op(ws);
  };
}

MenuHandler Open(const char* title, const char* filter, Field field, Operation op) {
  return WithFile(FileRequest::Kind::Open, title, filter, field, op);
}

// How a file of each kind is loaded: its setting, its operation, and for the kinds the
// recent files keep, the flag that says the load worked.
struct KindCommand {
  FileKind kind;
  Field field;
  Operation load;
  bool Workspace::*loaded;
};

const KindCommand kKindCommands[] = {
    {FileKind::Rom, &Workspace::InputRomFileName, LoadRom, &Workspace::RomLoaded},
    {FileKind::Table, &Workspace::TableFileName, LoadTable, &Workspace::TableLoaded},
    {FileKind::Perevod, &Workspace::PerevodFileName, LoadPerevod, &Workspace::PerevodLoaded},
    {FileKind::Ips, &Workspace::IPSFileName, LoadIps, nullptr},
    {FileKind::Bps, &Workspace::BPSFileName, ApplyBps, nullptr},
};

const KindCommand& CommandOfKind(FileKind kind) {
  for (const KindCommand& c : kKindCommands)
    if (c.kind == kind) return c;
  return kKindCommands[0];
}

// A load that worked puts its file at the head of the recent files. The flag, cleared
// for the run, tells it; a failed load gets its old value back.
void LoadRemembering(Workspace& ws, const KindCommand& c) {
  if (!c.loaded) return c.load(ws);
  const bool before = ws.*c.loaded;
  ws.*c.loaded = false;
  c.load(ws);
  if (ws.*c.loaded)
    RememberRecentFile(ws, c.kind, ws.*c.field);
  else
    ws.*c.loaded = before;
}

MenuHandler OpenRemembered(const char* title, const char* filter, FileKind kind) {
  return [=](MainForm& form, const Text&) {
    Workspace& ws = form.workspace();
    const KindCommand& c = CommandOfKind(kind);
    const Text name = AskName(ws, FileRequest::Kind::Open, title, filter);
    if (name.empty()) return;
    ws.*c.field = name;
    LoadRemembering(ws, c);
  };
}

MenuHandler Save(const char* title, const char* filter, Field field, Operation op, Before before = Before::Keep) {
  return WithFile(FileRequest::Kind::Save, title, filter, field, op, before);
}

// The merges want several files; one file gets the command's complaint.
MenuHandler OpenSeveral(const char* title, const char* complaint, FilesOperation op) {
  return [=](MainForm& form, const Text& caption) {
    Workspace& ws = form.workspace();
    if (!op) return LogNotAvailable(ws, caption);
    FileRequest request;
    request.kind = FileRequest::Kind::Open;
    request.title = W(title);
    request.filter = W(kPerevodFilter);
    request.multiSelect = true;
    const std::vector<Text> files = ws.host->chooseFiles(request);
    if (files.empty()) return;
    if (files.size() == 1) return AppendLog(ws, W(complaint));
    op(ws, files);
  };
}

MenuHandler Show(const char* windowName, WindowFactory make) {
  return [=](MainForm& form, const Text& caption) {
    if (!make) return LogNotAvailable(form.workspace(), caption);
    form.showToolWindow(windowName, make);
  };
}

MenuHandler Toggle(Field option, const char* on = "YES", const char* off = "NO") {
  return [=](MainForm& form, const Text&) {
    Text& value = form.workspace().*option;
    value = value == on ? off : on;
  };
}

// One value of a setting with several, its item checked while the setting holds it.
MenuHandler Choose(Field option, const char* value) {
  return [=](MainForm& form, const Text&) { form.workspace().*option = value; };
}

// A patch that is only its "PATCH" header holds nothing worth a file.
void GenerateAndSaveIps(Workspace& ws) {
  GenerateIpsFromPerevod(ws);
  if (ws.IpsImage.size() > 5) SaveIpsAs(ws);
}

// Both ROM files are asked for; the patch's name is asked after the comparison, each time,
// and a cancelled dialog leaves the name the settings held.
MenuHandler CompareAsked(void (*compare)(Workspace&, const Text&, const Text&)) {
  return [compare](MainForm& form, const Text&) {
    Workspace& ws = form.workspace();
    const Text input = AskName(ws, FileRequest::Kind::Open, "Загрузить Входной ROM...", kRomFilter);
    if (input.empty()) return;
    const Text output = AskName(ws, FileRequest::Kind::Open, "Загрузить Выходной ROM...", kRomFilter);
    if (output.empty()) return;
    const Text ips = std::exchange(ws.OutputIPSFileName, Text());
    const Text bps = std::exchange(ws.OutputBPSFileName, Text());
    compare(ws, input, output);
    if (ws.OutputIPSFileName.empty()) ws.OutputIPSFileName = ips;
    if (ws.OutputBPSFileName.empty()) ws.OutputBPSFileName = bps;
  };
}

void SavePerevodAsked(MainForm& form, const Text&) {
  Workspace& ws = form.workspace();
  if (ws.PerevodFileName.empty()) {
    const Text name = AskName(ws, FileRequest::Kind::Save, "Сохранить перевод как...", kPerevodFilter);
    if (name.empty()) return;
    ws.PerevodFileName = name;
  }
  SavePerevod(ws);
}

void SaveRomAs(MainForm& form, const Text&) {
  form.workspace().OutputRomFileName.clear();
  SaveRom(form.workspace());
}

void SavePerevodTextOnlyAsked(MainForm& form, const Text& caption) {
  form.workspace().host->message(W("Таким файлом уже нельзя будет пользоваться для перевода!!!"), Buttons::Ok,
                                 Icon::None);
  Save("Сохранить перевод как...(Только текст!)", kPerevodFilter, &Workspace::PerevodFileName, SavePerevodTextOnly)(
      form, caption);
}

// The generator runs also without a name: it asks for one at its end.
MenuHandler GenerateTableAsked(Operation generate) {
  return [generate](MainForm& form, const Text& caption) {
    Workspace& ws = form.workspace();
    if (!generate) return LogNotAvailable(ws, caption);
    // A cancelled dialog keeps the name of the previous run.
    const Text chosen = AskName(ws, FileRequest::Kind::Save, "Сохранить сгенерированную таблицу в...", kGenTableFilter);
    if (!chosen.empty()) ws.GenTableFileName = chosen;
    generate(ws);
  };
}

// The block's offset is asked first; a cancelled question ends the command.
MenuHandler WithBlockOffset(void (*op)(Workspace&, const Text&)) {
  return [op](MainForm& form, const Text& caption) {
    Workspace& ws = form.workspace();
    const auto offset = AskBlockOffset(ws, caption);
    if (offset && !offset->empty()) op(ws, *offset);
  };
}

// The dumper's window takes its file name from ReportFileName.
MenuHandler DumperAsked(WindowFactory make) {
  return [make](MainForm& form, const Text& caption) {
    Workspace& ws = form.workspace();
    if (!make) return LogNotAvailable(ws, caption);
    ws.ReportFileName.clear();
    const Text name = AskName(ws, FileRequest::Kind::Save, "Сохранить вынутый дамп как...", kPerevodFilter);
    if (name.empty()) return;
    ws.ReportFileName = name;
    form.showToolWindow("DumperForm", make);
  };
}

}  // namespace

std::vector<MenuEntry> MainMenuEntries() {
  return {
      {0, "menuFile", "File", {}},
      {1, "menuOpen", "Load", {}},
      {2, "menuOpenROM", "ROM", OpenRemembered("Загрузить ROM...", kRomFilter, FileKind::Rom)},
      {2, "menuOpenTable", "Table", OpenRemembered("Загрузить таблицу...", kTableLoadFilter, FileKind::Table)},
      {2, "menuOpenPerevod", "Translation", OpenRemembered("Загрузить перевод...", kPerevodFilter, FileKind::Perevod)},
      {2, "menuOpenIPS", "IPS", Open("Загрузить IPS...", kPatchFilter, &Workspace::IPSFileName, LoadIps)},
      {2, "menuLoadTRVocabulary", "Словарь перевода",
       Open("Загрузить словарь перевода...", kDictionaryFilter, &Workspace::TRVocabularyFile, LoadTRVocabulary)},
      {1, "menuSave", "Save", {}},
      {2, "menuSavePerevod", "Translation", SavePerevodAsked},
      {2, "menuSavePerevodAs", "Translation as",
       Save("Сохранить перевод как...", kPerevodFilter, &Workspace::PerevodFileName, SavePerevod)},
      {2, "menuSaveROM", "ROM", Run(SaveRom)},
      {2, "menuSaveROMAs", "ROM as", SaveRomAs},
      {2, "menuSaveIPSas", "IPS as",
       Save("Сохранить IPS как...", kPatchFilter, &Workspace::OutputIPSFileName, SaveIpsAs)},
      {2, "menuSaveTableAs", "Table as",
       Save("Сохранить таблицу как...", kTableSaveFilter, &Workspace::TableFileName, SaveTable, Before::Clear)},
      {2, "menuSavePerevodAsIPS", "Перевод как IPS",
       Save("Сохранить перевод в формате IPS как...", kPatchFilter, &Workspace::OutputIPSFileName, GenerateAndSaveIps)},
      {2, "menuSaveBPS", "Изменения ROM как BPS",
       Save("Сохранить изменения ROM как BPS...", kBpsFilter, &Workspace::OutputBPSFileName, SaveBps)},
      {2, "menuSavePerevodAsBPS", "Перевод как BPS...",
       Save("Сохранить перевод в формате BPS как...", kBpsFilter, &Workspace::OutputBPSFileName,
            GenerateBpsFromPerevod)},
      {2, "menuSavePerevodAsNoPointers", "Translation as (только текст)", SavePerevodTextOnlyAsked},
      {2, "menuSaveTRVocAs", "Словарь перевода как",
       Save("Сохранить словарь как...", kDictionaryFilter, &Workspace::TRVocabularyFile, SaveTRVocabulary,
            Before::Clear)},
      {1, "menuExit", "Exit", [](MainForm& form, const Text&) { form.requestExit(); }},
      {0, "menuEdit", "Edit", {}},
      {1, "menuExtractTextFromROM", "Извлечь текст из ROM",
       Save("Сохранить вынутый текст как...", kPerevodFilter, &Workspace::ReportFileName, ExtractTextFromRom,
            Before::Clear)},
      {1, "menuPerevodEditor", "Редактор перевода", Show("EditForm", Make<EditForm>)},
      {1, "menuPutTranslationInROM", "Вернуть перевод в ROM", Run([](Workspace& ws) { PutPerevodInRom(ws, 0); })},
      {1, "menuCheckFit", "Проверить, влезает ли перевод", Run([](Workspace& ws) { CheckFit(ws); })},
      {1, "menuTableEditor", "Редактор таблиц", Show("TableEditForm", Make<TableEditForm>)},
      {1, "menuExtractTextFromIPS", "Извлечь текст из IPS", Run(ExtractTextFromIps)},
      {1, "menuApplyIPS", "Применить IPS к ROM", Run(ApplyIps)},
      {1, "menuApplyBPS", "Применить BPS к ROM",
       Open("Загрузить BPS...", kBpsFilter, &Workspace::BPSFileName, ApplyBps)},
      {1, "menuGenerateIPSfromTranslation", "Генерировать IPS из перевода", Run(GenerateIpsFromPerevod)},
      {1, "menuMakeMagicIPS", "Генерировать Magic IPS", Run(MakeMagicIps)},
      {1, "menuCompareROMSandMakeIPS", "Сравнить Входной и Выходной ROM и создать IPS", CompareAsked(CompareRomsToIps)},
      {1, "menuCompareROMSandMakeBPS", "Сравнить Входной и Выходной ROM и создать BPS", CompareAsked(CompareRomsToBps)},
      {1, "menuTableGen", "Генератор таблиц", GenerateTableAsked(GenerateTable)},
      {1, "menuAppendFiles", "Склеить файлы перевода",
       OpenSeveral("Какие файлЫ перевода будем склеивать в один...",
                   "...я же просил НЕСКОЛЬКО файлов для склеивания :-(", AppendPerevodFiles)},
      {1, "menuCombineFiles", "Черезстрочное слияние переводов",
       OpenSeveral("Какие ДВА файла перевода будем сливать в один...", "...я же просил ДВА файла для сливания :-(",
                   CombinePerevodFiles)},
      {1, "menuFuzzyCombiner", "Fuzzy Объединение переводов",
       OpenSeveral("Какие файлЫ перевода будем fuzzy'ть в один...",
                   "...я же просил НЕСКОЛЬКО файлов для склеивания :-(", FuzzyCombinePerevodFiles)},
      {1, "menuGroupEqualTRLines", "Группировать одинаковые строки", Run(GroupEqualTRLines)},
      {1, "menuSorting", "Сортировать перевод", {}},
      {2, "menuSortPerevodStringsByText", "по тексту", Run([](Workspace& ws) { SortPerevod(ws, W("ПО ТЕКСТУ")); })},
      {2, "menuSortPerevodStringsByLen", "по длинне строк",
       Run([](Workspace& ws) { SortPerevod(ws, W("ПО ДЛИННЕ")); })},
      {2, "menuSortPerevodByPointer", "по указателям (смещению в ROM)",
       Run([](Workspace& ws) { SortPerevod(ws, W("ПО ПОИНТЕРАМ")); })},
      {0, "menuVocabulary", "Словарь", {}},
      {1, "menuVocabCheck", "Чистка перевода по словарю", Run(VocabCheck)},
      {1, "menuAddLeadingSpaceToTRWords", "Нарастить слова словаря начальным пробелом", Run(AddLeadingSpaceToTRWords)},
      {1, "menuTRbyVocabylary", "Перевод по словарю (массовый find+replace)", Run(TranslateByVocabulary)},
      {0, "menuOptions", "Options", {}},
      {1, "menuExtendedLogs", "Extended Logs", Toggle(&Workspace::ExtendedLogs), &Workspace::ExtendedLogs},
      {1, "menuUseHEXaddr", "Делать HEX адреса", Toggle(&Workspace::UseHEXaddr), &Workspace::UseHEXaddr},
      {1, "menuTextFilesUTF8", "Сохранять текстовые файлы в UTF-8",
       Toggle(&Workspace::TextFilesEncoding, "UTF-8", "WINDOWS-1251"), &Workspace::TextFilesEncoding, true, "UTF-8"},
      {1, "menuTextFilesReadEncoding", "Кодировка читаемых текстовых файлов", {}},
      {2, "menuReadEncodingAuto", "AUTO", Choose(&Workspace::TextFilesReadEncoding, "AUTO"),
       &Workspace::TextFilesReadEncoding, true, "AUTO"},
      {2, "menuReadEncodingUtf8", "UTF-8", Choose(&Workspace::TextFilesReadEncoding, "UTF-8"),
       &Workspace::TextFilesReadEncoding, true, "UTF-8"},
      {2, "menuReadEncoding1251", "WINDOWS-1251", Choose(&Workspace::TextFilesReadEncoding, "WINDOWS-1251"),
       &Workspace::TextFilesReadEncoding, true, "WINDOWS-1251"},
      {2, "menuReadEncodingShiftJis", "SHIFT-JIS", Choose(&Workspace::TextFilesReadEncoding, "SHIFT-JIS"),
       &Workspace::TextFilesReadEncoding, true, "SHIFT-JIS"},
      {2, "menuReadEncodingEucJp", "EUC-JP", Choose(&Workspace::TextFilesReadEncoding, "EUC-JP"),
       &Workspace::TextFilesReadEncoding, true, "EUC-JP"},
      // The mode is read when a table loads: a loaded table is loaded again in the new one.
      {1, "menuExtendedTables", "Расширенные таблицы (многобайтные коды, DTE/MTE)",
       [](MainForm& form, const Text&) {
         Workspace& ws = form.workspace();
         SetExtendedTables(ws, ws.ExtendedTables != "YES");
       },
       &Workspace::ExtendedTables},
      {0, "menuTools", "Tools", {}},
      {1, "menuTranspon", "Транспонирование", Show("TransponForm", Make<TransponForm>)},
      {1, "menuGraphics", "Просмотр и правка графики...", Show("GraphicsForm", Make<GraphicsForm>)},
      {1, "menuDumper", "Dumper", DumperAsked(Make<DumperForm>)},
      {1, "menuShiftedPut", "Возврат перевода со сдвигом", Show("ShiftedPutForm", Make<ShiftedPutForm>)},
      {1, "menuFixHeaderChecksums", "Исправить контрольные суммы заголовка",
       Run([](Workspace& ws) { FixHeaderChecksums(ws); })},
      {1, "menuRunInEmulator", "Запустить в эмуляторе", Run(RunInEmulator)},
      {1, "menuFindCompressed", "Найти сжатые данные", Run(FindCompressed)},
      {1, "menuUnpackBlock", "Распаковать блок...", WithBlockOffset(UnpackBlock)},
      {1, "menuPutPackedBlock", "Запаковать и записать блок...",
       WithBlockOffset([](Workspace& ws, const Text& offset) { PutPackedBlock(ws, offset); })},
      {0, "menuHelp", "Help", {}},
      {1, "menuHelpContents", "Tarvello подсказка", [](MainForm& form, const Text&) { form.showHelp(); }},
      {1, "menuAbout", "About", [](MainForm& form, const Text&) { form.showAbout(); }},
  };
}

void OpenFileOfKind(MainForm& form, FileKind kind, const Text& path) {
  Workspace& ws = form.workspace();
  const KindCommand& c = CommandOfKind(kind);
  ws.*c.field = path;
  LoadRemembering(ws, c);
}

void LogNotAvailable(Workspace& ws, const Text& caption) {
  AppendLog(ws, W("Команда \"") + caption + W("\" пока недоступна"));
}
