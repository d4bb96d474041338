#include <gtest/gtest.h>

#include <random>

#include "processing/Dictionary.h"
#include "processing/MassReplace.h"
#include "support/TestFiles.h"

namespace {

struct DictionaryBench : TestBench {
  DictionaryBench() { ws.TRVocabularyFile = dir.file("voc.txt"); }
  // The text written as Windows-1251, as the dictionaries are.
  void load(const std::string& text) {
    WriteBytes(dir.path() / "voc.txt", cp1251::FromUtf8(text).value_or(text));
    LoadTRVocabulary(ws);
  }
  void translation(std::vector<Text> lines) {
    ws.PerevodArray = std::move(lines);
    ws.PerevodLoaded = true;
  }
  bool logged(const Text& line) const { return std::find(host.log.begin(), host.log.end(), line) != host.log.end(); }
};

TEST(LoadTRVocabulary, AcceptsEqualLengthPairsAndCountsThem) {
  DictionaryBench b;
  b.load(W("cat\r\nкот\r\n"));
  EXPECT_TRUE(b.ws.TRVocabulary.loaded);
  EXPECT_EQ(b.ws.TRVocabulary.count, 1);
  ASSERT_EQ(b.host.log.size(), 3u);
  EXPECT_EQ(b.host.log[1], W("Слово \"cat\" будем заменять на \"кот\""));
  EXPECT_EQ(b.host.log[2], W("Загрузили  1 слов(а) для перевода по словарю"));
}

TEST(LoadTRVocabulary, DropsLengthMismatchesUnlessToldToKeepThem) {
  DictionaryBench b;
  b.load(W("dog\r\nсобака\r\nab\r\ncd\r\n"));
  EXPECT_TRUE(b.logged(W("Внимание: длинна слова для поиска \"dog\" не совпадает с длинной перевода \"собака\"")));
  EXPECT_TRUE(b.logged(W("[пропустим]")));
  ASSERT_EQ(b.ws.TRVocabulary.count, 1);
  EXPECT_EQ(b.ws.TRVocabulary.words[0], "ab");  // the next pair took the dropped one's slot
  EXPECT_EQ(b.ws.TRVocabulary.replacements[0], "cd");

  DictionaryBench keep;
  keep.ws.IgnoreTRVocWarnings = "YES";
  keep.load(W("dog\r\nсобака\r\nab\r\ncd\r\n"));
  EXPECT_TRUE(keep.logged(W("[добавим на ваш страх и риск...]")));
  ASSERT_EQ(keep.ws.TRVocabulary.count, 2);
  EXPECT_EQ(keep.ws.TRVocabulary.replacements[0], W("собака"));
}

TEST(LoadTRVocabulary, OddLineCountAndTrailingBreaks) {
  DictionaryBench b;
  b.load("a\r\nb\r\nc\r\n\r\n\r\n");  // the blank lines at the end are not pairs
  EXPECT_EQ(b.ws.TRVocabulary.words, (std::vector<Text>{"a", "c"}));
  EXPECT_EQ(b.ws.TRVocabulary.replacements, (std::vector<Text>{"b", ""}));
  EXPECT_EQ(b.ws.TRVocabulary.count, 1);  // ('c', '') differs in length

  DictionaryBench keep;
  keep.ws.IgnoreTRVocWarnings = "YES";
  keep.load("a\r\nb\r\nc");
  EXPECT_EQ(keep.ws.TRVocabulary.count, 2);
}

TEST(LoadTRVocabulary, RejectedPairStaysInTheSlotAfterTheAccepted) {
  DictionaryBench b;
  b.load(W("ab\r\ncd\r\ndog\r\nсобака\r\nx"));
  // ('x', ...) lands in the slot of the dropped pair and keeps its replacement.
  EXPECT_EQ(b.ws.TRVocabulary.count, 1);
  EXPECT_EQ(b.ws.TRVocabulary.words[1], "x");
  EXPECT_EQ(b.ws.TRVocabulary.replacements[1], W("собака"));
  EXPECT_EQ(b.ws.TRVocabulary.words[2], "");
}

TEST(LoadTRVocabulary, OnlyMismatchesLeavesItUnloaded) {
  DictionaryBench b;
  b.load(W("dog\r\nсобака"));
  EXPECT_FALSE(b.ws.TRVocabulary.loaded);
  EXPECT_EQ(b.host.log.back(), W("Ни каких слов для перевода по словарю, загрузить не удалось :-("));
}

TEST(LoadTRVocabulary, EmptyOrMissingFileIsAFailureAndCreatesTheFile) {
  DictionaryBench b;
  b.load("\r\n\r\n");
  EXPECT_FALSE(b.ws.TRVocabulary.loaded);
  EXPECT_EQ(b.host.log.back().rfind(W("Ошибка однако... "), 0), 0u) << b.host.log.back();

  DictionaryBench missing;
  LoadTRVocabulary(missing.ws);
  EXPECT_TRUE(std::filesystem::exists(missing.dir.path() / "voc.txt"));
  EXPECT_EQ(missing.host.failures, 1);
  EXPECT_FALSE(missing.ws.TRVocabulary.loaded);
}

TEST(LoadTRVocabulary, MissingFolderShowsTheDictionaryMessage) {
  DictionaryBench b;
  b.ws.TRVocabularyFile = b.dir.file("nowhere/voc.txt");
  LoadTRVocabulary(b.ws);
  ASSERT_EQ(b.host.messages.size(), 1u);
  EXPECT_EQ(b.host.messages[0].text, W("проверьте, имя и путь файла словаря") + "\r\n" + b.ws.TRVocabularyFile);
  EXPECT_EQ(b.host.messages[0].icon, Icon::Critical);
  EXPECT_EQ(b.host.log.back(), W("Ошибка, проверьте имя и путь файла словаря") + "\r\n" + b.ws.TRVocabularyFile);
}

TEST(LoadTRVocabulary, NoFileNameAndAFailedReloadClearTheLoadedFlag) {
  DictionaryBench b;
  b.load("ab\r\ncd");
  ASSERT_TRUE(b.ws.TRVocabulary.loaded);
  b.ws.TRVocabularyFile.clear();
  LoadTRVocabulary(b.ws);
  EXPECT_FALSE(b.ws.TRVocabulary.loaded);
  EXPECT_EQ(b.host.log.back(), W("Не задано имя файла словаря..."));
}

TEST(TranslateByVocabulary, ReplacesInTheTextOnlyAndPairsActOnEarlierResults) {
  DictionaryBench b;
  b.load(W("cat\r\nкот\r\n12\r\n99\r\nab\r\ncd\r\ncd\r\nef"));
  b.translation({"12345 the cat sat", "7 ab ab", "8 none", "no-space-ab"});
  TranslateByVocabulary(b.ws);
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{W("12345 the кот sat"), "7 ef ef", "8 none", "no-space-ab"}));
  EXPECT_TRUE(b.ws.PerevodChanged);
  EXPECT_TRUE(b.logged(W("В строке с указателем=12345 подстроку=\"cat\" заменили на=\"кот\"")));
  EXPECT_TRUE(b.logged(W("Подстрока \"12\" не найдена")));
  EXPECT_TRUE(b.logged(W("изменили 1 строк(и) перевода")));
  EXPECT_EQ(b.host.log.back(), W("Всего сделано изменений  3 штук(и)"));
  EXPECT_EQ(b.host.closedWindows, std::vector<Window>{Window::EditForm});
}

