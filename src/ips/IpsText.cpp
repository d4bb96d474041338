#include "ips/IpsText.h"

#include <algorithm>

#include "ips/IpsFile.h"
#include "workspace/CharTable.h"
#include "workspace/Dialogs.h"
#include "workspace/EntryCodec.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/TextFile.h"

namespace {

const char kReportFilter[] = "Файл отчета (*.txt)|*.txt;*.rep|Все файлы (*.*)|*.*";

// One report line: the 1-based ROM address of the run's first byte, always decimal.
void AppendRunLine(Text& out, const IpsTextDecoder& decoder, std::uint64_t address, std::string_view run) {
  out += Digits(static_cast<std::int64_t>(address));
  out += ' ';
  for (const char c : run) utf8::Append(out, decoder[static_cast<unsigned char>(c)]);
  out += "\r\n";
}

// The lines of one record; runs never reach into the next record. Bytes that a cut-short
// record lacks count as no text, so a run closes where the patch ends.
size_t AppendRecordRuns(Text& out, const IpsTextDecoder& decoder, size_t minRun, const IpsRecord& record) {
  const std::string_view data = record.data;
  size_t lines = 0;
  size_t start = 0;
  bool open = false;
  auto close = [&](size_t end) {
    if (end - start < minRun) return;
    AppendRunLine(out, decoder, std::uint64_t{record.offset} + start + 1, data.substr(start, end - start));
    ++lines;
  };
  for (size_t i = 0; i < data.size(); ++i) {
    const bool text = decoder[static_cast<unsigned char>(data[i])] != 0;
    if (text && !open) start = i;
    if (!text && open) close(i);
    open = text;
  }
  if (open) close(data.size());
  return lines;
}

// The same through an extended table: strings of entries, none reaching past the record.
size_t AppendRecordStrings(Text& out, const EntryCodec& codec, int minChars, const IpsRecord& record) {
  const std::string_view data = record.data;
  size_t lines = 0;
  codec.forEachString(data, std::max(minChars, 1), [&](size_t start, size_t end) {
    out += Digits(static_cast<std::int64_t>(std::uint64_t{record.offset} + start + 1));
    out += ' ';
    codec.appendString(data, start, end, out);
    out += "\r\n";
    ++lines;
  });
  return lines;
}

bool ReadyToExtract(Workspace& ws) {
  if (!ws.IpsLoaded) {
    IpsRefusal(ws, W("IPS файл не загружен"));
    return false;
  }
  if (!ws.TableLoaded) {
    IpsRefusal(ws, W("Файл таблицы не загружен"));
    return false;
  }
  if (!CheckIpsImage(ws)) return false;
  // An existing report is never replaced without the user choosing its name again.
  if (ws.ReportFileName.empty() || FileExists(ws.ReportFileName)) {
    ws.ReportFileName = ChooseFileName(ws, FileRequest::Kind::Save, W("Сохранить отчет как..."), W(kReportFilter));
    if (ws.ReportFileName.empty()) {
      AppendLog(ws, W("Не задано имя файла отчета"));
      MarkNotDone(ws);
      return false;
    }
  }
  return true;
}

}  // namespace

IpsTextDecoder IpsDecoderFromTable(const std::vector<Text>& charTable) {
  IpsTextDecoder decoder{};
  const std::u32string lookup = LookupOf(charTable);
  for (size_t code = 0; code < decoder.size(); ++code) decoder[code] = lookup[code];
  return decoder;
}

IpsTextReport CollectIpsText(std::string_view patch, const IpsTextDecoder& decoder, int minRun,
                             const std::function<void(size_t)>& afterLine) {
  const size_t runFloor = minRun > 1 ? static_cast<size_t>(minRun) : 1;
  return CollectRecordText(
      patch, [&](Text& out, const IpsRecord& record) { return AppendRecordRuns(out, decoder, runFloor, record); },
      afterLine);
}

IpsTextReport CollectIpsText(std::string_view patch, const EntryCodec& codec, int minChars,
                             const std::function<void(size_t)>& afterLine) {
  return CollectRecordText(
      patch, [&](Text& out, const IpsRecord& record) { return AppendRecordStrings(out, codec, minChars, record); },
      afterLine);
}

IpsTextReport CollectRecordText(std::string_view patch,
                                const std::function<size_t(Text& out, const IpsRecord& record)>& appendLines,
                                const std::function<void(size_t)>& afterLine) {
  IpsTextReport report;
  IpsRecordReader reader(IpsRecordData(patch));
  IpsRecord record;
  while (reader.next(record)) {
    if (record.runLength) continue;
    const size_t lines = appendLines(report.lines, record);
    if (afterLine)
      for (size_t i = 0; i < lines; ++i) afterLine(reader.position());
  }
  report.end = reader.end();
  return report;
}

void ExtractTextFromIps(Workspace& ws) {
  if (!ReadyToExtract(ws)) return;
  try {
    IpsTextReport report;
    {
      IpsProgress progress(ws, ws.IpsImage.size() - kIpsHeader.size());
      const auto afterLine = [&](size_t p) {
        progress.at(p);
        ws.host->pumpEvents();
      };
      if (ws.TableExtended)
        report = CollectIpsText(ws.IpsImage, EntryCodec(ws), ws.NumberOfTextChars, afterLine);
      else
        report = CollectIpsText(ws.IpsImage, IpsDecoderFromTable(ws.CharTable), ws.NumberOfTextChars, afterLine);
      WriteTextFile(ws, ws.ReportFileName, report.lines);
    }
    if (report.end == IpsScanEnd::CutShort) AppendLog(ws, IpsCutShortWarning());
    AppendLog(ws, W("Вынули текст из IPS файла: ") + ws.IPSFileName + W(" в файл: ") + ws.ReportFileName);
  } catch (...) {
    LogOperationError(ws);
  }
}
