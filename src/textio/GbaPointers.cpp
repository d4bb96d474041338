#include "textio/GbaPointers.h"

#include <optional>

#include "textio/GbaPointer.h"
#include "textio/InsertionEncoder.h"
#include "textio/Refusals.h"
#include "workspace/Dialogs.h"
#include "workspace/Errors.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"

namespace {

// What the correction decided for one line before touching the image.
struct LineCorrection {
  bool takesPart = false;  // the line has a space
  std::int64_t newAddress = 0;
  std::optional<std::uint32_t> oldPointer;
  std::optional<std::uint32_t> newPointer;
  int id = -1;  // the line's old pointer in the search set
};

struct Occurrence {
  size_t offset;
  int id;
};

// Text bytes followed by a stray 0x08 look like a pointer; real ones sit at offsets
// divisible by 4, so the setting lets a search take only those.
size_t PointerAlignment(const Workspace& ws) {
  return ws.GbaPointerAlignment == "4" ? 4 : 1;
}

void CheckTableBelongs(const Workspace& ws) {
  if (ws.GbaPointerTable.size() != ws.PerevodArray.size())
    throw OperationError(kErrNoPointerTable, W("таблица GBA поинтеров не построена для этого перевода"));
}

GbaPointerEntry EntryOf(const Text& line) {
  const PerevodLineParts parts = ParsePerevodLine(line);
  GbaPointerEntry entry;
  entry.hasSeparator = parts.hasSeparator;
  if (!parts.hasSeparator) return entry;
  entry.addressText = Text(parts.field);
  entry.address = parts.address;
  entry.text = Text(parts.text);
  if (auto value = GbaPointerValue(parts.address)) entry.pointer = GbaPointerBytes(*value);
  return entry;
}

std::vector<LineCorrection> PlanCorrection(const Workspace& ws, std::int32_t shift) {
  const bool alreadyShifted = ws.LeaveChangesInPerevodAddr == "YES";
  std::vector<LineCorrection> plan(ws.PerevodArray.size());
  for (size_t i = 0; i < plan.size(); ++i) {
    const PerevodLineParts parts = ParsePerevodLine(ws.PerevodArray[i]);
    LineCorrection& line = plan[i];
    line.takesPart = parts.hasSeparator;
    if (!line.takesPart) continue;
    line.newAddress = alreadyShifted ? parts.address : parts.address + shift;
    const Text& old = ws.GbaPointerTable[i].pointer;
    if (old.size() == 4) line.oldPointer = GbaPointerFromBytes(old);
    line.newPointer = GbaPointerValue(line.newAddress);
  }
  return plan;
}

// Every old pointer is looked for in the image as it stood before the correction, so a
// pointer already rewritten for one line is never taken for the old pointer of another.
// Where lines share an old pointer, the first of them gives the new value.
std::vector<std::uint32_t> AssignOwners(std::vector<LineCorrection>& plan, GbaPointerSet& set) {
  std::vector<std::uint32_t> newValueOf;
  for (auto& line : plan) {
    if (!line.takesPart || !line.oldPointer || !line.newPointer) continue;
    line.id = set.add(*line.oldPointer);
    if (static_cast<size_t>(line.id) == newValueOf.size()) newValueOf.push_back(*line.newPointer);
  }
  return newValueOf;
}

// Occurrences are taken left to right and never overlap, as a replace-all would take them;
// `found` also counts an occurrence that overlaps an earlier one.
std::vector<Occurrence> FindOccurrences(std::string_view image, const GbaPointerSet& set, size_t alignment,
                                        std::vector<bool>& found) {
  std::vector<Occurrence> occurrences;
  found.assign(set.size(), false);
  size_t nextFree = 0;
  ScanForGbaPointers(image, set, alignment, [&](size_t offset, int id) {
    found[static_cast<size_t>(id)] = true;
    if (offset >= nextFree) {
      occurrences.push_back({offset, id});
      nextFree = offset + 4;
    }
    return true;
  });
  return occurrences;
}

void ReportLine(Workspace& ws, const GbaPointerEntry& entry, const LineCorrection& line, bool found) {
  const bool extended = ws.ExtendedLogs == "YES";
  if (line.newAddress == 0) WarnZeroAddress(ws);
  if (extended) AppendLog(ws, W("новый адрес для расчета поинтера PerevodAddr= ") + AddressText(line.newAddress));
  if (!line.oldPointer) return WarnNoGbaPointer(ws, entry.address);
  if (!line.newPointer) return WarnNoGbaPointer(ws, line.newAddress);
  if (!found)
    AppendLog(ws, W("ПРЕДУПРЕЖДЕНИЕ: GBA поинтер =") + entry.pointer + W(" не найден"));
  else if (extended)
    AppendLog(ws, W("GBA поинтер =") + entry.pointer + W(" найден/исправлен (хотя бы один раз)"));
}

// A shift of 0 still leaves lines moved when the shifted insertion packed them behind
// the first one; only when every line's pointer is the one recorded before the packing
// is there nothing to correct. Without a record for this translation nothing can be
// compared.
bool NothingMoved(const Workspace& ws) {
  if (ws.GbaPointerTable.size() != ws.PerevodArray.size()) return true;
  for (const LineCorrection& line : PlanCorrection(ws, 0))
    if (line.oldPointer && line.newPointer && *line.oldPointer != *line.newPointer) return false;
  return true;
}

void RunCorrection(Workspace& ws, std::int32_t shift) {
  CheckTableBelongs(ws);
  RomBytes& work = StartRomWork(ws);
  std::vector<LineCorrection> plan = PlanCorrection(ws, shift);
  GbaPointerSet set;
  const std::vector<std::uint32_t> newValueOf = AssignOwners(plan, set);
  std::vector<bool> found;
  const std::vector<Occurrence> occurrences = FindOccurrences(work, set, PointerAlignment(ws), found);
  {
    Progress bar(ws, Bar::Main, 0, static_cast<int>(plan.size()) - 1);
    for (size_t i = 0; i < plan.size(); ++i) {
      const LineCorrection& line = plan[i];
      if (line.takesPart)
        ReportLine(ws, ws.GbaPointerTable[i], line, line.id >= 0 && found[static_cast<size_t>(line.id)]);
      bar.set(static_cast<int>(i));
      ws.host->pumpEvents();
    }
  }
  for (const Occurrence& o : occurrences)
    work.replace(o.offset, 4, GbaPointerBytes(newValueOf[static_cast<size_t>(o.id)]));
  AppendLog(ws, W("Коррекция поинтеров GBA в ROM закончена"));
  CommitRomWorkImage(ws);
}

void ReportFind(Workspace& ws, std::int64_t address, std::optional<std::uint32_t> pointer, std::int64_t offset) {
  if (address == 0) WarnZeroAddress(ws);
  if (!pointer)
    WarnNoGbaPointer(ws, address);
  else if (offset >= 0)
    AppendLog(ws,
              W("найден поинтер на строку с адресом") + AddressText(address) + W(", адрес поинтера") + Digits(offset));
  else
    AppendLog(ws, W("НЕ найден поинтер на строку с адресом") + AddressText(address));
}

void RunFind(Workspace& ws) {
  const auto& lines = ws.PerevodArray;
  GbaPointerSet set;
  std::vector<int> idOf(lines.size(), -1);
  for (size_t i = 0; i < lines.size(); ++i) {
    const PerevodLineParts parts = ParsePerevodLine(lines[i]);
    if (auto value = parts.hasSeparator ? GbaPointerValue(parts.address) : std::nullopt) idOf[i] = set.add(*value);
  }
  std::vector<std::int64_t> firstOffset(set.size(), -1);
  size_t left = set.size();
  ScanForGbaPointers(RomWorkImage(ws), set, PointerAlignment(ws), [&](size_t offset, int id) {
    auto& first = firstOffset[static_cast<size_t>(id)];
    if (first < 0) {
      first = static_cast<std::int64_t>(offset);
      --left;
    }
    return left > 0;
  });
  Progress bar(ws, Bar::Main, 0, static_cast<int>(lines.size()) - 1);
  for (size_t i = 0; i < lines.size(); ++i) {
    const PerevodLineParts parts = ParsePerevodLine(lines[i]);
    if (parts.hasSeparator) {
      const int id = idOf[i];
      ReportFind(ws, parts.address, id < 0 ? std::nullopt : GbaPointerValue(parts.address),
                 id < 0 ? -1 : firstOffset[static_cast<size_t>(id)]);
    }
    bar.set(static_cast<int>(i));
  }
}

}  // namespace

