#include "textio/GbPointers.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "textio/GbPointer.h"
#include "textio/Refusals.h"
#include "workspace/Dialogs.h"
#include "workspace/EntryCodec.h"
#include "workspace/Errors.h"
#include "workspace/Escapes.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"
#include "workspace/TextParts.h"

namespace {

using Tables = std::vector<GbPointerTableRange>;

std::optional<Tables> NamedTables(Workspace& ws) {
  if (TrimSpaces(ws.GbPointerTables).empty()) {
    ShowRefusal(ws, W("Таблицы поинтеров GB не заданы (GbPointerTables: начало-конец[:банк];...)"));
    return std::nullopt;
  }
  GbTablesReading reading = ReadGbPointerTables(ws.GbPointerTables);
  if (!reading.error.empty()) {
    ShowRefusal(ws, reading.error);
    return std::nullopt;
  }
  const auto size = static_cast<std::int64_t>(ws.RomImage.size());
  for (const auto& table : reading.tables)
    if (ws.RomLoaded && table.last >= size) {
      ShowRefusal(ws,
                  W("Таблица поинтеров GB \"") + table.name + W("\": за пределами ROM (размер") + StrNum(size) + ")");
      return std::nullopt;
    }
  return std::move(reading.tables);
}

// Which lines the table entries of `image` reach. Lines are looked up by the offset of
// their string; the first line at an offset owns the entries reaching it.
GbPointerRecord MapLines(const std::vector<Text>& lines, std::string_view image, const Tables& tables,
                         size_t* tableEntries = nullptr) {
  GbPointerRecord record;
  record.lines.resize(lines.size());
  std::vector<std::pair<std::int64_t, size_t>> byOffset;
  for (size_t i = 0; i < lines.size(); ++i) {
    const PerevodLineParts parts = ParsePerevodLine(lines[i]);
    if (!parts.hasSeparator) continue;
    record.lines[i].oldAddress = parts.address;
    record.lines[i].owner = i;
    if (parts.address >= 1) byOffset.emplace_back(parts.address - 1, i);
  }
  std::stable_sort(byOffset.begin(), byOffset.end(), [](auto& a, auto& b) { return a.first < b.first; });
  for (size_t k = 1; k < byOffset.size(); ++k)
    if (byOffset[k].first == byOffset[k - 1].first)
      record.lines[byOffset[k].second].owner = record.lines[byOffset[k - 1].second].owner;
  size_t seen = 0;
  ForEachGbTableEntry(image, tables, [&](std::int64_t at, std::uint16_t value, std::int64_t bank) {
    ++seen;
    const auto target = GbPointerTarget(value, bank);
    if (!target) return;
    auto it = std::lower_bound(byOffset.begin(), byOffset.end(), *target,
                               [](const auto& entry, std::int64_t offset) { return entry.first < offset; });
    if (it == byOffset.end() || it->first != *target) return;
    record.entries.push_back({at, value, it->second});
    ++record.lines[it->second].entries;
  });
  if (tableEntries) *tableEntries = seen;
  return record;
}

void WarnNoGbPointer(Workspace& ws, std::int64_t address) {
  AppendLog(ws, W("ПРЕДУПРЕЖДЕНИЕ: на адрес") + AddressNum(address) + W(" GB поинтер не указывает, строку пропускаем"));
}

Text BankText(std::int64_t bank) {
  char hex[24];
  std::snprintf(hex, sizeof hex, "&H%llX", static_cast<unsigned long long>(bank));
  return hex;
}

void CheckMapBelongs(const Workspace& ws) {
  if (ws.GbPointerMap.lines.size() != ws.PerevodArray.size())
    throw OperationError(kErrNoGbPointerMap, W("таблица GB поинтеров не построена для этого перевода"));
}

bool LinesMoved(const Workspace& ws) {
  const auto& map = ws.GbPointerMap.lines;
  if (map.size() != ws.PerevodArray.size()) return false;
  for (size_t i = 0; i < map.size(); ++i) {
    const PerevodLineParts parts = ParsePerevodLine(ws.PerevodArray[i]);
    if (parts.hasSeparator && map[i].oldAddress >= 0 && parts.address != map[i].oldAddress) return true;
  }
  return false;
}

struct Move {
  std::int64_t oldAddress;
  std::int64_t newAddress;
  size_t length;  // bytes the string now takes, at least 1
};

// The new entry value for a string that stays in its bank; otherwise the warning.
std::optional<std::uint16_t> NewValue(Workspace& ws, const Move& move) {
  const std::int64_t oldFirst = move.oldAddress - 1;
  const std::int64_t newFirst = move.newAddress - 1;
  if (newFirst < 0) {
    WarnNoGbPointer(ws, move.newAddress);
    return std::nullopt;
  }
  const std::int64_t bank = GbBankOf(oldFirst);
  const std::int64_t newLast = newFirst + static_cast<std::int64_t>(move.length) - 1;
  if (GbBankOf(newFirst) == bank && GbBankOf(newLast) == bank) return GbPointerValue(newFirst);
  const std::int64_t elsewhere = GbBankOf(newFirst) != bank ? GbBankOf(newFirst) : GbBankOf(newLast);
  AppendLog(ws, W("ПРЕДУПРЕЖДЕНИЕ: строка с адресом") + AddressText(move.oldAddress) + W(" (новый адрес") +
                    AddressNum(move.newAddress) + W(") уходит из банка ") + BankText(bank) + W(" в банк ") +
                    BankText(elsewhere) + W(": 2-байтный поинтер туда не достанет, GB поинтеры на нее не исправлены"));
  return std::nullopt;
}

// The value line i's entries get, or nothing when they stay as they are. `valueOf` holds
// the values of the lines before i.
// The bytes the insertion gives a line's text, which decide whether the moved string
// stays in its bank: an extended table's entries may take fewer bytes than characters
// (several characters to a code) or more (codes of several bytes).
size_t StringLength(const EntryCodec* codec, std::string_view text) {
  const size_t bytes = codec ? codec->encode(text).bytes.size() : utf8::Length(DecodeEscapes(Text(text)));
  return std::max<size_t>(1, bytes);
}

std::optional<std::uint16_t> PlanLine(Workspace& ws, size_t i, std::int64_t newAddress, std::string_view text,
                                      const EntryCodec* codec,
                                      const std::vector<std::optional<std::uint16_t>>& valueOf) {
  const bool extended = ws.ExtendedLogs == "YES";
  if (newAddress == 0) WarnZeroAddress(ws);
  if (extended) AppendLog(ws, W("новый адрес для расчета поинтера PerevodAddr= ") + AddressText(newAddress));
  const GbPointerLine& line = ws.GbPointerMap.lines[i];
  if (line.oldAddress < 1) {
    WarnNoGbPointer(ws, line.oldAddress);
    return std::nullopt;
  }
  const size_t found = ws.GbPointerMap.lines[line.owner].entries;
  if (found == 0) {
    AppendLog(ws, W("ПРЕДУПРЕЖДЕНИЕ: GB поинтер на строку с адресом") + AddressText(line.oldAddress) + W(" не найден"));
    return std::nullopt;
  }
  std::optional<std::uint16_t> value;
  // Lines sharing an old address share its entries; the first of them gives the value.
  if (line.owner == i) {
    value = NewValue(ws, {line.oldAddress, newAddress, StringLength(codec, text)});
    if (!value) return std::nullopt;
  } else if (!valueOf[line.owner]) {
    return std::nullopt;  // the first line's warning said why they stay
  }
  if (extended)
    AppendLog(ws, W("GB поинтеры на строку с адресом") + AddressText(line.oldAddress) + W(" найдены/исправлены:") +
                      StrNum(static_cast<std::int64_t>(found)));
  return value;
}

// Each recorded entry is rewritten once, and only while it still holds what was found:
// the insertion may have written over a table since.
void RewriteEntries(Workspace& ws, const std::vector<std::optional<std::uint16_t>>& valueOf) {
  RomBytes& image = ContinueRomWork(ws);
  for (const GbPointerEntry& entry : ws.GbPointerMap.entries) {
    const auto& value = valueOf[entry.line];
    if (!value) continue;
    const auto at = static_cast<size_t>(entry.offset);
    if (at + 1 >= image.size() || static_cast<unsigned char>(image[at]) != (entry.value & 0xFF) ||
        static_cast<unsigned char>(image[at + 1]) != entry.value >> 8) {
      AppendLog(ws, W("ПРЕДУПРЕЖДЕНИЕ: запись таблицы GB поинтеров по смещению") + StrNum(entry.offset) +
                        W(" изменилась после поиска, оставлена как есть"));
      continue;
    }
    image[at] = static_cast<char>(*value & 0xFF);
    image[at + 1] = static_cast<char>(*value >> 8);
  }
}

void RunCorrection(Workspace& ws, std::int32_t shift) {
  CheckMapBelongs(ws);
  StartRomWork(ws);
  const bool alreadyShifted = ws.LeaveChangesInPerevodAddr == "YES";
  const auto& lines = ws.PerevodArray;
  std::vector<std::optional<std::uint16_t>> valueOf(lines.size());
  std::optional<EntryCodec> codec;
  if (ws.TableExtended) codec.emplace(ws);
  {
    Progress bar(ws, Bar::Main, 0, static_cast<int>(lines.size()) - 1);
    for (size_t i = 0; i < lines.size(); ++i) {
      const PerevodLineParts parts = ParsePerevodLine(lines[i]);
      if (parts.hasSeparator && ws.GbPointerMap.lines[i].oldAddress >= 0)
        valueOf[i] = PlanLine(ws, i, alreadyShifted ? parts.address : parts.address + shift, parts.text,
                              codec ? &*codec : nullptr, valueOf);
      bar.set(static_cast<int>(i));
      ws.host->pumpEvents();
    }
  }
  RewriteEntries(ws, valueOf);
  AppendLog(ws, W("Коррекция поинтеров GB в ROM закончена"));
  CommitRomWorkImage(ws);
}

void RunFind(Workspace& ws, const Tables& tables) {
  const GbPointerRecord map = MapLines(ws.PerevodArray, RomWorkImage(ws), tables);
  std::vector<std::int64_t> firstEntry(map.lines.size(), -1);
  for (const auto& entry : map.entries)
    if (firstEntry[entry.line] < 0) firstEntry[entry.line] = entry.offset;
  // One line per translation line: the texts are converted once.
  const Text foundText = W("найден GB поинтер на строку с адресом");
  const Text atText = W(", адрес поинтера");
  const Text allText = W(", всего");
  const Text missingText = W("НЕ найден GB поинтер на строку с адресом");
  std::int64_t found = 0;
  std::int64_t missing = 0;
  Progress bar(ws, Bar::Main, 0, static_cast<int>(map.lines.size()) - 1);
  for (size_t i = 0; i < map.lines.size(); ++i) {
    bar.set(static_cast<int>(i));
    const GbPointerLine& line = map.lines[i];
    if (line.oldAddress < 0) continue;
    if (line.oldAddress == 0) {
      WarnZeroAddress(ws);
      WarnNoGbPointer(ws, 0);
      continue;
    }
    const size_t count = map.lines[line.owner].entries;
    if (count == 0) {
      ++missing;
      AppendLog(ws, missingText + AddressText(line.oldAddress));
      continue;
    }
    ++found;
    AppendLog(ws, foundText + AddressText(line.oldAddress) + atText + Digits(firstEntry[line.owner]) +
                      (count > 1 ? allText + StrNum(static_cast<std::int64_t>(count)) : Text()));
  }
  AppendLog(ws, W("Поиск поинтеров GB в ROM закончен: строк с поинтерами") + StrNum(found) + W(", без поинтеров") +
                    StrNum(missing));
}

}  // namespace

