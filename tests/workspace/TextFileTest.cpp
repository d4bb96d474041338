// Text files as translators have them: every reader takes Windows-1251 or UTF-8 (with or
// without a byte order mark) and any line end, and every writer honours TextFilesEncoding.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "../fuzz/TextFileFuzz.cpp"
#include "ips/IpsText.h"
#include "processing/Dictionary.h"
#include "processing/Merge.h"
#include "processing/VocabCheck.h"
#include "support/TestFiles.h"
#include "textio/Extraction.h"
#include "tools/Dumper.h"
#include "tools/TableGenerator.h"
#include "workspace/CharTable.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"
#include "workspace/Settings.h"
#include "workspace/TextFile.h"

namespace {

// A file's lines (UTF-8, "\n" after each) written in one encoding and line-end style.
struct Variant {
  const char* name;
  bool utf8;
  bool bom;
  const char* lineEnd;  // nullptr: CR LF, LF, CR LF, CR in turn
};

const Variant kTwin{"cp1251 crlf", false, false, "\r\n"};
const Variant kVariants[] = {
    {"utf8 crlf", true, false, "\r\n"},      {"utf8 bom lf", true, true, "\n"}, {"utf8 cr", true, false, "\r"},
    {"cp1251 lf", false, false, "\n"},       {"cp1251 cr", false, false, "\r"}, {"cp1251 mixed", false, false, nullptr},
    {"utf8 bom mixed", true, true, nullptr},
};

std::string Encode(const std::string& utf8Lines, const Variant& v) {
  // The mixed order never puts an LF right after a lone CR, which would make one CR LF.
  static const char* const kMixed[] = {"\r\n", "\n", "\r\n", "\r"};
  std::string out = v.bom ? "\xEF\xBB\xBF" : "";
  size_t n = 0;
  for (size_t at = 0; at < utf8Lines.size();) {
    const size_t end = utf8Lines.find('\n', at);
    const std::string line = utf8Lines.substr(at, end - at);
    out += v.utf8 ? line : *cp1251::FromUtf8(line);
    out += v.lineEnd ? v.lineEnd : kMixed[n++ % 4];
    at = end + 1;
  }
  return out;
}

Text Joined(const std::vector<Text>& lines) {
  Text out;
  for (const auto& line : lines) out += line + "|";
  return out;
}

Text Flag(bool b) {
  return b ? "+" : "-";
}

// A reader: its files (UTF-8 lines), how the workspace loads them and what it then holds.
struct Reader {
  const char* name;
  std::vector<std::string> files;
  std::function<void(Workspace&, const std::vector<Text>&)> load;
  std::function<Text(const Workspace&)> state;
};

Text PerevodState(const Workspace& ws) {
  return Joined(ws.PerevodArray) + Flag(ws.PerevodLoaded) + Flag(ws.PerevodChanged);
}

const std::string kTranslation = "\n100 Привет, мир\n\n\n200  Ёж \n&H12C ъ\n";
const std::string kSecond = "300 в\n400 г\n\n500 д\n";

std::vector<Reader> Readers() {
  return {
      {"table",
       {"# таблица для ЁЖ\n80=А\n81=Б\n\n20= \n41=A\n80=В\n"},
       [](Workspace& ws, const std::vector<Text>& f) {
         ws.TableFileName = f[0];
         LoadTable(ws);
       },
       [](const Workspace& ws) { return Joined(ws.CharTable) + "|" + ws.TableComments + Flag(ws.TableLoaded); }},
      {"translation",
       {kTranslation},
       [](Workspace& ws, const std::vector<Text>& f) {
         ws.PerevodFileName = f[0];
         LoadPerevod(ws);
       },
       PerevodState},
      {"settings",
       {"шапка\nPerevodFileName=C:\\Мои игры\\p.txt 'перевод\nUseHEXaddr=yes 'адреса\nDumperINILine=ё,ж 'дамп\n"},
       [](Workspace& ws, const std::vector<Text>& f) {
         ws.SettingsFilePath = f[0];
         ReadSettings(ws);
       },
       [](const Workspace& ws) { return SettingsFileText(ws); }},
      {"word-for-word dictionary",
       {"кот\nпёс\ncat\ndog\n\n\n"},
       [](Workspace& ws, const std::vector<Text>& f) {
         ws.TRVocabularyFile = f[0];
         LoadTRVocabulary(ws);
       },
       [](const Workspace& ws) {
         const auto& v = ws.TRVocabulary;
         return Joined(v.words) + Joined(v.replacements) + Digits(v.count) + Flag(v.loaded);
       }},
      {"clean-up dictionary",
       {"СЛОВО\nкот\n\nдом\n"},
       [](Workspace& ws, const std::vector<Text>& f) {
         ws.VocabularyFile = f[0];
         LoadVocabulary(ws);
       },
       [](const Workspace& ws) { return ws.Vocabulary.text + Flag(ws.Vocabulary.loaded); }},
      {"append merge", {kTranslation, kSecond}, AppendPerevodFiles, PerevodState},
      {"interleave merge", {kTranslation, kSecond}, CombinePerevodFiles, PerevodState},
  };
}

struct ReaderBench : TestBench {
  const Reader& reader;
  explicit ReaderBench(const Reader& r) : reader(r) {}
  // Writes the reader's files in `v` (the last one with `lastFile` instead) and loads them.
  Text load(const Variant& v, const std::string& tag, std::optional<std::string> lastFile = std::nullopt) {
    std::vector<Text> names;
    for (size_t i = 0; i < reader.files.size(); ++i) {
      const std::string name = tag + std::to_string(i) + ".txt";
      const bool last = i + 1 == reader.files.size();
      WriteBytes(dir.path() / name, Encode(last && lastFile ? *lastFile : reader.files[i], v));
      names.push_back(dir.file(name));
    }
    host.log.clear();
    host.messages.clear();
    reader.load(ws, names);
    return reader.state(ws);
  }
  bool loggedUtf8() const {
    for (const auto& line : host.log)
      if (line.find("UTF-8") != Text::npos) return true;
    return false;
  }
};

TEST(TextFiles, EveryReaderGivesTheSameWorkspaceForEveryEncodingAndLineEnd) {
  for (const Reader& reader : Readers()) {
    for (const Variant& v : kVariants) {
      SCOPED_TRACE(std::string(reader.name) + ", " + v.name);
      ReaderBench twin(reader);
      const Text expected = twin.load(kTwin, "twin");
      ASSERT_FALSE(twin.loggedUtf8());
      ReaderBench t(reader);
      EXPECT_EQ(t.load(v, "v"), expected);
      EXPECT_TRUE(t.host.messages.empty());
      // A UTF-8 load says so, and hints that saves stay Windows-1251.
      EXPECT_EQ(t.loggedUtf8(), v.utf8);
    }
  }
}

// A character Windows-1251 lacks, on the third line of the (last) file: every reader
// of lines keeps it as itself (tables and settings have tests of their own, below).
TEST(TextFiles, AForeignCharacterIsKeptByEveryReader) {
  const Variant utf8{"utf8 lf", true, false, "\n"};
  for (const Reader& reader : Readers()) {
    if (reader.name == std::string("table") || reader.name == std::string("settings")) continue;
    for (const char* foreign : {"カ", "\xF0\x9F\x98\x80"}) {
      SCOPED_TRACE(std::string(reader.name) + ", " + foreign);
      ReaderBench t(reader);
      t.ws.PerevodChanged = true;  // no question: the merges ask only to save
      t.host.answers.push_back(Answer::No);
      std::string withForeign = reader.files.back();
      size_t third = 0;
      for (int n = 0; n < 3; ++n) third = withForeign.find('\n', n ? third + 1 : 0);
      withForeign.insert(third, foreign);
      t.host.answers.push_back(Answer::No);
      const Text state = t.load(utf8, "foreign", withForeign);
      EXPECT_NE(state.find(foreign), Text::npos) << state;
    }
  }
}

TEST(TextFiles, ASettingsFileKeepsAForeignCharacterOfAValue) {
  TestBench t;
  WriteBytes(t.dir.path() / "tarvello.ini", "UseHEXaddr=YES\nTRVocabularyFile=カ.txt\n");
  t.ws.SettingsFilePath = t.dir.file("tarvello.ini");
  ReadSettings(t.ws);
  EXPECT_EQ(t.ws.UseHEXaddr, "YES");
  EXPECT_EQ(t.ws.TRVocabularyFile, "カ.txt");
}

TEST(TextFiles, ATableKeepsEveryCharacterOfItsEntriesAndComments) {
  TestBench t;
  WriteBytes(t.dir.path() / "t.tbl", "\xEF\xBB\xBF# ♥ hearts\n41=A\n41=カ\n42=B\n43=♥\n44=\xF0\x9F\x98\x80\n");
  t.ws.TableFileName = t.dir.file("t.tbl");
  LoadTable(t.ws);
  ASSERT_TRUE(t.ws.TableLoaded);
  EXPECT_EQ(t.ws.TableComments, "# ♥ hearts\r\n");
  EXPECT_EQ(t.ws.CharTable[0x41], "カ");  // the later entry, as for any repeated code
  EXPECT_EQ(t.ws.CharTable[0x42], "B");
  EXPECT_EQ(t.ws.CharTable[0x43], "♥");
  EXPECT_EQ(t.ws.CharTable[0x44], "\xF0\x9F\x98\x80");
  EXPECT_EQ(t.ws.CharTableLookup[0x44], U'\U0001F600');
  const std::vector<Text> expected = {
      W("Комментарий: # ♥ hearts"),
      W("Предупреждение: Код 41 определен более чем один раз"),
      W("Загрузили таблицу :") + t.ws.TableFileName + " (UTF-8)",
  };
  ASSERT_GE(t.host.log.size(), expected.size());
  EXPECT_EQ(std::vector<Text>(t.host.log.begin(), t.host.log.begin() + 3), expected);
}

TEST(DecodeTextFile, DecidesTheEncodingAndCountsLinesOfEveryEnd) {
  struct Case {
    std::string bytes;
    Text text;
    bool utf8;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBFplain", "plain", true},
      {"\xEF\xBB\xBF"
       "a\r\rb\xD0\n\xE2\x99\xA5",
       "a\r\n\r\nb\xEF\xBF\xBD\r\n♥",  // a cut sequence after a byte order mark is U+FFFD
       true},
      {"\xD0\x81\xD0\xB6", "Ёж", true},
      {"\xA8\xE6\r\r\n", "Ёж\r\n\r\n", false},
      {"\xC2\x98", "\xC2\x98", true},  // the code page's one hole survives
      {"\x98", "\xC2\x98", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(cp1251::ToUtf8(c.bytes));
    const DecodedTextFile d = DecodeTextFile(c.bytes);
    EXPECT_EQ(d.text, c.text);
    EXPECT_EQ(d.utf8, c.utf8);
  }
  EXPECT_EQ(CodePointName(0x41), "U+0041");
  EXPECT_EQ(CodePointName(0x1F600), "U+1F600");
}

// The decoder against a plain reading of the bytes, on random files made of the pieces
// that matter: line ends, ASCII, Cyrillic and kana in UTF-8, a byte order mark, cut and
// stray bytes; and on the fuzz target's seeds.
TEST(DecodeTextFile, MatchesAPlainReadingOnRandomFiles) {
  const char* const pieces[] = {
      "a",    " ",    "\r",           "\n",           "\r\n",         "\xD0\x81",        "\xD0",
      "\x90", "\xC0", "\xE3\x82\xAB", "\xE2\x84\x96", "\xEF\xBB\xBF", "\xF0\x9F\x98\x80"};
  std::mt19937 rng(13);
  for (int n = 0; n < 20000; ++n) {
    std::string bytes = rng() % 4 == 0 ? "\xEF\xBB\xBF" : "";
    for (int k = static_cast<int>(rng() % 24); k > 0; --k) bytes += pieces[rng() % std::size(pieces)];
    ASSERT_TRUE(TextFileChecksHold(bytes)) << cp1251::ToUtf8(bytes);
  }
  for (const auto& seed :
       std::filesystem::directory_iterator(std::filesystem::path(TARVELLO_TEST_DATA) / "../fuzz/corpus/TextFileFuzz"))
    EXPECT_TRUE(TextFileChecksHold(ReadBytes(seed.path()))) << seed.path();
}

// Every writer, once as Windows-1251 (the default) and once as UTF-8: the UTF-8 file is
// the other one converted, and reads back as the same text.
TEST(TextFiles, EveryWriterHonoursTheEncodingSetting) {
  using Writer = std::function<void(TestBench&, const Text&)>;
  const auto withRom = [](TestBench& t) {
    ApplyTableText(t.ws, W("80=П\r\n81=р\r\n82=и\r\n83=в\r\n84=е\r\n85=т\r\n"));
    t.ws.TableLoaded = true;
    t.ws.RomImage = std::string(16, '\0') + "\x80\x81\x82\x83\x84\x85" + std::string(16, '\0');
    t.ws.RomLoaded = true;
  };
  const std::vector<std::pair<const char*, Writer>> writers = {
      {"translation",
       [](TestBench& t, const Text& f) {
         t.ws.PerevodArray = {W("100 Привет"), W("200 Ёж")};
         t.ws.PerevodFileName = f;
         SavePerevod(t.ws);
       }},
      {"text-only translation",
       [](TestBench& t, const Text& f) {
         t.ws.PerevodArray = {W("100 Привет"), W("200 Ёж")};
         t.ws.PerevodFileName = f;
         SavePerevodTextOnly(t.ws);
       }},
      {"table",
       [](TestBench& t, const Text& f) {
         ApplyTableText(t.ws, W("# моя\r\n80=Ж\r\n"));
         t.ws.TableLoaded = true;
         t.ws.TableFileName = f;
         SaveTable(t.ws);
       }},
      {"dictionary",
       [](TestBench& t, const Text& f) {
         t.ws.TRVocabulary = {{W("кот")}, {W("пёс")}, 1, true};
         t.ws.TRVocabularyFile = f;
         SaveTRVocabulary(t.ws);
       }},
      {"log file",
       [](TestBench& t, const Text& f) {
         AppendLog(t.ws, W("строка лога"));
         t.ws.DoSaveLogsInFile = f;
         SaveLogFile(t.ws);
       }},
      {"settings",
       [](TestBench& t, const Text& f) {
         t.ws.SettingsFilePath = f;
         WriteSettings(t.ws);
       }},
      {"extraction report",
       [&](TestBench& t, const Text& f) {
         withRom(t);
         t.ws.ReportFileName = f;
         ExtractTextFromRom(t.ws);
       }},
      {"IPS text report",
       [&](TestBench& t, const Text& f) {
         withRom(t);
         t.ws.IpsImage = std::string("PATCH\x00\x00\x10\x00\x04\x80\x81\x82\x83", 14) + "EOF";
         t.ws.IpsLoaded = true;
         t.ws.ReportFileName = f;
         ExtractTextFromIps(t.ws);
       }},
      {"dump",
       [&](TestBench& t, const Text& f) {
         withRom(t);
         t.ws.ReportFileName = f;
         std::int32_t start = 1;
         DumpRomBlock(t.ws, start, 30, 8, true);
       }},
      {"generated table",
       [&](TestBench& t, const Text& f) {
         t.ws.RomImage = "..abcdefghijklmnopqrstuvwxyz..";
         t.ws.RomLoaded = true;
         t.host.inputs = {Text("abc"), std::nullopt, std::nullopt, std::nullopt};
         t.ws.GenTableFileName = f;
         GenerateTable(t.ws);
       }},
  };
  for (const auto& [name, write] : writers) {
    SCOPED_TRACE(name);
    TestBench t;
    write(t, t.dir.file("cp1251.txt"));
    const std::string cp1251Bytes = ReadBytes(t.dir.path() / "cp1251.txt");
    ASSERT_FALSE(cp1251::FromUtf8(cp1251Bytes)) << "the default output is Windows-1251 with Cyrillic";
    TestBench u;
    ASSERT_TRUE(SetSetting(u.ws, "TextFilesEncoding", " utf-8 "));
    write(u, u.dir.file("utf8.txt"));
    const std::string utf8Bytes = ReadBytes(u.dir.path() / "utf8.txt");
    const DecodedTextFile back = DecodeTextFile(utf8Bytes);
    EXPECT_TRUE(back.utf8);
    // The settings file names its own encoding, so only its text can be compared.
    if (name == std::string("settings")) {
      EXPECT_EQ(back.text, SettingsFileText(u.ws));
    } else {
      EXPECT_EQ(utf8Bytes, cp1251::ToUtf8(cp1251Bytes));
      EXPECT_EQ(back.text, cp1251::ToUtf8(cp1251Bytes));
    }
  }
}

}  // namespace
