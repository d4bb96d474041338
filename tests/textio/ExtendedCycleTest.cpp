// Extended tables on real ROMs with real tables: an unedited extraction goes back into
// the ROM (and into a patch) without changing a byte, and an edited line is cut into
// the fewest bytes and reads back as typed.
#include <gtest/gtest.h>

#include <random>

#include "ips/IpsFile.h"
#include "ips/IpsFromPerevod.h"
#include "ips/IpsText.h"
#include "support/TestFiles.h"
#include "textio/Extraction.h"
#include "textio/Insertion.h"
#include "tools/Dumper.h"
#include "workspace/CharTable.h"
#include "workspace/EntryCodec.h"
#include "workspace/Files.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"

namespace {

const char* const kRoms[] = {"flozz_hello.gb",  "flozz_tictactoe.gb", "joamag_printer.gb", "scribbl_statcount.gb",
                             "jsmolka_arm.gba", "jsmolka_hello.gba",  "nba_dma_latch.gba", "nba_ram-access-timing.gba"};
const char* const kTables[] = {"ascii",
                               "jw-py-en.tbl",
                               "jw-py-main_menu.tbl",
                               "sanqui_medarot1.tbl",
                               "telefang_original.tbl",
                               "telefang_patch.tbl"};

struct ExtendedCycle : TestBench {
  ExtendedCycle(const std::string& rom, const std::string& table) {
    ws.ExtendedTables = "YES";
    ws.NumberOfTextChars = 3;
    ws.ExtendedLogs = "NO";
    if (table == "ascii") {
      std::string text;
      for (int code = 0x20; code < 0x7F; ++code)
        text +=
            std::string{"0123456789ABCDEF"[code / 16], "0123456789ABCDEF"[code % 16], '=', static_cast<char>(code)} +
            "\r\n";
      text += "/00\r\n";  // strings end at their NUL, and the NUL goes with them
      WriteBytes(dir.path() / "ascii.tbl", text);
      ws.TableFileName = dir.file("ascii.tbl");
    } else {
      ws.TableFileName = FromNativePath(TestData(table));
    }
    LoadTable(ws);
    ws.InputRomFileName = FromNativePath(TestData(rom));
    LoadRom(ws);
  }
  std::string extract() {
    ws.ReportFileName = dir.file("report.txt");
    ExtractTextFromRom(ws);
    ws.PerevodFileName = ws.ReportFileName;
    LoadPerevod(ws);
    return ReadBytes(dir.path() / "report.txt");
  }
};

TEST(ExtendedCycle, UneditedExtractionChangesNoByteOfAnyRealRomWithAnyRealTable) {
  for (const char* rom : kRoms) {
    for (const char* table : kTables) {
      SCOPED_TRACE(std::string(rom) + " / " + table);
      ExtendedCycle t(rom, table);
      ASSERT_TRUE(t.ws.TableExtended && t.ws.RomLoaded);
      const Text original(t.ws.RomImage);
      ASSERT_FALSE(t.extract().empty());
      ASSERT_TRUE(PutPerevodInRom(t.ws, 0));
      EXPECT_EQ(t.ws.RomImage, original);
      // The patch of an unedited translation holds the ROM's own bytes.
      GenerateIpsFromPerevod(t.ws);
      Text patched = original;
      for (const auto& line : t.ws.PerevodArray) {
        const PerevodLineParts parts = ParsePerevodLine(line);
        if (parts.hasSeparator) patched[static_cast<size_t>(parts.address - 1)] ^= 0x5A;
      }
      t.ws.RomImage = patched;
      DiscardRomWork(t.ws);
      ApplyIps(t.ws);
      EXPECT_EQ(t.ws.RomImage, original);
      EXPECT_EQ(t.host.failures, 0);
    }
  }
}

TEST(ExtendedCycle, AnEditedLineGoesInWithTheFewestBytesAndReadsBackAsTyped) {
  ExtendedCycle t("flozz_tictactoe.gb", "jw-py-en.tbl");
  t.extract();
  // jw-py-en.tbl: 11=B 14=E 88=<space> F1=<var1>: one byte each.
  const EntryCodec codec(t.ws);
  const Text text = "BE<space><var1>E";
  const auto encoded = codec.encode(text);
  ASSERT_TRUE(encoded.unknown.empty());
  EXPECT_EQ(encoded.bytes.size(), 5u);
  t.ws.PerevodArray = {"&H300 " + text};
  const Text before(t.ws.RomImage);
  ASSERT_TRUE(PutPerevodInRom(t.ws, 0));
  EXPECT_EQ(codec.matchesImage(t.ws.RomImage, 0x2FF, text), encoded.bytes.size());
  Text expected = before;
  expected.replace(0x2FF, encoded.bytes.size(), encoded.bytes);
  EXPECT_EQ(t.ws.RomImage, expected);
}

}  // namespace

