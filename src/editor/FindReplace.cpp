#include "editor/FindReplace.h"

#include <algorithm>

#include "editor/ListCommands.h"
#include "editor/TextSearch.h"
#include "workspace/Dialogs.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"

namespace {

Text Quoted(const Text& s) {
  return "\"" + s + "\"";
}

// Calls `visit` for every line, moving the editor's progress bar and letting the window
// breathe every hundred lines.
template <typename Visit>
void ForEachLine(Workspace& ws, Visit visit) {
  const int highest = static_cast<int>(ws.PerevodArray.size()) - 1;
  Progress progress(ws, Bar::Editor, 0, highest);
  for (int i = 0; i <= highest; ++i) {
    if (i % 100 == 0) {
      progress.set(i);
      ws.host->pumpEvents();
    }
    if (static_cast<size_t>(i) >= ws.PerevodArray.size()) break;
    visit(ws.PerevodArray[static_cast<size_t>(i)]);
  }
  progress.set(highest);
}

void LogNotFound(Workspace& ws, const Text& findWhat) {
  AppendLog(ws, W("Подстрока ") + Quoted(findWhat) + W(" не найдена"));
}

}  // namespace

int FindAndReplace(Workspace& ws, const Text& findWhat, const Text& replaceWith, bool caseSense) {
  if (findWhat.empty()) return 0;
  const TextFinder finder(findWhat, caseSense);
  const bool detail = ws.ExtendedLogs == "YES";
  int changed = 0;
  ForEachLine(ws, [&](Text& line) {
    const PerevodLineParts parts = ParsePerevodLine(line);
    if (!parts.hasSeparator || !finder.in(parts.text)) return;
    if (detail)
      AppendLog(ws, W("В строке с указателем=") + Text(parts.field) + W(" подстроку=") + Quoted(findWhat) +
                        W(" заменили на=") + Quoted(replaceWith));
    size_t count = 0;
    line = Text(parts.field) + " " + finder.replaceAll(parts.text, replaceWith, count);
    ++changed;
  });
  if (changed == 0) {
    LogNotFound(ws, findWhat);
    return 0;
  }
  AppendLog(ws, W("изменили") + StrNum(changed) + W(" строк(и) перевода"));
  ws.PerevodChanged = true;
  ResetEditState(ws.Editor);
  return changed;
}

int FindAndDelete(Workspace& ws, const Text& findWhat, bool caseSense) {
  if (findWhat.empty()) return 0;
  const TextFinder finder(findWhat, caseSense);
  const bool detail = ws.ExtendedLogs == "YES";
  int deleted = 0;
  ForEachLine(ws, [&](Text& line) {
    const PerevodLineParts parts = ParsePerevodLine(line);
    if (!parts.hasSeparator || !finder.in(parts.text)) return;
    if (detail) AppendLog(ws, W("Удалили стороку с указателем=") + Text(parts.field));
    line.clear();
    ++deleted;
  });
  if (deleted == 0) {
    LogNotFound(ws, findWhat);
    return 0;
  }
  // Gluing the lines and collapsing the line breaks drops every empty line, also those
  // that were empty before.
  auto& lines = ws.PerevodArray;
  lines.erase(std::remove_if(lines.begin(), lines.end(), [](const Text& l) { return l.empty(); }), lines.end());
  AppendLog(ws, W("удалили") + StrNum(deleted) + W(" строк(и) перевода"));
  ws.PerevodChanged = true;
  ResetEditState(ws.Editor);
  return deleted;
}

std::optional<Text> FindWhatOfRow(const Workspace& ws, int row) {
  if (row < 0 || static_cast<size_t>(row) >= ws.PerevodArray.size()) return std::nullopt;
  const Text& entry = ws.PerevodArray[static_cast<size_t>(row)];
  const PerevodLineParts parts = ParsePerevodLine(entry);
  return parts.hasSeparator ? Text(parts.text) : entry;
}
