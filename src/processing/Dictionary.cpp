#include "processing/Dictionary.h"

#include "processing/LineBreaks.h"
#include "processing/MassReplace.h"
#include "workspace/Dialogs.h"
#include "workspace/Errors.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/TextFile.h"

namespace {

Text Quoted(const Text& s) {
  return "\"" + s + "\"";
}

// Inside a catch block. A missing folder gets the dictionary's own box and log line.
void ReportDictionaryFailure(Workspace& ws) {
  try {
    throw;
  } catch (const OperationError& e) {
    if (!e.pathNotFound()) return LogOperationError(ws);
    ReportPathNotFound(ws, W("проверьте, имя и путь файла словаря") + "\r\n" + ws.TRVocabularyFile);
    AppendLog(ws, W("Ошибка, проверьте имя и путь файла словаря") + "\r\n" + ws.TRVocabularyFile);
  } catch (...) {
    LogOperationError(ws);
  }
}

// The dictionary files are opened for update: a missing file in an existing folder
// is created empty, and then holds no pairs.
DecodedTextFile ReadOrCreate(Workspace& ws, const Text& name) {
  if (!FileExists(name)) WriteFileAtomically(name, "");
  return ReadTextFile(ws, name);
}

std::vector<Text> DictionaryLines(std::string_view data) {
  while (data.ends_with("\r\n")) data.remove_suffix(2);
  if (data.empty()) throw OperationError(kErrUnexpected, W("в файле словаря нет ни одной строки"));
  return SplitAtCrLf(data);
}

// Takes the pairs in file order. A rejected pair stays in the slot it was read into
// until the next pair overwrites it, so the slot after the accepted ones may hold it.
TRVocabularyData AcceptPairs(Workspace& ws, const std::vector<Text>& lines) {
  TRVocabularyData voc;
  const size_t slots = (lines.size() + 1) / 2;
  voc.words.assign(slots, Text());
  voc.replacements.assign(slots, Text());
  size_t k = 0;
  for (size_t p = 0; p < slots; ++p) {
    Text& word = voc.words[k];
    Text& replacement = voc.replacements[k];
    word = lines[2 * p];
    if (2 * p + 1 < lines.size()) replacement = lines[2 * p + 1];
    if (utf8::Length(word) != utf8::Length(replacement)) {
      AppendLog(ws, W("Внимание: длинна слова для поиска ") + Quoted(word) + W(" не совпадает с длинной перевода ") +
                        Quoted(replacement));
      if (ws.IgnoreTRVocWarnings != "YES") {
        AppendLog(ws, W("[пропустим]"));
        continue;
      }
      AppendLog(ws, W("[добавим на ваш страх и риск...]"));
    } else if (ws.ExtendedLogs == "YES") {
      AppendLog(ws, W("Слово ") + Quoted(word) + W(" будем заменять на ") + Quoted(replacement));
    }
    ++k;
  }
  voc.count = static_cast<int>(k);
  voc.loaded = k > 0;
  return voc;
}

}  // namespace

TRVocabularyData ParseTRVocabulary(Workspace& ws, std::string_view data) {
  return AcceptPairs(ws, DictionaryLines(data));
}

void LoadTRVocabulary(Workspace& ws) {
  ws.TRVocabulary.loaded = false;
  if (ws.TRVocabularyFile.empty()) {
    AppendLog(ws, W("Не задано имя файла словаря..."));
    MarkNotDone(ws);
    return;
  }
  AppendLog(ws, W("Читаем файл словаря для по-словного перевода ") + ws.TRVocabularyFile);
  DecodedTextFile file;
  try {
    file = ReadOrCreate(ws, ws.TRVocabularyFile);
    ws.TRVocabulary = ParseTRVocabulary(ws, file.text);
  } catch (...) {
    ReportDictionaryFailure(ws);
    return;
  }
  if (ws.TRVocabulary.count == 0)
    AppendLog(ws, W("Ни каких слов для перевода по словарю, загрузить не удалось :-(") + Utf8Mark(file));
  else
    AppendLog(ws,
              W("Загрузили ") + StrNum(ws.TRVocabulary.count) + W(" слов(а) для перевода по словарю") + Utf8Mark(file));
  HintUtf8Saves(ws, ws.TRVocabularyFile, file);
}

