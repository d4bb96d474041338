#include "tools/TableGenerator.h"

#include <cstdio>
#include <optional>

#include "tools/CodeSearch.h"
#include "workspace/Dialogs.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/TextFile.h"

namespace {

constexpr int kProgressEnd = 257;
const char kSmall[] = "abcdefghijklmnopqrstuvwxyz";
const char kCapital[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
const char kDigits[] = "0123456789";

// The searches compare bytes: the sample and the map go in as Windows-1251 bytes. A
// character that code page lacks takes a byte no search places (the searched alphabets
// are ASCII), so its cell stays taken and comes back as it was.
constexpr char kForeign = '\x01';

Text SearchBytes(std::string_view text) {
  Text bytes;
  for (size_t pos = 0; pos < text.size();) bytes += static_cast<char>(cp1251::Encode(utf8::Next(text, pos)).value_or(kForeign));
  return bytes;
}

Text ByteMap(const std::u32string& map) {
  Text bytes(256, '\0');
  for (size_t code = 0; code < 256 && code < map.size(); ++code)
    if (map[code] != 0) bytes[code] = static_cast<char>(cp1251::Encode(map[code]).value_or(kForeign));
  return bytes;
}

std::u32string CharMap(const Text& bytes, const std::u32string& start) {
  std::u32string map(256, U'\0');
  for (size_t code = 0; code < 256; ++code) {
    const auto b = static_cast<unsigned char>(bytes[code]);
    if (b == 0) continue;
    map[code] = b == static_cast<unsigned char>(kForeign) && code < start.size() && start[code] != 0
                    ? start[code]
                    : cp1251::Decode(b);
  }
  return map;
}


Text Hex(int code) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%X", code);
  return buf;
}

// What one search says in the log.
struct SearchTexts {
  Text warning;
  Text success;  // followed by the starting code
  Text failure;
};

struct SearchSpec {
  std::string_view alphabet;
  int firstCode = 0;
  bool freeOnly = false;
  int progressAfterSuccess = kProgressEnd;  // the space search stops the bar at 256
};

// One alphabet (or the space) into `map`: placed at the lowest starting code whose
// encoded sample occurs in the ROM, or not at all.
std::optional<int> SearchInto(Workspace& ws, Text& map, const Text& sample, const SearchSpec& spec,
                              const SearchTexts& texts, Progress& progress) {
  ws.host->pumpEvents();
  CodeSearchRequest request;
  request.image = ws.RomImage;
  request.map = map;
  request.alphabet = spec.alphabet;
  request.sample = sample;
  request.firstCode = spec.firstCode;
  request.freeOnly = spec.freeOnly;
  const Text sampleBytes = SearchBytes(sample);
  request.sample = sampleBytes;
  const CodeSearchResult result = FindAlphabetCode(request);
  if (result.unknownChars) AppendLog(ws, texts.warning);
  if (!result.code) {
    progress.set(kProgressEnd);
    AppendLog(ws, texts.failure);
    return std::nullopt;
  }
  map = PlaceAlphabet(map, spec.alphabet, *result.code);
  progress.set(*result.code + 1);
  AppendLog(ws, texts.success + Hex(*result.code));
  progress.set(spec.progressAfterSuccess);
  return result.code;
}

Text Ask(Workspace& ws, const Text& prompt) {
  return ws.host->inputBox(prompt, Text(), Text()).value_or(Text());
}

Text Prompt(const char* first, const char* second) {
  return W(first) + "\r\n" + W(second);
}

bool RomMissing(Workspace& ws) {
  if (ws.RomLoaded) return false;
  ws.host->message(W("ROM еще не загружен"), Buttons::Ok, Icon::None);
  AppendLog(ws, W("ROM еще не загружен"));
  MarkNotDone(ws);
  return true;
}

const char kSpacePrompt1[] = "Введите два слова через пробел?";
const char kSpacePrompt2[] = "без знаков препинания";
const char kNoSpaceInput[] = "Ничего не ввели, искать ПРОБЕЛ не будем";

SearchTexts SpaceTexts() {
  return {W("Предупреждение: вы ввели символы, которые НЕ английские и НЕ пробел...(ну и ладно, попробуем так :-)"),
          W("ура нашли!!! код пробела "), W("Не нашли пробела :-(")};
}

void SearchSpace(Workspace& ws, Text& map, const Text& sample, Progress& progress) {
  if (sample.empty()) {
    AppendLog(ws, W(kNoSpaceInput));
    return;
  }
  SearchInto(ws, map, sample, SearchSpec{" ", 0, true, 256}, SpaceTexts(), progress);
}

// Small letters, capitals (above the small ones when those were found), the space and
// the digits, each asked for and searched in turn.
void SearchAllAlphabets(Workspace& ws, Text& map) {
  const Text small = Ask(ws, Prompt("Введите английский текст строчными буквами?", "без знаков препинания и пробелов"));
  Progress progress(ws, Bar::Main, 0, kProgressEnd);
  std::optional<int> smallCode;
  if (small.empty())
    AppendLog(ws, W("Ничего не ввели, искать строчные буквы не будем"));
  else
    smallCode = SearchInto(
        ws, map, small, SearchSpec{kSmall, 0},
        {W("Предупреждение: вы ввели символы, которые НЕ английские строчные...(ну и ладно, попробуем так :-)"),
         W("ура нашли!!! строчные буквы начинаются с кода "), W("Не нашли строчных букв :-(")},
        progress);

  const Text capital = Ask(ws, Prompt("Введите текст ПРОПИСНЫМИ буквами?", "без знаков препинания и пробелов"));
  if (capital.empty())
    AppendLog(ws, W("Ничего не ввели, искать ПРОПИСНЫЕ буквы не будем"));
  else
    SearchInto(ws, map, capital, SearchSpec{kCapital, smallCode ? *smallCode + 26 : 0},
               {W("Предупреждение: вы ввели символы, которые НЕ английские ПРОПИСНЫЕ...(ну и ладно, попробуем так :-)"),
                W("ура нашли!!! прописные буквы начинаются с кода "), W("Не нашли ПРОПИСНЫХ букв :-(")},
               progress);

  SearchSpace(ws, map, Ask(ws, Prompt(kSpacePrompt1, kSpacePrompt2)), progress);

  const Text digits =
      Ask(ws, Prompt("Введите строку+число (из диалогов в игре, НЕ статистики героя)?", "лучше пробел+число+пробел"));
  if (digits.empty())
    AppendLog(ws, W("Ничего не ввели, искать цифры не будем"));
  else
    SearchInto(
        ws, map, digits, SearchSpec{kDigits, 0, true},
        {W("Предупреждение: вы ввели символы, которые НЕ английские и НЕ цифры...(ну и ладно, попробуем так :-)"),
         W("ура нашли!!! цифры начинаются с кода "), W("Не нашли цифр :-(")},
        progress);
}

Text TwoDigits(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

}  // namespace

Text GeneratedTableText(const Workspace& ws, const Text& map) {
  const std::tm t = ws.host->localTime();
  const Text date = TwoDigits(t.tm_mday) + "." + TwoDigits(t.tm_mon + 1) + "." + Digits(t.tm_year + 1900);
  const Text time = TwoDigits(t.tm_hour) + ":" + TwoDigits(t.tm_min) + ":" + TwoDigits(t.tm_sec);
  Text text = W("Таблица для ROM ") + ws.InputRomFileName + "\r\n" + W("Дата/Время генерации ") + date + "   " + time +
              "\r\n\r\n";
  for (int code = 0; code < 256 && code < static_cast<int>(map.size()); ++code) {
    if (map[code] == '\0') continue;
    char line[16];
    std::snprintf(line, sizeof line, "%02X=", static_cast<unsigned>(code) & 0xFF);
    text += line + utf8::Of(cp1251::Decode(static_cast<unsigned char>(map[code]))) + "\r\n";
  }
  return text;
}

void GenerateTable(Workspace& ws) {
  if (RomMissing(ws)) return;
  ws.GenCodeMap.assign(256, '\0');
  SearchAllAlphabets(ws, ws.GenCodeMap);
  if (ws.GenCodeMap.find_first_not_of('\0') == Text::npos) {
    AppendLog(ws, W("Не шмогла я шгенерить ничего :-("));
    MarkNotDone(ws);
    return;
  }
  if (ws.GenTableFileName.empty())
    ws.GenTableFileName = ChooseFileName(ws, FileRequest::Kind::Save, W("Сохранить сгенерированную таблицу в..."),
                                         W("Table файл (*.tbl)|*.tbl|Все файлы (*.*)|*.*"));
  if (ws.GenTableFileName.empty()) {
    AppendLog(ws, W("Не указано имя файла для сохранения таблицы"));
    MarkNotDone(ws);
    return;
  }
  try {
    WriteTextFile(ws, ws.GenTableFileName, GeneratedTableText(ws, ws.GenCodeMap));
    AppendLog(ws, W("Сгенерированная таблица сохранена в файле ") + ws.GenTableFileName);
  } catch (...) {
    LogOperationError(ws);
  }
}


std::u32string RelativeSearch(Workspace& ws, const Text& prompt, const Text& alphabet, const std::u32string& startMap) {
  const bool spaceMode = startMap.size() == 256;
  Text map = spaceMode ? ByteMap(startMap) : Text(256, '\0');
  const auto result = [&] { return CharMap(map, startMap); };
  if (RomMissing(ws)) return result();
  if (spaceMode) {
    const Text sample = Ask(ws, Prompt(kSpacePrompt1, kSpacePrompt2));
    Progress progress(ws, Bar::Main, 0, kProgressEnd);
    SearchSpace(ws, map, sample, progress);
    // Within the whole generation an empty answer only skips the space; alone it is the search cancelled.
    if (sample.empty()) MarkNotDone(ws);
    return result();
  }
  const Text sample = Ask(ws, prompt);
  Progress progress(ws, Bar::Main, 0, kProgressEnd);
  if (sample.empty()) {
    AppendLog(ws, W("Ничего не ввели, искать буквы не будем"));
    MarkNotDone(ws);
    return result();
  }
  const Text alphabetBytes = SearchBytes(alphabet);
  SearchInto(ws, map, sample, SearchSpec{alphabetBytes, 0},
             {W("Предупреждение: вы ввели какие-то не понятные символы...(ну и ладно, попробуем так :-)"),
              W("ура нашли!!! буквы ") + alphabet + W(" начинаются с кода "), W("Не нашли букв ") + alphabet + " :-("},
             progress);
  return result();
}
