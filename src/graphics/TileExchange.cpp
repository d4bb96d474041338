#include "graphics/TileExchange.h"

#include <cstdio>
#include <unordered_map>

#include "compression/CompressedBlocks.h"
#include "graphics/Png.h"
#include "tools/FieldNumber.h"
#include "workspace/Dialogs.h"
#include "workspace/Escapes.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Rom.h"
#include "workspace/TextParts.h"

namespace {

constexpr const char* kPngFilter = "PNG (*.png)|*.png|Все файлы (*.*)|*.*";

std::string Hex(std::int64_t n) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "&H%llX", static_cast<unsigned long long>(n));
  return buf;
}

// A record's number: decimal digits or "&H" and hexadecimal digits, nothing else.
std::optional<std::int64_t> RecordNumber(std::string_view s) {
  size_t digits = 0;
  std::uint64_t v = 0;
  if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
    if (s.size() > 10) return std::nullopt;
    v = ReadHexPrefix(s.substr(2), &digits);
    if (digits != s.size() - 2) return std::nullopt;
  } else {
    if (s.empty() || s.size() > 10) return std::nullopt;
    for (char c : s) {
      if (!IsDigit(c)) return std::nullopt;
      v = v * 10 + static_cast<unsigned>(c - '0');
    }
  }
  return v <= 0x7FFFFFFF ? std::optional<std::int64_t>(static_cast<std::int64_t>(v)) : std::nullopt;
}

// More tiles than any ROM holds; it keeps the image's sizes far from overflowing.
constexpr int kMostTiles = 1 << 24;

// The layout's numbers hold together: whole cells, rows of whole cells, a sane size.
bool LayoutIsWhole(const TileLayout& l) {
  return l.count > 0 && l.count <= kMostTiles && l.perRow > 0 && l.perRow <= 0x10000 && l.perRow % l.cell.w == 0 &&
         l.count % l.cell.tiles() == 0;
}

Text ColourName(Rgb c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c.r, c.g, c.b);
  return buf;
}

Text PixelName(size_t pixel, int width) {
  return "(" + Digits(static_cast<std::int64_t>(pixel % width)) + ", " + Digits(static_cast<std::int64_t>(pixel / width)) + ")";
}

Text PngFaultText(const PngReadResult& read) {
  switch (read.fault) {
    case PngFault::NotPng: return W("это не PNG-файл");
    case PngFault::SixteenBit: return W("16 бит на канал не поддерживаются");
    case PngFault::TooLarge: return W("изображение больше, чем может занять блок в ROM");
    default: return W("файл поврежден (libpng: ") + read.detail + ")";
  }
}

// The picture's pixels as indices of the block's format; the refusal's text when one
// cannot be.
std::optional<IndexedImage> PictureIndices(const PngPicture& pic, const TileBlock& block, const PaletteSource& source,
                                           Text& refusal) {
  IndexedImage image;
  image.width = pic.width;
  image.height = pic.height;
  const size_t pixels = static_cast<size_t>(pic.width) * pic.height;
  const unsigned limit = 1u << BitsPerPixel(block.layout.format);
  if (pic.indexed) {
    for (size_t i = 0; i < pixels; ++i)
      if (pic.data[i] >= limit) {
        refusal = W("индекс цвета ") + Digits(pic.data[i]) + W(" в пикселе ") + PixelName(i, pic.width) +
                  W(" не помещается в формат ") + TileFormatName(block.layout.format);
        return std::nullopt;
      }
    image.pixels = pic.data;
    return image;
  }
  const std::optional<Palette> palette = source(block, refusal);
  if (!palette) return std::nullopt;
  std::unordered_map<std::uint32_t, std::uint8_t> index;
  for (size_t i = palette->size(); i-- > 0;)
    index[((*palette)[i].r << 16) | ((*palette)[i].g << 8) | (*palette)[i].b] = static_cast<std::uint8_t>(i);
  image.pixels.resize(pixels);
  for (size_t i = 0; i < pixels; ++i) {
    const Rgb c = pic.colourAt(i);
    const auto it = index.find((c.r << 16) | (c.g << 8) | c.b);
    if (it == index.end()) {
      refusal = W("цвет ") + ColourName(c) + W(" в пикселе ") + PixelName(i, pic.width) + W(" не из палитры");
      return std::nullopt;
    }
    image.pixels[i] = it->second;
  }
  return image;
}

