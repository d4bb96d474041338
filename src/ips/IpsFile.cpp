#include "ips/IpsFile.h"

#include <algorithm>
#include <climits>

#include "ips/IpsRecords.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Rom.h"

namespace {

constexpr size_t kProgressSteps = 256;

int ClampToInt(size_t n) {
  return static_cast<int>(std::min<size_t>(n, INT_MAX));
}

}  // namespace

IpsProgress::IpsProgress(Workspace& ws, size_t length)
    : bar_(ws, Bar::Main, 0, ClampToInt(length)), step_(std::max<size_t>(1, length / kProgressSteps)) {}

void IpsProgress::move(size_t position) {
  bar_.set(ClampToInt(position));
  next_ = position + step_;
}

void IpsRefusal(Workspace& ws, const Text& text) {
  ShowRefusal(ws, text);
}

Text IpsCutShortWarning() {
  return W("ПРЕДУПРЕЖДЕНИЕ: IPS файл обрезан, последняя запись неполная, взято только то, что в ней есть");
}

bool CheckIpsImage(Workspace& ws) {
  if (ws.IpsImage.empty()) {
    AppendLog(ws, W("нулевая длинна IPS файла :-("));
    MarkNotDone(ws);
    return false;
  }
  if (!HasIpsHeader(ws.IpsImage)) {
    ws.host->message(W("Это не IPS файл"), Buttons::Ok, Icon::Critical);
    AppendLog(ws, W("в IPS файле нет нужного заголовка"));
    MarkNotDone(ws);
    return false;
  }
  return true;
}

void LoadIps(Workspace& ws) {
  if (!CheckFileExists(ws, ws.IPSFileName, W("IPS Файл"))) return;
  try {
    ws.IpsImage = ReadWholeFile(ws.IPSFileName);
    AppendLog(ws, W("Загрузили IPS: ") + ws.IPSFileName);
    ws.IpsLoaded = true;
  } catch (...) {
    ReportFailure(ws, W("меня взглюкнуло, проверьте, имя и путь входного IPS файла") + "\r\n" + ws.IPSFileName);
  }
}

void ApplyIps(Workspace& ws) {
  if (!ws.IpsLoaded) return IpsRefusal(ws, W("IPS файл не загружен"));
  if (!ws.RomLoaded) return IpsRefusal(ws, W("Входной ROM не загружен"));
  if (!CheckIpsImage(ws)) return;
  try {
    IpsProgress progress(ws, ws.IpsImage.size() - kIpsHeader.size());
    std::optional<std::uint32_t> size;
    const IpsScanEnd end = ApplyIpsRecords(
        ws.IpsImage, ContinueRomWork(ws), [&progress](size_t p) { progress.at(p); }, &size);
    // A patch cut short is applied as far as it goes; the user must still hear that it
    // was incomplete, or a damaged download passes for a good one.
    if (end == IpsScanEnd::CutShort) AppendLog(ws, IpsCutShortWarning());
    if (size) AppendLog(ws, W("Размер ROM задан IPS файлом: ") + Digits(*size) + W(" байт"));
    AppendLog(ws, W("Применили изменения из IPS файла: ") + ws.IPSFileName + W(" к ROM файлу: ") + ws.InputRomFileName);
    CommitRomWorkImage(ws);
  } catch (...) {
    // The records written so far stay in the working copy; RomImage and RomChanged do not
    // see a half-applied patch.
    LogOperationError(ws);
  }
}

void SaveIpsAs(Workspace& ws) {
  // Nothing loaded or generated: an empty file would replace a good patch.
  if (!ws.IpsLoaded) return ShowRefusal(ws, W("IPS еще не загружен"));
  if (SavePatchFile(ws, ws.OutputIPSFileName, W("Сохранить IPS как..."), W(kIpsFilter), "IPS", ws.IpsImage))
    ws.IpsChanged = false;
}

bool SavePatchFile(Workspace& ws, Text& name, const Text& title, const Text& filter, const Text& kind,
                   std::string_view bytes) {
  if (name.empty()) {
    name = ChooseFileName(ws, FileRequest::Kind::Save, title, filter);
    if (name.empty()) {
      AppendLog(ws, W("Не указано имя файла для сохранения, ") + kind + W(" не сохранен"));
      MarkNotDone(ws);
      return false;
    }
  }
  try {
    const bool replacing = FileExists(name);
    // The old file goes only when the new one is complete: the write's rename replaces it.
    WriteFileAtomically(name, bytes);
    if (replacing) AppendLog(ws, W("враги убили старый файл ") + name + ":-)");
    AppendLog(ws, kind + W(" сохранен в ") + name);
    return true;
  } catch (...) {
    LogOperationError(ws);
    return false;
  }
}
