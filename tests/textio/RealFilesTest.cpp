// The whole translation cycle on real files made by other people's tools: ROMs built
// by homebrew toolchains, tables written for other games (UTF-8 ones among them) and a
// patch made by Lunar IPS. Each step goes through the file it would go through for the
// user: the table and the ROM are loaded from disk, the report is edited as a text file,
// the patched ROM and the patch are saved and read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>

#include "../fuzz/InsertionFuzz.cpp"
#include "ips/IpsFile.h"
#include "ips/IpsFromPerevod.h"
#include "ips/IpsText.h"
#include "ips/TestPatch.h"
#include "support/TestFiles.h"
#include "textio/Extraction.h"
#include "textio/GbaPointers.h"
#include "textio/Insertion.h"
#include "workspace/CharTable.h"
#include "workspace/Files.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"

namespace {

// A string the file's source names, at its 0-based offset; `translation`, when given,
// replaces it (same length: insertion writes in place).
struct NamedString {
  std::int64_t offset;
  std::string text;
  std::string translation;
};

struct RealRom {
  std::string file;
  std::vector<NamedString> strings;
};

const std::vector<RealRom>& RealRoms() {
  static const std::vector<RealRom> roms = {
      {"flozz_hello.gb",
       {{0x20A, "Hello world!", "Privet, mir!"},
        {0xE44, " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~",
         ""}}},
      {"flozz_tictactoe.gb",
       {{0x28D, " Tic Tac Toe", " Krestiki-No"},
        {0x29A, "- Press START -", ""},
        {0x569, "- Press START -", "- Zhmi  START -"},
        {0x349, "Tic Tac Toe", ""},
        {0x355, "X You - O Computer", "X Vy - O Kompyuter"},
        {0x368, "       |   |   ", ""},
        {0x378, "    ---+---+---", ""},
        {0x545, " YOU WON! :)", ""},
        {0x552, "YOU LOST! :(", "PROIGRYSH :("},
        {0x55F, "EQUALITY!", ""}}},
      // The header title sits inside a longer run of text bytes.
      {"joamag_printer.gb", {{0x134, "DM-PRINTER", "DM-PECHAT!"}}},
      // Text below 0x150, from the very first byte on.
      {"scribbl_statcount.gb",
       {{0x00, "STAT: 00h", ""},
        {0x0A, "NOPs: 00h", ""},
        {0x14, "Press START to run test", "Nazhmi START dlya testa"},
        {0x2C, "Test: ??", ""},
        {0x35, "OK  ", "DA  "}}},
      {"jsmolka_hello.gba", {{0xA0, "GBA Tests", "GBA Testy"}, {0xAC, "1337JS", ""}}},
      {"jsmolka_arm.gba", {{0xA0, "GBA Tests", "GBA Testy"}, {0xAC, "1337JS", ""}}},
      {"nba_dma_latch.gba",
       {{53616, "DMA1 DMA1 EVEN", "DMA1 DMA1 CHET"}, {53632, "DMA1 DMA1  ODD", ""}, {53648, "DMA1 DMA2 EVEN", ""}}},
      // Strings reached through the struct arrays at 0x124B0 and 0x12540.
      {"nba_ram-access-timing.gba",
       {{78240, "BG VRAM fetch", "BG VRAM chten"},
        {78256, "BG VRAM fetch (LCDC off)", ""},
        {78284, "OBJ VRAM fetch", ""},
        {77964, "BG2 + BG3", ""},
        {77976, "(OFF)", "(VYK)"},
        {78064, "(ALPHA BG0 BG1) BG0=1 BG1=0", ""},
        {78328, "3x 4bpp --- 16px (OAM)", ""},
        {78592, "Locked H-blank (VRAM)", ""}}},
  };
  return roms;
}

// Codes 20..7E carry the ASCII characters, as the homebrew toolchains' fonts do.
std::string AsciiTable() {
  std::string table;
  const char* digits = "0123456789ABCDEF";
  for (int code = 0x20; code < 0x7F; ++code)
    table += std::string{digits[code / 16], digits[code % 16], '=', static_cast<char>(code)} + "\r\n";
  return table;
}

std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find("\r\n", at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

bool LoggedError(const ScriptedHost& host) {
  return std::any_of(host.log.begin(), host.log.end(),
                     [](const Text& line) { return line.rfind(W("Ошибка однако... "), 0) == 0; });
}

struct Located {
  size_t line = 0;
  size_t column = 0;  // where the string starts in the line's text
};

// The report line whose text covers the string at its 1-based address.
std::optional<Located> Locate(const std::vector<std::string>& lines, const NamedString& s) {
  for (size_t i = 0; i < lines.size(); ++i) {
    const PerevodLineParts parts = ParsePerevodLine(lines[i]);
    const std::int64_t column = s.offset + 1 - parts.address;
    if (!parts.hasSeparator || column < 0 || column >= static_cast<std::int64_t>(parts.text.size())) continue;
    if (parts.text.substr(static_cast<size_t>(column), s.text.size()) != s.text) return std::nullopt;
    return Located{i, parts.field.size() + 1 + static_cast<size_t>(column)};
  }
  return std::nullopt;
}

struct CycleBench : TestBench {
  CycleBench() {
    ws.NumberOfTextChars = 4;
    WriteBytes(dir.path() / "ascii.tbl", AsciiTable());
    ws.TableFileName = dir.file("ascii.tbl");
    LoadTable(ws);
  }
  void loadRom(const std::string& file) {
    ws.InputRomFileName = FromNativePath(TestData(file));
    LoadRom(ws);
  }
  std::string extract(const std::string& reportName) {
    ws.ReportFileName = dir.file(reportName);
    ExtractTextFromRom(ws);
    return ReadBytes(dir.path() / reportName);
  }
};

// Extract, edit the report as a text file, insert, save; make a patch of the translation
// and apply it to the untouched ROM in a second workspace.
void RunCycle(const RealRom& rom) {
  SCOPED_TRACE(rom.file);
  CycleBench t;
  ASSERT_TRUE(t.ws.TableLoaded);
  t.loadRom(rom.file);
  ASSERT_TRUE(t.ws.RomLoaded);
  const std::string original = ReadBytes(TestData(rom.file));
  ASSERT_EQ(t.ws.RomImage, original);

  std::vector<std::string> lines = CrLfLines(t.extract("report.txt"));
  ASSERT_FALSE(lines.empty());
  std::string translated = original;
  for (const NamedString& s : rom.strings) {
    const auto found = Locate(lines, s);
    ASSERT_TRUE(found) << s.text << " at " << s.offset + 1;
    if (s.translation.empty()) continue;
    ASSERT_EQ(s.translation.size(), s.text.size());
    lines[found->line].replace(found->column, s.text.size(), s.translation);
    translated.replace(static_cast<size_t>(s.offset), s.translation.size(), s.translation);
  }
  ASSERT_NE(translated, original);
  std::string edited;
  for (const auto& line : lines) edited += line + "\r\n";
  WriteBytes(t.dir.path() / "perevod.txt", edited);

  t.ws.PerevodFileName = t.dir.file("perevod.txt");
  LoadPerevod(t.ws);
  ASSERT_TRUE(t.ws.PerevodLoaded);
  ASSERT_EQ(t.ws.PerevodArray.size(), lines.size());
  // Every untranslated line rewrites the bytes it came from, so only the edits show.
  ASSERT_TRUE(PutPerevodInRom(t.ws, 0));
  EXPECT_EQ(t.ws.RomImage, translated);
  t.ws.OutputRomFileName = t.dir.file("translated.rom");
  SaveRom(t.ws);
  EXPECT_EQ(ReadBytes(t.dir.path() / "translated.rom"), translated);
  // The translated ROM's text is the edited report, line for line.
  EXPECT_EQ(t.extract("again.txt"), edited);

  GenerateIpsFromPerevod(t.ws);
  ASSERT_TRUE(t.ws.IpsLoaded);
  t.ws.OutputIPSFileName = t.dir.file("translation.ips");
  SaveIpsAs(t.ws);
  EXPECT_FALSE(LoggedError(t.host));
  EXPECT_EQ(t.host.failures, 0);

  CycleBench other;
  other.loadRom(rom.file);
  other.ws.IPSFileName = t.dir.file("translation.ips");
  LoadIps(other.ws);
  ApplyIps(other.ws);
  EXPECT_EQ(other.ws.RomImage, translated);
  EXPECT_TRUE(other.ws.RomChanged);
  EXPECT_FALSE(LoggedError(other.host));
}

TEST(RealFiles, EveryRomGoesThroughExtractionTranslationInsertionAndItsPatch) {
  for (const RealRom& rom : RealRoms()) RunCycle(rom);
}

// The strings of nba_ram-access-timing.gba are reached through two arrays of
// {const char*, u32}; every pointer in them must be reported at its first slot.
TEST(RealFiles, FindGbaPointersReportsTheStructArrayPointersOfARealGbaRom) {
  CycleBench t;
  t.loadRom("nba_ram-access-timing.gba");
  const std::string image(t.ws.RomImage);
  const std::string report = t.extract("report.txt");
  t.ws.PerevodFileName = t.dir.file("report.txt");
  LoadPerevod(t.ws);
  ASSERT_TRUE(t.ws.PerevodLoaded);
  t.host.log.clear();
  FindGbaPointers(t.ws);

  std::map<std::uint32_t, std::size_t> firstSlot;
  for (const auto& [base, count] : {std::pair<size_t, size_t>{0x124B0, 12}, {0x12540, 34}})
    for (size_t k = 0; k < count; ++k) {
      const size_t slot = base + 8 * k;
      std::uint32_t value = 0;
      for (int b = 3; b >= 0; --b)
        value = value * 256 + static_cast<unsigned char>(image[slot + static_cast<size_t>(b)]);
      firstSlot.emplace(value, slot);
    }
  ASSERT_EQ(firstSlot.size(), 45u);  // "Mode 3" is named twice
  const auto& log = t.host.log;
  for (const auto& [value, slot] : firstSlot) {
    ASSERT_GE(value, 0x08000000u);
    const std::int64_t address = value - 0x08000000 + 1;
    // The string is a line of the report, and its pointer is found where the array holds it.
    EXPECT_NE(("\r\n" + report).find("\r\n" + std::to_string(address) + " "), std::string::npos) << address;
    const Text expected = W("найден поинтер на строку с адресом") + std::to_string(address) + W(", адрес поинтера") +
                          std::to_string(slot);
    EXPECT_NE(std::find(log.begin(), log.end(), expected), log.end()) << address;
  }
  // Every line is answered once, found or not, as a plain search of the image says.
  size_t found = 0;
  for (const Text& line : t.ws.PerevodArray) {
    const std::int64_t address = ParsePerevodLine(line).address;
    std::string pointer;
    for (int b = 0; b < 4; ++b) pointer += static_cast<char>(((address - 1 + 0x08000000) >> (8 * b)) & 0xFF);
    if (image.find(pointer) != std::string::npos) ++found;
  }
  const auto count = [&](const Text& prefix) {
    return static_cast<size_t>(
        std::count_if(log.begin(), log.end(), [&](const Text& line) { return line.rfind(prefix, 0) == 0; }));
  };
  EXPECT_EQ(count(W("найден поинтер на строку с адресом")), found);
  EXPECT_EQ(count(W("НЕ найден поинтер на строку с адресом")), t.ws.PerevodArray.size() - found);
  EXPECT_EQ(t.ws.RomImage, image);
  EXPECT_FALSE(t.ws.RomChanged);
}

// The Zelda patch, made by Lunar IPS for a 131,088-byte iNES image: loaded, applied and
// saved through files, every record lands and nothing else moves.
TEST(RealFiles, TheNesPatchAppliesToAnImageOfItsSizeThroughFiles) {
  TestBench t;
  std::string rom(131088, '\0');
  for (size_t i = 0; i < rom.size(); ++i) rom[i] = static_cast<char>((i * 37 + i / 251) & 0xFF);
  WriteBytes(t.dir.path() / "zelda.nes", rom);
  t.ws.InputRomFileName = t.dir.file("zelda.nes");
  LoadRom(t.ws);
  t.ws.IPSFileName = FromNativePath(TestData("neshacker_ZeldaWarriorPrincess.ips"));
  LoadIps(t.ws);
  ApplyIps(t.ws);
  t.ws.OutputRomFileName = t.dir.file("patched.nes");
  SaveRom(t.ws);
  const std::string patched = ReadBytes(t.dir.path() / "patched.nes");
  ASSERT_EQ(patched.size(), rom.size());

  const TestPatch patch = TestPatch::parse(ReadBytes(TestData("neshacker_ZeldaWarriorPrincess.ips")));
  ASSERT_EQ(patch.records().size(), 40u);
  std::vector<bool> covered(rom.size(), false);
  for (const TestRecord& r : patch.records()) {
    const size_t n = r.rle ? r.run : r.bytes.size();
    ASSERT_GE(r.offset, 0x4E44u);
    ASSERT_LE(r.offset + n, rom.size());
    std::fill_n(covered.begin() + r.offset, n, true);
  }
  EXPECT_EQ(patched, patch.appliedTo(rom));
  size_t moved = 0;
  for (size_t i = 0; i < rom.size(); ++i)
    if (!covered[i]) moved += patched[i] != rom[i];
  EXPECT_EQ(moved, 0u);
  EXPECT_FALSE(LoggedError(t.host));
  EXPECT_EQ(t.host.failures, 0);

  // Mining the same patch for text gives the runs of three or more ASCII bytes inside
  // its data records, each at the address it takes once applied.
  WriteBytes(t.dir.path() / "ascii.tbl", AsciiTable());
  t.ws.TableFileName = t.dir.file("ascii.tbl");
  LoadTable(t.ws);
  t.ws.NumberOfTextChars = 3;
  t.ws.ReportFileName = t.dir.file("ips.txt");
  ExtractTextFromIps(t.ws);
  EXPECT_FALSE(LoggedError(t.host));
  std::string expected;
  for (const TestRecord& r : patch.records()) {
    for (size_t i = 0; i < r.bytes.size();) {
      size_t end = i;
      while (end < r.bytes.size() && r.bytes[end] >= 0x20 && r.bytes[end] < 0x7F) ++end;
      if (end - i >= 3) expected += std::to_string(r.offset + 1 + i) + " " + r.bytes.substr(i, end - i) + "\r\n";
      i = std::max(end, i + 1);
    }
  }
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(ReadBytes(t.dir.path() / "ips.txt"), expected);
}

// The tables as they come: a CR LF table with a duplicate code and UTF-8 tables of kana
// and Latin letters. Each is read as UTF-8 and loads with its warnings, one a line: an
// entry of several characters warns; an entry of a character Windows-1251 lacks loads as
// any other. The table survives a save and a reload unchanged.
TEST(RealFiles, EveryTableLoadsWithItsWarningsAndSurvivesASave) {
  const std::map<std::string, size_t> repeated = {
      {"telefang_patch.tbl", 1}, {"telefang_original.tbl", 0}, {"sanqui_medarot1.tbl", 0}, {"jw-py-en.tbl", 8}};
  for (const auto& [file, repeats] : repeated) {
    SCOPED_TRACE(file);
    TestBench t;
    t.ws.TableFileName = FromNativePath(TestData(file));
    LoadTable(t.ws);
    ASSERT_TRUE(t.ws.TableLoaded);
    EXPECT_EQ(t.ws.CharTable.size(), 256u);
    EXPECT_EQ(t.ws.CharTableLookup.size(), 256u);
    EXPECT_FALSE(LoggedError(t.host));
    const Text loaded = W("Загрузили таблицу :") + t.ws.TableFileName + " (UTF-8)";
    EXPECT_NE(std::find(t.host.log.begin(), t.host.log.end(), loaded), t.host.log.end());

    // The file read by hand, a line at a time: entries that Windows-1251 cannot hold,
    // and entries whose character text is more than one character.
    size_t wide = 0;
    size_t foreign = 0;
    size_t foreignCells = 0;
    std::string content = ReadBytes(TestData(file));
    std::replace(content.begin(), content.end(), '\r', '\n');
    for (size_t at = 0; at < content.size();) {
      const size_t end = std::min(content.find('\n', at), content.size());
      const std::string line = content.substr(at, end - at);
      at = end + 1;
      const size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      const std::string chars = line.substr(eq + 1);
      const bool isForeign = !cp1251::Fits(line);
      foreign += isForeign;
      if (utf8::Length(chars) > 1)
        ++wide;
      else if (isForeign && eq == 2)
        ++foreignCells;
    }
    const auto logged = [&](const Text& part) {
      return static_cast<size_t>(std::count_if(t.host.log.begin(), t.host.log.end(),
                                               [&](const Text& line) { return line.find(part) != Text::npos; }));
    };
    EXPECT_EQ(logged(W(" соответствует нескольким символам")), wide);
    EXPECT_EQ(logged(W(" нет в Windows-1251")), 0u);
    // Every one-character entry of any script is in the grid.
    EXPECT_EQ(static_cast<size_t>(std::count_if(t.ws.CharTableLookup.begin(), t.ws.CharTableLookup.end(),
                                                [](char32_t c) { return c != 0 && !cp1251::Encode(c); })),
              foreignCells);
    EXPECT_EQ(logged(W(" определен более чем один раз")), repeats);
    if (file == "telefang_original.tbl" || file == "sanqui_medarot1.tbl") {
      EXPECT_GT(foreign, 150u);
    }
    if (file == "jw-py-en.tbl") {
      // One Japanese bracket among a hundred Latin entries, kept as the others are.
      EXPECT_EQ(foreign, 1u);
      EXPECT_EQ(t.ws.CharTable[0x0A], "「");
      EXPECT_EQ(t.ws.CharTable[0x0B], ".");
      EXPECT_EQ(t.ws.CharTable[0x7F], "_");
    }

    const auto lookup = t.ws.CharTableLookup;
    t.ws.TableFileName = t.dir.file("saved.tbl");
    SaveTable(t.ws);
    LoadTable(t.ws);
    EXPECT_EQ(t.ws.CharTableLookup, lookup);
    EXPECT_FALSE(LoggedError(t.host));
  }
}

// The insertion fuzz target's reference checks, run in the ordinary suite on its seeds
// (real ROM pieces and tables) and on every cut of one, so they keep holding between
// fuzzing runs.
TEST(RealFiles, TheInsertionFuzzChecksHoldOnItsSeeds) {
  const auto feed = [](const std::string& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
  };
  size_t seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(TARVELLO_TEST_DATA) /
                                                               "../fuzz/corpus/InsertionFuzz")) {
    const std::string seed = ReadBytes(entry.path());
    feed(seed);
    for (size_t n = 0; n < seed.size(); n += 7) feed(seed.substr(0, n));
    ++seeds;
  }
  EXPECT_GE(seeds, 6u);
}

}  // namespace
