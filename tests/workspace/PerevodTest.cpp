#include <gtest/gtest.h>

#include <random>

#include "support/TestFiles.h"
#include "workspace/Perevod.h"

namespace {

struct PerevodBench : TestBench {
  void load(const std::string& bytes) {
    WriteBytes(dir.path() / "p.txt", bytes);
    ws.PerevodFileName = dir.file("p.txt");
    LoadPerevod(ws);
  }
};

// The loader's documented procedure, literally: replace until nothing is left.
std::vector<Text> NaiveSplit(Text text) {
  for (size_t pos; (pos = text.find("\r\n\r\n")) != Text::npos;) {
    Text out;
    size_t from = 0;
    for (size_t p = text.find("\r\n\r\n"); p != Text::npos; p = text.find("\r\n\r\n", from)) {
      out += text.substr(from, p - from) + "\r\n";
      from = p + 4;
    }
    text = out + text.substr(from);
  }
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
  std::vector<Text> lines;
  if (text.empty()) return lines;
  size_t from = 0;
  for (size_t p; (p = text.find("\r\n", from)) != Text::npos; from = p + 2) lines.push_back(text.substr(from, p - from));
  lines.push_back(text.substr(from));
  return lines;
}

TEST(ParsePerevodLine, ReadsTheAddressBeforeTheFirstSpace) {
  auto p = ParsePerevodLine("123 ");
  EXPECT_TRUE(p.hasSeparator);
  EXPECT_EQ(p.address, 123);
  EXPECT_EQ(p.text, "");
  p = ParsePerevodLine("123  x");
  EXPECT_EQ(p.text, " x");
  EXPECT_EQ(ParsePerevodLine("&h1f x").address, 31);
  EXPECT_EQ(ParsePerevodLine("&HFFFF x").address, 65535);
  EXPECT_EQ(ParsePerevodLine("&H8000 x").address, 32768);
  EXPECT_EQ(ParsePerevodLine("12a3 x").address, 12);
  EXPECT_EQ(ParsePerevodLine("x12 y").address, 0);
  EXPECT_EQ(ParsePerevodLine("-5 y").address, 0);
  EXPECT_EQ(ParsePerevodLine(" y").address, 0);
  EXPECT_FALSE(ParsePerevodLine("abc").hasSeparator);
  EXPECT_EQ(ParsePerevodLine("16384 Hello world").text, "Hello world");
}

TEST(ParsePerevodLine, AddressesBeyond32BitsAreOutOfRangeNotWrapped) {
  EXPECT_EQ(ReadAddress("4294967295"), 4294967295LL);
  EXPECT_EQ(ReadAddress("4294967296"), kAddressTooLarge);
  EXPECT_EQ(ReadAddress("18446744073709551617"), kAddressTooLarge);  // 2^64 + 1
  EXPECT_EQ(ReadAddress("&HFFFFFFFF"), 4294967295LL);
  EXPECT_EQ(ReadAddress("&H100000001"), kAddressTooLarge);
  EXPECT_EQ(ReadAddress("&H10000000000000001"), kAddressTooLarge);
}

TEST(FormatAddress, FollowsUseHexAddr) {
  TestBench t;
  t.ws.UseHEXaddr = "NO";
  EXPECT_EQ(FormatAddress(t.ws, 16384), "16384");
  t.ws.UseHEXaddr = "YES";
  EXPECT_EQ(FormatAddress(t.ws, 16384), "&H4000");
  EXPECT_EQ(FormatAddress(t.ws, 0xABCDEF), "&HABCDEF");
}

TEST(SplitPerevodText, MatchesRepeatedReplacementOnRandomTexts) {
  std::mt19937 rng(7);
  const char alphabet[] = {'\r', '\n', 'a', ' '};
  for (int round = 0; round < 3000; ++round) {
    Text text;
    const int len = static_cast<int>(rng() % 14);
    for (int i = 0; i < len; ++i) text += alphabet[rng() % 4];
    EXPECT_EQ(SplitPerevodText(text), NaiveSplit(text)) << cp1251::ToUtf8(text);
  }
}

TEST(LoadPerevod, LoadsLinesAndReportsTheCount) {
  for (const char* file : {"16384 Hi\r\n&H4010 Yo", "16384 Hi\r\n&H4010 Yo\r\n", "16384 Hi\r\n\r\n\r\n&H4010 Yo\r\n\r\n"}) {
    PerevodBench t;
    t.ws.PerevodChanged = true;
    t.host.answers.push_back(Answer::Cancel);
    t.load(file);
    EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"16384 Hi", "&H4010 Yo"}));
    EXPECT_TRUE(t.ws.PerevodLoaded);
    EXPECT_FALSE(t.ws.PerevodChanged);
    EXPECT_EQ(t.host.log.back(), W("Файл перевода ") + t.ws.PerevodFileName + W(" загружен,  2 строк"));
    EXPECT_EQ(t.host.captions.back(), "Tarvello 1.41b - " + t.ws.PerevodFileName);
    EXPECT_EQ(t.host.closedWindows, (std::vector<Window>{Window::EditForm, Window::FindForm}));
    EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{W("Будем сохранять изменения перевода ?")}));
  }
}