// The layout the picture is drawn in: its record's, which must match its size, or the
// fallback's format and cell with as many tiles as the picture holds.
bool PictureBlock(const PngPicture& pic, const TileBlock& fallback, PngTiles& out) {
  const std::optional<TileBlock> recorded = pic.record.empty() ? std::nullopt : ParsePngRecord(pic.record);
  if (!pic.record.empty() && !recorded) {
    out.refusal = W("запись о блоке в файле повреждена");
    return false;
  }
  out.fromRecord = recorded.has_value();
  out.block = recorded ? *recorded : fallback;
  TileLayout& l = out.block.layout;
  const int cellW = 8 * l.cell.w, cellH = 8 * l.cell.h;
  if (pic.width % cellW != 0 || pic.height % cellH != 0) {
    out.refusal = W("размер ") + Digits(pic.width) + "x" + Digits(pic.height) + W(" не делится на целые ") +
                  (l.cell.tiles() == 1 ? W("тайлы 8x8") : W("ячейки ") + Digits(cellW) + "x" + Digits(cellH));
    return false;
  }
  if (recorded) {
    if (l.width() == pic.width && l.height() == pic.height) return true;
    out.refusal = W("размер ") + Digits(pic.width) + "x" + Digits(pic.height) + W(" не совпадает с записью о блоке (") +
                  Digits(l.width()) + "x" + Digits(l.height()) + ")";
    return false;
  }
  l.perRow = pic.width / 8;
  l.count = (pic.width / cellW) * (pic.height / cellH) * l.cell.tiles();
  return true;
}

}  // namespace

std::string FormatPngRecord(const TileBlock& block) {
  const TileLayout& l = block.layout;
  return "offset=" + std::string(block.packed ? "Z" : "") + Hex(block.offset) + ";format=" + TileFormatName(l.format) +
         ";count=" + Digits(l.count) + ";perrow=" + Digits(l.perRow) + ";cell=" + CellSizeName(l.cell) +
         ";palette=" + (block.paletteOffset ? Hex(*block.paletteOffset) : std::string("GREY"));
}

std::optional<TileBlock> ParsePngRecord(std::string_view record) {
  TileBlock block;
  unsigned seen = 0;
  for (const Text& part : SplitAt(Text(record), ';')) {
    const size_t eq = part.find('=');
    if (eq == Text::npos) return std::nullopt;
    const std::string key = part.substr(0, eq), value = part.substr(eq + 1);
    const auto number = RecordNumber(value);
    const bool packed = key == "offset" && !value.empty() && value[0] == 'Z';
    const auto at = packed ? RecordNumber(std::string_view(value).substr(1)) : number;
    if (key == "offset" && at) block.offset = *at, block.packed = packed, seen |= 1;
    else if (key == "format" && ParseTileFormat(value)) block.layout.format = *ParseTileFormat(value), seen |= 2;
    else if (key == "count" && number) block.layout.count = static_cast<int>(*number), seen |= 4;
    else if (key == "perrow" && number) block.layout.perRow = static_cast<int>(*number), seen |= 8;
    else if (key == "cell" && ParseCellSize(value)) block.layout.cell = *ParseCellSize(value), seen |= 16;
    else if (key == "palette" && (value == "GREY" || number))
      block.paletteOffset = number ? std::optional<std::int64_t>(*number) : std::nullopt, seen |= 32;
    else return std::nullopt;
  }
  if (seen != 63 || !LayoutIsWhole(block.layout)) return std::nullopt;
  return block;
}

