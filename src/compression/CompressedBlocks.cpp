#include "compression/CompressedBlocks.h"

#include <cstdio>

#include "compression/FreeSpace.h"
#include "compression/StreamFinder.h"
#include "textio/GbaPointer.h"
#include "textio/Refusals.h"
#include "workspace/Dialogs.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Rom.h"

namespace {

constexpr char kAnyFilter[] = "Все файлы (*.*)|*.*";
constexpr char kReportFilter[] = "Текстовый файл (*.txt)|*.txt|Все файлы (*.*)|*.*";

Text Hex8(size_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "&H%08zX", n);
  return buf;
}

Text Number(size_t n) {
  return Digits(static_cast<std::int64_t>(n));
}

Text ReasonOf(StreamError e) {
  switch (e) {
    case StreamError::None: break;
    case StreamError::UnknownType: return W("неизвестный тип сжатия");
    case StreamError::Truncated: return W("данные кончаются раньше, чем блок распакован");
    case StreamError::CopyBeforeStart: return W("копирование из-за начала распакованных данных");
    case StreamError::TreeOutOfRange: return W("узел дерева Хаффмана указывает за пределы дерева");
    case StreamError::EmptyTree: return W("пустое дерево Хаффмана");
    case StreamError::BadSymbol: return W("лист дерева Хаффмана больше 4 бит");
  }
  return Text();
}

bool LzVramSafe(const Workspace& ws) {
  return ws.LzVramSafe != "NO";
}

// The file to pack, read whole; nothing when cancelled, missing or too large.
std::optional<Text> AskInputFile(Workspace& ws, const char* title) {
  Text name = ChooseFileName(ws, FileRequest::Kind::Open, W(title), W(kAnyFilter));
  if (name.empty()) {
    MarkNotDone(ws);
    return std::nullopt;
  }
  if (!CheckFileExists(ws, name, W("Файл"))) return std::nullopt;
  Text data = ReadWholeFile(name);
  if (data.size() > kMaxUnpackedSize) {
    ShowRefusal(ws, W("Файл больше 16 МиБ, такой не запаковать: ") + name);
    return std::nullopt;
  }
  return data;
}

Text ReportOf(const std::vector<FoundStream>& streams) {
  Text out;
  for (const FoundStream& s : streams)
    out += Hex8(s.offset) + " " + StreamTypeName(s.type) + " " + Number(s.packedSize) + " " +
           Number(s.unpackedSize) + " " + Number(s.pointers) + "\r\n";
  return out;
}

Text Summary(const std::vector<FoundStream>& streams) {
  size_t byType[4] = {}, pointed = 0;
  const StreamType types[4] = {StreamType::Lz77, StreamType::Rle, StreamType::Huff4, StreamType::Huff8};
  for (const FoundStream& s : streams) {
    for (int k = 0; k < 4; ++k) byType[k] += s.type == types[k];
    pointed += s.pointers > 0;
  }
  Text line = W("Найдено сжатых блоков: ") + Number(streams.size()) + " (";
  for (int k = 0; k < 4; ++k) line += Text(k ? ", " : "") + StreamTypeName(types[k]) + " " + Number(byType[k]);
  return line + W("), из них с поинтерами: ") + Number(pointed);
}

// Where the new stream goes in `work`: over the old one, into free space, or at the end
// of a grown image. Nothing when no place fits.
std::optional<size_t> PlaceFor(const Workspace& ws, RomBytes& work, size_t oldOffset, size_t oldSize, size_t newSize,
                               char freeByte, const std::vector<FreeRange>& ranges) {
  if (newSize <= oldSize) return oldOffset;
  if (auto at = FindFreePlace(work, ranges, newSize, freeByte)) return at;
  if (ws.AllowRomGrowth != "YES") return std::nullopt;
  const size_t at = GrowthPlace(work, freeByte);
  const size_t grown = (at + newSize + 3) & ~size_t{3};
  if (grown > static_cast<size_t>(kGbaCartridgeSize)) return std::nullopt;
  if (grown > work.size()) work.resize(grown, freeByte);
  return at;
}

// Every 4-aligned pointer to `from` made to point at `to`; how many there were.
size_t Repoint(RomBytes& work, size_t from, size_t to) {
  GbaPointerSet set;
  set.add(kGbaRomBase + static_cast<std::uint32_t>(from));
  std::vector<size_t> at;
  ScanForGbaPointers(work, set, 4, [&](size_t offset, int) {
    at.push_back(offset);
    return true;
  });
  const Text bytes = GbaPointerBytes(kGbaRomBase + static_cast<std::uint32_t>(to));
  for (size_t offset : at) work.replace(offset, 4, bytes);
  return at.size();
}

