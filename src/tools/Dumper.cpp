#include "tools/Dumper.h"

#include <algorithm>
#include <array>
#include <climits>
#include <optional>

#include "tools/FieldNumber.h"
#include "workspace/Dialogs.h"
#include "workspace/EntryCodec.h"
#include "workspace/Errors.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"
#include "workspace/TextFile.h"
#include "workspace/TextParts.h"

namespace {

// How many bytes go by between two passes of the event loop and progress updates: a
// pass per byte or per short line would cost more than the dump itself.
constexpr std::int64_t kBytesPerPump = 1 << 16;

const char kHexDigits[] = "0123456789ABCDEF";

using ByteTexts = std::array<Text, 256>;

ByteTexts DecodedBytes(const Workspace& ws, bool encode) {
  ByteTexts decoded;
  for (int code = 0; code < 256; ++code) {
    const bool hasChar = ws.CharTable.size() == 256 && !ws.CharTable[code].empty() && ws.CharTable[code][0] != '\0';
    if (hasChar)
      decoded[code] = Text(utf8::Prefix(ws.CharTable[code], 1));
    else if (encode)
      decoded[code] = Text("<$") + kHexDigits[code >> 4] + kHexDigits[code & 15] + ">";
    else
      decoded[code] = utf8::Of(cp1251::Decode(static_cast<unsigned char>(code)));  // the byte as Windows-1251 text
  }
  return decoded;
}

// What the bytes from one address decode to, and how many they take: a byte at a time
// through the one-byte table; with an extended table and encoding on, an entry at a
// time, a code that would run past `last` not taken.
class DumpDecoder {
 public:
  DumpDecoder(const Workspace& ws, bool encode) : bytes_(DecodedBytes(ws, encode)) {
    if (ws.TableExtended && encode) codec_.emplace(ws);
  }
  // The piece at 1-based address a of the image, the block ending at `last`.
  size_t piece(std::string_view image, std::int64_t a, std::int64_t last, Text& out) const {
    const auto* p = reinterpret_cast<const unsigned char*>(image.data()) + (a - 1);
    if (codec_) {
      const EntryCodec::Match m = codec_->decodeAt(p, static_cast<size_t>(last - a + 1));
      if (m.entry >= 0) {
        out += codec_->text(m.entry);
        return m.length;
      }
    }
    out += bytes_[*p];
    return 1;
  }

 private:
  ByteTexts bytes_;
  std::optional<EntryCodec> codec_;
};

void Refuse(Workspace& ws, const Text& text) {
  ws.host->message(text, Buttons::Ok, Icon::Critical);
  AppendLog(ws, text);
  MarkNotDone(ws);
}

const Text& EndBeforeStartText() {
  static const Text text = W("Адрес конца блока для дампа, раньше адреса начала блока");
  return text;
}

OperationError AddressOutsideRom(std::int64_t address) {
  return OperationError(kErrCodeOutOfRange, W("адрес") + StrNum(address) + W(" вне ROM"));
}

bool DumpPreconditions(Workspace& ws, std::int32_t& start, std::int32_t end) {
  if (!ws.RomLoaded) {
    Refuse(ws, W("Сначала надо загрузить ROM"));
    return false;
  }
  if (!ws.TableLoaded) {
    ws.host->message(W("Вы не забыли загрузить Таблицу ?"), Buttons::Ok, Icon::Critical);
    AppendLog(ws, W("Хорошо бы сначала загрузить Таблицу"));
    MarkNotDone(ws);
    return false;
  }
  if (start == 0) {
    start = 1;
    AppendLog(ws, W("Вообще то, надо указывать с Единицы, ну ладно я сам прибавлю, НО к адресу конца НЕ БУДУ"));
  }
  if (std::int64_t{end} - start <= 0) {
    Refuse(ws, EndBeforeStartText());
    return false;
  }
  if (ws.ReportFileName.empty()) {
    AppendLog(ws, W("Не задано имя файла отчета"));
    MarkNotDone(ws);
    return false;
  }
  return true;
}

void AppendLine(Text& out, const Text& address, const Text& line) {
  out += address;
  out += ' ';
  out += line;
  out += "\r\n";
}

// The dump's lines up to the last byte inside the image; an unfinished line is kept
// only when the block ends inside the image.
Text DumpLines(Workspace& ws, std::int64_t start, std::int64_t end, std::int64_t lineSize, bool encode,
               Progress* progress) {
  const DumpDecoder decoder(ws, encode);
  const std::int64_t last = std::min<std::int64_t>(end, static_cast<std::int64_t>(ws.RomImage.size()));
  Text out;
  out.reserve(static_cast<size_t>(std::max<std::int64_t>(0, last - start + 1)) * 2);
  Text line;
  std::int64_t lineStart = start;
  std::int64_t lineBytes = 0;
  std::int64_t nextPump = start + kBytesPerPump;
  bool progressDue = true;  // the bar moves with the first line written after each pump
  // A code that starts on a line and runs past its end goes whole on that line.
  for (std::int64_t a = start; a <= last;) {
    const auto taken = static_cast<std::int64_t>(decoder.piece(ws.RomImage, a, last, line));
    lineBytes += taken;
    a += taken;
    if (lineSize > 0 && lineBytes >= lineSize) {
      AppendLine(out, FormatAddress(ws, lineStart), line);
      if (progress && progressDue) progress->set(static_cast<int>(std::min<std::int64_t>(a - 1 - start, INT_MAX)));
      progressDue = false;
      line.clear();
      lineBytes = 0;
      lineStart = a;
    }
    if (a - 1 >= nextPump) {
      ws.host->pumpEvents();
      nextPump = a - 1 + kBytesPerPump;
      progressDue = true;
    }
  }
  if (last == end && lineBytes > 0) AppendLine(out, FormatAddress(ws, lineStart), line);
  return out;
}

}  // namespace

