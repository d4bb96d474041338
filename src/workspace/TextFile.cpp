#include "workspace/TextFile.h"

#include <cstdio>

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