TEST(TranslateByVocabulary, LengthChangingPairsKeepLaterLinesInPlace) {
  DictionaryBench b;
  b.ws.IgnoreTRVocWarnings = "YES";
  b.load(W("a\r\nxyz\r\nzb\r\nQ"));
  b.translation({"1 aab", "2 b", "3 a", "4 "});
  TranslateByVocabulary(b.ws);
  // 'a' -> 'xyz' makes "xyzxyzb"; then 'zb' -> 'Q' acts on that result.
  EXPECT_EQ(b.ws.PerevodArray, (std::vector<Text>{"1 xyzxyQ", "2 b", "3 xyz", "4 "}));
}

TEST(TranslateByVocabulary, NothingFoundLeavesTheTranslationUnchanged) {
  DictionaryBench b;
  b.load("qq\r\nww");
  b.translation({"1 abc"});
  TranslateByVocabulary(b.ws);
  EXPECT_FALSE(b.ws.PerevodChanged);
  EXPECT_EQ(b.host.log.back(), W("Всего сделано изменений  0 штук(и)"));
}

TEST(TranslateByVocabulary, RefusesWithoutADictionary) {
  DictionaryBench b;
  b.translation({"1 abc"});
  TranslateByVocabulary(b.ws);
  EXPECT_EQ(b.host.log, std::vector<Text>{W("словарь не загружен...")});
}

TEST(AddLeadingSpaceToTRWords, RunTwiceAddsTheSpaceOnce) {
  DictionaryBench b;
  b.load("ab\r\ncd\r\n ef\r\ngh");
  AddLeadingSpaceToTRWords(b.ws);
  EXPECT_TRUE(b.ws.TRVocabularyChanged);
  AddLeadingSpaceToTRWords(b.ws);
  EXPECT_EQ(b.ws.TRVocabulary.words, (std::vector<Text>{" ab", " ef"}));
  EXPECT_EQ(b.ws.TRVocabulary.replacements, (std::vector<Text>{" cd", "gh"}));
  EXPECT_EQ(b.host.log.back(), W("Нарастили слова словаря символом пробела"));

  b.translation({"1 ab xab"});
  TranslateByVocabulary(b.ws);
  EXPECT_EQ(b.ws.PerevodArray[0], "1 ab xab");  // the word begins right after the address's space
  b.translation({"1 x ab xab"});
  TranslateByVocabulary(b.ws);
  EXPECT_EQ(b.ws.PerevodArray[0], "1 x cd xab");
}

