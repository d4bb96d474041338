#include "textio/Extraction.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "textio/Refusals.h"
#include "textio/TextRuns.h"
#include "workspace/CharTable.h"
#include "workspace/Dialogs.h"
#include "workspace/EntryCodec.h"
#include "workspace/Errors.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Rom.h"
#include "workspace/TextFile.h"

namespace {

// The report of a big ROM runs to tens of megabytes of short lines. They are made in a
// buffer that stays in the cache and handed on a megabyte at a time, so the report is
// never held whole.
class ChunkedReport {
 public:
  explicit ChunkedReport(const std::function<void(std::string_view)>& sink) : buffer_(kSize + kSlack), sink_(sink) {}
  // Room for a few bytes: an address and its space, or a line end.
  char* room() {
    if (used_ + kSlack > kSize) flush();
    return buffer_.data() + used_;
  }
  void advanceTo(const char* p) { used_ = static_cast<size_t>(p - buffer_.data()); }
  // A run's text, decoded straight into the buffer, in pieces when it is long.
  void text(const unsigned char* bytes, size_t length, const std::array<char, 256>& decode) {
    while (length > 0) {
      if (used_ >= kSize) flush();
      const size_t piece = std::min(length, kSize - used_);
      char* out = buffer_.data() + used_;
      for (size_t k = 0; k < piece; ++k) out[k] = decode[bytes[k]];
      used_ += piece;
      bytes += piece;
      length -= piece;
    }
  }
  // A string of entries, each byte that is a code alone from its small table, the rest
  // through the codec.
  template <class Codec, class Lone>
  void entries(const unsigned char* bytes, size_t length, const Codec& codec, const Lone& lone) {
    static_assert(kSlack >= sizeof(std::uint64_t));
    size_t at = 0;
    // While the buffer has room for the longest lone texts of the rest, no check per byte.
    if (used_ + length * sizeof(std::uint64_t) + kSlack <= kSize) {
      char* out = buffer_.data() + used_;
      for (; at < length && lone.length[bytes[at]] != 0; ++at) {
        std::memcpy(out, &lone.text[bytes[at]], sizeof(std::uint64_t));
        out += lone.length[bytes[at]];
      }
      used_ = static_cast<size_t>(out - buffer_.data());
    }
    while (at < length) {
      if (used_ + kSlack > kSize) flush();
      const unsigned char b = bytes[at];
      if (lone.length[b] != 0) {
        std::memcpy(buffer_.data() + used_, &lone.text[b], sizeof(std::uint64_t));
        used_ += lone.length[b];
        ++at;
        continue;
      }
      const auto m = codec.decodeAt(bytes + at, length - at);
      append(codec.text(m.entry));
      at += m.length;
    }
  }
  // Text already decoded, in pieces when it is long.
  void append(std::string_view text) {
    while (!text.empty()) {
      if (used_ >= kSize) flush();
      const size_t piece = std::min(text.size(), kSize - used_);
      std::memcpy(buffer_.data() + used_, text.data(), piece);
      used_ += piece;
      text.remove_prefix(piece);
    }
  }
  void flush() {
    if (used_ > 0) sink_(std::string_view(buffer_.data(), used_));
    used_ = 0;
  }

 private:
  static constexpr size_t kSize = size_t{1} << 20;
  static constexpr size_t kSlack = 64;
  std::vector<char> buffer_;
  const std::function<void(std::string_view)>& sink_;
  size_t used_ = 0;
};

// Addresses in report order climb slowly: all but their last four decimal digits stay
// the same for long stretches, so those are formatted once per change and the last four
// come from a table.
class AddressWriter {
 public:
  explicit AddressWriter(bool hex) : hex_(hex) {
    if (hex_) return;
    for (int i = 0; i < 10000; ++i) std::snprintf(lastFour_[static_cast<size_t>(i)].data(), 5, "%04d", i);
  }
  char* write(char* out, std::uint64_t position) {
    if (hex_) return WriteHex(out, position);
    const std::uint64_t high = position / 10000;
    if (high == 0) return std::to_chars(out, out + 24, position).ptr;
    if (high != high_) {
      high_ = high;
      highLength_ = static_cast<size_t>(std::to_chars(highText_, highText_ + sizeof highText_, high).ptr - highText_);
    }
    // A fixed-size copy is a few moves; room() leaves more than enough behind the address.
    std::memcpy(out, highText_, sizeof highText_);
    std::memcpy(out + highLength_, lastFour_[static_cast<size_t>(position % 10000)].data(), 4);
    return out + highLength_ + 4;
  }