TEST(LoadPerevod, KeepsALeadingEmptyLineAndEndsLinesAtLoneLfAndCr) {
  PerevodBench t;
  t.load("\r\n1 a\r\n2 b");
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"", "1 a", "2 b"}));
  t.load("1 a\n\n2 b\r3 c\n");
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"1 a", "2 b", "3 c"}));
  t.load("");
  EXPECT_TRUE(t.ws.PerevodArray.empty());
  EXPECT_EQ(t.host.log.back(), W("Файл перевода ") + t.ws.PerevodFileName + W(" загружен,  0 строк"));
}

TEST(LoadPerevod, AsksForAFileWhenTheNameIsMissingAndStopsOnCancel) {
  PerevodBench t;
  t.ws.PerevodArray = {"1 keep", "2 me"};
  t.ws.PerevodFileName = t.dir.file("gone.txt");
  LoadPerevod(t.ws);
  EXPECT_EQ(t.host.prompts, (std::vector<Text>{W("Загрузить перевод...")}));
  EXPECT_EQ(t.host.fileRequests[0].filter, W("Файл перевода (*.txt)|*.txt|Все файлы (*.*)|*.*"));
  EXPECT_EQ(t.host.log.back(), W("Не задано имя файла перевода"));
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"1 keep", "2 me"}));
  EXPECT_FALSE(t.ws.PerevodLoaded);

  WriteBytes(t.dir.path() / "chosen.txt", "5 five");
  t.host.files.push_back({t.dir.file("chosen.txt")});
  LoadPerevod(t.ws);
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"5 five"}));
  EXPECT_EQ(t.ws.PerevodFileName, t.dir.file("chosen.txt"));
}

TEST(LoadPerevod, OkAtTheQuestionSavesTheChangedTranslationFirst) {
  PerevodBench t;
  t.ws.OverwriteOldFile = "YES";
  t.ws.MakeBAKFiles = "NO";
  t.load("1 old\r\n2 old");
  t.ws.PerevodArray[0] = "1 new";
  t.ws.PerevodChanged = true;
  t.host.answers.push_back(Answer::Ok);
  LoadPerevod(t.ws);
  EXPECT_EQ(ReadBytes(t.dir.path() / "p.txt"), "1 new\r\n2 old");
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"1 new", "2 old"}));
}

TEST(SavePerevod, JoinsWithCrLfAndRoundTrips) {
  PerevodBench t;
  t.ws.PerevodArray = {"16384 Hi", "", "&H10  x "};
  t.ws.PerevodFileName = t.dir.file("out.txt");
  t.ws.PerevodChanged = true;
  SavePerevod(t.ws);
  EXPECT_EQ(ReadBytes(t.dir.path() / "out.txt"), "16384 Hi\r\n\r\n&H10  x ");
  EXPECT_FALSE(t.ws.PerevodChanged);
  EXPECT_EQ(t.host.log.back(), W("Файл перевода сохранен в файл: ") + t.ws.PerevodFileName);
  LoadPerevod(t.ws);
  EXPECT_EQ(t.ws.PerevodArray, (std::vector<Text>{"16384 Hi", "&H10  x "}));
}