void BuildGbaPointerTable(Workspace& ws) {
  if (RefuseWithoutPerevod(ws)) {
    // A table left from an earlier translation must not steer the steps that follow.
    ws.GbaPointerTable.clear();
    return;
  }
  WarnIfSingleLine(ws);
  try {
    std::vector<GbaPointerEntry> table;
    table.reserve(ws.PerevodArray.size());
    for (const Text& line : ws.PerevodArray) table.push_back(EntryOf(line));
    ws.GbaPointerTable = std::move(table);
  } catch (...) {
    LogOperationError(ws);
  }
}

void PackPerevodAddresses(Workspace& ws, std::int32_t shift) {
  WarnIfSingleLine(ws);
  auto& lines = ws.PerevodArray;
  if (lines.size() <= 1) return;  // nothing follows the first line
  try {
    // The Game Boy flow records no GBA table: the lines themselves are packed then.
    const bool recorded = ws.GbaPointerTable.size() == lines.size();
    std::optional<InsertionEncoder> encoder;
    if (ws.TableExtended) encoder.emplace(ws);
    // A line without a space keeps its place; the next line with a text follows the
    // last line that had one.
    std::optional<std::int64_t> next;
    for (size_t i = 0; i < lines.size(); ++i) {
      const PerevodLineParts parts = ParsePerevodLine(lines[i]);
      if (recorded ? !ws.GbaPointerTable[i].hasSeparator : !parts.hasSeparator) continue;
      const Text text = recorded ? ws.GbaPointerTable[i].text : Text(parts.text);
      std::int64_t address = recorded ? ws.GbaPointerTable[i].address : parts.address;
      if (next) {
        address = *next;
        lines[i] = Digits(address) + " " + text;
        if (recorded) {
          ws.GbaPointerTable[i].address = address;
          ws.GbaPointerTable[i].addressText = Digits(address);
        }
      }
      const size_t length = encoder ? encoder->lineSpan(ws.RomImage, address + shift, text) : utf8::Length(text);
      next = address + static_cast<std::int64_t>(length) + 1;
    }
  } catch (...) {
    LogOperationError(ws);
  }
}

