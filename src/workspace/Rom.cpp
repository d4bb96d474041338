#include "workspace/Rom.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

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
    // The file goes into a spare buffer and takes RomImage's place only once read whole,
    // so a read that fails part way changes no image. The spare is the working copy's
    // buffer whenever the copy is RomImage itself (after every completed operation), so a
    // reload touches no fresh memory. The original and the copy are then RomImage itself.
    RomBytes fresh;
    RomBytes& into = ws.RomWork.own_ ? fresh : ws.RomWork.bytes_;
    ReadWholeFileInto(ws.InputRomFileName, into);
    ws.RomImage.swap(into);
    ws.RomOriginalShared = true;
    ws.RomWork.own_ = false;
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
    SaveReplacing(ws, ws.OutputRomFileName, RomWorkImage(ws));
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

size_t StampLength(std::string_view file) {
  // Day, month, year, hour, minute, second: digits of these widths, "-" between them.
  static constexpr std::pair<size_t, size_t> kFields[] = {{2, 2}, {2, 2}, {4, 4}, {1, 2}, {2, 2}, {2, 2}};
  size_t at = 0;
  const auto digits = [&file](size_t from) {
    size_t end = from;
    while (end < file.size() && file[end] >= '0' && file[end] <= '9') ++end;
    return end - from;
  };
  for (size_t k = 0; k < std::size(kFields); ++k) {
    if (k > 0 && (at >= file.size() || file[at++] != '-')) return 0;
    const size_t n = std::min(digits(at), kFields[k].second);
    if (n < kFields[k].first) return 0;
    at += n;
  }
  // The counter of a second save in the same second.
  if (at + 1 < file.size() && file[at] == '-' && digits(at + 1) > 0) at += 1 + digits(at + 1);
  return at;
}

SaveTarget PrepareSaveTarget(Workspace& ws, Text& name) {
  SaveTarget target;
  if (ws.OverwriteOldFile != "YES") {
    target.logLines.push_back(W("такой файл уже есть..."));
    const Text stamp = MakeStamp(ws);
    const auto sep = name.rfind(kPathSeparator);
    const Text dir = sep == Text::npos ? Text() : name.substr(0, sep + 1);
    const Text joint = sep == Text::npos ? Text() : Text("_");
    Text file = sep == Text::npos ? name : name.substr(sep + 1);
    // A name an earlier save stamped is stamped anew, so stamps never pile up.
    if (const size_t stamped = StampLength(file); stamped > 0 && file.compare(stamped, joint.size(), joint) == 0)
      file.erase(0, stamped + joint.size());
    // Two saves in one second would give one name: the second takes a counter, and the
    // save never replaces a file that took its name meanwhile.
    name = dir + stamp + joint + file;
    for (int counter = 2; PathExists(name); ++counter) name = dir + stamp + "-" + Digits(counter) + joint + file;
    target.replace = false;
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
  if (!target.replace) file.neverReplace();
  file.write(data);
  file.commit(true);
  for (const Text& line : target.logLines) AppendLog(ws, line);
}

std::string_view RomOriginalImage(const Workspace& ws) {
  return ws.RomOriginalShared ? ws.RomImage : ws.RomOriginalBytes;
}

std::string_view RomWorkImage(const Workspace& ws) {
  return ws.RomWork.own_ ? ws.RomWork.bytes_ : ws.RomImage;
}

RomBytes& StartRomWork(Workspace& ws) {
  ReserveImage(ws.RomWork.bytes_, ws.RomImage.size());
  ws.RomWork.bytes_.assign(ws.RomImage);
  ws.RomWork.own_ = true;
  return ws.RomWork.bytes_;
}

RomBytes& ContinueRomWork(Workspace& ws) {
  return ws.RomWork.own_ ? ws.RomWork.bytes_ : StartRomWork(ws);
}

RomBytes& RomWorkBuffer(Workspace& ws) {
  ws.RomWork.own_ = true;
  return ws.RomWork.bytes_;
}

void DiscardRomWork(Workspace& ws) {
  ws.RomWork.own_ = false;
}

RomBytes& RomImageToWrite(Workspace& ws) {
  ContinueRomWork(ws);
  if (ws.RomOriginalShared) {
    ws.RomOriginalBytes.assign(ws.RomImage);
    ws.RomOriginalShared = false;
  }
  return ws.RomImage;
}

void AdoptRomWorkImage(Workspace& ws) {
  if (!ws.RomWork.own_) return;
  // The first change after a load is when the original gets a buffer of its own: it takes
  // RomImage's whole, and RomImage takes the spare one. The images then trade buffers, so
  // a commit copies nothing and the copy keeps a buffer for the next operation.
  if (ws.RomOriginalShared) {
    ws.RomOriginalBytes.swap(ws.RomImage);
    ws.RomOriginalShared = false;
  }
  ws.RomImage.swap(ws.RomWork.bytes_);
  ws.RomWork.own_ = false;
}

void CommitRomWorkImage(Workspace& ws) {
  AdoptRomWorkImage(ws);
  ws.RomChanged = true;
}
