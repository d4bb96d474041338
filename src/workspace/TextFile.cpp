#include "workspace/TextFile.h"

#include <errno.h>
#include <iconv.h>
#include <uchardet/uchardet.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "workspace/Files.h"
#include "workspace/Log.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The next byte above 0x7F from pos, eight bytes at a time: most of a translation is
// addresses and spaces.
size_t NextHighByte(std::string_view bytes, size_t pos) {
  for (std::uint64_t word; pos + 8 <= bytes.size(); pos += 8) {
    std::memcpy(&word, bytes.data() + pos, 8);
    if (word & 0x8080808080808080ULL) break;
  }
  while (pos < bytes.size() && static_cast<unsigned char>(bytes[pos]) < 0x80) ++pos;
  return pos;
}

// Moves past one well-formed sequence of two or more bytes; false when malformed. The
// two-byte form of Cyrillic text is checked here without the general reader.
bool SkipMultiByte(std::string_view bytes, size_t& pos) {
  const auto lead = static_cast<unsigned char>(bytes[pos]);
  if (lead >= 0xC2 && lead <= 0xDF && pos + 1 < bytes.size() &&
      (static_cast<unsigned char>(bytes[pos + 1]) & 0xC0) == 0x80) {
    pos += 2;
    return true;
  }
  return utf8::NextStrict(bytes, pos).has_value();
}

bool IsMultiByteUtf8(std::string_view bytes) {
  bool multiByte = false;
  for (size_t pos = 0; (pos = NextHighByte(bytes, pos)) < bytes.size();) {
    if (!SkipMultiByte(bytes, pos)) return false;
    multiByte = true;
  }
  return multiByte;
}

// True when every CR is followed by an LF and every LF follows a CR: the file's lines
// end as the program's own do, and its text needs no copy byte by byte.
bool EndsLinesWithCrLfOnly(std::string_view bytes) {
  for (size_t cr = 0; (cr = bytes.find('\r', cr)) != std::string_view::npos; ++cr)
    if (cr + 1 == bytes.size() || bytes[cr + 1] != '\n') return false;
  for (size_t lf = 0; (lf = bytes.find('\n', lf)) != std::string_view::npos; ++lf)
    if (lf == 0 || bytes[lf - 1] != '\r') return false;
  return true;
}

// Every CR, LF and CR LF as CR LF. No encoding this reader knows puts these two bytes
// inside a character, so the bytes are normalised before they are decoded.
std::string CrLfLines(std::string_view bytes) {
  if (EndsLinesWithCrLfOnly(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 32);
  for (size_t pos = 0; pos < bytes.size();) {
    const size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      out.append(bytes.substr(pos));
      break;
    }
    out.append(bytes.substr(pos, end - pos));
    out += "\r\n";
    pos = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
  }
  return out;
}

