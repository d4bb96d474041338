#include "workspace/CharTable.h"
#include "IpsFixture.h"
#include "TestPatch.h"
#include "ips/IpsFile.h"
#include "ips/IpsFromPerevod.h"
#include "workspace/Files.h"

namespace {

class IpsFromPerevodTest : public IpsTest {
 protected:
  void setLines(std::vector<Text> lines) {
    ws.PerevodArray = std::move(lines);
    ws.PerevodLoaded = true;
  }
  Text warning() const {
    return W(
        "ПРЕДУПРЕЖДЕНИЕ: в файле перевода найдены символы, которых нет в таблице перекодировки, "
        "такие символы войдут в IPS БЕЗ перекодирования!(это может испортить ROM)");
  }
  size_t warnings() const { return static_cast<size_t>(std::count(host.log.begin(), host.log.end(), warning())); }
};

TEST_F(IpsFromPerevodTest, LineBecomesOneRecordAtItsAddressMinusOne) {
  setTable({{0x80, 'A'}, {0x81, 'B'}});
  setLines({"&H101 AB", "4 BA"});
  GenerateIpsFromPerevod(ws);
  EXPECT_EQ(ws.IpsImage, "PATCH" + Bytes({0, 1, 0, 0, 2, 0x80, 0x81}) + Bytes({0, 0, 3, 0, 2, 0x81, 0x80}) + "EOF");
  EXPECT_EQ(host.log, std::vector<Text>{W("Сгенерировали IPS из перевода")});
  EXPECT_TRUE(ws.IpsLoaded);
  EXPECT_TRUE(ws.IpsChanged);
  expectProgressSane();
}

TEST_F(IpsFromPerevodTest, EncodingTakesTheLowestCodeAndKeepsUnknownBytes) {
  setTable({{0x61, 'a'}, {0x21, 'a'}, {0x90, 'A'}});
  // "<$41>" is A, which the table has; x and z are not in it.
  setLines({"1 a<$41>x z", "2 zz"});
  GenerateIpsFromPerevod(ws);
  const TestPatch p = TestPatch::parse(ws.IpsImage);
  ASSERT_EQ(p.records().size(), 2u);
  EXPECT_EQ(p.records()[0].bytes, Bytes({0x21, 0x90, 'x', ' ', 'z'}));
  EXPECT_EQ(p.records()[1].bytes, "zz");
  EXPECT_EQ(warnings(), 5u);  // x, space, z, z, z: once per character
}

TEST_F(IpsFromPerevodTest, NulCharacterTakesTheLowestUndefinedCode) {
  setTable({{0x00, 'q'}, {0x01, 'r'}});
  setLines({"1 <$00>", "2 x"});
  GenerateIpsFromPerevod(ws);
  EXPECT_EQ(TestPatch::parse(ws.IpsImage).records()[0].bytes, Bytes({0x02}));

  // With every code defined, NUL has no code and goes out as itself, with the warning.
  std::initializer_list<std::pair<int, char>> none{};
  setTable(none);
  for (int code = 0; code < 256; ++code) ws.CharTable[static_cast<size_t>(code)] = Text(1, static_cast<char>(code | 1));
  ws.CharTableLookup.clear();
  ws.CharTableLookup = LookupOf(ws.CharTable);
  host.log.clear();
  GenerateIpsFromPerevod(ws);
  EXPECT_EQ(TestPatch::parse(ws.IpsImage).records()[0].bytes, Bytes({0}));
  EXPECT_EQ(warnings(), 2u);  // NUL and x (x is 0x78, even, so no code carries it)
}

TEST_F(IpsFromPerevodTest, LineWithoutSpaceIsSkippedSilently) {
  setTable({{0x41, 'A'}});
  setLines({"100", "5 A"});
  GenerateIpsFromPerevod(ws);
  EXPECT_EQ(ws.IpsImage, "PATCH" + Bytes({0, 0, 4, 0, 1, 0x41}) + "EOF");
  EXPECT_EQ(host.log, std::vector<Text>{W("Сгенерировали IPS из перевода")});
}

TEST_F(IpsFromPerevodTest, LinesTheFormatCannotCarryAreSkippedWithTheirAddress) {
  setTable({{0x41, 'A'}});
  setLines({"0 A", "16777217 A", "&H454F47 A", "7 ", "9 " + std::string(65536, 'A'), "16777216 A",
            "8 " + std::string(65535, 'A'), "&H454F46 A"});
  GenerateIpsFromPerevod(ws);
  const Text skipped = W("пропустили строку перевода с адресом ");
  EXPECT_EQ(host.log, (std::vector<Text>{
                          skipped + "0" + W(": адрес должен быть от 1 до 16777216, в IPS такой не записать"),
                          skipped + "16777217" + W(": адрес должен быть от 1 до 16777216, в IPS такой не записать"),
                          skipped + "&H454F47" + W(": запись по смещению 454F46 читается как конец IPS (\"EOF\")"),
                          skipped + "7" + W(": пустой текст в IPS не записать"),
                          skipped + "9" + W(": текст длиннее 65535 байт, в одну запись IPS не влезет"),
                          W("Сгенерировали IPS из перевода"),
                      }));
  EXPECT_EQ(ws.IpsImage, "PATCH" + Bytes({0xFF, 0xFF, 0xFF, 0, 1}) + "A" + Bytes({0, 0, 7, 0xFF, 0xFF}) +
                             std::string(65535, 'A') + Bytes({0x45, 0x4F, 0x45, 0, 1}) + "A" + "EOF");
}

TEST_F(IpsFromPerevodTest, OneLineTranslationIsRefused) {
  setTable({{0x41, 'A'}});
  setLines({"1 A"});
  setPatch("PATCH" + Bytes({0, 0, 0, 0, 1}) + "XEOF");
  ws.IpsChanged = false;
  GenerateIpsFromPerevod(ws);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text, W("ранее загруженный IPS выгружен из памяти"));
  EXPECT_EQ(host.messages[1].text, W("Перевода пока нет :-)"));
  EXPECT_EQ(host.messages[1].icon, Icon::Critical);
  EXPECT_EQ(host.log, std::vector<Text>{W("Перевода пока нет, генерировать не буду")});
  EXPECT_EQ(ws.IpsImage, "PATCH");
  EXPECT_FALSE(ws.IpsChanged);
}