TEST(SavePerevod, RefusesOnlyTheStartUpEmptyTranslation) {
  PerevodBench t;
  t.ws.PerevodFileName = t.dir.file("out.txt");
  SavePerevod(t.ws);
  EXPECT_EQ(t.host.messageTexts(), (std::vector<Text>{W("Перевода пока нет :-)\r\nили слишком мало строк перевода")}));
  EXPECT_EQ(t.host.messages[0].icon, Icon::Critical);
  EXPECT_FALSE(std::filesystem::exists(t.dir.path() / "out.txt"));

  // One real line is a translation and saves.
  t.ws.PerevodArray = {"100 only"};
  SavePerevod(t.ws);
  EXPECT_EQ(ReadBytes(t.dir.path() / "out.txt"), "100 only");

  // So does a translation of zero lines, as an empty file.
  t.ws.PerevodArray.clear();
  t.ws.PerevodFileName = t.dir.file("empty.txt");
  SavePerevod(t.ws);
  EXPECT_EQ(ReadBytes(t.dir.path() / "empty.txt"), "");
}

TEST(SavePerevod, WithoutANameLogsAndWithABadFolderComplains) {
  PerevodBench t;
  t.ws.PerevodArray = {"1 a", "2 b"};
  t.ws.PerevodChanged = true;
  SavePerevod(t.ws);
  EXPECT_EQ(t.host.log.back(), W("похоже, что имя файла для сохранения все еще не задано...сохранять не будем"));
  t.ws.PerevodFileName = t.dir.file("no/such/out.txt");
  SavePerevod(t.ws);
  EXPECT_EQ(t.host.messageTexts().back(),
            W("проверьте, что файл перевода\r\nможно создать/перезаписать:\r\n") + t.ws.PerevodFileName);
  EXPECT_TRUE(t.ws.PerevodChanged);
  EXPECT_EQ(t.host.failures, 1);
}

TEST(SavePerevod, StampsANewNameWhenOverwritingIsOff) {
  PerevodBench t;
  t.ws.OverwriteOldFile = "NO";
  WriteBytes(t.dir.path() / "p.txt", "old");
  t.ws.PerevodArray = {"1 a", "2 b"};
  t.ws.PerevodFileName = t.dir.file("p.txt");
  SavePerevod(t.ws);
  EXPECT_EQ(ReadBytes(t.dir.path() / "p.txt"), "old");
  EXPECT_EQ(t.ws.PerevodFileName, t.dir.file("06-12-2026-8-15-00_p.txt"));
  EXPECT_EQ(ReadBytes(t.dir.path() / "06-12-2026-8-15-00_p.txt"), "1 a\r\n2 b");
  EXPECT_EQ(t.host.log[0], W("такой файл уже есть..."));
}

TEST(SavePerevodTextOnly, WritesTextsWithAFinalLineBreak) {
  PerevodBench t;
  WriteBytes(t.dir.path() / "t.txt", "previous");
  t.ws.PerevodArray = {"100 Hello world", "nospace", "&H5  two"};
  t.ws.PerevodFileName = t.dir.file("t.txt");
  t.ws.PerevodChanged = true;
  SavePerevodTextOnly(t.ws);
  EXPECT_EQ(ReadBytes(t.dir.path() / "t.txt"), "Hello world\r\nnospace\r\n two\r\n");
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("удалили существующий файл ") + t.ws.PerevodFileName,
                                           W("Файл перевода сохранен в файл: ") + t.ws.PerevodFileName}));
  EXPECT_FALSE(t.ws.PerevodChanged);
  ASSERT_FALSE(t.host.progressCalls.empty());
  EXPECT_EQ(t.host.progressCalls.front().second.max, 2);
  EXPECT_FALSE(t.host.progressCalls.back().second.visible);
}

}  // namespace
