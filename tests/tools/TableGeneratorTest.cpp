#include <gtest/gtest.h>

#include "ToolsTestHelpers.h"
#include "tools/TableGenerator.h"

namespace {

// The bytes of `text` with letters a..z coded from `small`, A..Z from `capital`, the
// space as `space` and the digits from `digit`.
std::string Coded(const std::string& text, int small, int capital = 0x41, int space = 0x20, int digit = 0x30) {
  std::string out;
  for (char c : text) {
    if (c >= 'a' && c <= 'z')
      out += static_cast<char>(small + c - 'a');
    else if (c >= 'A' && c <= 'Z')
      out += static_cast<char>(capital + c - 'A');
    else if (c >= '0' && c <= '9')
      out += static_cast<char>(digit + c - '0');
    else if (c == ' ')
      out += static_cast<char>(space);
    else
      out += c;
  }
  return out;
}

// An image of filler bytes that contain no short pattern by chance.
std::string Filler(size_t size) {
  return std::string(size, '\xFF');
}

struct GenBench : TestBench {
  explicit GenBench(const std::string& rom) {
    PutRom(ws, rom);
    ws.GenTableFileName = dir.file("gen.tbl");
  }
  void answer(std::initializer_list<const char*> samples) {
    for (const char* s : samples) host.inputs.push_back(Text(s));
  }
  bool written() const { return std::filesystem::exists(dir.path() / "gen.tbl"); }
  std::string table() const { return cp1251::ToUtf8(ReadBytes(dir.path() / "gen.tbl")); }  // a Windows-1251 file
};

TEST(GenerateTable, SmallLettersFromTheirRealCode) {
  GenBench t(Filler(100) + Coded("hello", 0x80) + Filler(100));
  t.answer({"hello", "", "", ""});
  GenerateTable(t.ws);
  EXPECT_TRUE(Contains(t.host.log, W("ура нашли!!! строчные буквы начинаются с кода 80")));
  const std::string table = t.table();
  EXPECT_EQ(table.rfind(W("Таблица для ROM game.gb\r\nДата/Время генерации "), 0), 0u);
  std::string letters;
  for (int i = 0; i < 26; ++i)
    letters += Text(1, "0123456789ABCDEF"[(0x80 + i) >> 4]) + "0123456789ABCDEF"[(0x80 + i) & 15] + "=" +
               static_cast<char>('a' + i) + "\r\n";
  EXPECT_EQ(table.substr(table.find("\r\n\r\n") + 4), letters);
  EXPECT_EQ(t.host.log.back(), W("Сгенерированная таблица сохранена в файле ") + t.ws.GenTableFileName);
  EXPECT_EQ(t.ws.GenCodeMap[0x80], 'a');
}

TEST(GenerateTable, CapitalsAreOnlySoughtAboveTheSmallLetters) {
  // Capitals coded below the small letters are there, but never looked for.
  GenBench t(Coded("HELLO", 0, 0x10) + Filler(10) + Coded("world", 0x80));
  t.answer({"world", "HELLO", "", ""});
  GenerateTable(t.ws);
  EXPECT_TRUE(Contains(t.host.log, W("Не нашли ПРОПИСНЫХ букв :-(")));
  EXPECT_EQ(t.ws.GenCodeMap.find('A'), Text::npos);
}

TEST(GenerateTable, MixedSamplesUseKnownCodesAndWarnOnce) {
  GenBench t(Filler(20) + Coded("hello-WORLD", 0x61, 0x90) + Filler(5) + Coded("my cat", 0x61, 0x90, 0x05));
  t.answer({"hel-lo", "hello-WORLD", "my cat", ""});
  GenerateTable(t.ws);
  const Text warning =
      W("Предупреждение: вы ввели символы, которые НЕ английские строчные...(ну и ладно, попробуем так :-)");
  EXPECT_EQ(std::count(t.host.log.begin(), t.host.log.end(), warning), 1);
  EXPECT_TRUE(Contains(t.host.log, W("Не нашли строчных букв :-(")));
  // Without small letters the capitals are sought from code 0 with the sample's own bytes.
  EXPECT_TRUE(Contains(t.host.log, W("ура нашли!!! прописные буквы начинаются с кода 90")));
  // The letters of the space sample have no codes, so they stand for themselves.
  EXPECT_TRUE(Contains(t.host.log, W("ура нашли!!! код пробела 5")));
}

TEST(GenerateTable, SpaceSkipsTakenCodesAndDigitsNeedTenFreeCodes) {
  // Letters at 0..25; the sample's space is coded 3, which belongs to "d", and 30.
  std::string rom = Coded("abc", 0) + Filler(4) + Coded("be ad", 0, 0x41, 3) + Filler(4) + Coded("be ad", 0, 0x41, 30);
  // Digits coded from 0x16 would overlap the letters; only 0x20 has ten free codes.
  rom += Filler(4) + Coded("ab 12", 0, 0x41, 30, 0x16) + Filler(4) + Coded("ab 12", 0, 0x41, 30, 0x20);
  GenBench t(rom);
  t.answer({"abc", "", "be ad", "ab 12"});
  GenerateTable(t.ws);
  EXPECT_TRUE(Contains(t.host.log, W("ура нашли!!! код пробела 1E")));
  EXPECT_TRUE(Contains(t.host.log, W("ура нашли!!! цифры начинаются с кода 20")));
  EXPECT_EQ(t.ws.GenCodeMap[30], ' ');
  EXPECT_EQ(t.ws.GenCodeMap.substr(0x20, 10), "0123456789");
}

TEST(GenerateTable, FailedDigitsLeaveEarlierFindsAlone) {
  GenBench t(Filler(4) + Coded("be ad", 0, 0x41, 30));
  t.answer({"be", "", "be ad", "ab 12"});
  GenerateTable(t.ws);
  EXPECT_TRUE(Contains(t.host.log, W("Не нашли цифр :-(")));
  EXPECT_EQ(t.ws.GenCodeMap.substr(0, 26), "abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(t.ws.GenCodeMap[30], ' ');
  EXPECT_EQ(t.ws.GenCodeMap.find('0'), Text::npos);
}

TEST(GenerateTable, NothingFoundWritesNoFile) {
  GenBench t(Filler(1000));
  t.answer({"hello", "", "", ""});
  GenerateTable(t.ws);
  EXPECT_FALSE(t.written());
  EXPECT_EQ(t.host.log,
            (std::vector<Text>{W("Не нашли строчных букв :-("), W("Ничего не ввели, искать ПРОПИСНЫЕ буквы не будем"),
                               W("Ничего не ввели, искать ПРОБЕЛ не будем"),
                               W("Ничего не ввели, искать цифры не будем"), W("Не шмогла я шгенерить ничего :-(")}));
  // After a failed search the map holds no letter at all.
  EXPECT_EQ(t.ws.GenCodeMap, Text(256, '\0'));
  EXPECT_FALSE(t.host.progressCalls.back().second.visible);
}

TEST(GenerateTable, AsksForTheFileWhenNoneIsNamed) {
  GenBench t(Coded("hello", 0x61));
  t.ws.GenTableFileName.clear();
  t.answer({"hello", "", "", ""});
  GenerateTable(t.ws);
  EXPECT_EQ(t.host.log.back(), W("Не указано имя файла для сохранения таблицы"));
  t.answer({"hello", "", "", ""});
  t.host.files.push_back({t.dir.file("asked.tbl")});
  GenerateTable(t.ws);
  EXPECT_TRUE(std::filesystem::exists(t.dir.path() / "asked.tbl"));
  EXPECT_EQ(t.host.prompts.back(), W("Сохранить сгенерированную таблицу в..."));
}

TEST(GenerateTable, RefusesWithoutRom) {
  GenBench t("");
  t.ws.RomLoaded = false;
  GenerateTable(t.ws);
  EXPECT_EQ(t.host.messageTexts(), std::vector<Text>{W("ROM еще не загружен")});
  EXPECT_TRUE(t.host.prompts.empty());
}

TEST(RelativeSearch, WithoutRomReturnsTheStartingMap) {
  TestBench t;
  std::u32string start(256, U'\0');
  start[7] = U'q';
  start[8] = U'あ';  // a cell beyond the code page comes back as it was
  EXPECT_EQ(RelativeSearch(t.ws, "?", "", start), start);
  EXPECT_EQ(RelativeSearch(t.ws, "?", W("абв"), std::u32string()), std::u32string(256, U'\0'));
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("ROM еще не загружен"), W("ROM еще не загружен")}));
}

