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
    Text image = ReadWholeFile(ws.InputRomFileName);
    // assign() reuses the working copy's buffer, so reloading a ROM of the same size
    // allocates only the one buffer the file is read into.
    ws.RomWorkImage.assign(image);
    ws.RomImage.swap(image);
    AppendLog(ws, W("Загрузили ROM: ") + ws.InputRomFileName);
    ws.RomLoaded = true;
  } catch (...) {
    ReportFailure(ws, W("меня взглюкнуло, проверьте, имя и путь входного ROM файла") + "\r\n" + ws.InputRomFileName);
  }
}

void SaveRom(Workspace& ws) {
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
    if (RegularFileExists(ws.OutputRomFileName)) PrepareSaveTarget(ws, ws.OutputRomFileName);
    WriteFileAtomically(ws.OutputRomFileName, ws.RomWorkImage);
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
  const auto dot = name.rfind('.');
  return (dot == Text::npos ? name : name.substr(0, dot)) + ".bak";
}

void PrepareSaveTarget(Workspace& ws, Text& name) {
  if (ws.OverwriteOldFile != "YES") {
    AppendLog(ws, W("такой файл уже есть..."));
    const Text stamp = MakeStamp(ws);
    const auto sep = name.rfind(kPathSeparator);
    name = sep == Text::npos ? stamp + name : name.substr(0, sep + 1) + stamp + "_" + name.substr(sep + 1);
  } else if (ws.MakeBAKFiles != "NO") {
    const Text backup = BackupName(name);
    if (FileExists(backup)) RemoveFile(backup);
    RenameFile(name, backup);
    AppendLog(ws, W("старый файл ") + name + W(" переименован в ") + backup);
  } else {
    // The old file goes only when the new one is complete: the save's rename replaces it.
    AppendLog(ws, W("враги убили старый файл ") + name + ":-)");
  }
}

void CommitRomWorkImage(Workspace& ws) {
  ws.RomImage = ws.RomWorkImage;
  ws.RomChanged = true;
}
