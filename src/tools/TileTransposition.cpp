#include "tools/TileTransposition.h"

#include <cstdio>

#include "tools/FieldNumber.h"
#include "workspace/Dialogs.h"
#include "workspace/Errors.h"
#include "workspace/Log.h"
#include "workspace/Rom.h"
#include "workspace/TextParts.h"

namespace {

// The grid's size is bounded by what the block's byte count may reach.
constexpr std::int64_t kLargestBlockOffset = 32767;

Text HexDigits(std::int64_t n) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(n));
  return buf;
}

void Refuse(Workspace& ws, const Text& message, const Text& logLine) {
  ws.host->message(message, Buttons::Ok, Icon::None);
  AppendLog(ws, logLine);
  MarkNotDone(ws);
}

struct Block {
  std::int32_t start = 0;  // 0-based offset of the first tile
  std::int16_t n = 0;      // highest tile index in a row and in a column
  int tileBytes = 0;
  Text caption;
};

// Reads the fields in the order the checks need them; false after a refusal.
bool ReadBlock(Workspace& ws, const TransposeFields& fields, Block& b) {
  b.caption = kTileFormatCaptions[fields.format >= 0 && fields.format < 3 ? fields.format : 0];
  b.tileBytes = 8 * (b.caption[0] - '0');
  b.start = FieldInt32(fields.startAddr);
  if (std::int64_t{b.start} + 1 < 1) {
    Refuse(ws, W("Неправильно указан адрес начала блока в RОМ") + "\r\n" + W("для транспонирования"),
           W("Неправильно указан адрес начала блока для транспонирования в RОМ"));
    return false;
  }
  b.n = FieldInt16(fields.tilesInRow);
  const std::int64_t side = std::int64_t{b.n} + 1;
  const std::int64_t lastTileOffset = (side * side - 1) * b.tileBytes;
  if (lastTileOffset > kLargestBlockOffset)
    throw OperationError(kErrFieldOverflow,
                         W("Переполнение: блок из") + StrNum(side * side) + W(" тайлов слишком велик"));
  if (std::int64_t{b.start} + 1 + lastTileOffset > static_cast<std::int64_t>(ws.RomImage.size())) {
    Refuse(ws,
           W("Нужно уменьшить адрес начала блока") + "\r\n" + W("или BPP или число тайлов в строке/колонке") + "\r\n" +
               W("(я улетаю за границы RОМ'а)"),
           W("Нужно уменьшить адрес или BPP или число тайлов в строке/колонке (я улетаю за границы RОМ'а)"));
    return false;
  }
  return true;
}

void Transpose(Workspace& ws, const Block& b) {
  const int side = b.n + 1;
  Progress progress(ws, Bar::Main, 0, 3 * b.n + 10);
  const size_t from = static_cast<size_t>(b.start);
  const size_t length = side > 0 ? static_cast<size_t>(side) * side * b.tileBytes : 0;
  const std::string_view work = RomWorkImage(ws);
  const std::string_view block = work.substr(std::min(from, work.size()), length);
  const Text moved = TransposedTiles(block, side, b.tileBytes);
  progress.set(2 * b.n + b.n);
  if (!moved.empty()) ContinueRomWork(ws).replace(from, moved.size(), moved);
  AppendLog(ws, W("Транспонирование части ROM, успешно выполнено (адрес блока=") + StrNum(b.start) +
                    W(",Тайлов в строке/колонке=") + StrNum(b.n) + "/" + StrNum(b.n) + W(", режим=") + b.caption);
  CommitRomWorkImage(ws);
  ws.TransponINILine = "&H" + HexDigits(b.start) + ";" + Digits(b.n) + ";" + Digits(b.n) + ";" + b.caption;
  progress.set(3 * b.n + 10);
}

}  // namespace

Text TransposedTiles(std::string_view block, int side, int tileBytes) {
  Text out;
  out.reserve(block.size());
  const auto tile = [&](int row, int col) {
    const size_t at = (static_cast<size_t>(row) * side + col) * tileBytes;
    return at < block.size() ? block.substr(at, tileBytes) : std::string_view();
  };
  for (int r = 0; r < side; ++r)
    for (int c = 0; c < side; ++c) out += tile(c, r);
  return out;
}

void TransposeTileBlock(Workspace& ws, const TransposeFields& fields) {
  if (!ws.RomLoaded) {
    Refuse(ws, W("ROM еще не загружен"), W("ROM еще не загружен"));
    return;
  }
  try {
    Block block;
    if (ReadBlock(ws, fields, block)) Transpose(ws, block);
  } catch (...) {
    LogOperationError(ws);
  }
}

TransposeFields TransposeFieldsFromSettings(const Workspace& ws) {
  TransposeFields fields;
  if (ws.TransponINILine.size() <= 5) return fields;
  const std::vector<Text> parts = SplitAt(ws.TransponINILine, ';');
  Text* targets[] = {&fields.startAddr, &fields.tilesInRow, &fields.tilesInCol};
  for (size_t i = 0; i < parts.size() && i < 3; ++i) *targets[i] = parts[i];
  if (parts.size() > 3) fields.format = TileFormatIndex(parts[3]);
  return fields;
}

int TileFormatIndex(const Text& caption) {
  if (caption.empty()) return 0;
  for (int i = 0; i < 3; ++i)
    if (caption[0] == kTileFormatCaptions[i][0]) return i;
  return 0;
}
