#include "processing/Merge.h"
#include "workspace/CharTable.h"
#include "workspace/EntryCodec.h"

#include <algorithm>
#include <optional>

#include "processing/LineBreaks.h"
#include "textio/Extraction.h"
#include "workspace/Dialogs.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"
#include "workspace/TextFile.h"

namespace {

enum class Glue { Cancelled, Loaded, Empty, Failed };

Text CannotReadText(const Text& path) {
  return W("проверьте, имя и путь файла") + "\r\n" + W("т.е. его можно прочитать:") + "\r\n" + path;
}

Text FolderOf(const Text& path) {
  const size_t sep = path.rfind(kPathSeparator);
  return sep == Text::npos ? Text() : path.substr(0, sep + 1);
}

Text NameOf(const Text& path) {
  const size_t sep = path.rfind(kPathSeparator);
  return sep == Text::npos ? path : path.substr(sep + 1);
}

// Closes the windows that show the translation and offers to save its changes before
// it is replaced. False when the user cancelled, after logging `cancelLine`.
bool ConfirmReplacingTranslation(Workspace& ws, const Text& cancelLine) {
  ws.host->closeWindow(Window::EditForm);
  ws.host->closeWindow(Window::FindForm);
  if (!ws.PerevodChanged) return true;
  switch (ws.host->message(W("Будем сохранять изменения перевода ?"), Buttons::YesNoCancel, Icon::None)) {
    case Answer::Cancel:
      AppendLog(ws, cancelLine);
      MarkNotDone(ws);
      return false;
    case Answer::Yes: SavePerevod(ws); return true;
    default: AppendLog(ws, W("предыдущие изменения перевода потеряны")); return true;
  }
}

// Reads every file, each followed by a line break; a failure names the file it was
// reading and leaves `glued` unfinished.
Glue ReadGlued(Workspace& ws, const std::vector<Text>& files, Text& glued) {
  const Text* reading = nullptr;
  try {
    for (const auto& name : files) {
      reading = &name;
      const DecodedTextFile file = ReadTextFile(ws, name);
      glued += file.text;
      glued += "\r\n";
      if (ws.ExtendedLogs == "YES") AppendLog(ws, W("Подклеиваем файл перевода ") + name + Utf8Mark(file));
      HintUtf8Saves(ws, name, file);
    }
    return Glue::Loaded;
  } catch (...) {
    ReportFailure(ws, CannotReadText(reading ? *reading : Text()));
    return Glue::Failed;
  }
}

struct FileLines {
  std::vector<Text> lines;
  Text name;  // as the log shows it, with the UTF-8 mark
};

// One of the two files of an interleaving, split at its line ends; nothing when refused.
std::optional<FileLines> ReadLines(Workspace& ws, const Text& name) {
  const DecodedTextFile file = ReadTextFile(ws, name);
  HintUtf8Saves(ws, name, file);
  return FileLines{SplitAtCrLf(file.text), name + Utf8Mark(file)};
}

Glue GlueFiles(Workspace& ws, const std::vector<Text>& files) {
  if (!ConfirmReplacingTranslation(ws, W("операция склеивания файлов отменена"))) return Glue::Cancelled;
  ws.PerevodChanged = false;
  ws.PerevodLoaded = false;
  Text glued;
  const Glue read = ReadGlued(ws, files, glued);
  if (read != Glue::Loaded) return read;
  ws.host->pumpEvents();
  const Text text = SqueezeLineBreaks(glued);
  if (text.size() <= 2) {
    AppendLog(ws, W("какие то пустые, эти ваши файлы :-("));
    MarkNotDone(ws);
    return Glue::Empty;
  }
  ws.PerevodArray = SplitAtCrLf(text);
  ws.PerevodLoaded = true;
  ws.PerevodChanged = true;
  ws.PerevodFileName = W("склеенный_файл.txt");
  ws.host->setMainCaption(ws.VersionText + W(" - Склеенный файл"));
  AppendLog(ws, W("загрузили склееный файл"));
  return Glue::Loaded;
}

// A workspace of its own for the extraction, holding a blank image of the ROM's size
// and the identity table, so the user's ROM, table and their flags stay as they are.
Workspace ScratchForExtraction(const Workspace& ws) {
  Workspace scratch(*ws.host);
  scratch.RomImage.assign(ws.RomImage.size(), '\0');
  scratch.CharTable = IdentityCharTable();
  scratch.CharTableLookup = LookupOf(scratch.CharTable);
  scratch.RomLoaded = true;
  scratch.TableLoaded = true;
  scratch.InputRomFileName = ws.InputRomFileName;
  scratch.NumberOfTextChars = ws.NumberOfTextChars;
  scratch.UseHEXaddr = ws.UseHEXaddr;
  scratch.ExtendedLogs = ws.ExtendedLogs;
  scratch.VersionText = ws.VersionText;
  scratch.OverwriteOldFile = ws.OverwriteOldFile;
  scratch.MakeBAKFiles = ws.MakeBAKFiles;
  return scratch;
}

// The scratch workspace's log lines reached the host already; the log text keeps them too.
void KeepScratchLog(Workspace& ws, const Workspace& scratch) {
  if (scratch.LogText.empty()) return;
  if (!ws.LogText.empty()) ws.LogText += "\r\n";
  ws.LogText += scratch.LogText;
}

void ExtractMergedText(Workspace& ws, Workspace& scratch) {
  ws.ReportFileName.clear();
  ws.ReportFileName = ChooseFileName(ws, FileRequest::Kind::Save, W("Сохранить вынутый текст как..."),
                                     W("Файл перевода (*.txt)|*.txt|Все файлы (*.*)|*.*"));
  if (ws.ReportFileName.empty()) {
    MarkNotDone(ws);
    return;
  }
  scratch.ReportFileName = ws.ReportFileName;
  ExtractTextFromRom(scratch);
  ws.ReportFileName = scratch.ReportFileName;
  KeepScratchLog(ws, scratch);
  if (scratch.NotDoneCount != 0) MarkNotDone(ws);
}

}  // namespace

