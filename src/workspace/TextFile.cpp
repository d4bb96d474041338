#include "workspace/TextFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "workspace/Files.h"
#include "workspace/Log.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Moves past one well-formed sequence of two or more bytes; false when malformed. The
// two-byte form of Cyrillic text is checked here without the general reader.
bool SkipMultiByte(std::string_view bytes, size_t& pos) {
  const auto lead = static_cast<unsigned char>(bytes[pos]);
  if (lead >= 0xC2 && lead <= 0xDF && pos + 1 < bytes.size() &&
      (static_cast<unsigned char>(bytes[pos + 1]) & 0xC0) == 0x80) {
    pos += 2;
    return true;
  }
  return cp1251::NextUtf8(bytes, pos).has_value();
}

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

bool IsMultiByteUtf8(std::string_view bytes) {
  bool multiByte = false;
  for (size_t pos = 0; (pos = NextHighByte(bytes, pos)) < bytes.size();) {
    if (!SkipMultiByte(bytes, pos)) return false;
    multiByte = true;
  }
  return multiByte;
}

// Appends one line end for a CR, an LF or a CR LF at pos and moves past it; false when
// pos holds none.
bool TakeLineEnd(std::string_view bytes, size_t& pos, Text& out) {
  if (bytes[pos] == '\n') {
    ++pos;
  } else if (bytes[pos] == '\r') {
    ++pos;
    if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
  } else {
    return false;
  }
  out += "\r\n";
  return true;
}

// Where the run of bytes from pos that are copied as they stand ends: no line end, and
// with `asciiOnly` nothing above 0x7F. Runs are appended whole, never byte by byte.
size_t PlainRunEnd(std::string_view bytes, size_t pos, bool asciiOnly) {
  for (; pos < bytes.size(); ++pos) {
    const auto c = static_cast<unsigned char>(bytes[pos]);
    if (c == '\r' || c == '\n' || (asciiOnly && c >= 0x80)) break;
  }
  return pos;
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

DecodedTextFile NormaliseCp1251(std::string_view bytes) {
  DecodedTextFile result;
  if (EndsLinesWithCrLfOnly(bytes)) {
    result.text = Text(bytes);
    return result;
  }
  result.text.reserve(bytes.size() + bytes.size() / 32);
  for (size_t pos = 0; pos < bytes.size();) {
    const size_t end = PlainRunEnd(bytes, pos, false);
    result.text.append(bytes.substr(pos, end - pos));
    pos = end;
    if (pos < bytes.size()) TakeLineEnd(bytes, pos, result.text);
  }
  return result;
}

// The code page's bytes by code point for the two-byte UTF-8 range (below U+0800), which
// holds the Cyrillic letters: a Russian text decodes by one look-up a character.
const std::array<short, 0x800>& TwoByteCodes() {
  static const std::array<short, 0x800> codes = [] {
    std::array<short, 0x800> table{};
    table.fill(-1);
    for (int byte = 255; byte >= 0; --byte) {
      const char32_t cp = cp1251::Decode(static_cast<unsigned char>(byte));
      if (cp < table.size()) table[cp] = static_cast<short>(byte);
    }
    return table;
  }();
  return codes;
}

// A two-byte sequence the code page holds, appended; false for anything else.
bool TakeTwoByteChar(std::string_view bytes, size_t& pos, Text& out) {
  if (pos + 1 >= bytes.size()) return false;
  const auto lead = static_cast<unsigned char>(bytes[pos]);
  const auto next = static_cast<unsigned char>(bytes[pos + 1]);
  if (lead < 0xC2 || lead > 0xDF || (next & 0xC0) != 0x80) return false;
  const short code = TwoByteCodes()[static_cast<size_t>(((lead & 0x1F) << 6) | (next & 0x3F))];
  if (code < 0) return false;
  out += static_cast<char>(code);
  pos += 2;
  return true;
}

// One character of Windows-1251 from the UTF-8 at pos (moved past it), or a foreign one.
void DecodeOneChar(std::string_view bytes, size_t& pos, size_t line, DecodedTextFile& result) {
  if (TakeTwoByteChar(bytes, pos, result.text)) return;
  const auto cp = cp1251::NextUtf8(bytes, pos);
  if (!cp) ++pos;  // only a file with a byte order mark gets here with bad bytes
  const auto byte = cp ? cp1251::Encode(*cp) : std::nullopt;
  if (byte) {
    result.text += static_cast<char>(*byte);
  } else {
    result.text += '?';
    result.foreign.push_back({line, cp ? *cp : U'\uFFFD'});
  }
}

DecodedTextFile DecodeUtf8(std::string_view bytes) {
  DecodedTextFile result;
  result.utf8 = true;
  result.text.reserve(bytes.size());
  size_t line = 1;
  for (size_t pos = 0; pos < bytes.size();) {
    const size_t end = PlainRunEnd(bytes, pos, true);
    result.text.append(bytes.substr(pos, end - pos));
    pos = end;
    if (pos == bytes.size()) break;
    if (TakeLineEnd(bytes, pos, result.text))
      ++line;
    else
      DecodeOneChar(bytes, pos, line, result);
  }
  return result;
}

}  // namespace

DecodedTextFile DecodeTextFile(std::string_view bytes) {
  if (bytes.starts_with(kBom)) return DecodeUtf8(bytes.substr(kBom.size()));
  if (IsMultiByteUtf8(bytes)) return DecodeUtf8(bytes);
  return NormaliseCp1251(bytes);
}

Text CodePointName(char32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

DecodedTextFile ReadTextFile(const Text& name) {
  return DecodeTextFile(ReadWholeFile(name));
}

Text Utf8Mark(const DecodedTextFile& file) {
  return file.utf8 ? " (UTF-8)" : "";
}

void HintUtf8Saves(Workspace& ws, const Text& name, const DecodedTextFile& file) {
  if (!file.utf8 || WritesUtf8(ws)) return;
  auto& hinted = ws.Utf8HintedFiles;
  if (std::find(hinted.begin(), hinted.end(), name) != hinted.end()) return;
  hinted.push_back(name);
  AppendLog(ws, W("Файл ") + name +
                    W(" прочитан как UTF-8, а сохранять текстовые файлы будем в Windows-1251; чтобы сохранять в "
                      "UTF-8, включите \"Сохранять текстовые файлы в UTF-8\" в меню Options "
                      "(или TextFilesEncoding=UTF-8 в файле параметров)"));
}

bool RefuseForeignChars(Workspace& ws, const Text& name, const DecodedTextFile& file) {
  if (file.foreign.empty()) return false;
  const ForeignChar& first = file.foreign.front();
  const Text text = W("Файл ") + name + W(" не загружен: в строке ") + Digits(static_cast<std::int64_t>(first.line)) +
                    W(" символ ") + CodePointName(first.codePoint) + W(", которого нет в Windows-1251");
  ws.host->message(text, Buttons::Ok, Icon::Critical);
  AppendLog(ws, text);
  MarkNotDone(ws);
  return true;
}

bool WritesUtf8(const Workspace& ws) {
  return ws.TextFilesEncoding == "UTF-8";
}

Text TextFileBytes(const Workspace& ws, std::string_view text) {
  return WritesUtf8(ws) ? cp1251::ToUtf8(text) : Text(text);
}

void WriteTextFile(const Workspace& ws, const Text& name, std::string_view text) {
  if (WritesUtf8(ws))
    WriteFileAtomically(name, cp1251::ToUtf8(text));
  else
    WriteFileAtomically(name, text);
}
