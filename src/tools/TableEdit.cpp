#include "tools/TableEdit.h"

#include <algorithm>

#include "tools/Dumper.h"
#include "tools/FieldNumber.h"
#include "tools/TableGenerator.h"
#include "workspace/Log.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

Text HexCode(int code) {
  return Text{kHexDigits[(code >> 4) & 15], kHexDigits[code & 15]};
}

Text EmptyGrid() {
  return Text(kTableCodes, '\0');
}

// Logs every letter of `letters` that no code of the table carries, then the verdict.
void CheckLetters(Workspace& ws, const Text& letters, const Text& startLine, const Text& allThereLine) {
  AppendLog(ws, startLine);
  const Text lookup = ws.CharTableLookup;
  bool missing = false;
  for (char letter : letters) {
    if (lookup.find(letter) != Text::npos) continue;
    AppendLog(ws, W("Символ (") + letter + W(") в таблице не найден"));
    missing = true;
  }
  AppendLog(ws, missing ? W("Закончили проверку. В таблице чего-то не хватает :-)") : allThereLine);
}

// The table's entries as 256 one-character texts, NUL where a code has none.
std::vector<Text> EntriesOf(const Text& joined) {
  std::vector<Text> entries(kTableCodes);
  for (int code = 0; code < kTableCodes; ++code) entries[code] = Text(1, joined[code]);
  return entries;
}

void SetTableEntries(Workspace& ws, const Text& joined) {
  ws.CharTable = EntriesOf(joined);
  ws.CharTableLookup = joined;
}

}  // namespace