struct PutSettings {
  char freeByte = '\xFF';
  std::vector<FreeRange> ranges;
};

std::optional<PutSettings> ReadPutSettings(Workspace& ws) {
  PutSettings s;
  const auto freeByte = ReadFreeByte(ws.FreeSpaceByte);
  const auto ranges = ReadFreeRanges(ws.FreeSpace);
  if (!freeByte) {
    ShowRefusal(ws, W("Неправильно указан свободный байт (FreeSpaceByte): ") + ws.FreeSpaceByte);
    return std::nullopt;
  }
  if (!ranges) {
    ShowRefusal(ws, W("Неправильно указано свободное место (FreeSpace): ") + ws.FreeSpace);
    return std::nullopt;
  }
  s.freeByte = static_cast<char>(*freeByte);
  s.ranges = *ranges;
  return s;
}

std::optional<size_t> PutPacked(Workspace& ws, size_t oldOffset, size_t oldSize, const Text& packed,
                                const PutSettings& s) {
  if (oldOffset > static_cast<size_t>(kGbaCartridgeSize) - 4 && packed.size() > oldSize) {
    ShowRefusal(ws, W("Блок за пределами 32 МиБ нельзя перенести: на него нет поинтеров"));
    return std::nullopt;
  }
  RomBytes& work = StartRomWork(ws);
  const size_t before = work.size();
  const auto at = PlaceFor(ws, work, oldOffset, oldSize, packed.size(), s.freeByte, s.ranges);
  if (!at) {
    DiscardRomWork(ws);
    ShowRefusal(ws, W("Нет места для сжатого блока в ") + Number(packed.size()) +
                        W(" байт (старый занимает ") + Number(oldSize) + W("), ROM не изменен"));
    return std::nullopt;
  }
  if (*at == oldOffset) {
    work.replace(oldOffset, packed.size(), packed);
    std::fill(work.begin() + static_cast<std::ptrdiff_t>(oldOffset + packed.size()),
              work.begin() + static_cast<std::ptrdiff_t>(oldOffset + oldSize), s.freeByte);
    AppendLog(ws, W("Сжатый блок записан на старое место ") + Hex8(oldOffset) + ": " + Number(packed.size()) +
                      W(" байт вместо ") + Number(oldSize));
  } else {
    const size_t pointers = Repoint(work, oldOffset, *at);
    std::fill(work.begin() + static_cast<std::ptrdiff_t>(oldOffset),
              work.begin() + static_cast<std::ptrdiff_t>(oldOffset + oldSize), s.freeByte);
    work.replace(*at, packed.size(), packed);
    if (work.size() > before) AppendLog(ws, W("ROM увеличен до ") + Number(work.size()) + W(" байт"));
    AppendLog(ws, W("Сжатый блок (") + Number(packed.size()) + W(" байт) перенесен с ") + Hex8(oldOffset) + W(" на ") +
                      Hex8(*at) + W(", старое место освобождено, исправлено поинтеров: ") + Number(pointers));
  }
  CommitRomWorkImage(ws);
  return at;
}

}  // namespace

std::optional<PackKind> ReadPackKind(const Text& name) {
  const Text upper = utf8::Upper(name);
  if (upper == "LZ77") return PackKind{StreamType::Lz77, false};
  if (upper == "LZ77WRAM") return PackKind{StreamType::Lz77, true};
  if (upper == "RLE") return PackKind{StreamType::Rle, false};
  if (upper == "HUFF4") return PackKind{StreamType::Huff4, false};
  if (upper == "HUFF8") return PackKind{StreamType::Huff8, false};
  return std::nullopt;
}

std::optional<FoundBlock> BlockAt(Workspace& ws, const Text& offsetText) {
  const auto offset = ReadBlockOffset(offsetText);
  if (!offset || *offset >= ws.RomImage.size()) {
    ShowRefusal(ws, W("Неправильно указан адрес сжатого блока: ") + offsetText);
    return std::nullopt;
  }
  FoundBlock block;
  block.offset = *offset;
  block.unpacked = Unpack(std::string_view(ws.RomImage).substr(*offset));
  if (block.unpacked.error != StreamError::None) {
    ShowRefusal(ws, NoBlockText(*offset, block.unpacked.error));
    return std::nullopt;
  }
  block.type = ReadStreamHeader(std::string_view(ws.RomImage).substr(*offset))->type;
  if (block.unpacked.overran)
    AppendLog(ws, W("ПРЕДУПРЕЖДЕНИЕ: последний элемент блока по адресу ") + Hex8(*offset) +
                      W(" выходит за его размер, распаковка остановлена на размере"));
  return block;
}

