#include "editor/ListCommands.h"

#include <algorithm>

#include "editor/TextSearch.h"
#include "workspace/Dialogs.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"

namespace {

// The address part for the deletion log; an entry without a space shows whole.
Text AddressPart(const Text& entry) {
  const PerevodLineParts parts = ParsePerevodLine(entry);
  return parts.hasSeparator ? Text(parts.field) : entry;
}

void RemoveEmptyEntries(std::vector<Text>& lines) {
  lines.erase(std::remove_if(lines.begin(), lines.end(), [](const Text& l) { return l.empty(); }), lines.end());
}

bool IsEntry(const Workspace& ws, int index) {
  return index >= 0 && static_cast<size_t>(index) < ws.PerevodArray.size();
}

}  // namespace

void warning32k(Workspace& ws) {
  const Text text = W("Извините, но ListBox имени Micro$oft") + "\r\n" +
                    W("поддерживает адресацию только 32767 элементов,") + "\r\n" +
                    W("поэтому больше 32767 строк редактировать") + "\r\n" + W("пока нельзя :-(") + "\r\n" +
                    W("остальные строки не видны, НО НЕ ПОТЕРЯНЫ!!...");
  ws.host->message(text, Buttons::Ok, Icon::None);
}

int FillTheListBox(Workspace& ws, const std::function<void(int begin, int end)>& add) {
  int last = static_cast<int>(std::min<size_t>(ws.PerevodArray.size(), kListLimit + 1)) - 1;
  if (last > kListLimit - 1) {
    last = kListLimit - 1;
    warning32k(ws);
  }
  if (last < 0) return 0;
  Progress progress(ws, Bar::Main, 0, std::max(last, 1));
  for (int begin = 0; begin <= last; begin += 100) {
    progress.set(begin);
    const int chunkEnd = std::min(begin + 100, last + 1);
    int end = begin;
    while (end < chunkEnd && !ws.PerevodArray[static_cast<size_t>(end)].empty()) ++end;
    if (end > begin) add(begin, end);
    if (end < chunkEnd) {
      ws.host->message(
          W("в файле перевода недопустимы пустые строки") + "\r\n" + W("покажу строки только, до первой пустой строки"),
          Buttons::Ok, Icon::None);
      return end;
    }
  }
  return last + 1;
}

std::vector<int> AscendingRows(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

std::optional<int> RowAfterRefill(int row, int listCount) {
  if (row < 0 || listCount <= 0) return std::nullopt;
  return std::min(row, listCount - 1);
}

bool ConfirmRowsCommand(Workspace& ws, size_t selectedCount, const Text& question) {
  if (selectedCount == 1) return true;
  return ws.host->message(question, Buttons::OkCancel, Icon::None) == Answer::Ok;
}

void ResetEditState(EditorState& st) {
  st.RowAddress = 0;
  st.EditTextLength = st.OrigTextLength = 0;
  st.EditText.clear();
  st.OrigText.clear();
  st.CurrentRow = -1;
}

void DeleteSelectedLines(Workspace& ws, const std::vector<int>& selected) {
  const auto n = static_cast<int>(selected.size());
  if (n == 0) return;
  {
    Progress progress(ws, Bar::Editor, 0, n);
    const bool detail = ws.ExtendedLogs == "YES";
    int done = 0;
    for (int index : selected) {
      if (done % 100 == 0) progress.set(done);
      if (!IsEntry(ws, index)) continue;
      Text& entry = ws.PerevodArray[static_cast<size_t>(index)];
      if (detail) AppendLog(ws, W("Удалили стороку с указателем=") + AddressPart(entry));
      entry.clear();
      ++done;
    }
    RemoveEmptyEntries(ws.PerevodArray);
    AppendLog(ws, W("удалили") + StrNum(n) + W(" строк перевода"));
    ws.PerevodChanged = true;
    progress.set(n);
  }
  ResetEditState(ws.Editor);
}

void UcaseSelectedLines(Workspace& ws, const std::vector<int>& selected, const Text& caseText) {
  const auto n = static_cast<int>(selected.size());
  if (n == 0) return;
  const bool upper = utf8::Upper(caseText) == "U";
  Progress progress(ws, Bar::Editor, 0, n);
  int done = 0;
  for (int index : selected) {
    if (done % 100 == 0) progress.set(done);
    if (!IsEntry(ws, index)) continue;
    Text& entry = ws.PerevodArray[static_cast<size_t>(index)];
    entry = upper ? utf8::Upper(entry) : utf8::Lower(entry);
    ++done;
  }
  AppendLog(ws, (upper ? W("подняли регистр  у") : W("опустили регистр у")) + StrNum(n) + W(" строк перевода"));
  ws.PerevodChanged = true;
}

std::optional<int> FindString(Workspace& ws, int current, int listCount) {
  const Text prompt = W("Ввведите строку для поиска") + "\r\n" +
                      W("искать будем только в том, что загружено в listbox") + "\r\n" +
                      W("(можно писать любую часть того, что вы видите в listbox'е) регистр НЕ важен");
  const auto answer = ws.host->inputBox(prompt, W("Поиск"), ws.Editor.LastFindString);
  ws.Editor.LastFindString = answer.value_or(Text());
  if (ws.Editor.LastFindString.empty()) return std::nullopt;
  const int start = current < 0 ? 0 : current + 1;
  const int last = std::min(listCount, static_cast<int>(ws.PerevodArray.size())) - 1;
  const TextFinder finder(ws.Editor.LastFindString, false);
  for (int i = start; i <= last; ++i)
    if (finder.in(ws.PerevodArray[static_cast<size_t>(i)])) return i;
  ws.host->message(W("Строка не найдена"), Buttons::Ok, Icon::None);
  // Past the last line there is no line to move to; the current one stays.
  if (start > last) return std::nullopt;
  return start;
}
