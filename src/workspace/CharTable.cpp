#include "workspace/CharTable.h"

#include "workspace/Dialogs.h"
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

void ParseEntry(Workspace& ws, ParsedTable& table, std::string_view line, size_t lineNumber) {
  const size_t eq = line.find('=');
  const Text codeText(line.substr(0, eq));
  const std::string_view chars = line.substr(eq + 1);
  const Text warn = W("Предупреждение: Код ");
  if (chars.size() > 1) AppendLog(ws, warn + codeText + W(" соответствует нескольким символам"));
  const std::uint64_t code = ReadHexPrefix(codeText);
  if (code > 255)
    throw OperationError(kErrCodeOutOfRange, W("код ") + codeText + W(" в строке") + StrNum(static_cast<std::int64_t>(lineNumber)) +
                                                  W(" таблицы вне диапазона 00..FF"));
  Text& entry = table.entries[code];
  if (!entry.empty()) AppendLog(ws, warn + codeText + W(" определен более чем один раз"));
  entry = Text(chars.substr(0, 1));
}

// A line holding a character Windows-1251 lacks: an entry for it would map its code
// to "?", so the entry is left out; a comment keeps the "?". Either way the log says so.
bool LeaveOutForeignLine(Workspace& ws, std::string_view line, size_t lineNumber, const ForeignChar& foreign) {
  const Text where = W("Строка ") + Digits(static_cast<std::int64_t>(lineNumber)) + W(" таблицы");
  const Text cp = CodePointName(foreign.codePoint);
  if (line.find('=') == std::string_view::npos) {
    AppendLog(ws, where + W(": символ ") + cp + W(" комментария заменен на \"?\""));
    return false;
  }
  AppendLog(ws, where + W(" пропущена: символа ") + cp + W(" нет в Windows-1251"));
  return true;
}

}  // namespace

TableCodec::TableCodec(const Text& lookup) {
  encode_.fill(-1);
  for (int code = 255; code >= 0; --code) {
    const char c = static_cast<size_t>(code) < lookup.size() ? lookup[static_cast<size_t>(code)] : '\0';
    decode_[static_cast<size_t>(code)] = c;
    encode_[static_cast<unsigned char>(c)] = code;
  }
}

void ApplyTableText(Workspace& ws, std::string_view data, std::span<const ForeignChar> foreign) {
  // The table is built aside and takes over only when the whole file is good, so a bad
  // line never leaves half of a new table over the old one.
  ParsedTable table;
  size_t lineNumber = 0;
  auto nextForeign = foreign.begin();
  for (std::string_view line : SplitAnyLineEnd(data)) {
    ++lineNumber;
    if (nextForeign != foreign.end() && nextForeign->line == lineNumber) {
      const bool leftOut = LeaveOutForeignLine(ws, line, lineNumber, *nextForeign);
      while (nextForeign != foreign.end() && nextForeign->line == lineNumber) ++nextForeign;
      if (leftOut) continue;
    }
    if (line.find('=') == std::string_view::npos) {
      table.comments.append(line).append("\r\n");
      AppendLog(ws, W("Комментарий: ") + Text(line));
    } else {
      ParseEntry(ws, table, line, lineNumber);
    }
  }
  Text lookup;
  lookup.reserve(256);
  for (auto& entry : table.entries) {
    if (entry.empty()) entry = Text(1, '\0');
    lookup += entry;
  }
  ws.CharTable = std::move(table.entries);
  ws.CharTableLookup = std::move(lookup);
  ws.TableComments = std::move(table.comments);
}

void LoadTable(Workspace& ws) {
  if (!CheckFileExists(ws, ws.TableFileName, W("Файл таблицы"))) return;
  try {
    const DecodedTextFile file = ReadTextFile(ws.TableFileName);
    ApplyTableText(ws, file.text, file.foreign);
    AppendLog(ws, W("Загрузили таблицу :") + ws.TableFileName + Utf8Mark(file));
    HintUtf8Saves(ws, ws.TableFileName, file);
    ws.TableLoaded = true;
  } catch (...) {
    ReportFailure(ws, W("меня взглюкнуло, проверьте, имя и путь файла таблицы") + "\r\n" + ws.TableFileName);
  }
}

Text TableFileText(const Workspace& ws) {
  static const char kHex[] = "0123456789ABCDEF";
  Text out;
  if (!ws.TableComments.empty()) out += ws.TableComments + "\r\n";
  for (size_t code = 0; code < ws.CharTable.size() && code < 256; ++code) {
    const Text& entry = ws.CharTable[code];
    if (entry.empty() || entry == Text(1, '\0')) continue;
    out += kHex[code >> 4];
    out += kHex[code & 15];
    out += '=';
    out += entry;
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