 private:
  static char* WriteHex(char* out, std::uint64_t position) {
    *out++ = '&';
    *out++ = 'H';
    char* end = std::to_chars(out, out + 24, position, 16).ptr;
    for (char* c = out; c != end; ++c)
      if (*c >= 'a') *c = static_cast<char>(*c - 'a' + 'A');
    return end;
  }

  bool hex_;
  std::vector<std::array<char, 5>> lastFour_ = std::vector<std::array<char, 5>>(10000);
  std::uint64_t high_ = 0;
  char highText_[24] = {};
  size_t highLength_ = 0;
};

// The report's lines, "address text" CR LF each, with the progress calls that go with
// them: about a thousand over the whole image, never once per byte nor once per line
// of a text-dense image.
class ReportLines {
 public:
  ReportLines(size_t imageSize, bool hexAddresses, const std::function<void(std::int64_t)>& onRun,
              const std::function<void(std::string_view)>& onChunk)
      : out_(onChunk),
        address_(hexAddresses),
        onRun_(onRun),
        step_(std::max<std::int64_t>(1, static_cast<std::int64_t>(imageSize + 1) / 1024)) {}
  // The string of bytes [start, end); writeText(out) puts its text into the report.
  template <class WriteText>
  void line(size_t start, size_t end, WriteText&& writeText) {
    char* p = address_.write(out_.room(), start + 1);
    *p++ = ' ';
    out_.advanceTo(p);
    writeText(out_);
    p = out_.room();
    *p++ = '\r';
    *p++ = '\n';
    out_.advanceTo(p);
    const std::int64_t position = static_cast<std::int64_t>(end) + 1;
    if (position >= nextReport_) {
      onRun_(position);
      nextReport_ = position + step_;
    }
  }
  void finish() { out_.flush(); }

 private:
  ChunkedReport out_;
  AddressWriter address_;
  const std::function<void(std::int64_t)>& onRun_;
  std::int64_t step_;
  std::int64_t nextReport_ = 0;
};

// The bytes that decode alone (a whole code that begins no longer one and ends no
// string) with a short text: most bytes of most tables. The scan and the writer take
// them from these tables instead of walking the codec's tree; the rest go through it.
struct LoneBytes {
  explicit LoneBytes(const EntryCodec& codec) {
    for (size_t b = 0; b < 256; ++b) {
      const int entry = codec.loneByteEntry(static_cast<unsigned char>(b));
      if (entry < 0 || codec.ends(entry) || codec.text(entry).size() > sizeof(std::uint64_t) ||
          codec.chars(entry) > UINT8_MAX)
        continue;
      chars[b] = static_cast<std::uint8_t>(codec.chars(entry));
      length[b] = static_cast<std::uint8_t>(codec.text(entry).size());
      std::memcpy(&text[b], codec.text(entry).data(), length[b]);
    }
  }
  std::array<std::uint8_t, 256> chars{};   // 0: not such a byte
  std::array<std::uint8_t, 256> length{};  // of its text
  std::array<std::uint64_t, 256> text{};   // the text's bytes, zero-padded
};

// The report holds the table's texts and ASCII only: Windows-1251 when the setting asks
// for it and every text fits, else UTF-8 (with the log line that says why). The table's
// texts are made in that encoding once, so the report needs no conversion afterwards.
bool ReportInUtf8(Workspace& ws) {
  if (WritesUtf8(ws)) return true;
  std::optional<char32_t> foreign;
  for (const char32_t c : ws.CharTableLookup)
    if (c != 0 && !cp1251::Encode(c)) foreign = foreign.value_or(c);
  if (ws.TableExtended)
    for (const TableEntry& e : ws.TableEntries)
      if (!foreign) foreign = FirstForeignChar(e.text);
  if (!foreign) return false;
  LogUtf8Write(ws, ws.ReportFileName, *foreign);
  return true;
}

// Each code's byte in the report, when every cell is a single byte there.
std::optional<std::array<char, 256>> ByteTable(const std::u32string& lookup, bool utf8) {
  std::array<char, 256> decode{};
  for (size_t code = 0; code < 256 && code < lookup.size(); ++code) {
    const char32_t c = lookup[code];
    if (c == 0) continue;
    const auto byte = utf8 ? (c < 0x80 ? std::optional<unsigned char>(static_cast<unsigned char>(c)) : std::nullopt)
                           : cp1251::Encode(c);
    if (!byte) return std::nullopt;
    decode[code] = static_cast<char>(*byte);
  }
  return decode;
}

Text CannotCreateReportText(const Text& name) {
  return W("Не могу создать файл отчета") + "\r\n" + name + "\r\n" + W("попробуйте еще раз с другим файлом...");
}

void WriteReport(Workspace& ws) {
  const std::int64_t n = static_cast<std::int64_t>(ws.RomImage.size());
  Progress bar(ws, Bar::Main, 0, static_cast<int>(std::min<std::int64_t>(n + 1, INT_MAX)));
  AtomicFileWriter file(ws.ReportFileName);
  const auto onRun = [&](std::int64_t position) {
    bar.set(static_cast<int>(std::min<std::int64_t>(position, INT_MAX)));
    ws.host->pumpEvents();
  };
  const auto onChunk = [&](std::string_view chunk) { file.write(chunk); };
  const bool utf8 = ReportInUtf8(ws);
  const auto bytes = ws.TableExtended ? std::nullopt : ByteTable(ws.CharTableLookup, utf8);
  if (bytes) {
    ExtractionReport(ws.RomImage, *bytes, ws.NumberOfTextChars, ws.UseHEXaddr == "YES", onRun, onChunk);
  } else {
    // Cells of several bytes (kana in UTF-8) go the way of the extended table's entries.
    const EntryCodec codec(ws.CharTableLookup, ws.TableExtended ? ws.TableEntries : std::vector<TableEntry>{}, !utf8);
    ExtractionReport(ws.RomImage, codec, ws.NumberOfTextChars, ws.UseHEXaddr == "YES", onRun, onChunk);
  }
  // The report can be extracted again at will: no waiting for the disk.
  file.commit(false);
}

}  // namespace

