#include "workspace/Rom.h"

#include <cstdio>

#include "workspace/Dialogs.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/RomHeader.h"

namespace {

const char kRomFilter[] = "GameBoy ROM (*.gb;*.gbc;*.gba)|*.gb;*.gbc;*.gba|Все файлы (*.*)|*.*";

}  // namespace

void LoadRom(Workspace& ws) {
  if (!CheckFileExists(ws, ws.InputRomFileName, W("ROM Файл"))) return;
  try {
    // Both images keep their buffers when the new file fits them, so a reload touches no
    // fresh memory; the original shares RomImage's bytes until a commit changes them.
    ReadWholeFileInto(ws.InputRomFileName, ws.RomImage);
    ws.RomOriginalShared = true;
    ReserveImage(ws.RomWorkImage, ws.RomImage.size());
    ws.RomWorkImage.assign(ws.RomImage);
    AppendLog(ws, W("Загрузили ROM: ") + ws.InputRomFileName);
    ws.RomLoaded = true;
  } catch (...) {
    ReportFailure(ws, W("меня взглюкнуло, проверьте, имя и путь входного ROM файла") + "\r\n" + ws.InputRomFileName);
  }
}

void SaveRom(Workspace& ws) {
  // Without a ROM there is nothing to write: an empty file would replace a good one.
  if (!ws.RomLoaded) return ShowRefusal(ws, W("ROM еще не загружен"));
  if (ws.OutputRomFileName.empty()) {
    const Text name = ChooseFileName(ws, FileRequest::Kind::Save, W("Сохранить ROM как..."), W(kRomFilter));
    if (name.empty()) {
      AppendLog(ws, W("Не указано имя файла для сохранения, ROM не сохранен"));
      MarkNotDone(ws);
      return;
    }
    ws.OutputRomFileName = name;
  }
  try {
    CheckHeaderBeforeSave(ws);
    SaveReplacing(ws, ws.OutputRomFileName, ws.RomWorkImage);
    AppendLog(ws, W("ROM сохранен в ") + ws.OutputRomFileName);
    ws.RomChanged = false;
  } catch (...) {
    LogOperationError(ws);
  }
}

Text MakeStamp(const Workspace& ws) {
  const std::tm t = ws.host->localTime();
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%02d-%02d-%04d-%d-%02d-%02d", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900,
                t.tm_hour, t.tm_min, t.tm_sec);
  return stamp;
}

Text BackupName(const Text& name) {
  const auto sep = name.rfind(kPathSeparator);
  const auto dot = name.rfind('.');
  const bool inFile = dot != Text::npos && (sep == Text::npos || dot > sep);
  return (inFile ? name.substr(0, dot) : name) + ".bak";
}

SaveTarget PrepareSaveTarget(Workspace& ws, Text& name) {
  SaveTarget target;
  if (ws.OverwriteOldFile != "YES") {
    target.logLines.push_back(W("такой файл уже есть..."));
    const Text stamp = MakeStamp(ws);
    const auto sep = name.rfind(kPathSeparator);
    name = sep == Text::npos ? stamp + name : name.substr(0, sep + 1) + stamp + "_" + name.substr(sep + 1);
  } else if (ws.MakeBAKFiles != "NO") {
    // A name that already ends in ".bak" is its own backup: the save simply replaces it.
    const Text backup = BackupName(name);
    if (backup == name) return target;
    target.backup = backup;
    target.logLines.push_back(W("старый файл ") + name + W(" переименован в ") + backup);
  } else {
    target.logLines.push_back(W("враги убили старый файл ") + name + ":-)");
  }
  return target;
}

void SaveReplacing(Workspace& ws, Text& name, std::string_view data) {
  SaveTarget target;
  if (RegularFileExists(name)) target = PrepareSaveTarget(ws, name);
  AtomicFileWriter file(name);
  if (!target.backup.empty()) file.keepOldAs(target.backup);
  file.write(data);
  file.commit(true);
  for (const Text& line : target.logLines) AppendLog(ws, line);
}

std::string_view RomOriginalImage(const Workspace& ws) {
  return ws.RomOriginalShared ? ws.RomImage : ws.RomOriginalBytes;
}

void CommitRomWorkImage(Workspace& ws) {
  ReplaceRomImage(ws, ws.RomWorkImage);
  ws.RomChanged = true;
}

void ReplaceRomImage(Workspace& ws, const Text& image) {
  // The first change after a load is when the original gets a buffer of its own: it takes
  // RomImage's whole, and RomImage takes the spare one.
  if (ws.RomOriginalShared) {
    ws.RomOriginalBytes.swap(ws.RomImage);
    ws.RomOriginalShared = false;
  }
  ws.RomImage = image;
}