bool RefuseGbPointerTables(Workspace& ws) {
  return !NamedTables(ws);
}

void BuildGbPointerTable(Workspace& ws) {
  // A record left from an earlier translation or ROM must not steer the correction.
  ws.GbPointerMap = {};
  if (RefuseWithoutPerevod(ws) || RefuseWithoutRom(ws)) return;
  WarnIfSingleLine(ws);
  const auto tables = NamedTables(ws);
  if (!tables) return;
  try {
    size_t seen = 0;
    ws.GbPointerMap = MapLines(ws.PerevodArray, ws.RomImage, *tables, &seen);
    AppendLog(ws, W("Таблицы поинтеров GB: записей") + StrNum(static_cast<std::int64_t>(seen)) +
                      W(", из них указывают на строки перевода") +
                      StrNum(static_cast<std::int64_t>(ws.GbPointerMap.entries.size())));
  } catch (...) {
    LogOperationError(ws);
  }
}

void CorrectGbPointers(Workspace& ws, std::int32_t shift) {
  if (RefuseWithoutPerevod(ws) || RefuseWithoutRom(ws)) return;
  WarnIfSingleLine(ws);
  if (shift == 0 && !LinesMoved(ws)) {
    AppendLog(ws, W("Приращение к смещению текста перевода равно нулю, ничего делать не надо"));
    return;
  }
  AppendLog(ws, W("Выполняю коррекцию GB поинтеров с учетом дополнительного смещения к адресам указанным в файле "
                  "перевода ( ") +
                    Digits(shift) + " )");
  if (ws.ExtendedLogs != "YES") AppendLog(ws, W("буду чего нибудь писать только, если что пойдет не так..."));
  try {
    RunCorrection(ws, shift);
  } catch (...) {
    LogOperationError(ws);
  }
}

void FindGbPointers(Workspace& ws) {
  if (RefuseWithoutPerevod(ws) || RefuseWithoutRom(ws)) return;
  WarnIfSingleLine(ws);
  const auto tables = NamedTables(ws);
  if (!tables) return;
  AppendLog(ws, W("Выполняю поиск GB поинтеров "));
  try {
    RunFind(ws, *tables);
  } catch (...) {
    LogOperationError(ws);
  }
}
