#include "ips/BpsFile.h"

#include <cstdio>
#include <exception>

#include "ips/Bps.h"
#include "ips/IpsFile.h"
#include "textio/Insertion.h"
#include "textio/Refusals.h"
#include "workspace/Dialogs.h"
#include "workspace/Errors.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Rom.h"

namespace {

Text SizeAndCrc(std::uint64_t size, std::uint32_t crc) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(crc));
  return Digits(static_cast<std::int64_t>(size)) + W(" байт, CRC32 ") + hex;
}

// The images and flags that the insertion changes, put back however it ended.
class RomImagesKept {
 public:
  explicit RomImagesKept(Workspace& ws)
      : ws_(ws),
        image_(std::move(ws.RomImage)),
        work_(std::move(ws.RomWork)),
        original_(std::move(ws.RomOriginalBytes)),
        shared_(ws.RomOriginalShared),
        changed_(ws.RomChanged) {}
  ~RomImagesKept() {
    ws_.RomImage = std::move(image_);
    ws_.RomWork = std::move(work_);
    ws_.RomOriginalBytes = std::move(original_);
    ws_.RomOriginalShared = shared_;
    ws_.RomChanged = changed_;
  }
  RomImagesKept(const RomImagesKept&) = delete;
  RomImagesKept& operator=(const RomImagesKept&) = delete;

 private:
  Workspace& ws_;
  RomBytes image_;
  RomWorkCopy work_;
  RomBytes original_;
  bool shared_;
  bool changed_;
};

// True to go on: the ROM (whose CRC32 is `crc`) is the one the patch was made for, or the
// user says apply anyway.
bool SourceAccepted(Workspace& ws, const BpsPatch& patch, std::uint32_t crc) {
  if (ws.RomImage.size() == patch.sourceSize && crc == patch.sourceCrc) return true;
  const Text question = W("BPS сделан для другого ROM. Применить всё равно?") + "\r\n" + W("ROM: ") +
                        SizeAndCrc(ws.RomImage.size(), crc) + "\r\n" + W("BPS ждет: ") +
                        SizeAndCrc(patch.sourceSize, patch.sourceCrc);
  if (ws.host->message(question, Buttons::YesNo, Icon::Exclamation) == Answer::Yes) return true;
  AppendLog(ws, W("BPS не применен: он сделан для другого ROM"));
  MarkNotDone(ws);
  return false;
}

}  // namespace

bool SaveBpsOf(Workspace& ws, std::string_view source, std::string_view target) {
  try {
    const Text patch = CreateBps(source, target);
    return SavePatchFile(ws, ws.OutputBPSFileName, W("Сохранить изменения ROM как BPS..."), W(kBpsFilter), "BPS",
                         patch);
  } catch (...) {
    LogOperationError(ws);
    return false;
  }
}

void SaveBps(Workspace& ws) {
  if (RefuseWithoutRom(ws)) return;
  SaveBpsOf(ws, RomOriginalImage(ws), ws.RomImage);
}

void GenerateBpsFromPerevod(Workspace& ws) {
  // Without a ROM the insertion refuses, in its own order of refusals.
  if (!ws.RomLoaded) {
    PutPerevodInRom(ws, 0);
    return;
  }
  RomBytes translated;
  try {
    const RomBytes original(RomOriginalImage(ws));
    const RomImagesKept kept(ws);
    ws.RomImage = original;
    ws.RomOriginalShared = true;
    if (!PutPerevodInRom(ws, 0)) return;
    translated = std::move(ws.RomImage);
  } catch (...) {
    return LogOperationError(ws);
  }
  AppendLog(ws, W("Сгенерировали BPS из перевода"));
  SaveBpsOf(ws, RomOriginalImage(ws), translated);
}

void ApplyBps(Workspace& ws) {
  if (RefuseWithoutRom(ws)) return;
  if (!CheckFileExists(ws, ws.BPSFileName, W("BPS Файл"))) return;
  Text file;
  BpsPatch patch;
  try {
    file = ReadWholeFile(ws.BPSFileName);
    patch = ReadBpsPatch(file);
    CheckBpsActions(patch);
  } catch (...) {
    return ReportFailure(ws, W("меня взглюкнуло, проверьте, имя и путь входного BPS файла") + "\r\n" + ws.BPSFileName);
  }
  // The target is built while a second thread sums the source; a ROM the patch was not made
  // for is asked about before anything built is taken (or its fault told).
  Crc32Behind sourceCrc(ws.RomImage);
  std::exception_ptr failed;
  try {
    // Built in the work image, whose buffer a loaded ROM already has.
    RomBytes& work = RomWorkBuffer(ws);
    ReserveImage(work, static_cast<size_t>(patch.targetSize));
    ApplyBpsPatchInto(patch, ws.RomImage, work);
  } catch (...) {
    failed = std::current_exception();
  }
  if (!SourceAccepted(ws, patch, sourceCrc.get())) return DiscardRomWork(ws);
  try {
    if (failed) std::rethrow_exception(failed);
    if (Crc32OfImage(RomWorkImage(ws)) != patch.targetCrc)
      throw OperationError(kErrBadBps, W("BPS: контрольная сумма результата не совпадает, ROM не изменен"));
    AppendLog(ws, W("Применили изменения из BPS файла: ") + ws.BPSFileName + W(" к ROM файлу: ") + ws.InputRomFileName);
    CommitRomWorkImage(ws);
  } catch (...) {
    // A target that failed or does not match its checksum leaves the ROM as it was.
    DiscardRomWork(ws);
    LogOperationError(ws);
  }
}
