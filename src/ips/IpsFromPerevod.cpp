#include "ips/IpsFromPerevod.h"

#include "ips/IpsFile.h"
#include "ips/IpsRecords.h"
#include "workspace/CharTable.h"
#include "workspace/EntryCodec.h"
#include "workspace/Escapes.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"

namespace {

constexpr std::int64_t kLastAddress = std::int64_t{kIpsMaxOffset} + 1;

// Why the record format cannot carry a line, or empty when it can. A size of 0 would
// read as a run-length record, and an offset of 454F46 as the end of the patch.
Text SkipReason(std::int64_t address, size_t textSize) {
  if (address < 1 || address > kLastAddress) return W(": адрес должен быть от 1 до 16777216, в IPS такой не записать");
  if (address - 1 == kIpsEofOffset) return W(": запись по смещению 454F46 читается как конец IPS (\"EOF\")");
  if (textSize == 0) return W(": пустой текст в IPS не записать");
  if (textSize > kIpsMaxSize) return W(": текст длиннее 65535 байт, в одну запись IPS не влезет");
  return Text();
}

Text UnknownCharWarning() {
  return W(
      "ПРЕДУПРЕЖДЕНИЕ: в файле перевода найдены символы, которых нет в таблице перекодировки, "
      "такие символы войдут в IPS БЕЗ перекодирования!(это может испортить ROM)");
}

// The text through the table; a character the table lacks keeps its own byte, with a
// warning for every occurrence.
Text EncodeText(Workspace& ws, const TableCodec& codec, const Text& text, const Text& warning) {
  Text out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char32_t c = utf8::Next(text, i);
    const auto code = codec.encode(c);
    if (!code) AppendLog(ws, warning);
    out += static_cast<char>(code ? *code : UnknownCharByte(c));
  }
  return out;
}

// The bytes of a line through an extended table: the ROM's own bytes when the loaded
// ROM already holds its text, so the patch of an unedited line changes nothing.
EntryCodec::Encoded EncodeEntries(const Workspace& ws, const EntryCodec& codec, const PerevodLineParts& parts) {
  if (ws.RomLoaded)
    if (const auto held = codec.matchesImage(ws.RomImage, parts.address - 1, parts.text))
      return {Text(std::string_view(ws.RomImage).substr(static_cast<size_t>(parts.address - 1), *held)), {}};
  return codec.encode(parts.text);
}

// One of the two codecs: the one-byte table's, or the extended table's.
struct LineCoder {
  std::optional<TableCodec> bytes;
  std::optional<EntryCodec> entries;
};

void AppendLineRecord(Workspace& ws, const LineCoder& coder, const Text& line, const Text& warning) {
  const PerevodLineParts parts = ParsePerevodLine(line);
  if (!parts.hasSeparator) return;
  EntryCodec::Encoded encoded;
  const Text text = coder.entries ? Text() : DecodeEscapes(Text(parts.text));
  if (coder.entries) encoded = EncodeEntries(ws, *coder.entries, parts);
  const Text reason = SkipReason(parts.address, coder.entries ? encoded.bytes.size() : utf8::Length(text));
  if (!reason.empty()) {
    AppendLog(ws, W("пропустили строку перевода с адресом ") + Text(parts.field) + reason);
    return;
  }
  if (!coder.entries) encoded.bytes = EncodeText(ws, *coder.bytes, text, warning);
  for (size_t i = 0; i < encoded.unknown.size(); ++i) AppendLog(ws, warning);
  AppendIpsRecord(ws.IpsImage, static_cast<std::uint32_t>(parts.address - 1), encoded.bytes);
}

// The refusals and questions before the lines are read; false when the run ends there.
bool ReadyToGenerate(Workspace& ws) {
  if (!ws.PerevodLoaded) {
    IpsRefusal(ws, W("Файл с переводом еще не загружен"));
    return false;
  }
  if (!ws.TableLoaded) {
    if (ws.host->message(W("А таблицу кто загружать будет? Пушкин? Загрузить таблицу?"), Buttons::YesNo, Icon::None) !=
        Answer::Yes) {
      AppendLog(ws, W("Таблица еще не загружена"));
      MarkNotDone(ws);
      return false;
    }
    LoadTable(ws);
  }
  if (ws.IpsLoaded) ws.host->message(W("ранее загруженный IPS выгружен из памяти"), Buttons::Ok, Icon::None);
  if (ws.PerevodArray.size() < 2) {
    ws.host->message(W("Перевода пока нет :-)"), Buttons::Ok, Icon::Critical);
    AppendLog(ws, W("Перевода пока нет, генерировать не буду"));
    MarkNotDone(ws);
    return false;
  }
  return true;
}

}  // namespace

void GenerateIpsFromPerevod(Workspace& ws) {
  // The header goes in first, so a refused run also leaves nothing of an older patch.
  ws.IpsImage = Text(kIpsHeader);
  if (!ReadyToGenerate(ws)) return;
  try {
    LineCoder coder;
    if (ws.TableExtended)
      coder.entries.emplace(ws);
    else
      coder.bytes.emplace(ws.CharTableLookup);
    const Text warning = UnknownCharWarning();
    const auto& lines = ws.PerevodArray;
    {
      IpsProgress progress(ws, lines.size() - 1);
      for (size_t i = 0; i < lines.size(); ++i) {
        AppendLineRecord(ws, coder, lines[i], warning);
        progress.at(i);
      }
      ws.IpsImage += kIpsTrailer;
    }
    AppendLog(ws, W("Сгенерировали IPS из перевода"));
    ws.IpsChanged = true;
    ws.IpsLoaded = true;
  } catch (...) {
    LogOperationError(ws);
  }
}
