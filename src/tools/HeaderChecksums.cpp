#include "tools/HeaderChecksums.h"

#include "textio/Refusals.h"
#include "workspace/Log.h"
#include "workspace/Rom.h"
#include "workspace/RomHeader.h"

bool FixHeaderChecksums(Workspace& ws) {
  if (RefuseWithoutRom(ws)) return false;
  try {
    const std::vector<HeaderChecksum> checks = HeaderChecksums(ws.RomImage);
    if (checks.empty()) {
      AppendLog(ws, W("Заголовок ни Game Boy, ни GBA: контрольные суммы не исправлялись"));
      return true;
    }
    if (!AnyMismatch(checks)) {
      AppendLog(ws, W("Контрольные суммы заголовка в порядке"));
      return true;
    }
    FixHeaderChecksumsIn(ws, StartRomWork(ws));
    CommitRomWorkImage(ws);
    return true;
  } catch (...) {
    LogOperationError(ws);
    return false;
  }
}
