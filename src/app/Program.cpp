#include "app/Program.h"

#include "ips/IpsFile.h"
#include "processing/Dictionary.h"
#include "workspace/CharTable.h"
#include "workspace/Dialogs.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"
#include "workspace/Settings.h"

namespace {

const char kHelpFile[] = "tarvellohelp.rtf";

struct SaveQuestion {
  bool Workspace::*changed;
  const char* question;
  void (*save)(Workspace&);
  // The save dialog of the menu's "... as" command, shown when the file has no name
  // yet; null where the save asks for a name itself (ROM, patch).
  Text Workspace::*name = nullptr;
  const char* title = nullptr;
  const char* filter = nullptr;
};

// Translation, ROM, generated IPS, table, word-for-word dictionary: in this order.
const SaveQuestion kSaveQuestions[] = {
    {&Workspace::PerevodChanged, "Будем сохранять изменения перевода ?", SavePerevod, &Workspace::PerevodFileName,
     "Сохранить перевод как...", "Файл перевода (*.txt)|*.txt|Все файлы (*.*)|*.*"},
    {&Workspace::RomChanged, "Будем сохранять пропатченый ROM ?", SaveRom},
    {&Workspace::IpsChanged, "Будем сохранять сгенерированный IPS ?", SaveIpsAs},
    {&Workspace::TableChanged, "Будем сохранять таблицу ?", SaveTable, &Workspace::TableFileName,
     "Сохранить таблицу как...", "Файл таблицы (*.tbl)|*.tbl|Все файлы (*.*)|*.*"},
    {&Workspace::TRVocabularyChanged, "Будем сохранять исправленный словарь ?", SaveTRVocabulary,
     &Workspace::TRVocabularyFile, "Сохранить словарь как...", "Файл словаря (*.txt)|*.txt|Все файлы (*.*)|*.*"},
};

// A Yes to the question saves; work that has no file yet (a translation typed from
// nothing) gets the save dialog first, or it would be gone with the program.
void SaveOnExit(Workspace& ws, const SaveQuestion& q) {
  if (q.name && (ws.*q.name).empty()) {
    const Text chosen = ChooseFileName(ws, FileRequest::Kind::Save, W(q.title), W(q.filter));
    if (chosen.empty()) return;
    ws.*q.name = chosen;
  }
  q.save(ws);
}

}  // namespace

void StartProgram(Workspace& ws, const Text& cwd, bool hasCommandLine, const std::vector<Text>& dataFolders) {
  InitWorkspace(ws, cwd);
  ReadSettings(ws);
  ApplyStartupDefaults(ws, cwd);
  // Started from a desktop menu the working folder is the home folder: the guide that
  // was installed with the program is the one to show.
  if (ws.HelpFileName == JoinPath(cwd, kHelpFile) && !RegularFileExists(ws.HelpFileName)) {
    for (const Text& folder : dataFolders) {
      const Text there = JoinPath(folder, kHelpFile);
      if (!RegularFileExists(there)) continue;
      ws.HelpFileName = there;
      break;
    }
  }
  if (hasCommandLine)
    ws.host->message(W("Пакетной обработки нет") + "\r\n" + W("желаюшие могут добавить. :-)"), Buttons::Ok, Icon::None);
}

void ExitProgram(Workspace& ws) {
  WriteSettings(ws);
  for (const SaveQuestion& q : kSaveQuestions) {
    if (!(ws.*q.changed)) continue;
    if (ws.host->message(W(q.question), Buttons::YesNo, Icon::None) != Answer::Yes) continue;
    SaveOnExit(ws, q);
  }
  SaveLogFile(ws);
}
