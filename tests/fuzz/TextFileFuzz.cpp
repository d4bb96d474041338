// Every text file the program reads passes this decoder first: whatever the bytes, its
// text must have only CR LF line ends and say what a plain reading of the bytes says.
#include <cstddef>
#include <cstdint>

#include "workspace/TextFile.h"

namespace {

// Line ends made CR LF the plain way, one byte at a time.
std::string PlainCrLf(std::string_view bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' || bytes[i] == '\n') {
      if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += bytes[i];
    }
  }
  return out;
}

bool OnlyCrLf(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}

}  // namespace

bool TextFileChecksHold(std::string_view bytes) {
  const DecodedTextFile d = DecodeTextFile(bytes);
  if (!OnlyCrLf(d.text)) return false;
  if (!utf8::Valid(d.text)) return false;
  // Windows-1251 goes to UTF-8 and back byte for byte.
  if (!d.utf8) return d.text == cp1251::ToUtf8(PlainCrLf(bytes)) && cp1251::FromUtf8(d.text) == PlainCrLf(bytes);
  const std::string_view body = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
  return d.text == utf8::Repaired(PlainCrLf(body));
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!TextFileChecksHold(std::string_view(reinterpret_cast<const char*>(data), size))) __builtin_trap();
  return 0;
}
