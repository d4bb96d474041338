#include "workspace/TextFile.h"

#include <algorithm>
#include <cstdio>

#include "workspace/Files.h"
#include "workspace/Log.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsMultiByteUtf8(std::string_view bytes) {
  bool multiByte = false;
  for (size_t pos = 0; pos < bytes.size();) {
    if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
      ++pos;
      continue;
    }
    if (!cp1251::NextUtf8(bytes, pos)) return false;
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

DecodedTextFile NormaliseCp1251(std::string_view bytes) {
  DecodedTextFile result;
  result.text.reserve(bytes.size() + bytes.size() / 32);
  for (size_t pos = 0; pos < bytes.size();)
    if (!TakeLineEnd(bytes, pos, result.text)) result.text += bytes[pos++];
  return result;
}

DecodedTextFile DecodeUtf8(std::string_view bytes) {
  DecodedTextFile result;
  result.utf8 = true;
  result.text.reserve(bytes.size());
  size_t line = 1;
  for (size_t pos = 0; pos < bytes.size();) {
    if (TakeLineEnd(bytes, pos, result.text)) {
      ++line;
      continue;
    }
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