Text EngSmallLettersText() {
  return "abcdefghijklmnopqrstuvwxyz";
}
Text EngBigLettersText() {
  return "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
}
Text RusSmallLettersText() {
  return W("абвгдежзийклмнопрстуфхцчшщъыьэюя");
}
Text RusBigLettersText() {
  return W("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
}

int WrapCode(int code) {
  const int wrapped = code % kTableCodes;
  return wrapped < 0 ? wrapped + kTableCodes : wrapped;
}

CellMove NextCell(int code, CellKey key, bool cellEmpty) {
  switch (key) {
    case CellKey::Backspace: return cellEmpty ? CellMove{WrapCode(code - 1), true} : CellMove{code, false};
    case CellKey::Modifier: return {code, false};
    case CellKey::Left: return {WrapCode(code - 1), false};
    case CellKey::Up: return {WrapCode(code - 16), false};
    case CellKey::Down: return {WrapCode(code + 16), false};
    case CellKey::Delete: return {code, true};
    case CellKey::Other: break;
  }
  return {WrapCode(code + 1), false};
}

void DropOnGrid(Text& grid, int code, std::string_view text) {
  grid.resize(kTableCodes, '\0');
  for (size_t i = 0; i < text.size(); ++i) grid[WrapCode(code + static_cast<int>(i % kTableCodes))] = text[i];
}

Text JoinedTable(const Workspace& ws) {
  Text joined = EmptyGrid();
  const size_t codes = std::min<size_t>(ws.CharTable.size(), kTableCodes);
  for (size_t code = 0; code < codes; ++code)
    if (!ws.CharTable[code].empty()) joined[code] = ws.CharTable[code][0];
  return joined;
}

size_t EntriesBeyondGrid(const Workspace& ws) {
  const Text& cells = ws.CharTableLookup;
  return static_cast<size_t>(std::count_if(ws.TableEntries.begin(), ws.TableEntries.end(), [&](const TableEntry& e) {
    const bool hidden = e.code.size() == 1 && static_cast<unsigned char>(e.code[0]) < cells.size() &&
                        cells[static_cast<unsigned char>(e.code[0])] != '\0';
    return !hidden;
  }));
}

std::optional<Text> GridFromTable(Workspace& ws) {
  if (!ws.TableLoaded) {
    ws.CharTable.assign(kTableCodes, Text());
    ws.CharTableLookup = EmptyGrid();
    return std::nullopt;
  }
  // A load always leaves 256 characters; anything else is read as far as it goes.
  Text grid = ws.CharTableLookup.substr(0, kTableCodes);
  grid.resize(kTableCodes, '\0');
  return grid;
}

void PutGridInTable(Workspace& ws, std::string_view grid, const Text& comments) {
  Text joined(grid.substr(0, kTableCodes));
  joined.resize(kTableCodes, '\0');
  SetTableEntries(ws, joined);
  if (!comments.empty()) ws.TableComments = comments;
}

Text Windows1251Grid() {
  Text grid = EmptyGrid();
  for (int code = 1; code < kTableCodes; ++code) grid[code] = static_cast<char>(code);
  return grid;
}

Text AlphabetGrid() {
  Text grid = EmptyGrid();
  for (int code = 32; code <= 122; ++code) grid[code] = static_cast<char>(code);
  for (int code = 192; code < kTableCodes; ++code) grid[code] = static_cast<char>(code);
  return grid;
}

void ResetTable(Workspace& ws, std::string_view grid, const Text& comments) {
  PutGridInTable(ws, grid, comments);
  ws.TableLoaded = true;
  ws.TableChanged = true;
}

void ShiftTableLeft(Workspace& ws) {
  const Text joined = JoinedTable(ws);
  SetTableEntries(ws, joined.substr(1) + '\0');
}

void ShiftTableRight(Workspace& ws) {
  const Text joined = JoinedTable(ws);
  SetTableEntries(ws, '\0' + joined.substr(0, kTableCodes - 1));
}

void CheckEngLetters(Workspace& ws) {
  CheckLetters(ws, EngBigLettersText() + EngSmallLettersText(),
               W("Начинаем проверку наличия английских символов в таблице"),
               W("Закончили проверку. Все английские символы есть в таблице"));
}

void CheckRusLetters(Workspace& ws) {
  CheckLetters(ws, W("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя"),
               W("Начинаем проверку наличия русских символов в таблице"),
               W("Закончили проверку. Все русские символы есть в таблице"));
}

std::optional<Text> SearchTableCodes(Workspace& ws, CodeSearch search, const Text& grid) {
  Text found;
  switch (search) {
    case CodeSearch::BigEng:
      found =
          RelativeSearch(ws, W("Введите текст ЗАГЛАВНЫМИ английскими буквами ?\r\n(без пробелов и знаков препинания)"),
                         EngBigLettersText(), Text());
      break;
    case CodeSearch::SmallEng:
      found =
          RelativeSearch(ws, W("Введите текст маленькими английскими буквами ?\r\n(без пробелов и знаков препинания)"),
                         EngSmallLettersText(), Text());
      break;
    case CodeSearch::Space: {
      // Without a table the letters the user sees are the grid's: that is what the
      // words of the sample are encoded with.
      Text current = ws.TableLoaded ? JoinedTable(ws) : grid;
      current.resize(kTableCodes, '\0');
      found = RelativeSearch(ws, W("текст не важен :-)"), W("тут тоже не важно :-)"), current);
      break;
    }
  }
  Text merged = grid;
  if (!MergeFound(merged, found)) return std::nullopt;
  return merged;
}

bool MergeFound(Text& grid, std::string_view found) {
  grid.resize(kTableCodes, '\0');
  bool any = false;
  for (size_t code = 0; code < found.size() && code < kTableCodes; ++code) {
    if (found[code] == '\0') continue;
    grid[code] = found[code];
    any = true;
  }
  return any;
}

Text CellFacts(int code, std::string_view cell) {
  Text facts = HexCode(code) + "=";
  if (cell.empty()) return facts;
  const Text shown = cell == " " ? Text("space") : Text(cell);
  return facts + shown + "   (dec(" + Digits(static_cast<unsigned char>(cell[0])) + ")";
}

CellColour ColourOfCell(std::string_view cell) {
  if (cell.empty()) return CellColour::Unchanged;
  const unsigned char c = static_cast<unsigned char>(cell[0]);
  if (c < 32) return CellColour::Control;
  if (c < 127) return CellColour::WindowText;
  if (c < 192) return CellColour::Between;
  return CellColour::Cyrillic;
}

namespace {
// What a "=" in the comments becomes.
Text EqualsWord() {
  return W(" равно");
}
}  // namespace

std::optional<Text> CheckTableComments(Workspace& ws, const Text& comments) {
  if (comments.find('=') == Text::npos) return std::nullopt;
  AppendLog(ws, W("Коментарии в таблице не могут содержать знака равенства (=)"));
  Text replaced;
  for (char c : comments) {
    if (c == '=')
      replaced += EqualsWord();
    else
      replaced += c;
  }
  return replaced;
}

int CaretAfterCommentsCheck(int caret, int equalsBefore) {
  return caret + equalsBefore * (static_cast<int>(EqualsWord().size()) - 1);
}

Text TablePreview(Workspace& ws, const Text& startField) {
  std::int32_t start = 0;
  try {
    start = FieldInt32(startField);
  } catch (...) {
    LogOperationError(ws);
    return Text();
  }
  std::int32_t end = 0;
  return DumpPreview(ws, start, end, true);
}
