#include "IpsFixture.h"
#include "TestPatch.h"
#include "ips/IpsFile.h"
#include "ips/MagicIps.h"
#include "workspace/Settings.h"

namespace {

class MagicIpsTest : public IpsTest {
 protected:
  TestPatch make(const std::string& rom, int pieces) {
    setRom(rom, "game.gb");
    ws.magicIterator = pieces;
    MakeMagicIps(ws);
    return TestPatch::parse(ws.IpsImage);
  }
  // The patch must rebuild the ROM from a file of other content of the same length.
  void expectRebuildsRom(const std::string& rom) {
    setRom(std::string(rom.size(), '\x5A'));
    ApplyIps(ws);
    EXPECT_TRUE(ws.RomImage == rom) << "the patch does not give the ROM back byte for byte";
  }
  static void expectRecord(const TestRecord& r, std::uint32_t offset, size_t size, const std::string& rom) {
    EXPECT_FALSE(r.rle);
    EXPECT_EQ(r.offset, offset);
    ASSERT_EQ(r.bytes.size(), size);
    EXPECT_TRUE(r.bytes == rom.substr(offset, size)) << "record at " << offset;
  }
};

TEST_F(MagicIpsTest, OneMebibyteInAHundredPiecesAndARest) {
  const std::string rom = Pattern(1048576);
  const TestPatch p = make(rom, 100);
  ASSERT_EQ(p.records().size(), 101u);
  for (std::uint32_t k = 0; k < 100; ++k) expectRecord(p.records()[k], k * 10485, 10485, rom);
  expectRecord(p.records()[100], 1048500, 76, rom);
  EXPECT_EQ(ws.IpsImage.size(), 5 + 101 * 5 + rom.size() + 3);
  EXPECT_EQ(host.log, std::vector<Text>{W("Сгенерировали Magic IPS для ROM файла game.gb")});
  EXPECT_TRUE(ws.IpsLoaded);
  EXPECT_TRUE(ws.IpsChanged);
  EXPECT_EQ(ws.magicIterator, 100);
  expectProgressSane();
  expectRebuildsRom(rom);
}

TEST_F(MagicIpsTest, EightMebibytesRaiseThePieceCountAndTheSettingKeepsIt) {
  const std::string rom = Pattern(8388608);
  const TestPatch p = make(rom, 100);
  ASSERT_EQ(p.records().size(), 256u);
  for (std::uint32_t k = 0; k < 256; ++k) expectRecord(p.records()[k], k * 32768, 32768, rom);
  EXPECT_EQ(host.log.front(), W("слишком маленькое число кусочков в волшебном IPS, установим размер кусочка = 32768, "
                                "и таких кусочков будет столько, сколько получится :-)"));
  EXPECT_EQ(ws.magicIterator, 256);
  EXPECT_NE(SettingsFileText(ws).find("\r\nmagicIterator=256 '"), Text::npos);
  expectRebuildsRom(rom);
}

// Also a ROM that is an exact multiple of the piece count: no rest record.
TEST_F(MagicIpsTest, PieceCountOfZeroOrBelowCountsAsAHundred) {
  for (int pieces : {0, -5}) {
    const TestPatch p = make(Pattern(1000), pieces);
    EXPECT_EQ(p.records().size(), 100u) << pieces;
    EXPECT_EQ(ws.magicIterator, pieces);
  }
}

TEST_F(MagicIpsTest, RomShorterThanThePieceCountIsOneRecord) {
  const std::string rom = Pattern(50);
  const TestPatch p = make(rom, 100);
  ASSERT_EQ(p.records().size(), 1u);
  expectRecord(p.records()[0], 0, 50, rom);
  expectRebuildsRom(rom);
}

TEST_F(MagicIpsTest, HugePieceCountNeverMakesARecordTooLargeOrEmpty) {
  const std::string rom = Pattern(100000);
  const TestPatch p = make(rom, 1000000);
  ASSERT_EQ(p.records().size(), 4u);
  expectRecord(p.records()[3], 98304, 1696, rom);
  expectRebuildsRom(rom);
}

TEST_F(MagicIpsTest, PieceAtTheEofOffsetStartsOneByteEarlier) {
  // 174,703 pieces of 26 bytes end exactly at 454F46, where the rest begins.
  const std::string rom = Pattern(4542300);
  const TestPatch p = make(rom, 174703);
  ASSERT_EQ(p.records().size(), 174704u);
  expectRecord(p.records().back(), 0x454F45, 23, rom);
  expectRebuildsRom(rom);
}

TEST_F(MagicIpsTest, SixteenMebibytesFitTheLastOffset) {
  const std::string rom = Pattern(16777216);
  const TestPatch p = make(rom, 512);
  ASSERT_EQ(p.records().size(), 512u);
  expectRecord(p.records().back(), 16777216 - 32768, 32768, rom);
  expectRebuildsRom(rom);
}

TEST_F(MagicIpsTest, EmptyOrTooLargeRomIsRefusedWithoutAPatch) {
  for (size_t size : {size_t{0}, size_t{16777217}}) {
    setPatch("PATCHEOF");
    ws.IpsChanged = false;
    host.messages.clear();
    host.log.clear();
    setRom(std::string(size, 'r'));
    MakeMagicIps(ws);
    EXPECT_EQ(host.messages.size(), 1u) << size;
    EXPECT_EQ(host.log.size(), 1u) << size;
    EXPECT_EQ(ws.IpsImage, "PATCHEOF") << size;
    EXPECT_FALSE(ws.IpsChanged) << size;
  }
}

TEST_F(MagicIpsTest, LoadsTheRomFirstWhenNoneIsLoaded) {
  const std::string rom = Pattern(300);
  WriteBytes(b.dir.path() / "g.gb", rom);
  ws.InputRomFileName = b.dir.file("g.gb");
  setPatch("PATCHEOF");
  MakeMagicIps(ws);
  EXPECT_EQ(host.messageTexts(), std::vector<Text>{W("ранее загруженный IPS выгружен из памяти")});
  EXPECT_TRUE(ws.RomLoaded);
  EXPECT_EQ(TestPatch::parse(ws.IpsImage).appliedTo(std::string(300, 0)), rom);
}

TEST_F(MagicIpsTest, MissingRomLeavesThePatchAlone) {
  ws.InputRomFileName = b.dir.file("none.gb");
  setPatch("PATCHEOF");
  MakeMagicIps(ws);
  EXPECT_EQ(host.messageTexts(), std::vector<Text>{W("ROM Файл") + "\r\n" + W("не найден :-(")});
  EXPECT_EQ(host.log, std::vector<Text>{W("Входной ROM не загружен")});
  EXPECT_EQ(ws.IpsImage, "PATCHEOF");
}

}  // namespace
