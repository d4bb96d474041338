#include "ips/MagicIps.h"

#include <algorithm>

#include "ips/IpsFile.h"
#include "ips/IpsRecords.h"
#include "workspace/Log.h"
#include "workspace/Rom.h"

namespace {

constexpr std::int64_t kMaxPiece = 32768;
constexpr std::int64_t kDefaultPieces = 100;
constexpr size_t kMaxRomLength = size_t{kIpsMaxOffset} + 1;

// One piece of the ROM as a record. A piece starting at 454F46 would read as the end of
// the patch, so its record starts one byte earlier and carries that byte as well.
void AppendPiece(Text& patch, std::string_view rom, std::int64_t offset, std::int64_t size) {
  if (offset == kIpsEofOffset) {
    --offset;
    ++size;
  }
  AppendIpsRecord(patch, static_cast<std::uint32_t>(offset),
                  rom.substr(static_cast<size_t>(offset), static_cast<size_t>(size)));
}

// An empty ROM has nothing to carry, and offsets past 16 MiB do not fit the format.
bool RomFitsMagicIps(Workspace& ws) {
  if (!ws.RomLoaded) {
    AppendLog(ws, W("Входной ROM не загружен"));
    MarkNotDone(ws);
    return false;
  }
  if (ws.RomImage.empty()) {
    IpsRefusal(ws, W("ROM пустой, Magic IPS делать не из чего"));
    return false;
  }
  if (ws.RomImage.size() > kMaxRomLength) {
    IpsRefusal(ws, W("ROM длиннее 16777216 байт: смещения IPS дальше не достают, Magic IPS не сделан"));
    return false;
  }
  return true;
}

struct PieceLayout {
  std::int64_t size = 0;
  std::int64_t count = 0;
};

PieceLayout LayOutPieces(Workspace& ws, std::int64_t length) {
  PieceLayout pieces;
  pieces.count = ws.magicIterator > 0 ? ws.magicIterator : kDefaultPieces;
  pieces.size = length / pieces.count;
  if (pieces.size > kMaxPiece) {
    AppendLog(ws, W("слишком маленькое число кусочков в волшебном IPS, установим размер кусочка = 32768, и "
                    "таких кусочков будет столько, сколько получится :-)"));
    pieces.size = kMaxPiece;
    pieces.count = length / kMaxPiece;
    ws.magicIterator = static_cast<int>(pieces.count);
  }
  // Pieces of size 0 would read as run-length records: a ROM shorter than the piece
  // count goes whole into the rest.
  if (pieces.size == 0) pieces.count = 0;
  return pieces;
}

void AppendAllPieces(Workspace& ws, const PieceLayout& pieces) {
  const std::string_view rom = ws.RomImage;
  const auto length = static_cast<std::int64_t>(rom.size());
  ws.IpsImage.reserve(ws.IpsImage.size() + rom.size() + 5 * static_cast<size_t>(pieces.count) + 64);
  IpsProgress progress(ws, static_cast<size_t>(pieces.count));
  for (std::int64_t k = 0; k < pieces.count; ++k) {
    AppendPiece(ws.IpsImage, rom, k * pieces.size, pieces.size);
    progress.at(static_cast<size_t>(k + 1));
  }
  // The rest is one record, unless a huge piece count leaves more than a record holds.
  for (std::int64_t at = pieces.count * pieces.size; at < length; at += kMaxPiece)
    AppendPiece(ws.IpsImage, rom, at, std::min(kMaxPiece, length - at));
  ws.IpsImage += kIpsTrailer;
}

}  // namespace

void MakeMagicIps(Workspace& ws) {
  if (!ws.RomLoaded) LoadRom(ws);
  if (!RomFitsMagicIps(ws)) return;
  ws.IpsImage = Text(kIpsHeader);
  if (ws.IpsLoaded) ws.host->message(W("ранее загруженный IPS выгружен из памяти"), Buttons::Ok, Icon::None);
  try {
    AppendAllPieces(ws, LayOutPieces(ws, static_cast<std::int64_t>(ws.RomImage.size())));
    AppendLog(ws, W("Сгенерировали Magic IPS для ROM файла ") + ws.InputRomFileName);
    ws.IpsChanged = true;
    ws.IpsLoaded = true;
  } catch (...) {
    LogOperationError(ws);
  }
}