TEST(RelativeSearch, LettersInAFreshMapAndTheSpaceAmongFreeCodes) {
  const Text alphabet = W("абвгдеёжзийклмнопрстуфхцчшщъыьэюя");
  const Text word = W("привет");
  std::string rom = Filler(10);
  const std::string letters = cp1251::FromUtf8(alphabet).value_or("");
  const std::string wordBytes = cp1251::FromUtf8(word).value_or("");
  for (char c : wordBytes) rom += static_cast<char>(0x40 + letters.find(c));
  GenBench t(rom + Filler(3) + std::string("\x50\x00\x50", 3));  // "п п" with the space at code 0
  t.host.inputs.push_back(word);
  const std::u32string map = RelativeSearch(t.ws, W("Введите слово"), alphabet, std::u32string());
  EXPECT_EQ(t.host.prompts.back(), W("Введите слово"));
  std::u32string expected;
  for (char c : letters) expected += cp1251::Decode(static_cast<unsigned char>(c));
  EXPECT_EQ(map.substr(0x40, letters.size()), expected);
  EXPECT_EQ(t.host.log.back(), W("ура нашли!!! буквы ") + alphabet + W(" начинаются с кода 40"));

  t.host.inputs.push_back(W("п п"));
  const std::u32string withSpace = RelativeSearch(t.ws, "", "", map);
  EXPECT_EQ(withSpace[0], U' ');
  EXPECT_EQ(withSpace.substr(1), map.substr(1));
  EXPECT_EQ(t.host.log.back(), W("ура нашли!!! код пробела 0"));
}

}  // namespace