std::vector<Text> IdentityCharTable() {
  std::vector<Text> table;
  table.reserve(256);
  table.emplace_back(1, '\0');
  for (int code = 1; code < 256; ++code) table.push_back(utf8::Of(cp1251::Decode(static_cast<unsigned char>(code))));
  return table;
}

void AppendPerevodFiles(Workspace& ws, const std::vector<Text>& files) {
  GlueFiles(ws, files);
}

void CombinePerevodFiles(Workspace& ws, const std::vector<Text>& files) {
  if (files.size() < 2) {
    AppendLog(ws, W("нужно указывать ДВА файла перевода"));
    MarkNotDone(ws);
    return;
  }
  std::optional<FileLines> aRead;
  std::optional<FileLines> bRead;
  const Text* reading = &files[0];
  try {
    if (!(aRead = ReadLines(ws, files[0]))) return;
    ws.host->pumpEvents();
    reading = &files[1];
    if (!(bRead = ReadLines(ws, files[1]))) return;
  } catch (...) {
    ReportFailure(ws, CannotReadText(*reading));
    return;
  }
  std::vector<Text>& a = aRead->lines;
  std::vector<Text>& b = bRead->lines;
  if (a.size() != b.size()) {
    AppendLog(ws, W("Предупреждение: количество строк в файлах не совпадает"));
    const size_t n = std::max(a.size(), b.size());
    a.resize(n);
    b.resize(n);
  }
  if (!ConfirmReplacingTranslation(ws, W("операция слияния файлов перевода отменена"))) return;
  ws.PerevodChanged = false;
  ws.PerevodLoaded = false;
  Text glued;
  for (size_t i = 0; i < a.size(); ++i) {
    glued += a[i] + "\r\n" + b[i] + "\r\n";
    ws.host->pumpEvents();
  }
  ws.PerevodArray = SplitAtCrLf(SqueezeLineBreaks(glued));
  ws.PerevodChanged = true;
  ws.PerevodLoaded = true;
  // Named beside the first file, so that saving the merge just works.
  ws.PerevodFileName =
      FolderOf(files[0]) + W("слитый_файл_из_") + NameOf(files[0]) + W("_и_") + NameOf(files[1]) + ".txt";
  ws.host->setMainCaption(ws.VersionText + " - " + ws.PerevodFileName);
  AppendLog(ws, W("Слили файлы ") + aRead->name + W(" и ") + bRead->name);
}

void FuzzyCombinePerevodFiles(Workspace& ws, const std::vector<Text>& files) {
  if (!ws.RomLoaded) {
    AppendLog(ws, W("ROM еще не загружен"));
    MarkNotDone(ws);
    return;
  }
  AppendLog(ws, W("Начинаем умное объединение файлов перевода..."));
  const Glue glued = GlueFiles(ws, files);
  if (glued == Glue::Cancelled) return;
  if (!ws.PerevodLoaded) {
    AppendLog(ws, W("Перевод так и не был загружен :-("));
    MarkNotDone(ws);
    return;
  }
  Workspace scratch = ScratchForExtraction(ws);
  WritePerevodIntoImage(ws, scratch.RomImage);
  ExtractMergedText(ws, scratch);
  AppendLog(ws, W("Умное объединение файлов перевода закончено"));
  // The merge lives only in the report file; the glued lines are not a translation to keep.
  ws.PerevodLoaded = false;
  ws.PerevodChanged = false;
  ws.host->setMainCaption(ws.VersionText);
}

void WritePerevodIntoRomImage(Workspace& ws) {
  WritePerevodIntoImage(ws, RomImageToWrite(ws));
}

void WritePerevodIntoImage(Workspace& ws, RomBytes& image) {
  const auto& lines = ws.PerevodArray;
  Progress bar(ws, Bar::Main, 0, static_cast<int>(lines.size()) - 1);
  const auto size = static_cast<std::int64_t>(image.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto parts = ParsePerevodLine(lines[i]);
    if (!parts.hasSeparator) {
      AppendLog(ws, W("Эй!, а где поинтеры ?, Вы чего мне подсунули?"));
    } else if (parts.address < 1 || parts.address > size) {
      AppendLog(ws, W("Адрес ") + Text(parts.field) + W(" вне образа ROM, строку пропустили"));
    } else {
      // A character a byte, as the scratch table reads them back: its Windows-1251 byte.
      size_t at = static_cast<size_t>(parts.address - 1);
      for (size_t pos = 0; pos < parts.text.size() && at < image.size(); ++at)
        image[at] = static_cast<char>(UnknownCharByte(utf8::Next(parts.text, pos)));
    }
    if (i % 100 == 0) bar.set(static_cast<int>(i));
  }
}
