#include "textio/Refusals.h"

#include "workspace/CharTable.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"

bool RefuseWithoutPerevod(Workspace& ws) {
  if (ws.PerevodLoaded) return false;
  ShowRefusal(ws, W("Файл с переводом еще не загружен"));
  return true;
}

bool RefuseWithoutRom(Workspace& ws) {
  if (ws.RomLoaded) return false;
  ShowRefusal(ws, W("ROM еще не загружен"));
  return true;
}

void WarnIfSingleLine(Workspace& ws) {
  // The highest index is 0 for one line and, at start-up, for the one empty line; an
  // empty file loads as no lines at all and is not warned about.
  if (ws.PerevodArray.size() == 1)
    ws.host->message(W("Маловааато будет :-), может еще строчку ?"), Buttons::Ok, Icon::Critical);
}

void WarnZeroAddress(Workspace& ws) {
  AppendLog(ws, W("ПРЕДУПРЕЖДЕНИЕ: Указатель на нулевое смещение в ROM'e, так и задумано?(...продолжим)"));
}

void WarnNoGbaPointer(Workspace& ws, std::int64_t address) {
  AppendLog(ws, W("ПРЕДУПРЕЖДЕНИЕ: на адрес") + AddressNum(address) +
                    W(" GBA поинтер не указывает (только на адреса от 1 до 33554432), строку пропускаем"));
}

bool RefuseWithoutRomOrTable(Workspace& ws) {
  if (!ws.RomLoaded) LoadRom(ws);
  if (!ws.TableLoaded) LoadTable(ws);
  Text refusal;
  if (!ws.RomLoaded)
    refusal = W("Сначала надо загрузить ROM");
  else if (!ws.TableLoaded)
    refusal = W("Сначала надо загрузить Таблицу");
  if (refusal.empty()) return false;
  ws.host->message(refusal, Buttons::Ok, Icon::Critical);
  AppendLog(ws, refusal);
  MarkNotDone(ws);
  return true;
}