TEST_F(IpsFromPerevodTest, WithoutTranslationLoadedThePatchIsDroppedWithoutTheUnloadMessage) {
  setPatch("PATCHEOF");
  GenerateIpsFromPerevod(ws);
  EXPECT_EQ(host.messageTexts(), std::vector<Text>{W("Файл с переводом еще не загружен")});
  EXPECT_EQ(host.log, std::vector<Text>{W("Файл с переводом еще не загружен")});
  EXPECT_EQ(ws.IpsImage, "PATCH");
}

TEST_F(IpsFromPerevodTest, MissingTableIsRefusedUnlessTheUserLoadsIt) {
  setLines({"1 A", "2 B"});
  GenerateIpsFromPerevod(ws);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].buttons, Buttons::YesNo);
  EXPECT_EQ(host.log, std::vector<Text>{W("Таблица еще не загружена")});
  EXPECT_EQ(ws.IpsImage, "PATCH");

  WriteBytes(b.dir.path() / "t.tbl", "C1=A\r\nC2=B\r\n");
  ws.TableFileName = b.dir.file("t.tbl");
  host.answers.push_back(Answer::Yes);
  host.log.clear();
  GenerateIpsFromPerevod(ws);
  EXPECT_EQ(ws.IpsImage, "PATCH" + Bytes({0, 0, 0, 0, 1, 0xC1, 0, 0, 1, 0, 1, 0xC2}) + "EOF");
  EXPECT_EQ(host.log.front(), W("Загрузили таблицу :") + b.dir.file("t.tbl"));
}

TEST_F(IpsFromPerevodTest, GeneratedPatchAppliesToTheTranslatedRom) {
  setLetterTable();
  setLines({"&H10 HELLO", "&H20 WORLD", "40 NEW END"});
  GenerateIpsFromPerevod(ws);
  setRom(std::string(32, '.'));
  ApplyIps(ws);
  // The space has no code in a letter table: it goes out as itself.
  const std::string expected = std::string(15, '.') + Bytes({0x87, 0x84, 0x8B, 0x8B, 0x8E}) + std::string(11, '.') +
                               Bytes({0x96, 0x8E, 0x91, 0x8B, 0x83}) + "   " + Bytes({0x8D, 0x84, 0x96}) + " " +
                               Bytes({0x84, 0x8D, 0x83});
  EXPECT_EQ(ws.RomImage, expected);
  EXPECT_EQ(TestPatch::parse(ws.IpsImage).appliedTo(std::string(32, '.')), expected);
}

}  // namespace
