// Escapes and addresses are typed by hand into translation files. Every reading is held
// against a plain character-by-character reference, so that an optimisation or a
// boundary slip in the readers shows as a difference, not only as a crash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "workspace/Escapes.h"
#include "workspace/Perevod.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "<$hh>" gives the Windows-1251 character of the byte of its leading hex digits: both,
// the first alone, or none (0).
Text ReferenceDecode(std::string_view text) {
  Text out;
  size_t i = 0;
  while (i < text.size()) {
    if (text.substr(i).size() >= 5 && text.substr(i, 2) == "<$" && text[i + 4] == '>') {
      const int high = Hex(text[i + 2]);
      const int low = high < 0 ? -1 : Hex(text[i + 3]);
      const int byte = high < 0 ? 0 : low < 0 ? high : high * 16 + low;
      utf8::Append(out, cp1251::Decode(static_cast<unsigned char>(byte)));  // the character of that Windows-1251 byte
      i += 5;
    } else {
      out += text[i++];
    }
  }
  return out;
}

// Addresses above 32 bits all read as one value, so only "beyond" needs tracking.
std::int64_t ReferenceAddress(std::string_view field) {
  const bool hex = field.size() >= 2 && field[0] == '&' && (field[1] == 'H' || field[1] == 'h');
  if (hex) field.remove_prefix(2);
  const int base = hex ? 16 : 10;
  std::uint64_t value = 0;
  for (char c : field) {
    const int d = hex ? Hex(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (d < 0) break;
    value = value * base + static_cast<std::uint64_t>(d);
    if (value > 0xFFFFFFFFull) return kAddressTooLarge;
  }
  return static_cast<std::int64_t>(value);
}

void CheckLine(std::string_view line) {
  const PerevodLineParts parts = ParsePerevodLine(line);
  const size_t space = line.find(' ');
  Require(parts.hasSeparator == (space != std::string_view::npos));
  if (!parts.hasSeparator) {
    Require(parts.address == 0 && parts.field.empty() && parts.text.empty());
    return;
  }
  // The parts are views into the line itself, split at its first space.
  Require(parts.field.data() == line.data() && parts.field.size() == space);
  Require(parts.text.data() == line.data() + space + 1 && parts.text.size() == line.size() - space - 1);
  Require(parts.address == ReferenceAddress(parts.field));
  Require(parts.address == ReadAddress(parts.field));
  Require((parts.address >= 0 && parts.address <= 0xFFFFFFFF) || parts.address == kAddressTooLarge);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  const Text decoded = DecodeEscapes(Text(input));
  Require(decoded == ReferenceDecode(input));
  Require(decoded.size() <= input.size());
  // Each escape is five characters for one. The escape is found byte by byte, so a
  // multi-byte character in a digit's place makes it fewer characters: count ASCII only.
  const bool ascii = std::all_of(input.begin(), input.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) Require((utf8::Length(input) - utf8::Length(decoded)) % 4 == 0);

  size_t digits = 0;
  const std::uint64_t prefix = ReadHexPrefix(input, &digits);
  Require(digits <= input.size());
  Require(digits == input.size() || Hex(input[digits]) < 0);
  if (digits <= 16) {
    std::uint64_t value = 0;
    for (size_t i = 0; i < digits; ++i) value = value * 16 + static_cast<std::uint64_t>(Hex(input[i]));
    Require(prefix == value);
  }

  // Every line of the input, and the input as one line.
  size_t start = 0;
  while (start <= input.size()) {
    const size_t end = std::min(input.find('\n', start), input.size());
    CheckLine(input.substr(start, end - start));
    start = end + 1;
  }
  CheckLine(input);

  // An address the program writes reads back as itself, in either form.
  const std::int64_t address = ReadAddress(input.substr(0, input.find(' ')));
  if (address != kAddressTooLarge) {
    NullHost host;
    Workspace ws(host);
    for (const char* hex : {"NO", "YES"}) {
      ws.UseHEXaddr = hex;
      Require(ReadAddress(FormatAddress(ws, address)) == address);
      Require(ParsePerevodLine(FormatAddress(ws, address) + " " + decoded).address == address);
    }
  }
  return 0;
}