// glibc's converter into UTF-8; a sequence it cannot convert reads as U+FFFD, one byte
// at a time.
Text IconvToUtf8(std::string_view bytes, const char* from) {
  const iconv_t cd = iconv_open("UTF-8", from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return utf8::Repaired(bytes);
  std::unique_ptr<void, int (*)(iconv_t)> closer(cd, iconv_close);
  Text out;
  out.resize(bytes.size() * 3 / 2 + 16);
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  size_t done = 0;
  while (inLeft > 0) {
    char* o = out.data() + done;
    size_t outLeft = out.size() - done;
    const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    done = static_cast<size_t>(o - out.data());
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL: a byte no character starts with, or a cut sequence at the end.
    if (out.size() - done < 4) out.resize(out.size() * 2);
    out.resize(done);
    utf8::Append(out, U'\uFFFD');
    done = out.size();
    out.resize(done + inLeft * 3 / 2 + 16);
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(done);
  return out;
}

DecodedTextFile Decoded(Text text, bool utf8, const char* encoding) {
  DecodedTextFile result;
  result.text = std::move(text);
  result.utf8 = utf8;
  result.encoding = encoding;
  return result;
}

}  // namespace

ReadEncoding ReadEncodingOf(const Workspace& ws) {
  const Text& e = ws.TextFilesReadEncoding;
  if (e == "UTF-8") return ReadEncoding::Utf8;
  if (e == "WINDOWS-1251") return ReadEncoding::Windows1251;
  if (e == "SHIFT-JIS") return ReadEncoding::ShiftJis;
  if (e == "EUC-JP") return ReadEncoding::EucJp;
  return ReadEncoding::Auto;
}

DecodedTextFile DecodeTextFile(std::string_view bytes, ReadEncoding encoding) {
  if (bytes.starts_with(kBom)) return Decoded(utf8::Repaired(CrLfLines(bytes.substr(kBom.size()))), true, "UTF-8");
  switch (encoding) {
    case ReadEncoding::Utf8: return Decoded(utf8::Repaired(CrLfLines(bytes)), true, "UTF-8");
    // Windows code page 932 is what Japanese projects' files hold: Shift-JIS with the
    // NEC and IBM characters and the yen sign and overline read as the ASCII they are.
    case ReadEncoding::ShiftJis: return Decoded(IconvToUtf8(CrLfLines(bytes), "CP932"), false, "SHIFT-JIS");
    case ReadEncoding::EucJp: return Decoded(IconvToUtf8(CrLfLines(bytes), "EUC-JP"), false, "EUC-JP");
    case ReadEncoding::Windows1251: break;
    case ReadEncoding::Auto:
      if (IsMultiByteUtf8(bytes)) return Decoded(CrLfLines(bytes), true, "UTF-8");
      break;
  }
  if (NextHighByte(bytes, 0) == bytes.size()) return Decoded(CrLfLines(bytes), false, "WINDOWS-1251");
  return Decoded(cp1251::ToUtf8(CrLfLines(bytes)), false, "WINDOWS-1251");
}

Text JapaneseLookalike(std::string_view bytes) {
  if (NextHighByte(bytes, 0) == bytes.size()) return Text();
  const uchardet_t detector = uchardet_new();
  if (detector == nullptr) return Text();
  Text found;
  if (uchardet_handle_data(detector, bytes.data(), bytes.size()) == 0) {
    uchardet_data_end(detector);
    const std::string_view charset = uchardet_get_charset(detector);
    if (charset == "SHIFT_JIS") found = "SHIFT-JIS";
    if (charset == "EUC-JP") found = "EUC-JP";
  }
  uchardet_delete(detector);
  return found;
}

Text CodePointName(char32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

DecodedTextFile ReadTextFile(Workspace& ws, const Text& name) {
  const std::string bytes = ReadWholeFile(name);
  const ReadEncoding encoding = ReadEncodingOf(ws);
  DecodedTextFile file = DecodeTextFile(bytes, encoding);
  if (encoding == ReadEncoding::Auto && !file.utf8) {
    const Text lookalike = JapaneseLookalike(bytes);
    if (!lookalike.empty())
      AppendLog(ws, W("Файл ") + name + W(" прочитан как Windows-1251, но похож на ") + lookalike +
                        W("; чтобы читать его так, выберите ") + lookalike +
                        W(" в меню Options, \"Кодировка читаемых текстовых файлов\" (или TextFilesReadEncoding=") +
                        lookalike + W(" в файле параметров)"));
  }
  return file;
}

Text Utf8Mark(const DecodedTextFile& file) {
  if (file.utf8) return " (UTF-8)";
  if (file.encoding == "SHIFT-JIS" || file.encoding == "EUC-JP") return " (" + file.encoding + ")";
  return "";
}

void HintUtf8Saves(Workspace& ws, const Text& name, const DecodedTextFile& file) {
  // A file holding a character Windows-1251 lacks is saved in UTF-8 anyway.
  if (!file.utf8 || WritesUtf8(ws) || !cp1251::Fits(file.text)) return;
  auto& hinted = ws.Utf8HintedFiles;
  if (std::find(hinted.begin(), hinted.end(), name) != hinted.end()) return;
  hinted.push_back(name);
  AppendLog(ws, W("Файл ") + name +
                    W(" прочитан как UTF-8, а сохранять текстовые файлы будем в Windows-1251; чтобы сохранять в "
                      "UTF-8, включите \"Сохранять текстовые файлы в UTF-8\" в меню Options "
                      "(или TextFilesEncoding=UTF-8 в файле параметров)"));
}

bool WritesUtf8(const Workspace& ws) {
  return ws.TextFilesEncoding == "UTF-8";
}

std::optional<char32_t> FirstForeignChar(std::string_view text) {
  for (size_t pos = NextHighByte(text, 0); pos < text.size(); pos = NextHighByte(text, pos)) {
    const char32_t cp = utf8::Next(text, pos);
    if (!cp1251::Encode(cp)) return cp;
  }
  return std::nullopt;
}

void LogUtf8Write(Workspace& ws, const Text& name, char32_t foreign) {
  AppendLog(ws, W("Файл ") + name + W(" сохранен в UTF-8: в нем есть символ ") + utf8::Of(foreign) + " (" +
                    CodePointName(foreign) + W("), которого нет в Windows-1251"));
}

Text TextFileBytes(Workspace& ws, const Text& name, std::string_view text) {
  if (WritesUtf8(ws)) return Text(text);
  if (auto bytes = cp1251::FromUtf8(text)) return std::move(*bytes);
  if (const auto foreign = FirstForeignChar(text)) LogUtf8Write(ws, name, *foreign);
  return Text(text);
}

void WriteTextFile(Workspace& ws, const Text& name, std::string_view text) {
  WriteFileAtomically(name, TextFileBytes(ws, name, text));
}
