// Japanese source text as itself: real kana tables through extraction, insertion and a
// save; the same table in Shift-JIS and EUC-JP; every count of characters with kana,
// kanji and a character beyond the Basic Multilingual Plane.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <map>

#include "editor/LineEdit.h"
#include "processing/GroupAndSort.h"
#include "support/TestFiles.h"
#include "textio/Extraction.h"
#include "textio/Insertion.h"
#include "workspace/CharTable.h"
#include "workspace/EntryCodec.h"
#include "workspace/Rom.h"
#include "workspace/Files.h"
#include "workspace/Perevod.h"
#include "workspace/Settings.h"
#include "workspace/TextFile.h"

namespace {

std::string Converted(const std::string& utf8, const char* to) {
  const iconv_t cd = iconv_open(to, "UTF-8");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string out(utf8.size() * 2 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* o = out.data();
  size_t outLeft = out.size();
  EXPECT_NE(iconv(cd, &in, &inLeft, &o, &outLeft), static_cast<size_t>(-1));
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

// The entries of a table file as the file says them: code text -> character text.
std::map<Text, Text> FileEntries(const std::string& content) {
  std::map<Text, Text> entries;
  for (size_t at = 0; at < content.size();) {
    const size_t end = std::min(content.find('\n', at), content.size());
    const std::string line = content.substr(at, end - at);
    at = end + 1;
    const size_t eq = line.find('=');
    if (eq != std::string::npos) entries[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return entries;
}

// The table the workspace holds, as code text -> character text.
std::map<Text, Text> HeldEntries(const Workspace& ws) {
  std::map<Text, Text> held;
  static const char kHex[] = "0123456789ABCDEF";
  const auto hex = [](std::string_view code) {
    Text out;
    for (unsigned char b : code) out += Text{kHex[b >> 4], kHex[b & 15]};
    return out;
  };
  for (size_t code = 0; code < 256; ++code)
    if (ws.CharTableLookup[code] != 0) held[hex(Text(1, static_cast<char>(code)))] = utf8::Of(ws.CharTableLookup[code]);
  for (const TableEntry& e : ws.TableEntries) held[hex(e.code)] = e.text;
  return held;
}

size_t Logged(const TestBench& t, const Text& part) {
  return static_cast<size_t>(std::count_if(t.host.log.begin(), t.host.log.end(),
                                           [&](const Text& line) { return line.find(part) != Text::npos; }));
}

TEST(Scripts, RealKanaTablesLoadWholeExtractInsertAndSaveAsThemselves) {
  for (const char* file : {"jw-py.tbl", "jw-py-main_menu.tbl"}) {
    SCOPED_TRACE(file);
    TestBench t;
    t.ws.ExtendedTables = "YES";
    t.ws.TableFileName = FromNativePath(TestData(file));
    LoadTable(t.ws);
    ASSERT_TRUE(t.ws.TableLoaded);
    const std::map<Text, Text> expected = FileEntries(ReadBytes(TestData(file)));
    EXPECT_EQ(HeldEntries(t.ws), expected);  // every entry as text, none as an escape
    std::u32string kana;
    std::string codes;
    for (size_t code = 0; code < 256 && kana.size() < 12; ++code) {
      const char32_t c = t.ws.CharTableLookup[code];
      if (c >= 0x3040 && c <= 0x30FF && EntryCodec(t.ws).decodeAt(reinterpret_cast<const unsigned char*>(&code), 1).length == 1) {
        kana += c;
        codes += static_cast<char>(code);
      }
    }
    ASSERT_EQ(kana.size(), 12u);
    // A byte that begins no code ends the string on both sides.
    char gap = 0;
    while (t.ws.CharTableLookup[static_cast<unsigned char>(gap)] != 0 || EntryCodec(t.ws).mayStartCode(static_cast<unsigned char>(gap))) ++gap;
    const std::string rom = std::string(16, gap) + codes + std::string(16, gap);
    WriteBytes(t.dir.path() / "rom.gb", rom);
    t.ws.InputRomFileName = t.dir.file("rom.gb");
    LoadRom(t.ws);
    t.ws.NumberOfTextChars = 4;
    t.ws.ReportFileName = t.dir.file("report.txt");
    ExtractTextFromRom(t.ws);
    Text line = "17 ";
    for (char32_t c : kana) line += utf8::Of(c);
    EXPECT_EQ(ReadBytes(t.dir.path() / "report.txt"), line + "\r\n");  // UTF-8: kana are no Windows-1251
    EXPECT_EQ(Logged(t, W("Файл ") + t.ws.ReportFileName + W(" сохранен в UTF-8: в нем есть символ ")), 1u);

    t.ws.PerevodFileName = t.ws.ReportFileName;
    LoadPerevod(t.ws);
    ASSERT_EQ(t.ws.PerevodArray.size(), 1u);
    EXPECT_EQ(t.ws.PerevodArray[0], line);
    t.ws.OutputRomFileName = t.dir.file("out.gb");
    ASSERT_TRUE(PutPerevodInRom(t.ws, 0));
    EXPECT_EQ(RomWorkImage(t.ws), rom);

    t.ws.TableFileName = t.dir.file("saved.tbl");
    SaveTable(t.ws);
    EXPECT_EQ(Logged(t, W("Файл ") + t.ws.TableFileName + W(" сохранен в UTF-8")), 1u);
    LoadTable(t.ws);
    EXPECT_EQ(HeldEntries(t.ws), expected);
  }
}

TEST(Scripts, ShiftJisAndEucJpCopiesLoadLikeTheOriginalWhenChosenAndAreHintedInAuto) {
  const std::string original = ReadBytes(TestData("jw-py.tbl"));
  TestBench u;
  u.ws.TableFileName = FromNativePath(TestData("jw-py.tbl"));
  LoadTable(u.ws);
  for (const auto& [encoding, iconvName] : {std::pair{"SHIFT-JIS", "CP932"}, std::pair{"EUC-JP", "EUC-JP"}}) {
    SCOPED_TRACE(encoding);
    TestBench t;
    WriteBytes(t.dir.path() / "t.tbl", Converted(original, iconvName));
    t.ws.TableFileName = t.dir.file("t.tbl");
    ASSERT_TRUE(SetSetting(t.ws, "TextFilesReadEncoding", encoding));
    LoadTable(t.ws);
    EXPECT_EQ(t.ws.CharTable, u.ws.CharTable);
    EXPECT_EQ(t.ws.TableComments, u.ws.TableComments);
    EXPECT_EQ(Logged(t, W("Загрузили таблицу :") + t.ws.TableFileName + " (" + encoding + ")"), 1u);

    // In AUTO the file reads as Windows-1251, as it always has, and one line says what
    // it looks like and which setting reads it so.
    TestBench a;
    a.ws.TableFileName = t.ws.TableFileName;
    LoadTable(a.ws);
    TestBench w;
    w.ws.TableFileName = t.ws.TableFileName;
    ASSERT_TRUE(SetSetting(w.ws, "TextFilesReadEncoding", "windows-1251"));
    LoadTable(w.ws);
    EXPECT_EQ(a.ws.CharTable, w.ws.CharTable);
    EXPECT_NE(a.ws.CharTable, u.ws.CharTable);
    EXPECT_EQ(Logged(a, W("Файл ") + a.ws.TableFileName + W(" прочитан как Windows-1251, но похож на ") + encoding +
                            W("; чтобы читать его так, выберите ") + encoding +
                            W(" в меню Options, \"Кодировка читаемых текстовых файлов\" (или TextFilesReadEncoding=") +
                            encoding + W(" в файле параметров)")),
              1u);
    EXPECT_EQ(Logged(w, W("похож на")), 0u);
  }
}

TEST(Scripts, ATranslationOfMixedScriptsComesBackAsItselfAndCyrillicStaysWindows1251) {
  TestBench t;
  const std::vector<Text> mixed = {W("100 Привет, world"), W("200 メダロットを　たおした！"), W("300 漢字 \U0001F600")};
  t.ws.PerevodArray = mixed;
  t.ws.PerevodLoaded = true;
  t.ws.PerevodFileName = t.dir.file("mixed.txt");
  SavePerevod(t.ws);
  EXPECT_EQ(Logged(t, W("Файл ") + t.ws.PerevodFileName + W(" сохранен в UTF-8: в нем есть символ メ (U+30E1), которого нет в Windows-1251")), 1u);
  const std::string bytes = ReadBytes(t.dir.path() / "mixed.txt");
  EXPECT_EQ(bytes, mixed[0] + "\r\n" + mixed[1] + "\r\n" + mixed[2]);  // UTF-8 without a byte order mark
  t.ws.PerevodArray.clear();
  LoadPerevod(t.ws);
  EXPECT_EQ(t.ws.PerevodArray, mixed);

  TestBench c;
  c.ws.PerevodArray = {W("100 Привет, мир"), W("200 Ёж")};
  c.ws.PerevodLoaded = true;
  c.ws.PerevodFileName = c.dir.file("ru.txt");
  SavePerevod(c.ws);
  EXPECT_EQ(ReadBytes(c.dir.path() / "ru.txt"), "100 \xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0\r\n200 \xA8\xE6");
  EXPECT_EQ(Logged(c, W("UTF-8")), 0u);
}

// Each counting operation, on texts of every kind; `chars` is what each must count.
TEST(Scripts, EveryCountGoesByCharacters) {
  struct Case {
    Text text;
    int chars;
  };
  const Case cases[] = {
      {"abc", 3},          {W("Ёжик"), 4},        {W("メダロット"), 5}, {W("漢字"), 2},
      {"\xF0\x9F\x98\x80", 1}, {W("aЖあ漢\U0001F600"), 5}, {"<$41>", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(utf8::Length(c.text), static_cast<size_t>(c.chars));
    // The editor's counters and its length limit.
    TestBench t;
    t.ws.PerevodArray = {"100 " + c.text};
    t.ws.PerevodLoaded = true;
    ASSERT_TRUE(StartEdit(t.ws, 0));
    EXPECT_EQ(t.ws.Editor.OrigTextLength, c.chars);
    EXPECT_EQ(utf8::Length(PaddedText("x", c.chars, true)), static_cast<size_t>(std::max(c.chars, 1)));
    const CaretView caret = CaretViewOf(t.ws, c.text, 1, 0);
    EXPECT_EQ(caret.leftTillEol, c.chars - 1);
    // NumberOfTextChars: a string of exactly that many characters is text, one fewer is not.
    std::u32string cells(256, U'\0');
    std::string rom = "\xFF";
    for (size_t pos = 0, code = 1; pos < c.text.size(); ++code) {
      cells[code] = utf8::Next(c.text, pos);
      rom += static_cast<char>(code);
    }
    rom += '\xFF';
    for (int minimum : {c.chars, c.chars + 1}) {
      Text report;
      ExtractionReport(rom, EntryCodec(cells, {}), minimum, false, [](std::int64_t) {},
                       [&](std::string_view chunk) { report += chunk; });
      EXPECT_EQ(report, minimum == c.chars ? "2 " + c.text + "\r\n" : "") << minimum;
    }
  }
  // Sorting by length, with every kind of text at once.
  TestBench s;
  for (const Case& c : cases) s.ws.PerevodArray.push_back("1 " + c.text + Text(static_cast<size_t>(10 - c.chars), 'x'));
  s.ws.PerevodArray.push_back("1 xxxxxxxxxxx");
  s.ws.PerevodArray.push_back("1 xxxxxxxxx");
  s.ws.PerevodLoaded = true;
  SortPerevod(s.ws, SortModeByLength());
  EXPECT_EQ(s.ws.PerevodArray.front(), "1 xxxxxxxxx");
  EXPECT_EQ(s.ws.PerevodArray.back(), "1 xxxxxxxxxxx");
}

TEST(Scripts, CaseAndOrderOfMixedScripts) {
  EXPECT_EQ(utf8::Upper(W("ёж straße ωμέγα ǆ ﬀ ａ \U00010428")), W("ЁЖ STRAßE ΩΜΈΓΑ Ǆ ﬀ Ａ \U00010400"));
  EXPECT_EQ(utf8::Lower(W("ЁЖ ΩΜΈΓΑ Ǆ Ａ \U00010400")), W("ёж ωμέγα ǆ ａ \U00010428"));
  EXPECT_EQ(utf8::Upper(W("メダロット µ")), W("メダロット µ"));  // kana have no case; µ keeps its own
  EXPECT_TRUE(utf8::EqualNoCase(W("Ωmega Ёж"), W("ωMEGA ёЖ")));
  TestBench t;
  t.ws.PerevodArray = {W("1 я"), W("1 あ"), W("1 Б"), W("1 b"), W("1 \U0001F600"), W("1 漢"), W("1 A"), W("1 ω")};
  t.ws.PerevodLoaded = true;
  SortPerevod(t.ws, SortModeByText());
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{W("1 A"), W("1 b"), W("1 ω"), W("1 Б"), W("1 я"), W("1 あ"),
                                                  W("1 漢"), W("1 \U0001F600")}));
}

}  // namespace
