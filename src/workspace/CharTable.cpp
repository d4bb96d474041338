#include "workspace/CharTable.h"

#include <algorithm>
#include <map>

#include "workspace/Dialogs.h"
#include "workspace/EntryCodec.h"
#include "workspace/Errors.h"
#include "workspace/Escapes.h"
#include "workspace/Files.h"
#include "workspace/Log.h"

namespace {

struct ParsedTable {
  std::vector<Text> entries = std::vector<Text>(256);
  Text comments;
};

// Table files come from everywhere: CR LF, LF or CR all end a line.
std::vector<std::string_view> SplitAnyLineEnd(std::string_view data) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(data.substr(start));
      break;
    }
    lines.push_back(data.substr(start, end - start));
    start = end + ((data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

// A code text the extended mode reads as an entry: only hexadecimal digits, an even
// number of them, one to EntryCodec::kMaxCodeBytes bytes.
bool ExtendedCode(std::string_view codeText) {
  return codeText.size() >= 2 && codeText.size() <= 2 * EntryCodec::kMaxCodeBytes && codeText.size() % 2 == 0 &&
         std::all_of(codeText.begin(), codeText.end(), [](char c) { return HexValue(c) >= 0; });
}

// What a one-byte table's log line adds when the line would be read whole in the
// extended mode, so that the user learns the mode exists.
Text ExtendedHint(std::string_view codeText) {
  return ExtendedCode(codeText) ? W(" (такую запись читает режим расширенных таблиц)") : Text();
}

Text LineText(size_t lineNumber) {
  return W(" в строке") + StrNum(static_cast<std::int64_t>(lineNumber));
}

void ParseEntry(Workspace& ws, ParsedTable& table, std::string_view line, size_t lineNumber) {
  const size_t eq = line.find('=');
  const Text codeText(line.substr(0, eq));
  const std::string_view chars = line.substr(eq + 1);
  const Text warn = W("Предупреждение: Код ");
  if (utf8::Length(chars) > 1)
    AppendLog(ws, warn + codeText + W(" соответствует нескольким символам") + ExtendedHint(codeText));
  const std::uint64_t code = ReadHexPrefix(codeText);
  if (code > 255)
    throw OperationError(kErrCodeOutOfRange, W("код ") + codeText + LineText(lineNumber) +
                                                 W(" таблицы вне диапазона 00..FF") + ExtendedHint(codeText));
  Text& entry = table.entries[code];
  if (!entry.empty()) AppendLog(ws, warn + codeText + W(" определен более чем один раз"));
  entry = Text(utf8::Prefix(chars, 1));
}

struct ExtendedEntry {
  TableEntry entry;
  Text codeText;  // as in the file, prefix included, for the log
};

// What a line of an extended table turned out to be.
struct ExtendedLine {
  std::optional<ExtendedEntry> entry;  // nothing: a comment, or a line left out
  Text unreadable;                     // why the line is left out; empty when it is not
};

// One line of an extended table: an entry, a comment, or a code of only hexadecimal
// digits that is no whole number of 1 to 8 bytes, which cannot be read.
ExtendedLine ParseExtendedLine(std::string_view line, size_t lineNumber) {
  ExtendedEntry e;
  std::string_view rest = line;
  if (!rest.empty() && (rest[0] == '/' || rest[0] == '*')) {
    e.entry.kind = rest[0] == '/' ? EntryKind::End : EntryKind::Break;
    rest.remove_prefix(1);
  }
  const size_t eq = rest.find('=');
  if (eq == std::string_view::npos && e.entry.kind == EntryKind::Normal) return {};
  const std::string_view codeText = rest.substr(0, eq);
  if (codeText.empty() || !std::all_of(codeText.begin(), codeText.end(), [](char c) { return HexValue(c) >= 0; }))
    return {};
  e.codeText = Text(line.substr(0, line.size() - rest.size())) + Text(codeText);
  if (!ExtendedCode(codeText))
    return {std::nullopt, W("код ") + e.codeText + LineText(lineNumber) +
                              W(" таблицы: нужно чётное число шестнадцатеричных цифр, от 2 до 16")};
  for (size_t i = 0; i < codeText.size(); i += 2)
    e.entry.code += static_cast<char>(HexValue(codeText[i]) * 16 + HexValue(codeText[i + 1]));
  if (eq != std::string_view::npos) e.entry.text = Text(rest.substr(eq + 1));
  return {std::move(e), {}};
}

// One byte, one character, no end or break: the cells of the one-byte table.
bool FitsCell(const TableEntry& e) {
  return e.code.size() == 1 && e.kind == EntryKind::Normal && utf8::Length(e.text) == 1 && e.text[0] != '\0';
}

void ApplyExtendedTableText(Workspace& ws, std::string_view data) {
  std::map<Text, ExtendedEntry> byCode;  // ordered as std::string compares: byte by byte, unsigned
  Text comments;
  Text firstUnreadable;
  size_t lineNumber = 0;
  bool anyEntry = false;
  for (std::string_view line : SplitAnyLineEnd(data)) {
    ++lineNumber;
    ExtendedLine parsed = ParseExtendedLine(line, lineNumber);
    if (!parsed.unreadable.empty()) {
      // One line the mode cannot read must not cost the thousands around it.
      AppendLog(ws, W("Строка таблицы пропущена: ") + parsed.unreadable);
      if (firstUnreadable.empty()) firstUnreadable = std::move(parsed.unreadable);
      continue;
    }
    std::optional<ExtendedEntry>& e = parsed.entry;
    if (!e) {
      comments.append(line).append("\r\n");
      AppendLog(ws, W("Комментарий: ") + Text(line));
      continue;
    }
    const auto known = byCode.find(e->entry.code);
    if (known != byCode.end()) {
      AppendLog(ws, W("Предупреждение: Код ") + e->codeText + W(" определен более чем один раз"));
      byCode.erase(known);
    }
    anyEntry = true;
    if (e->entry.kind == EntryKind::Normal && e->entry.text.empty()) continue;  // "41=" clears the code
    byCode.emplace(e->entry.code, std::move(*e));
  }
  if (!anyEntry && !firstUnreadable.empty()) throw OperationError(kErrCodeOutOfRange, firstUnreadable);
  std::vector<Text> cells(256, Text(1, '\0'));
  std::vector<TableEntry> rest;
  for (auto& [code, e] : byCode) {
    if (FitsCell(e.entry))
      cells[static_cast<unsigned char>(code[0])] = e.entry.text;
    else
      rest.push_back(std::move(e.entry));
  }
  ws.CharTableLookup = LookupOf(cells);
  ws.CharTable = std::move(cells);
  ws.TableComments = std::move(comments);
  ws.TableEntries = std::move(rest);
  ws.TableExtended = true;
}

}  // namespace

TableCodec::TableCodec(const std::u32string& lookup) {
  direct_.fill(-1);
  for (int code = 255; code >= 0; --code) {
    const char32_t c = static_cast<size_t>(code) < lookup.size() ? lookup[static_cast<size_t>(code)] : U'\0';
    decode_[static_cast<size_t>(code)] = c;
    Text text = utf8::Of(c);
    length_[static_cast<size_t>(code)] = c == 0 ? 0 : static_cast<std::uint8_t>(text.size());
    std::copy(text.begin(), text.end(), text_[static_cast<size_t>(code)].begin());
    if (c < kDirect)
      direct_[c] = static_cast<std::int16_t>(code);
    else
      others_[c] = static_cast<unsigned char>(code);
  }
}

std::u32string LookupOf(const std::vector<Text>& cells) {
  std::u32string lookup(256, U'\0');
  for (size_t code = 0; code < cells.size() && code < 256; ++code) {
    size_t pos = 0;
    if (!cells[code].empty()) lookup[code] = utf8::Next(cells[code], pos);
  }
  return lookup;
}

std::vector<Text> CellsOf(const std::u32string& lookup) {
  std::vector<Text> cells(256, Text(1, '\0'));
  for (size_t code = 0; code < lookup.size() && code < 256; ++code)
    if (lookup[code] != 0) cells[code] = utf8::Of(lookup[code]);
  return cells;
}

void ApplyTableText(Workspace& ws, std::string_view data) {
  if (ws.ExtendedTables == "YES") {
    ApplyExtendedTableText(ws, data);
    return;
  }
  // The table is built aside and takes over only when the whole file is good, so a bad
  // line never leaves half of a new table over the old one.
  ParsedTable table;
  size_t lineNumber = 0;
  for (std::string_view line : SplitAnyLineEnd(data)) {
    ++lineNumber;
    if (line.find('=') == std::string_view::npos) {
      table.comments.append(line).append("\r\n");
      AppendLog(ws, W("Комментарий: ") + Text(line));
    } else {
      ParseEntry(ws, table, line, lineNumber);
    }
  }
  for (auto& entry : table.entries)
    if (entry.empty()) entry = Text(1, '\0');
  ws.CharTableLookup = LookupOf(table.entries);
  ws.CharTable = std::move(table.entries);
  ws.TableComments = std::move(table.comments);
  ws.TableEntries.clear();
  ws.TableExtended = false;
}

void LoadTable(Workspace& ws) {
  if (!CheckFileExists(ws, ws.TableFileName, W("Файл таблицы"))) return;
  try {
    const DecodedTextFile file = ReadTextFile(ws, ws.TableFileName);
    ApplyTableText(ws, file.text);
    AppendLog(ws, W("Загрузили таблицу :") + ws.TableFileName + Utf8Mark(file));
    HintUtf8Saves(ws, ws.TableFileName, file);
    ws.TableLoaded = true;
  } catch (...) {
    ReportFailure(ws, W("меня взглюкнуло, проверьте, имя и путь файла таблицы") + "\r\n" + ws.TableFileName);
  }
}

void SetExtendedTables(Workspace& ws, bool on) {
  ws.ExtendedTables = on ? "YES" : "NO";
  if (!ws.TableLoaded || ws.TableExtended == on) return;
  // Loading the file again would throw away the table editor's unsaved work.
  if (ws.TableChanged) {
    AppendLog(ws, W("Таблица изменена и не сохранена: новый режим таблиц применится при ее следующей загрузке"));
    return;
  }
  LoadTable(ws);
}

Text TableFileText(const Workspace& ws) {
  static const char kHex[] = "0123456789ABCDEF";
  // The cells and the entries beyond them, in the byte order of their codes; a cell
  // with a character hides an entry of its code.
  std::vector<TableEntry> entries;
  std::array<bool, 256> inCell{};
  for (size_t code = 0; code < ws.CharTable.size() && code < 256; ++code) {
    const Text& entry = ws.CharTable[code];
    if (entry.empty() || entry == Text(1, '\0')) continue;
    inCell[code] = true;
    entries.push_back({Text(1, static_cast<char>(code)), entry, EntryKind::Normal});
  }
  for (const TableEntry& e : ws.TableEntries)
    if (!e.code.empty() && !(e.code.size() == 1 && inCell[static_cast<unsigned char>(e.code[0])])) entries.push_back(e);
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TableEntry& a, const TableEntry& b) { return a.code < b.code; });
  Text out;
  if (!ws.TableComments.empty()) out += ws.TableComments + "\r\n";
  for (const TableEntry& e : entries) {
    if (e.kind != EntryKind::Normal) out += e.kind == EntryKind::End ? '/' : '*';
    for (unsigned char b : e.code) {
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
    if (!e.text.empty()) out += '=' + e.text;
    out += "\r\n";
  }
  return out;
}

void SaveTable(Workspace& ws) {
  if (!ws.TableLoaded) {
    AppendLog(ws, W("Таблицу еще не загружали, поэтому и сохранять нечего"));
    MarkNotDone(ws);
    return;
  }
  if (ws.TableFileName.empty()) {
    AppendLog(ws, W("Не задано имя файла для сохранения таблицы"));
    MarkNotDone(ws);
    return;
  }
  try {
    WriteTextFile(ws, ws.TableFileName, TableFileText(ws));
    ws.TableChanged = false;
    AppendLog(ws, W("Таблица сохранена в файл ") + ws.TableFileName);
  } catch (...) {
    LogOperationError(ws);
  }
}