void TranslateByVocabulary(Workspace& ws) {
  const auto& voc = ws.TRVocabulary;
  if (!voc.loaded) {
    AppendLog(ws, W("словарь не загружен..."));
    MarkNotDone(ws);
    return;
  }
  ws.host->closeWindow(Window::EditForm);
  const bool extended = ws.ExtendedLogs == "YES";
  TranslationTexts texts(ws.PerevodArray);
  std::int64_t total = 0;
  {
    Progress bar(ws, Bar::Main, 0, voc.count - 1);
    for (int i = 0; i < voc.count; ++i) {
      const Text& word = voc.words[static_cast<size_t>(i)];
      const Text& replacement = voc.replacements[static_cast<size_t>(i)];
      bar.set(i);
      ws.host->pumpEvents();
      const auto logLine = [&](size_t line) {
        if (!extended) return;
        const Text& whole = ws.PerevodArray[line];
        AppendLog(ws, W("В строке с указателем=") + whole.substr(0, whole.find(' ')) + W(" подстроку=") + Quoted(word) +
                          W(" заменили на=") + Quoted(replacement));
      };
      const auto changed = static_cast<std::int64_t>(texts.replaceAll(word, replacement, logLine));
      total += changed;
      if (changed > 0) {
        if (extended) AppendLog(ws, W("изменили") + StrNum(changed) + W(" строк(и) перевода"));
        ws.PerevodChanged = true;
      } else if (extended) {
        AppendLog(ws, W("Подстрока ") + Quoted(word) + W(" не найдена"));
      }
    }
    texts.writeBack(ws.PerevodArray);
  }
  AppendLog(ws, W("Всего сделано изменений ") + StrNum(total) + W(" штук(и)"));
}

void AddLeadingSpaceToTRWords(Workspace& ws) {
  auto& voc = ws.TRVocabulary;
  if (!voc.loaded) {
    AppendLog(ws, W("Словарь еще не загружен"));
    MarkNotDone(ws);
    return;
  }
  if (voc.words.size() < 2) {
    AppendLog(ws, W("А словарь то, пустой :-("));
    MarkNotDone(ws);
    return;
  }
  AppendLog(ws, W("Доклеивание пробелов к словам словаря"));
  for (size_t s = 0; s < voc.words.size(); ++s) {
    if (voc.words[s].starts_with(' ')) continue;
    voc.words[s].insert(0, 1, ' ');
    voc.replacements[s].insert(0, 1, ' ');
    ws.TRVocabularyChanged = true;
  }
  AppendLog(ws, W("Нарастили слова словаря символом пробела"));
}

void SaveTRVocabulary(Workspace& ws) {
  const auto& voc = ws.TRVocabulary;
  if (ws.TRVocabularyFile.empty()) {
    AppendLog(ws, W("Не задано имя файла для сохранения словаря"));
    MarkNotDone(ws);
    return;
  }
  if (!voc.loaded) {
    AppendLog(ws, W("Словарь еще не загружен"));
    MarkNotDone(ws);
    return;
  }
  if (voc.words.size() < 2) AppendLog(ws, W("А словарь то, пустой :-("));
  try {
    Text out;
    for (size_t s = 0; s < voc.words.size(); ++s) out += voc.words[s] + "\r\n" + voc.replacements[s] + "\r\n";
    WriteTextFile(ws, ws.TRVocabularyFile, out);
  } catch (...) {
    ReportDictionaryFailure(ws);
    return;
  }
  AppendLog(ws, W("Сохранили словарь в файл ") + ws.TRVocabularyFile);
  ws.TRVocabularyChanged = false;
}