void CorrectGbaPointers(Workspace& ws, std::int32_t shift) {
  if (RefuseWithoutPerevod(ws) || RefuseWithoutRom(ws)) return;
  WarnIfSingleLine(ws);
  if (shift == 0 && NothingMoved(ws)) {
    AppendLog(ws, W("Приращение к смещению текста перевода равно нулю, ничего делать не надо"));
    return;
  }
  AppendLog(ws, W("Выполняю коррекцию GBA поинтеров с учетом дополнительного смещение к адресам указанным в файле "
                  "перевода ( ") +
                    Digits(shift) + " )");
  if (ws.ExtendedLogs != "YES") AppendLog(ws, W("буду чего нибудь писать только, если что пойдет не так..."));
  try {
    RunCorrection(ws, shift);
  } catch (...) {
    LogOperationError(ws);
  }
}

void FindGbaPointers(Workspace& ws) {
  if (RefuseWithoutPerevod(ws) || RefuseWithoutRom(ws)) return;
  WarnIfSingleLine(ws);
  AppendLog(ws, W("Выполняю поиск GBA поинтеров "));
  try {
    RunFind(ws);
    AppendLog(ws, W("Поиск поинтеров GBA в ROM закончен"));
  } catch (...) {
    LogOperationError(ws);
  }
}