TEST(SaveTRVocabulary, SingleSlotIsCalledEmptyButSavedAndReloadsAlike) {
  DictionaryBench b;
  b.load("ab\r\ncd");
  AddLeadingSpaceToTRWords(b.ws);
  EXPECT_EQ(b.host.log.back(), W("А словарь то, пустой :-("));
  EXPECT_FALSE(b.ws.TRVocabularyChanged);
  b.ws.TRVocabularyChanged = true;
  SaveTRVocabulary(b.ws);
  EXPECT_TRUE(b.logged(W("А словарь то, пустой :-(")));
  EXPECT_EQ(ReadBytes(b.dir.path() / "voc.txt"), "ab\r\ncd\r\n");
  EXPECT_FALSE(b.ws.TRVocabularyChanged);
}

TEST(SaveTRVocabulary, WritesEverySlotIncludingTheRejectedOne) {
  DictionaryBench b;
  b.load(W("a\r\nb\r\nc\r\nd\r\ndog\r\nкот1"));
  b.ws.TRVocabularyFile = b.dir.file("out.txt");
  SaveTRVocabulary(b.ws);
  EXPECT_EQ(ReadBytes(b.dir.path() / "out.txt"), cp1251::FromUtf8(W("a\r\nb\r\nc\r\nd\r\ndog\r\nкот1\r\n")));
  EXPECT_EQ(b.host.log.back(), W("Сохранили словарь в файл ") + b.ws.TRVocabularyFile);
}

TEST(SaveTRVocabulary, Refusals) {
  DictionaryBench b;
  SaveTRVocabulary(b.ws);
  EXPECT_EQ(b.host.log.back(), W("Словарь еще не загружен"));
  b.ws.TRVocabularyFile.clear();
  SaveTRVocabulary(b.ws);
  EXPECT_EQ(b.host.log.back(), W("Не задано имя файла для сохранения словаря"));
  EXPECT_FALSE(std::filesystem::exists(b.dir.path() / "voc.txt"));
}

// Whatever the texts and words, the one-buffer search must do what a search in each
// line by itself does.
Text ReplaceEach(std::string_view text, const Text& word, const Text& repl) {
  Text out;
  size_t from = 0;
  for (size_t at; (at = text.find(word, from)) != Text::npos; from = at + word.size()) {
    out.append(text.substr(from, at - from));
    out += repl;
  }
  return out.append(text.substr(from));
}

TEST(TranslationTexts, MatchesLineByLineReplacementOnRandomInput) {
  std::mt19937 rng(7);
  const std::string alphabet = "ab \r\n";
  auto randomText = [&](size_t maxLen) {
    Text t;
    for (size_t n = rng() % (maxLen + 1); n > 0; --n) t += alphabet[rng() % alphabet.size()];
    return t;
  };
  for (int round = 0; round < 300; ++round) {
    std::vector<Text> lines;
    for (int i = 0; i < 6; ++i) lines.push_back(rng() % 5 ? std::to_string(i) + " " + randomText(8) : randomText(4));
    std::vector<Text> expected = lines;
    TranslationTexts texts(lines);
    for (int p = 0; p < 4; ++p) {
      Text word = randomText(3);
      if (word.empty()) word = "a";
      const Text repl = randomText(3);
      std::vector<size_t> touched;
      texts.replaceAll(word, repl, [&](size_t line) { touched.push_back(line); });
      std::vector<size_t> expectTouched;
      for (size_t i = 0; i < expected.size(); ++i) {
        const size_t space = expected[i].find(' ');
        if (space == Text::npos || expected[i].find(word, space + 1) == Text::npos) continue;
        expectTouched.push_back(i);
        expected[i] = expected[i].substr(0, space + 1) + ReplaceEach(expected[i].substr(space + 1), word, repl);
      }
      ASSERT_EQ(touched, expectTouched) << "round " << round;
    }
    texts.writeBack(lines);
    ASSERT_EQ(lines, expected) << "round " << round;
  }
}

TEST(TranslationTexts, EmptyWordTouchesEveryNonEmptyTextAndChangesNothing) {
  std::vector<Text> lines{"1 a", "2 ", "3 b", "c"};
  TranslationTexts texts(lines);
  std::vector<size_t> touched;
  EXPECT_EQ(texts.replaceAll("", "zz", [&](size_t line) { touched.push_back(line); }), 2u);
  EXPECT_EQ(touched, (std::vector<size_t>{0, 2}));
  texts.writeBack(lines);
  EXPECT_EQ(lines, (std::vector<Text>{"1 a", "2 ", "3 b", "c"}));
}

}  // namespace