void ExtractionReport(std::string_view image, const std::array<char, 256>& decode, int minRunLength, bool hexAddresses,
                      const std::function<void(std::int64_t)>& onRun,
                      const std::function<void(std::string_view)>& onChunk) {
  std::array<bool, 256> isText{};
  for (size_t code = 0; code < 256; ++code) isText[code] = decode[code] != '\0';
  const auto* bytes = reinterpret_cast<const unsigned char*>(image.data());
  const size_t n = image.size();
  TextRunFinder runs(image, isText, static_cast<size_t>(std::max(minRunLength, 1)));
  ReportLines report(n, hexAddresses, onRun, onChunk);
  runs.forEachRun([&](size_t start, size_t end) {
    report.line(start, end, [&](ChunkedReport& out) { out.text(bytes + start, end - start, decode); });
  });
  report.finish();
}

void ExtractionReport(std::string_view image, const EntryCodec& codec, int minChars, bool hexAddresses,
                      const std::function<void(std::int64_t)>& onRun,
                      const std::function<void(std::string_view)>& onChunk) {
  ReportLines report(image.size(), hexAddresses, onRun, onChunk);
  const auto* bytes = reinterpret_cast<const unsigned char*>(image.data());
  const size_t n = image.size();
  const auto minimum = static_cast<std::int64_t>(std::max(minChars, 1));
  size_t start = 0;
  std::int64_t chars = -1;  // -1: no string open
  size_t at = 0;            // the scan has decoded every byte before this one
  // A string's text is decoded a second time only when it is written: most runs of a
  // ROM are too short to be.
  const LoneBytes lone(codec);
  const auto close = [&](size_t end) {
    if (chars >= minimum)
      report.line(start, end, [&](ChunkedReport& out) { out.entries(bytes + start, end - start, codec, lone); });
    chars = -1;
  };
  // Decodes from the run [runStart, runEnd) (a whole run of bytes that begin codes) on, as far as a string still open
  // goes past it (a code's later bytes, further entries).
  const auto scan = [&](size_t runStart, size_t runEnd) {
    at = std::max(at, runStart);
    while (at < n && (at < runEnd || chars >= 0)) {
      if (at < runEnd && lone.chars[bytes[at]] != 0) {
        // In locals: the compiler cannot keep what the lambda captures in registers.
        const std::uint8_t* weight = lone.chars.data();
        const unsigned char* p = bytes + at;
        const unsigned char* const end = bytes + runEnd;
        if (chars < 0) {
          start = at;
          chars = 0;
        }
        std::int64_t count = chars;
        for (; p < end && weight[*p] != 0; ++p) count += weight[*p];
        chars = count;
        at = static_cast<size_t>(p - bytes);
        // Runs are whole: the byte after one begins no code, so the string ends here.
        if (at == runEnd) return close(at);
        continue;
      }
      const EntryCodec::Match m = codec.decodeAt(bytes + at, n - at);
      if (m.entry < 0) {
        if (chars >= 0) close(at);
        ++at;
        continue;
      }
      if (chars < 0) {
        start = at;
        chars = 0;
      }
      chars += codec.chars(m.entry);
      at += m.length;
      if (codec.ends(m.entry)) close(at);
    }
  };
  // Strings begin only at bytes that begin a code. A run of such bytes that are all lone
  // is one string, entered afresh (only a longer code carries the scan over a gap), so a
  // run too short to hold minChars characters through its lone bytes cannot give a line
  // unless it has another code's first byte: only the long runs come from the bit mask
  // search, and the short ones with such a byte from a plain look at the gaps between.
  std::array<bool, 256> mayStart{};
  std::array<bool, 256> other{};  // begins a code but is not lone
  std::uint8_t mostChars = 0;
  bool anyOther = false;
  for (size_t b = 0; b < 256; ++b) {
    mayStart[b] = codec.mayStartCode(static_cast<unsigned char>(b));
    other[b] = mayStart[b] && lone.chars[b] == 0;
    anyOther = anyOther || other[b];
    mostChars = std::max(mostChars, lone.chars[b]);
  }
  const size_t shortest = mostChars == 0 ? 1 : static_cast<size_t>((minimum + mostChars - 1) / mostChars);
  // Its mask is as big as the other one: made only for a table that has such codes.
  TextRunFinder others(anyOther ? image : std::string_view(), other, 1);
  const auto scanGap = [&](size_t gapEnd) {
    if (!anyOther || shortest == 1) return;
    for (size_t p = others.next(at); p < gapEnd; p = others.next(std::max(at, p + 1))) {
      size_t runStart = p;
      while (runStart > at && mayStart[bytes[runStart - 1]]) --runStart;
      size_t runEnd = p + 1;
      while (runEnd < n && mayStart[bytes[runEnd]]) ++runEnd;
      scan(runStart, runEnd);
    }
  };
  TextRunFinder runs(image, mayStart, shortest);
  // Most tables give every lone byte the same number of characters: a run's count is
  // then its length times that.
  std::uint8_t sameChars = mostChars;
  for (size_t b = 0; b < 256; ++b)
    if (lone.chars[b] != 0 && lone.chars[b] != mostChars) sameChars = 0;
  size_t nextOther = anyOther ? others.next(0) : n;  // the first not-lone code byte at or after `at`
  runs.forEachRun([&](size_t runStart, size_t runEnd) {
    if (nextOther < at) nextOther = others.next(at);
    if (at <= runStart && nextOther >= runEnd) {
      // Nothing but lone bytes up to the run's end: the run is one string.
      std::int64_t count = 0;
      if (sameChars != 0) {
        count = static_cast<std::int64_t>(sameChars) * static_cast<std::int64_t>(runEnd - runStart);
      } else {
        for (size_t k = runStart; k < runEnd; ++k) count += lone.chars[bytes[k]];
      }
      start = runStart;
      chars = count;
      at = runEnd;
      return close(runEnd);
    }
    scanGap(runStart);
    scan(runStart, runEnd);
  });
  scanGap(n);
  if (chars >= 0) close(n);
  report.finish();
}

void ExtractTextFromRom(Workspace& ws) {
  if (RefuseWithoutRomOrTable(ws)) return;
  if (ws.ReportFileName.empty()) {
    AppendLog(ws, W("Не задано имя файла отчета"));
    MarkNotDone(ws);
    return;
  }
  try {
    WriteReport(ws);
    AppendLog(ws, W("Вынули текст из ROM файла: ") + ws.InputRomFileName + W(" в файл: ") + ws.ReportFileName);
  } catch (const OperationError& e) {
    if (!e.pathNotFound()) {
      LogOperationError(ws);
      return;
    }
    ReportPathNotFound(ws, CannotCreateReportText(ws.ReportFileName));
    ws.ReportFileName.clear();
  } catch (...) {
    LogOperationError(ws);
  }
}