Text NoBlockText(size_t offset, StreamError error) {
  return W("По адресу ") + Hex8(offset) + W(" нет сжатого блока: ") + ReasonOf(error);
}

bool PutBackSettingsGood(Workspace& ws) {
  return ReadPutSettings(ws).has_value();
}

std::optional<size_t> PutBack(Workspace& ws, const FoundBlock& block, const Text& data, std::optional<PackKind> kind) {
  const auto settings = ReadPutSettings(ws);
  if (!settings) return std::nullopt;
  const PackKind k = kind.value_or(PackKind{block.type, false});
  const Text packed = Pack(data, k.type, k.type == StreamType::Lz77 && !k.wram && LzVramSafe(ws));
  return PutPacked(ws, block.offset, block.unpacked.packedSize, packed, *settings);
}

std::optional<size_t> ReadBlockOffset(const Text& text) {
  return ReadOffsetNumber(text);
}

std::optional<Text> AskBlockOffset(Workspace& ws, const Text& title) {
  return ws.host->inputBox(W("Адрес сжатого блока в ROM (с 0, десятичный или &H...)"), title, "&H");
}

void FindCompressed(Workspace& ws) {
  if (RefuseWithoutRom(ws)) return;
  const Text name = ChooseFileName(ws, FileRequest::Kind::Save, W("Сохранить список сжатых данных как..."),
                                   W(kReportFilter));
  if (name.empty()) return MarkNotDone(ws);
  try {
    std::vector<FoundStream> streams;
    {
      Progress progress(ws, Bar::Main, 0, static_cast<int>(ws.RomImage.size() >> 20) + 1);
      streams = FindStreams(ws.RomImage, [&](size_t offset) {
        progress.set(static_cast<int>(offset >> 20));
        ws.host->pumpEvents();
      });
    }
    WriteFileAtomically(name, ReportOf(streams));
    AppendLog(ws, Summary(streams) + W(". Список записан в файл ") + name);
  } catch (...) {
    LogOperationError(ws);
  }
}

void UnpackBlock(Workspace& ws, const Text& offset) {
  if (RefuseWithoutRom(ws)) return;
  try {
    const auto found = BlockAt(ws, offset);
    if (!found) return;
    const size_t at = found->offset;
    const UnpackResult& r = found->unpacked;
    const Text name = ChooseFileName(ws, FileRequest::Kind::Save, W("Сохранить распакованный блок как..."),
                                     W(kAnyFilter));
    if (name.empty()) return MarkNotDone(ws);
    WriteFileAtomically(name, r.data);
    AppendLog(ws, W("Блок ") + StreamTypeName(found->type) +
                      W(" по адресу ") + Hex8(at) + W(" распакован: ") + Number(r.packedSize) + W(" байт -> ") +
                      Number(r.data.size()) + W(" байт, записан в файл ") + name);
  } catch (...) {
    LogOperationError(ws);
  }
}

void PackFile(Workspace& ws, const Text& type) {
  const auto kind = ReadPackKind(type);
  if (!kind) return ShowRefusal(ws, W("Неизвестный тип сжатия: ") + type);
  try {
    const auto data = AskInputFile(ws, "Какой файл запаковать...");
    if (!data) return;
    const Text name = ChooseFileName(ws, FileRequest::Kind::Save, W("Сохранить сжатый блок как..."), W(kAnyFilter));
    if (name.empty()) return MarkNotDone(ws);
    const bool vramSafe = kind->type == StreamType::Lz77 && !kind->wram && LzVramSafe(ws);
    const Text packed = Pack(*data, kind->type, vramSafe);
    WriteFileAtomically(name, packed);
    AppendLog(ws, W("Запаковано в ") + utf8::Upper(type) + ": " + Number(data->size()) + W(" байт -> ") +
                      Number(packed.size()) + W(" байт, записано в файл ") + name);
  } catch (...) {
    LogOperationError(ws);
  }
}

void PutPackedBlock(Workspace& ws, const Text& offset, const Text& type) {
  if (RefuseWithoutRom(ws)) return;
  const auto kind = type.empty() ? std::optional<PackKind>() : ReadPackKind(type);
  if (!type.empty() && !kind) return ShowRefusal(ws, W("Неизвестный тип сжатия: ") + type);
  try {
    if (!PutBackSettingsGood(ws)) return;
    const auto found = BlockAt(ws, offset);
    if (!found) return;
    const auto data = AskInputFile(ws, "Какой файл запаковать и записать в ROM...");
    if (!data) return;
    PutBack(ws, *found, *data, kind);
  } catch (...) {
    LogOperationError(ws);
  }
}