void DumpRomBlock(Workspace& ws, std::int32_t& start, std::int32_t end, std::int32_t lineSize, bool encode) {
  try {
    if (!DumpPreconditions(ws, start, end)) return;
    if (start < 1) throw AddressOutsideRom(start);
    std::optional<Progress> progress;
    if (lineSize <= 1000)
      progress.emplace(ws, Bar::Main, 1, static_cast<int>(std::min<std::int64_t>(INT_MAX, std::int64_t{end} - start)));
    const Text lines = DumpLines(ws, start, end, lineSize, encode, progress ? &*progress : nullptr);
    if (end > static_cast<std::int64_t>(ws.RomImage.size())) {
      // The complete lines stay in the file, as they would have been written already.
      ws.host->message(W("Что за ROM ? М-А-Л-О-В-А-Т-О будет!"), Buttons::Ok, Icon::Critical);
      AppendLog(ws, W("Блок для дампа вылезает за границы ROM"));
      MarkNotDone(ws);
      WriteTextFile(ws, ws.ReportFileName, lines);
      return;
    }
    WriteTextFile(ws, ws.ReportFileName, lines);
    AppendLog(ws, W("Вынули dump из ROM файла: ") + ws.InputRomFileName + W(" в файл: ") + ws.ReportFileName +
                      W("адреса от/до =") + StrNum(start) + "/" + StrNum(end));
  } catch (...) {
    LogOperationError(ws);
  }
}

Text DumpPreview(Workspace& ws, std::int32_t& start, std::int32_t& end, bool encode) {
  try {
    if (!ws.RomLoaded) {
      ws.host->message(W("Для предпросмотра, надо загрузить ROM"), Buttons::Ok, Icon::Critical);
      AppendLog(ws, W("Сначала надо загрузить ROM"));
      MarkNotDone(ws);
      return Text();
    }
    if (start == 0) start = 1;
    ws.AddrInTblDumpPrv = Digits(start);
    end = static_cast<std::int32_t>(
        std::min<std::int64_t>(std::int64_t{start} + 1000, static_cast<std::int64_t>(ws.RomImage.size())));
    if (std::int64_t{end} - start <= 0) {
      Refuse(ws, EndBeforeStartText());
      return Text();
    }
    if (start < 1) throw AddressOutsideRom(start);
    const DumpDecoder decoder(ws, encode);
    Text preview;
    std::int64_t pumped = start;
    for (std::int64_t a = start; a <= end;) {
      a += static_cast<std::int64_t>(decoder.piece(ws.RomImage, a, end, preview));
      for (; a - pumped >= 30; pumped += 30) ws.host->pumpEvents();
    }
    return preview;
  } catch (...) {
    LogOperationError(ws);
    return Text();
  }
}

DumperFields DumperFieldsFromSettings(const Workspace& ws) {
  DumperFields fields;
  if (ws.DumperINILine.size() <= 3) return fields;
  const std::vector<Text> parts = SplitAt(ws.DumperINILine, ',');
  Text* targets[] = {&fields.startAddr, &fields.endAddr, &fields.lineSize};
  for (size_t i = 0; i < parts.size() && i < 3; ++i) *targets[i] = parts[i];
  return fields;
}

Text DumpEndForLength(const Text& startAddr, const Text& dumpLen) {
  const double sum = RoundHalfEven(ReadFieldNumber(startAddr) + ReadFieldNumber(dumpLen));
  return Digits(static_cast<std::int64_t>(std::clamp(sum, -9.0e18, 9.0e18)));
}

void RunDumper(Workspace& ws, const DumperFields& fields) {
  try {
    std::int32_t start = FieldInt32(fields.startAddr);
    const std::int32_t end = FieldInt32(fields.endAddr);
    const std::int32_t lineSize = FieldInt32(fields.lineSize);
    DumpRomBlock(ws, start, end, lineSize, fields.encode);
  } catch (...) {
    LogOperationError(ws);
  }
  ws.DumperINILine = TrimSpaces(fields.startAddr) + "," + TrimSpaces(fields.endAddr) + "," + fields.lineSize;
}