std::string TilesToPng(std::string_view tiles, const TileBlock& block, const Palette& palette) {
  return WriteIndexedPng(TilesToImage(tiles, block.layout), BitsPerPixel(block.layout.format), palette,
                         FormatPngRecord(block));
}

PngTiles TilesFromPng(std::string_view png, const TileBlock& fallback, const PaletteSource& palette, size_t maxPixels) {
  PngTiles out;
  const PngReadResult read = ReadPng(png, maxPixels);
  if (read.fault != PngFault::None) {
    out.refusal = PngFaultText(read);
    return out;
  }
  if (!PictureBlock(read.picture, fallback, out)) return out;
  const std::optional<IndexedImage> image = PictureIndices(read.picture, out.block, palette, out.refusal);
  if (image) out.tiles = TilesFromImage(*image, out.block.layout);
  return out;
}

bool IsPackedOffset(const Text& offset) {
  const Text s = TrimSpaces(offset);
  return !s.empty() && (s[0] == 'Z' || s[0] == 'z');
}

std::optional<TileBlock> ReadTileFields(const TileFields& fields, Text& refusal) {
  TileBlock block;
  const auto format = ParseTileFormat(TrimSpaces(fields.format));
  if (!format) {
    refusal = W("Неизвестный формат тайлов \"") + fields.format + W("\": нужен 1BPP, 2BPP, 4BPP или 8BPP");
    return std::nullopt;
  }
  const auto cell = ParseCellSize(TrimSpaces(fields.cell));
  if (!cell) {
    refusal = W("Неизвестный размер ячейки \"") + fields.cell + W("\": нужен 1x1, 1x2 или 2x2");
    return std::nullopt;
  }
  block.layout = {*format, FieldInt32(fields.count), FieldInt32(fields.perRow), *cell};
  block.packed = IsPackedOffset(fields.offset);
  if (block.packed) {
    const auto at = ReadBlockOffset(TrimSpaces(fields.offset).substr(1));
    block.offset = at && *at <= 0x7FFFFFFF ? static_cast<std::int64_t>(*at) : -1;
  } else {
    block.offset = FieldInt32(fields.offset);
  }
  const Text palette = utf8::Upper(TrimSpaces(fields.palette));
  if (!palette.empty() && palette != "GREY") block.paletteOffset = FieldInt32(palette);
  if (block.offset < 0 || (block.paletteOffset && *block.paletteOffset < 0)) {
    refusal = W("Неправильно указан адрес блока тайлов или палитры");
    return std::nullopt;
  }
  if (!LayoutIsWhole(block.layout)) {
    refusal = W("Число тайлов (") + fields.count + W(") и тайлов в строке (") + fields.perRow +
              W(") должны быть больше нуля и делиться на ячейки ") + CellSizeName(*cell);
    return std::nullopt;
  }
  return block;
}

std::optional<Palette> BlockPalette(std::string_view rom, const TileBlock& block, Text& refusal) {
  const TileFormat format = block.layout.format;
  if (!block.paletteOffset) return GreyPalette(format);
  const auto at = static_cast<std::uint64_t>(*block.paletteOffset);
  if (at + PaletteBytes(format) > rom.size()) {
    refusal = W("Палитра с адреса ") + Hex(*block.paletteOffset) + W(" выходит за конец ROM");
    return std::nullopt;
  }
  return RomPalette(rom, at, format);
}