namespace {

// The dumper and the patch reader decode through the same entries: a code cut by the
// block's (or the record's) end is not taken, a code that runs past a dump line's end
// stays whole on its line.
TEST(ExtendedCycle, DumperAndPatchTextDecodeEntryByEntry) {
  TestBench t;
  t.ws.ExtendedTables = "YES";
  WriteBytes(t.dir.path() / "t.tbl", "41=A\r\nE001=ab\r\n/FF\r\n");
  t.ws.TableFileName = t.dir.file("t.tbl");
  LoadTable(t.ws);
  t.ws.RomImage = std::string("\x41\xE0\x01\x41\xFF\x41\xE0\x01", 8);
  t.ws.RomLoaded = true;
  t.ws.ReportFileName = t.dir.file("dump.txt");
  std::int32_t start = 1;
  DumpRomBlock(t.ws, start, 7, 2, true);
  EXPECT_EQ(ReadBytes(t.dir.path() / "dump.txt"), "1 Aab\r\n4 A<$FF>\r\n6 A<$E0>\r\n");

  const std::string patch =
      std::string("PATCH") + std::string("\x00\x00\x10\x00\x07", 5) + "\x41\xE0\x01\xFF\x41\x41\xE0" + "EOF";
  EXPECT_EQ(CollectIpsText(patch, EntryCodec(t.ws), 2).lines, "17 Aab<$FF>\r\n21 AA\r\n");
}

}  // namespace

namespace {

// The extraction skips the bytes that begin no code by a bit mask; it must find exactly
// the strings the codec's plain scan finds, wherever multi-byte codes cross the skips.
TEST(ExtendedCycle, ExtractionFindsTheStringsOfThePlainScan) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    // Codes of one to three bytes from a small alphabet, so longer codes often share
    // their first byte with lone ones; texts of one to three characters, now and then
    // one too long for the fast path; a grid cell or two; thresholds past one run.
    std::vector<TableEntry> entries;
    for (int i = 0; i < 6; ++i) {
      Text code;
      for (size_t k = 0, len = 1 + rng() % 3; k < len; ++k) code += static_cast<char>(rng() % 8);
      const size_t textLength = rng() % 10 ? 1 + rng() % 3 : 9;
      entries.push_back(
          {code, Text(textLength, static_cast<char>('a' + i)), rng() % 5 ? EntryKind::Normal : EntryKind::End});
    }
    std::u32string grid(256, U'\0');
    if (rng() % 2) grid[rng() % 10] = U'G';
    const EntryCodec codec(grid, entries);
    const auto minChars = static_cast<int>(1 + rng() % 6);
    std::string image;
    for (size_t k = 0, n = rng() % 300; k < n; ++k) image += static_cast<char>(rng() % 10);
    Text expected;
    codec.forEachString(image, minChars, [&](size_t start, size_t end) {
      expected += std::to_string(start + 1) + " ";
      codec.appendString(image, start, end, expected);
      expected += "\r\n";
    });
    Text got;
    ExtractionReport(
        image, codec, minChars, false, [](std::int64_t) {}, [&](std::string_view chunk) { got += chunk; });
    ASSERT_EQ(got, expected) << round;
  }
}

}  // namespace
