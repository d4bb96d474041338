#include "app/Program.h"

#include "ips/IpsFile.h"
#include "processing/Dictionary.h"
#include "workspace/CharTable.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"
#include "workspace/Settings.h"

namespace {

struct SaveQuestion {
  bool Workspace::*changed;
  const char* question;
  void (*save)(Workspace&);
};

// Translation, ROM, generated IPS, table, word-for-word dictionary: in this order.
const SaveQuestion kSaveQuestions[] = {
    {&Workspace::PerevodChanged, "Будем сохранять изменения перевода ?", SavePerevod},
    {&Workspace::RomChanged, "Будем сохранять пропатченый ROM ?", SaveRom},
    {&Workspace::IpsChanged, "Будем сохранять сгенерированный IPS ?", SaveIpsAs},
    {&Workspace::TableChanged, "Будем сохранять таблицу ?", SaveTable},
    {&Workspace::TRVocabularyChanged, "Будем сохранять исправленный словарь ?", SaveTRVocabulary},
};

}  // namespace

void StartProgram(Workspace& ws, const Text& cwd, bool hasCommandLine) {
  InitWorkspace(ws, cwd);
  ReadSettings(ws);
  ApplyStartupDefaults(ws, cwd);
  if (hasCommandLine)
    ws.host->message(W("Пакетной обработки нет") + "\r\n" + W("желаюшие могут добавить. :-)"), Buttons::Ok, Icon::None);
}

void ExitProgram(Workspace& ws) {
  WriteSettings(ws);
  for (const SaveQuestion& q : kSaveQuestions) {
    if (!(ws.*q.changed)) continue;
    if (ws.host->message(W(q.question), Buttons::YesNo, Icon::None) != Answer::Yes) continue;
    q.save(ws);
  }
  SaveLogFile(ws);
}
