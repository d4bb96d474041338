#include "processing/VocabCheck.h"

#include <new>

#include "processing/ShortTextIndex.h"
#include "workspace/Dialogs.h"
#include "workspace/Errors.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/TextFile.h"

namespace {

// Inside a catch block: the load's own error line, with the failure's description
// and number.
void LogVocabularyLoadError(Workspace& ws) {
  const FailureInFlight failure = DescribeFailureInFlight();
  AppendLog(ws, W("Ошибка при загрузке словаря... ") + failure.description + StrNum(failure.number));
  MarkNotDone(ws);
  ws.host->failureReported();
}

// Garbage is a short text that no word of the dictionary contains.
bool IsGarbage(std::string_view text, const ShortTextIndex& index) {
  return !text.empty() && utf8::Length(text) <= ShortTextIndex::kMaxLength && !index.contains(text);
}

}  // namespace

void LoadVocabulary(Workspace& ws) {
  auto& voc = ws.Vocabulary;
  voc.loaded = false;
  if (ws.VocabularyFile.empty()) return;
  DecodedTextFile file;
  try {
    // Opened for update, as the dictionary files are: a missing file is created empty.
    if (!FileExists(ws.VocabularyFile)) WriteFileAtomically(ws.VocabularyFile, "");
    file = ReadTextFile(ws, ws.VocabularyFile);
  } catch (...) {
    LogVocabularyLoadError(ws);
    return;
  }
  voc.text = std::move(file.text);
  voc.loaded = !voc.text.empty();
  AppendLog(ws, W("Прочитали словарь из файла ") + ws.VocabularyFile + Utf8Mark(file));
  HintUtf8Saves(ws, ws.VocabularyFile, file);
}

void VocabCheck(Workspace& ws) {
  if (!ws.PerevodLoaded) {
    AppendLog(ws, W("Перевод еще не загружен"));
    MarkNotDone(ws);
    return;
  }
  if (!ws.Vocabulary.loaded) LoadVocabulary(ws);
  if (!ws.Vocabulary.loaded) {
    AppendLog(ws, W("Словарь не загружен или пустой"));
    MarkNotDone(ws);
    return;
  }
  try {
    AppendLog(ws, W("Начинаем проверку по словарю"));
    ws.host->closeWindow(Window::EditForm);
    const ShortTextIndex index(ws.Vocabulary.text);
    auto& lines = ws.PerevodArray;
    const int last = static_cast<int>(lines.size()) - 1;
    Progress bar(ws, Bar::Main, 0, last);
    // Lines move only once the scan is over, so a failure midway loses none of them.
    std::vector<size_t> kept;
    kept.reserve(lines.size());
    std::int64_t removed = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
      // A line without a space is all text.
      const size_t space = lines[i].find(' ');
      const size_t textStart = space == Text::npos ? 0 : space + 1;
      if (IsGarbage(std::string_view(lines[i]).substr(textStart), index)) {
        ++removed;
        if (ws.ExtendedLogs == "YES")
          AppendLog(ws, W("удалена строка перевода смещением ") + lines[i].substr(0, textStart));
      } else if (!lines[i].empty()) {
        kept.push_back(i);
      }
      if (i % 100 == 0) bar.set(static_cast<int>(i));
    }
    for (size_t k = 0; k < kept.size(); ++k)
      if (kept[k] != k) lines[k] = std::move(lines[kept[k]]);
    // Every line removed leaves zero lines, as a find-and-delete does: one empty line
    // would be the start-up state, which the save then refuses.
    lines.resize(kept.size());
    bar.set(last);
    ws.PerevodChanged = true;
    AppendLog(ws, W("Закончена проверка по словарю, удалено ") + Digits(removed) + W(" строк"));
  } catch (...) {
    LogOperationError(ws);
  }
}
