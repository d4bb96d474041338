#include "workspace/Workspace.h"

#include "workspace/Files.h"
#include "workspace/Settings.h"

void InitWorkspace(Workspace& ws, const Text& cwd) {
  ws.PerevodArray.assign(1, Text());
  ws.ExtendedLogs = "YES";
  ws.SettingsFilePath = JoinPath(cwd, "tarvello.ini");
  ApplySettingsText(ws, Text());
  ws.VersionText = "Tarvello 1.41b";
  ws.AboutText = ws.VersionText + W(
      "\r\n\r\nВерстак переводчика игр Game Boy, Game Boy Color и Game Boy Advance."
      "\r\n\r\nТаблицы, извлечение и возврат текста, указатели GBA, IPS, словари, "
      "дампер, генератор таблиц и транспонирование тайлов."
      "\r\n\r\nСпасибо всем, кто переводит игры и делится своими таблицами и патчами.");
  ApplyStartupDefaults(ws, cwd);
}

void ApplyStartupDefaults(Workspace& ws, const Text& cwd) {
  if (ws.HelpFileName.empty()) ws.HelpFileName = JoinPath(cwd, "tarvellohelp.rtf");
  if (ws.NumberOfTextChars < 1) ws.NumberOfTextChars = 2;
  if (ws.magicIterator == 0) ws.magicIterator = 100;
  if (ws.EmulatorCommand.empty()) ws.EmulatorCommand = kDefaultEmulatorCommand;
}
