#include "tools/TableEdit.h"

#include <algorithm>

#include "tools/Dumper.h"
#include "tools/FieldNumber.h"
#include "tools/TableGenerator.h"
#include "workspace/CharTable.h"
#include "workspace/Log.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

Text HexCode(int code) {
  return Text{kHexDigits[(code >> 4) & 15], kHexDigits[code & 15]};
}

Grid EmptyGrid() {
  return Grid(kTableCodes, U'\0');
}

// Logs every letter of `letters` that no code of the table carries, then the verdict.
void CheckLetters(Workspace& ws, const Text& letters, const Text& startLine, const Text& allThereLine) {
  AppendLog(ws, startLine);
  const Grid& lookup = ws.CharTableLookup;
  bool missing = false;
  for (size_t pos = 0; pos < letters.size();) {
    const char32_t letter = utf8::Next(letters, pos);
    if (lookup.find(letter) != Grid::npos) continue;
    AppendLog(ws, W("Символ (") + utf8::Of(letter) + W(") в таблице не найден"));
    missing = true;
  }
  AppendLog(ws, missing ? W("Закончили проверку. В таблице чего-то не хватает :-)") : allThereLine);
}

void SetTableEntries(Workspace& ws, const Grid& joined) {
  ws.CharTable = CellsOf(joined);
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

void DropOnGrid(Grid& grid, int code, std::string_view text) {
  grid.resize(kTableCodes, U'\0');
  size_t i = 0;
  for (size_t pos = 0; pos < text.size(); ++i)
    grid[static_cast<size_t>(WrapCode(code + static_cast<int>(i % kTableCodes)))] = utf8::Next(text, pos);
}

Grid JoinedTable(const Workspace& ws) {
  return LookupOf(ws.CharTable);
}

size_t EntriesBeyondGrid(const Workspace& ws) {
  const Grid& cells = ws.CharTableLookup;
  return static_cast<size_t>(std::count_if(ws.TableEntries.begin(), ws.TableEntries.end(), [&](const TableEntry& e) {
    const bool hidden = e.code.size() == 1 && static_cast<unsigned char>(e.code[0]) < cells.size() &&
                        cells[static_cast<unsigned char>(e.code[0])] != 0;
    return !hidden;
  }));
}

std::optional<Grid> GridFromTable(Workspace& ws) {
  if (!ws.TableLoaded) {
    ws.CharTable.assign(kTableCodes, Text());
    ws.CharTableLookup = EmptyGrid();
    return std::nullopt;
  }
  // A load always leaves 256 characters; anything else is read as far as it goes.
  Grid grid = ws.CharTableLookup.substr(0, kTableCodes);
  grid.resize(kTableCodes, U'\0');
  return grid;
}

void PutGridInTable(Workspace& ws, const Grid& grid, const Text& comments) {
  Grid joined(grid.substr(0, kTableCodes));
  joined.resize(kTableCodes, U'\0');
  SetTableEntries(ws, joined);
  if (!comments.empty()) ws.TableComments = comments;
}

Grid Windows1251Grid() {
  Grid grid = EmptyGrid();
  for (int code = 1; code < kTableCodes; ++code) grid[static_cast<size_t>(code)] = cp1251::Decode(static_cast<unsigned char>(code));
  return grid;
}

Grid AlphabetGrid() {
  Grid grid = EmptyGrid();
  for (int code = 32; code <= 122; ++code) grid[static_cast<size_t>(code)] = cp1251::Decode(static_cast<unsigned char>(code));
  for (int code = 192; code < kTableCodes; ++code) grid[static_cast<size_t>(code)] = cp1251::Decode(static_cast<unsigned char>(code));
  return grid;
}

void ResetTable(Workspace& ws, const Grid& grid, const Text& comments) {
  PutGridInTable(ws, grid, comments);
  ws.TableLoaded = true;
  ws.TableChanged = true;
}

void ShiftTableLeft(Workspace& ws) {
  const Grid joined = JoinedTable(ws);
  SetTableEntries(ws, joined.substr(1) + U'\0');
}

void ShiftTableRight(Workspace& ws) {
  const Grid joined = JoinedTable(ws);
  SetTableEntries(ws, U'\0' + joined.substr(0, kTableCodes - 1));
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

std::optional<Grid> SearchTableCodes(Workspace& ws, CodeSearch search, const Grid& grid) {
  Grid found;
  switch (search) {
    case CodeSearch::BigEng:
      found =
          RelativeSearch(ws, W("Введите текст ЗАГЛАВНЫМИ английскими буквами ?\r\n(без пробелов и знаков препинания)"),
                         EngBigLettersText(), Grid());
      break;
    case CodeSearch::SmallEng:
      found =
          RelativeSearch(ws, W("Введите текст маленькими английскими буквами ?\r\n(без пробелов и знаков препинания)"),
                         EngSmallLettersText(), Grid());
      break;
    case CodeSearch::Space: {
      // Without a table the letters the user sees are the grid's: that is what the
      // words of the sample are encoded with.
      Grid current = ws.TableLoaded ? JoinedTable(ws) : grid;
      current.resize(kTableCodes, U'\0');
      found = RelativeSearch(ws, W("текст не важен :-)"), W("тут тоже не важно :-)"), current);
      break;
    }
  }
  Grid merged = grid;
  if (!MergeFound(merged, found)) return std::nullopt;
  return merged;
}

bool MergeFound(Grid& grid, const Grid& found) {
  grid.resize(kTableCodes, U'\0');
  bool any = false;
  for (size_t code = 0; code < found.size() && code < kTableCodes; ++code) {
    if (found[code] == 0) continue;
    grid[code] = found[code];
    any = true;
  }
  return any;
}

Text CellFacts(int code, std::string_view cell) {
  Text facts = HexCode(code) + "=";
  if (cell.empty()) return facts;
  const Text shown = cell == " " ? Text("space") : Text(cell);
  size_t pos = 0;
  const char32_t c = utf8::Next(cell, pos);
  const auto byte = cp1251::Encode(c);
  return facts + shown + "   (dec(" + Digits(byte ? *byte : static_cast<std::int64_t>(c)) + ")";
}

CellColour ColourOfCell(std::string_view cell) {
  if (cell.empty()) return CellColour::Unchanged;
  size_t pos = 0;
  const auto byte = cp1251::Encode(utf8::Next(cell, pos));
  if (!byte) return CellColour::Between;  // beyond the code page: neither control nor Cyrillic
  const unsigned char c = *byte;
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
