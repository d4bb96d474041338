// The extended table: its loader, its save, and the codec against a brute-force
// reference that tries every cutting of short texts.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "support/TestFiles.h"
#include "workspace/CharTable.h"
#include "workspace/EntryCodec.h"
#include "workspace/Escapes.h"

namespace {

struct ExtBench : TestBench {
  ExtBench() { ws.ExtendedTables = "YES"; }
  void load(const std::string& bytes) {
    WriteBytes(dir.path() / "t.tbl", bytes);
    ws.TableFileName = dir.file("t.tbl");
    host.log.clear();
    LoadTable(ws);
  }
  size_t entries() const {
    size_t n = ws.TableEntries.size();
    for (char c : ws.CharTableLookup) n += c != '\0';
    return n;
  }
  std::string saved() {
    ws.TableFileName = dir.file("saved.tbl");
    SaveTable(ws);
    return ReadBytes(dir.path() / "saved.tbl");
  }
};

TEST(ExtendedTable, ReadsEveryFormAndSavesInCodeOrder) {
  ExtBench t;
  t.load(
      "# font\r\n42=B\r\n4100=x\r\n41=A\r\nE001=\xC6\xE8\r\n/FF=<END>\r\n/00\r\n*fe10\r\n3D==\r\n"
      "$FC=<name>,1\r\n=x\r\n/zz\r\n0A=th\r\n43=C\r\n43=\r\n");
  ASSERT_TRUE(t.ws.TableLoaded);
  EXPECT_TRUE(t.ws.TableExtended);
  EXPECT_EQ(t.ws.CharTable[0x41], "A");
  EXPECT_EQ(t.ws.CharTable[0x43], Text(1, '\0'));  // "43=" cleared it
  EXPECT_EQ(t.ws.TableComments, "# font\r\n$FC=<name>,1\r\n=x\r\n/zz\r\n");
  EXPECT_EQ(t.entries(), 9u);
  EXPECT_EQ(t.saved(),
            "# font\r\n$FC=<name>,1\r\n=x\r\n/zz\r\n\r\n/00\r\n0A=th\r\n3D==\r\n41=A\r\n4100=x\r\n42=B\r\n"
            "E001=\xC6\xE8\r\n*FE10\r\n/FF=<END>\r\n");
}

// A line the mode cannot read is left out, named in the log, and the rest loads; only a
// file of such lines and nothing readable keeps the old table.
TEST(ExtendedTable, UnreadableCodesAreLeftOutOrRefuseAFileWithoutEntries) {
  for (const std::string bad : {"000=x\r\n", "010203040506070809=x\r\n", "/1=x\r\n"}) {
    SCOPED_TRACE(bad);
    const auto namesLine2 = [](const Text& l) { return l.find(W(" в строке 2 таблицы")) != Text::npos; };
    ExtBench t;
    t.load("41=A\r\n4142=B\r\n");
    t.load("42=B\r\n" + bad + "010203040506CAFE=<e8>\r\n");
    EXPECT_EQ(t.ws.CharTable[0x41], Text(1, '\0'));
    EXPECT_EQ(t.ws.CharTable[0x42], "B");
    ASSERT_EQ(t.ws.TableEntries.size(), 1u);
    EXPECT_EQ(t.ws.TableEntries[0].code, "\x01\x02\x03\x04\x05\x06\xCA\xFE");
    const std::string eight = "\x01\x02\x03\x04\x05\x06\xCA\xFE";
    const EntryCodec codec(t.ws);
    const auto match = codec.decodeAt(reinterpret_cast<const unsigned char*>(eight.data()), eight.size());
    EXPECT_EQ(match.length, 8u);
    EXPECT_EQ(codec.encode("<e8>").bytes, eight);
    EXPECT_EQ(std::count_if(t.host.log.begin(), t.host.log.end(), namesLine2), 1);
    EXPECT_EQ(t.host.failures, 0);

    t.load("# only\r\n" + bad);
    EXPECT_EQ(t.ws.CharTable[0x42], "B");
    EXPECT_EQ(t.ws.TableEntries.size(), 1u);
    EXPECT_EQ(t.host.failures, 1);
    EXPECT_TRUE(std::any_of(t.host.log.begin(), t.host.log.end(), namesLine2));
  }
}

TEST(ExtendedTable, RepeatedCodesWarnOnceAndForeignCharactersStayThemselves) {
  ExtBench t;
  // UTF-8: "「" and "あ" have no Windows-1251 code, and are kept all the same.
  t.load("0A=\xE3\x80\x8C\nE001=\xE3\x81\x82\n41=\xD0\x96\n41=B\n/FF\n/FF=<e>\n");
  EXPECT_EQ(t.saved(), "0A=\xE3\x80\x8C\r\n41=B\r\nE001=\xE3\x81\x82\r\n/FF=<e>\r\n");
  const auto count = [&](const Text& part) {
    return std::count_if(t.host.log.begin(), t.host.log.end(),
                         [&](const Text& l) { return l.find(part) != Text::npos; });
  };
  EXPECT_EQ(count(W("определен более чем один раз")), 2);
  EXPECT_EQ(count("U+3042"), 0);
  EXPECT_EQ(t.ws.CharTable[0x0A], "\xE3\x80\x8C");
}

TEST(ExtendedTable, OneByteModeHintsAtTheExtendedMode) {
  TestBench t;
  WriteBytes(t.dir.path() / "t.tbl", "41=AB\r\n$2=ab\r\nE001=x\r\n");
  t.ws.TableFileName = t.dir.file("t.tbl");
  LoadTable(t.ws);
  const Text hint = W("режим расширенных таблиц");
  std::vector<bool> hinted;
  for (const Text& l : t.host.log)
    if (l.find(W("Код")) != Text::npos || l.find(W("код")) != Text::npos) hinted.push_back(l.find(hint) != Text::npos);
  EXPECT_EQ(hinted, (std::vector<bool>{true, false, true}));
}

// The real tables load whole: every entry the file gives, counted by hand.
TEST(ExtendedTable, RealTablesLoadWithAllTheirEntries) {
  const std::pair<const char*, size_t> tables[] = {{"jw-py-en.tbl", 92},
                                                   {"jw-py-main_menu.tbl", 226},
                                                   {"sanqui_medarot1.tbl", 216},
                                                   {"telefang_original.tbl", 214},
                                                   {"telefang_patch.tbl", 98}};
  for (const auto& [file, expected] : tables) {
    SCOPED_TRACE(file);
    ExtBench t;
    t.load(ReadBytes(TestData(file)));
    ASSERT_TRUE(t.ws.TableLoaded);
    EXPECT_EQ(t.entries(), expected);
    // A save reads back as the same table.
    const auto cells = t.ws.CharTableLookup;
    const auto entries = t.ws.TableEntries;
    t.load(t.saved());
    EXPECT_EQ(t.ws.CharTableLookup, cells);
    EXPECT_EQ(t.ws.TableEntries, entries);
  }
}

TEST(EntryCodec, DecodesTheLongestCodeAndEscapesCodesWithoutText) {
  const EntryCodec codec(std::u32string(256, U'\0'), {{"\xE0", "a", EntryKind::Normal},
                                           {"\xE0\x01", "bc", EntryKind::Normal},
                                           {"\xE0\x01\x02", "d", EntryKind::Normal},
                                           {"\xFF", "", EntryKind::End}});
  const std::string bytes = "\xE0\x01\x02\xE0\x01\xE0\x05\xFF";
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  Text decoded;
  for (size_t at = 0; at < bytes.size();) {
    const auto m = codec.decodeAt(p + at, bytes.size() - at);
    decoded += m.entry < 0 ? "?" : codec.text(m.entry);
    at += m.entry < 0 ? 1 : m.length;
  }
  EXPECT_EQ(decoded, "dbca?<$FF>");
  // A code cut by the end of the data is not taken.
  EXPECT_EQ(codec.decodeAt(p, 2).length, 2u);
  const auto end = codec.decodeAt(p + 7, 1);
  EXPECT_TRUE(codec.ends(end.entry));
  EXPECT_EQ(codec.chars(end.entry), 1);
}

// Every cutting of `text` into entries (an escape its byte, an unmatched character its
// own byte), the fewest bytes, ties broken piece by piece: longer text, then lower code.
EntryCodec::Encoded Reference(const std::vector<TableEntry>& table, const std::string& text) {
  struct Piece {
    size_t length;
    Text code;
    bool unknown;
  };
  std::vector<Piece> path, best;
  size_t bestBytes = SIZE_MAX;
  const auto better = [&](size_t bytes) {
    if (bytes != bestBytes) return bytes < bestBytes;
    for (size_t i = 0; i < path.size(); ++i) {
      if (path[i].length != best[i].length) return path[i].length > best[i].length;
      if (path[i].code != best[i].code) return path[i].code < best[i].code;
    }
    return false;
  };
  std::function<void(size_t, size_t)> walk = [&](size_t at, size_t bytes) {
    if (at == text.size()) {
      if (better(bytes)) best = path, bestBytes = bytes;
      return;
    }
    if (const auto b = EscapeAt(text, at)) {
      path.push_back({5, Text(1, static_cast<char>(*b)), false});
      walk(at + 5, bytes + 1);
      path.pop_back();
      return;
    }
    bool matched = false;
    for (const TableEntry& e : table) {
      if (text.compare(at, e.text.size(), e.text) != 0) continue;
      matched = true;
      path.push_back({e.text.size(), e.code, false});
      walk(at + e.text.size(), bytes + e.code.size());
      path.pop_back();
    }
    if (matched) return;
    path.push_back({1, Text(1, text[at]), true});
    walk(at + 1, bytes + 1);
    path.pop_back();
  };
  walk(0, 0);
  EntryCodec::Encoded out;
  for (const Piece& p : best) {
    if (p.unknown) out.unknown.push_back(out.bytes.size());
    out.bytes += p.code;
  }
  return out;
}

TEST(EntryCodec, EncodesWithTheFewestBytesAndTheTieRulesLikeTryingEveryCutting) {
  // The example of the format: greedy gives 10 03 04, the fewest bytes are 01 11.
  const std::vector<TableEntry> example = {{"\x01", "a"}, {"\x02", "b"},  {"\x03", "c"},
                                           {"\x04", "d"}, {"\x10", "ab"}, {"\x11", "bcd"}};
  EXPECT_EQ(EntryCodec(std::u32string(256, U'\0'), example).encode("abcd").bytes, "\x01\x11");

  std::mt19937 rng(14);
  for (int round = 0; round < 300; ++round) {
    std::vector<TableEntry> table;
    Text used;  // each code once, as a load leaves it
    const int count = 3 + static_cast<int>(rng() % 8);
    for (int i = 0; i < count; ++i) {
      TableEntry e;
      const size_t codeLength = 1 + rng() % 2;
      for (size_t k = 0; k < codeLength; ++k) e.code += static_cast<char>(rng() % 4);
      for (size_t k = 0, n = 1 + rng() % 3; k < n; ++k) e.text += static_cast<char>('a' + rng() % 3);
      if (used.find("|" + e.code + "|") != Text::npos) continue;
      used += "|" + e.code + "|";
      table.push_back(e);
    }
    const EntryCodec codec(std::u32string(256, U'\0'), table);
    for (int t = 0; t < 20; ++t) {
      std::string text;
      for (size_t k = 0, n = rng() % 9; k < n; ++k) text += "abcd"[rng() % 4];
      if (rng() % 4 == 0) text.insert(rng() % (text.size() + 1), "<$7F>");
      const auto expected = Reference(table, text);
      const auto got = codec.encode(text);
      ASSERT_EQ(got.bytes, expected.bytes) << text << " round " << round;
      ASSERT_EQ(got.unknown, expected.unknown) << text;
    }
  }
}

TEST(EntryCodec, AnImageThatHoldsTheTextMatchesEntryByEntry) {
  const EntryCodec codec(std::u32string(256, U'\0'), {{"\x01", "a"}, {"\x02", "ab"}, {"\xFF", "", EntryKind::End}});
  const std::string image = "\x01\x02\x07\xFF";
  const std::pair<const char*, std::optional<size_t>> cases[] = {
      {"aab<$07><$FF>", 4}, {"aab", 2}, {"aa", std::nullopt}, {"", 0}, {"aab<$07><$FF>a", std::nullopt}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(codec.matchesImage(image, 0, text), expected) << text;
  EXPECT_EQ(codec.matchesImage(image, 5, "a"), std::nullopt);
  EXPECT_EQ(codec.matchesImage(image, -1, "a"), std::nullopt);
}

}  // namespace
