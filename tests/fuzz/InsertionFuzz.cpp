// Insertion writes whatever a translation file says into the ROM: addresses far past the
// end, negative after a shift, escapes, characters the table lacks. Whatever the input,
// no byte may be written outside the image, and the image must be exactly what a
// byte-by-byte reading of the translation gives, or, after a refusal, untouched.
//
// Input: [ROM size] [flags] [shift] [ROM bytes] [table text] "\n%%\n" [translation text]
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "textio/Insertion.h"
#include "workspace/CharTable.h"
#include "workspace/EntryCodec.h"
#include "workspace/Errors.h"
#include "workspace/Escapes.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

struct Options {
  std::int32_t shift = 0;
  bool writeUnknown = false;
  bool keepShifted = false;
};

// The image a translation gives, line by line and character by character, or nothing
// when some byte would fall outside it.
std::optional<Text> Expected(Text rom, const std::u32string& lookup, const std::vector<Text>& lines,
                             const Options& options) {
  for (const Text& line : lines) {
    const size_t space = line.find(' ');
    if (space == Text::npos) continue;
    const std::int64_t address = ReadAddress(std::string_view(line).substr(0, space)) + options.shift;
    const Text text = DecodeEscapes(line.substr(space + 1));
    size_t i = 0;
    for (size_t pos = 0; pos < text.size(); ++i) {
      const char32_t c = utf8::Next(text, pos);
      const size_t at = lookup.find(c);
      if (at == std::u32string::npos && !options.writeUnknown) continue;
      const std::int64_t offset = address - 1 + static_cast<std::int64_t>(i);
      if (offset < 0 || offset >= static_cast<std::int64_t>(rom.size())) return std::nullopt;
      rom[static_cast<size_t>(offset)] = static_cast<char>(at == std::u32string::npos ? UnknownCharByte(c) : at);
    }
  }
  return rom;
}

// The same through an extended table: each line cut by the codec, and a line the
// image already holds left as it is.
std::optional<Text> ExpectedExtended(const Text& rom, const EntryCodec& codec, const std::vector<Text>& lines,
                                     const Options& options) {
  Text image = rom;
  for (const Text& line : lines) {
    const size_t space = line.find(' ');
    if (space == Text::npos) continue;
    const std::int64_t address = ReadAddress(std::string_view(line).substr(0, space)) + options.shift;
    const std::string_view text = std::string_view(line).substr(space + 1);
    if (codec.matchesImage(rom, address - 1, text)) continue;
    const EntryCodec::Encoded encoded = codec.encode(text);
    size_t unknown = 0;
    for (size_t i = 0; i < encoded.bytes.size(); ++i) {
      const bool isUnknown = unknown < encoded.unknown.size() && encoded.unknown[unknown] == i;
      unknown += isUnknown ? 1 : 0;
      if (isUnknown && !options.writeUnknown) continue;
      const std::int64_t offset = address - 1 + static_cast<std::int64_t>(i);
      if (offset < 0 || offset >= static_cast<std::int64_t>(image.size())) return std::nullopt;
      image[static_cast<size_t>(offset)] = encoded.bytes[i];
    }
  }
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t romSize = std::min<size_t>(data[0], size - 3);
  Options options;
  options.writeUnknown = (data[1] & 1) != 0;
  options.keepShifted = (data[1] & 2) != 0;
  options.shift = static_cast<std::int8_t>(data[2]);
  if (data[1] & 4) options.shift *= 0x10000;  // far shifts too, past any small image
  const Text rom(input.substr(3, romSize));
  const std::string_view rest = input.substr(3 + romSize);
  const size_t cut = rest.find("\n%%\n");
  const std::string_view tableText = rest.substr(0, cut);
  const std::string_view perevodText = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 4);

  NullHost host;
  Workspace ws(host);
  InitWorkspace(ws, "");
  // Flag 16: the table is read as an extended one (several bytes to a code, several
  // characters to an entry).
  ws.ExtendedTables = (data[1] & 16) ? "YES" : "NO";
  try {
    ApplyTableText(ws, tableText);
  } catch (const OperationError&) {
    return 0;  // a refused table is the table fuzzer's business
  }
  ws.TableLoaded = true;
  ws.RomImage = rom;
  DiscardRomWork(ws);
  ws.RomLoaded = true;
  ws.PerevodArray = SplitPerevodText(perevodText);
  ws.PerevodLoaded = true;
  ws.SkipUnknownTRChars = options.writeUnknown ? "NO" : "YES";
  ws.LeaveChangesInPerevodAddr = options.keepShifted ? "YES" : "NO";
  ws.UseHEXaddr = (data[1] & 8) ? "YES" : "NO";
  const std::vector<Text> lines = ws.PerevodArray;

  const bool inserted = PutPerevodInRom(ws, options.shift);
  const std::optional<Text> expected = ws.TableExtended ? ExpectedExtended(rom, EntryCodec(ws), lines, options)
                                                        : Expected(rom, ws.CharTableLookup, lines, options);
  Require(inserted == expected.has_value());
  Require(ws.RomImage.size() == rom.size());
  Require(ws.RomImage == (inserted ? *expected : rom));
  Require(ws.RomChanged == inserted);
  // A run that fails keeps the translation as it was: lines moved by half a run would
  // move again on the next.
  if (!inserted) Require(ws.PerevodArray == lines && !ws.PerevodChanged);
  Require(ws.PerevodArray.size() == lines.size());
  // Shifted addresses written back must read as the shifted address of the same text
  // (where the address rule can hold the number at all).
  if (inserted && options.keepShifted && options.shift != 0) {
    for (size_t i = 0; i < lines.size(); ++i) {
      const PerevodLineParts before = ParsePerevodLine(lines[i]);
      const PerevodLineParts after = ParsePerevodLine(ws.PerevodArray[i]);
      Require(before.hasSeparator == after.hasSeparator);
      if (!before.hasSeparator) continue;
      Require(after.text == before.text);
      const std::int64_t shifted = before.address + options.shift;
      if (shifted >= 0 && shifted <= 0xFFFFFFFF) Require(after.address == shifted);
    }
  }
  return 0;
}