namespace {

// The refusal's text when the block does not lie wholly inside the ROM.
bool BlockFits(const Workspace& ws, const TileBlock& block, Text& refusal) {
  const std::uint64_t end = static_cast<std::uint64_t>(block.offset) + block.layout.bytes();
  if (end <= ws.RomImage.size()) return true;
  refusal = W("Блок тайлов выходит за конец ROM: с адреса ") + Hex(block.offset) + W(" нужно байт") +
            StrNum(static_cast<std::int64_t>(block.layout.bytes())) + W(", а в ROM байт") +
            StrNum(static_cast<std::int64_t>(ws.RomImage.size()));
  return false;
}

bool RomIsLoaded(Workspace& ws) {
  if (ws.RomLoaded) return true;
  ShowRefusal(ws, W("ROM еще не загружен"));
  return false;
}

// A stream's block as far as its unpacked bytes hold whole cells; the refusal's text when
// they hold none.
bool CutToUnpacked(TileBlock& block, size_t unpacked, Text& refusal) {
  TileLayout& l = block.layout;
  const auto cells = static_cast<std::int64_t>(unpacked / TileBytes(l.format)) / l.cell.tiles();
  l.count = static_cast<int>(std::min<std::int64_t>(l.count, cells * l.cell.tiles()));
  if (l.count > 0) return true;
  refusal = W("В распакованном блоке с адреса ") + Hex(block.offset) + W(" (байт ") +
            Digits(static_cast<std::int64_t>(unpacked)) + W(") нет ни одной целой ячейки тайлов");
  return false;
}

// The unpacked stream a block names, or nothing after telling the user why not.
std::optional<FoundBlock> StreamOf(Workspace& ws, const TileBlock& block) {
  return BlockAt(ws, Hex(block.offset));
}

void Export(Workspace& ws, const TileFields& fields) {
  Text refusal;
  std::optional<TileBlock> block = ReadTileFields(fields, refusal);
  if (!block) return ShowRefusal(ws, refusal);
  std::optional<FoundBlock> stream;
  if (block->packed) {
    stream = StreamOf(ws, *block);
    if (!stream) return;
    if (!CutToUnpacked(*block, stream->unpacked.data.size(), refusal)) return ShowRefusal(ws, refusal);
  } else if (!BlockFits(ws, *block, refusal)) {
    return ShowRefusal(ws, refusal);
  }
  const std::optional<Palette> palette = BlockPalette(ws.RomImage, *block, refusal);
  if (!palette) return ShowRefusal(ws, refusal);
  Text name = ChooseFileName(ws, FileRequest::Kind::Save, W("Сохранить тайлы в PNG"), W(kPngFilter));
  if (name.empty()) return MarkNotDone(ws);
  const std::string_view tiles =
      stream ? std::string_view(stream->unpacked.data) : std::string_view(ws.RomImage).substr(static_cast<size_t>(block->offset));
  WriteFileAtomically(name, TilesToPng(tiles, *block, *palette));
  AppendLog(ws, W(stream ? "Тайлы сжатого блока с адреса " : "Тайлы с адреса ") + Hex(block->offset) +
                    W(" сохранены в PNG-файл ") + name + W(": тайлов ") + Digits(block->layout.count) + W(", формат ") +
                    TileFormatName(block->layout.format));
}

std::int64_t ChangedBytes(std::string_view before, std::string_view after) {
  std::int64_t changed = 0;
  for (size_t i = 0; i < after.size(); ++i) changed += before[i] != after[i];
  return changed;
}

// The PNG's tiles written over the first unpacked bytes of its stream, packed again and put back.
std::optional<TileBlock> ImportPacked(Workspace& ws, const Text& name, const PngTiles& got) {
  if (!PutBackSettingsGood(ws)) return std::nullopt;
  const std::optional<FoundBlock> stream = StreamOf(ws, got.block);
  if (!stream) return std::nullopt;
  const std::string& unpacked = stream->unpacked.data;
  if (got.tiles.size() > unpacked.size()) {
    ShowRefusal(ws, W("PNG-файл ") + name + W(" не загружен: в распакованном блоке с адреса ") + Hex(got.block.offset) +
                        W(" байт ") + Digits(static_cast<std::int64_t>(unpacked.size())) + W(", а тайлам нужно ") +
                        Digits(static_cast<std::int64_t>(got.tiles.size())));
    return std::nullopt;
  }
  const std::int64_t changed = ChangedBytes(unpacked, got.tiles);
  // Packing the same bytes again would only shuffle the ROM.
  if (changed == 0) {
    AppendLog(ws, W("Тайлы из PNG-файла ") + name + W(" не отличаются от сжатого блока с адреса ") +
                      Hex(got.block.offset) + W(", блок не перезаписан"));
    return got.block;
  }
  Text data = unpacked;
  data.replace(0, got.tiles.size(), got.tiles);
  const std::optional<size_t> at = PutBack(ws, *stream, data);
  if (!at) return std::nullopt;
  AppendLog(ws, W("Тайлы из PNG-файла ") + name + W(" запакованы в сжатый блок с адреса ") + Hex(got.block.offset) +
                    W(": тайлов ") + Digits(got.block.layout.count) + W(", изменено байт ") + Digits(changed));
  TileBlock now = got.block;
  now.offset = static_cast<std::int64_t>(*at);
  return now;
}

std::optional<TileBlock> Import(Workspace& ws, const TileFields& fields) {
  TileBlock fallback;
  Text refusal;
  const bool haveFallback = !TrimSpaces(fields.offset).empty();
  if (haveFallback) {
    TileFields whole = fields;
    whole.count = whole.perRow = "1";
    whole.cell = "1x1";
    const std::optional<TileBlock> read = ReadTileFields(whole, refusal);
    if (!read) {
      ShowRefusal(ws, refusal);
      return std::nullopt;
    }
    fallback = *read;
    fallback.layout.cell = ParseCellSize(TrimSpaces(fields.cell)).value_or(CellSize{});
  }
  Text name = ChooseFileName(ws, FileRequest::Kind::Open, W("Загрузить тайлы из PNG"), W(kPngFilter));
  if (name.empty()) {
    MarkNotDone(ws);
    return std::nullopt;
  }
  if (!CheckFileExists(ws, name, W("PNG-файл ") + name)) return std::nullopt;
  const Text png = ReadWholeFile(name);
  const auto palette = [&ws](const TileBlock& b, Text& why) { return BlockPalette(ws.RomImage, b, why); };
  PngTiles got = TilesFromPng(png, fallback, palette, (ws.RomImage.size() + (1u << 20)) * 8);
  if (got.refusal.empty() && !got.fromRecord && !haveFallback)
    got.refusal = W("в файле нет записи о блоке, укажите адрес и формат");
  if (got.refusal.empty() && !got.block.packed) BlockFits(ws, got.block, got.refusal);
  if (!got.refusal.empty()) {
    ShowRefusal(ws, W("PNG-файл ") + name + W(" не загружен: ") + got.refusal);
    return std::nullopt;
  }
  if (got.block.packed) return ImportPacked(ws, name, got);
  RomBytes& rom = StartRomWork(ws);
  const size_t at = static_cast<size_t>(got.block.offset);
  const std::int64_t changed = ChangedBytes(std::string_view(rom).substr(at), got.tiles);
  rom.replace(at, got.tiles.size(), got.tiles);
  AppendLog(ws, W("Тайлы из PNG-файла ") + name + W(" записаны в ROM с адреса ") + Hex(got.block.offset) +
                    W(": тайлов ") + Digits(got.block.layout.count) + W(", изменено байт ") + Digits(changed));
  CommitRomWorkImage(ws);
  return got.block;
}

}  // namespace

void ExportTiles(Workspace& ws, const TileFields& fields) {
  if (!RomIsLoaded(ws)) return;
  try {
    Export(ws, fields);
  } catch (...) {
    LogOperationError(ws);
  }
}

std::optional<TileBlock> ImportTiles(Workspace& ws, const TileFields& fields) {
  if (!RomIsLoaded(ws)) return std::nullopt;
  try {
    return Import(ws, fields);
  } catch (...) {
    LogOperationError(ws);
  }
  return std::nullopt;
}
