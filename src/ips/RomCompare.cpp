#include "ips/RomCompare.h"

#include <algorithm>

#include "ips/Bps.h"
#include "ips/BpsFile.h"
#include "ips/IpsFile.h"
#include "ips/IpsRecords.h"
#include "workspace/Dialogs.h"
#include "workspace/Files.h"
#include "workspace/Log.h"

namespace {

// A record starting here could only cover changes up to 64 KiB further.
constexpr size_t kLastStart = kIpsMaxOffset;
// Fewer equal bytes between two changes than a record header costs are written over.
constexpr size_t kMergeGap = 5;
constexpr size_t kMinRun = 16;

class IpsDiffWriter {
 public:
  explicit IpsDiffWriter(std::string_view output) : output_(output) { patch_ = kIpsHeader; }

  // The changed stretch [from, to): runs of one byte as run-length records, the rest as data.
  void stretch(size_t from, size_t to) {
    size_t literal = from;
    size_t p = from;
    while (p < to) {
      size_t run = 1;
      while (p + run < to && output_[p + run] == output_[p]) ++run;
      if (run < kMinRun) {
        p += run;
        continue;
      }
      data(literal, p);
      for (size_t left = run; left > 0;) {
        const size_t n = std::min<size_t>(left, kIpsMaxSize);
        fill(p + run - left, n);
        left -= n;
      }
      p += run;
      literal = p;
    }
    data(literal, to);
  }

  // [from, to) as data records, however long.
  void data(size_t from, size_t to) {
    while (from < to) {
      // Starting one byte earlier keeps the record off the offset that reads as "EOF".
      if (from == kIpsEofOffset) --from;
      const size_t n = std::min<size_t>(to - from, kIpsMaxSize);
      AppendIpsRecord(patch_, static_cast<std::uint32_t>(from), output_.substr(from, n));
      ++records_;
      from += n;
    }
  }

  IpsDiff finish(std::optional<std::uint32_t> truncation) {
    AppendIpsTrailer(patch_, truncation);
    return IpsDiff{std::move(patch_), records_, IpsDiffRefusal::None};
  }

 private:
  void fill(size_t at, size_t n) {
    if (at == kIpsEofOffset) {
      data(at - 1, at + 1);
      if (--n == 0) return;
      ++at;
    }
    patch_ += static_cast<char>(at >> 16);
    patch_ += static_cast<char>(at >> 8);
    patch_ += static_cast<char>(at);
    patch_.append(2, '\0');
    patch_ += static_cast<char>(n >> 8);
    patch_ += static_cast<char>(n);
    patch_ += output_[at];
    ++records_;
  }

  std::string_view output_;
  Text patch_;
  size_t records_ = 0;
};

// The next changed stretch at or after `pos`, its short equal gaps written over.
std::pair<size_t, size_t> NextStretch(std::string_view input, std::string_view output, size_t pos) {
  pos += EqualRun(input, output, pos);
  const size_t from = pos;
  while (pos < output.size()) {
    while (pos < output.size() && (pos >= input.size() || input[pos] != output[pos])) ++pos;
    const size_t gap = EqualRun(input, output, pos);
    if (gap > kMergeGap || pos + gap == output.size()) break;
    pos += gap;
  }
  return {from, pos};
}

struct RomPair {
  RomBytes in;
  RomBytes out;
};

// Both ROMs, or false after the failure has been told. Both are opened (and sized) before
// either is read, so a file cut by another program meanwhile is caught by the read.
bool ReadRoms(Workspace& ws, Text input, Text output, RomPair& roms) {
  if (!CheckFileExists(ws, input, W("ROM Файл")) || !CheckFileExists(ws, output, W("ROM Файл"))) return false;
  const Text* failing = &input;
  try {
    SizedFile in(input);
    failing = &output;
    SizedFile out(output);
    failing = &input;
    in.readInto(roms.in);
    failing = &output;
    out.readInto(roms.out);
    return true;
  } catch (...) {
    ReportFailure(ws, W("меня взглюкнуло, проверьте, имя и путь входного ROM файла") + "\r\n" + *failing);
    return false;
  }
}

void LogCompared(Workspace& ws, const Text& input, const Text& output) {
  AppendLog(ws, W("Сравнили ROM файлы: входной ") + input + W(", выходной ") + output);
}

Text RefusalText(IpsDiffRefusal refusal) {
  return refusal == IpsDiffRefusal::Shorter
             ? W("Выходной ROM короче входного, а IPS не умеет укорачивать файл длиннее 16 МБ.")
             : W("Изменения лежат дальше, чем достает IPS (записи начинаются только ниже 16 МБ).");
}

}  // namespace

IpsDiff CreateIpsFromRoms(std::string_view input, std::string_view output) {
  // A shorter output is cut to its size by the three bytes after "EOF", which can only
  // name a size below 16 MiB.
  std::optional<std::uint32_t> truncation;
  if (output.size() < input.size()) {
    if (output.size() > kIpsMaxOffset) return IpsDiff{{}, 0, IpsDiffRefusal::Shorter};
    truncation = static_cast<std::uint32_t>(output.size());
  }
  IpsDiffWriter writer(output);
  size_t pos = 0;
  for (;;) {
    const auto [from, to] = NextStretch(input, output, pos);
    if (from >= to) break;
    if (to <= kLastStart) {
      writer.stretch(from, to);
      pos = to;
      continue;
    }
    // Past 16 MiB only one record can reach: the one starting at the last offset there is,
    // carrying every byte up to the last change.
    if (from < kLastStart) writer.stretch(from, kLastStart);
    size_t last = to;
    for (auto more = NextStretch(input, output, to); more.first < more.second; more = NextStretch(input, output, last))
      last = more.second;
    if (last - kLastStart > kIpsMaxSize) return IpsDiff{{}, 0, IpsDiffRefusal::BeyondReach};
    writer.data(kLastStart, last);
    break;
  }
  return writer.finish(truncation);
}

void CompareRomsToIps(Workspace& ws, const Text& input, const Text& output) {
  RomPair roms;
  if (!ReadRoms(ws, input, output, roms)) return;
  const std::string_view in = roms.in;
  const std::string_view out = roms.out;
  const IpsDiff diff = CreateIpsFromRoms(in, out);
  if (diff.refusal != IpsDiffRefusal::None) {
    const Text question = RefusalText(diff.refusal) + "\r\n" + W("Создать BPS?");
    if (ws.host->message(question, Buttons::YesNo, Icon::Exclamation) != Answer::Yes) {
      AppendLog(ws, W("IPS не создан: ") + RefusalText(diff.refusal));
      return MarkNotDone(ws);
    }
    LogCompared(ws, input, output);
    SaveBpsOf(ws, in, out);
    return;
  }
  LogCompared(ws, input, output);
  if (diff.records == 0) AppendLog(ws, W("ROM файлы одинаковые, в IPS только PATCH и EOF"));
  SavePatchFile(ws, ws.OutputIPSFileName, W("Сохранить IPS как..."), W(kIpsFilter), "IPS", diff.patch);
}

void CompareRomsToBps(Workspace& ws, const Text& input, const Text& output) {
  RomPair roms;
  if (!ReadRoms(ws, input, output, roms)) return;
  const std::string_view in = roms.in;
  const std::string_view out = roms.out;
  LogCompared(ws, input, output);
  if (in == out) AppendLog(ws, W("ROM файлы одинаковые, BPS ничего не меняет"));
  SaveBpsOf(ws, in, out);
}
