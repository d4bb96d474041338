#include <random>

#include "IpsFixture.h"
#include "TestPatch.h"
#include "ips/IpsFile.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Rom.h"

namespace {

using ApplyIpsTest = IpsTest;

TEST_F(ApplyIpsTest, RefusalsLeaveTheRomAlone) {
  setRom("0123456789");
  ApplyIps(ws);  // no patch
  ws.IpsLoaded = true;
  ws.RomLoaded = false;
  ApplyIps(ws);  // no ROM
  ws.RomLoaded = true;
  ApplyIps(ws);  // an empty patch: logged, no message
  setPatch("PATCX" + Bytes({0, 0, 1, 0, 1}) + "Z" + "EOF");
  ApplyIps(ws);
  EXPECT_EQ(host.messageTexts(),
            (std::vector<Text>{W("IPS файл не загружен"), W("Входной ROM не загружен"), W("Это не IPS файл")}));
  EXPECT_EQ(host.messages.back().icon, Icon::Critical);
  EXPECT_EQ(host.log, (std::vector<Text>{W("IPS файл не загружен"), W("Входной ROM не загружен"),
                                         W("нулевая длинна IPS файла :-("), W("в IPS файле нет нужного заголовка")}));
  EXPECT_EQ(RomWorkImage(ws), "0123456789");
  EXPECT_FALSE(ws.RomChanged);
}

TEST_F(ApplyIpsTest, HeaderAndTrailerOnlyChangeNothingButStillCommit) {
  setRom("0123456789", "game.gb");
  setPatch("PATCHEOF", "empty.ips");
  ApplyIps(ws);
  EXPECT_EQ(ws.RomImage, "0123456789");
  EXPECT_EQ(host.log, std::vector<Text>{W("Применили изменения из IPS файла: empty.ips к ROM файлу: game.gb")});
  EXPECT_TRUE(ws.RomChanged);
}

TEST_F(ApplyIpsTest, RecordBeyondTheEndLengthensWithSpaces) {
  const std::string rom = Pattern(16);
  setRom(rom);
  setPatch(TestPatch().data(20, "xy").bytes());
  ApplyIps(ws);
  ASSERT_EQ(ws.RomImage.size(), 22u);
  EXPECT_EQ(ws.RomImage, rom + "    xy");
  EXPECT_EQ(RomWorkImage(ws), ws.RomImage);
}

TEST_F(ApplyIpsTest, RunLengthRecordsWriteTheirValue) {
  setRom(std::string(16, '.'));
  // One inside, one as the last record before "EOF" that also lengthens the ROM.
  setPatch(TestPatch().run(2, 3, 0xAB).data(6, "q").run(14, 4, 'z').bytes());
  ApplyIps(ws);
  EXPECT_EQ(ws.RomImage, ".." + Bytes({0xAB, 0xAB, 0xAB}) + ".q.......zzzz");
}

TEST_F(ApplyIpsTest, RunOfLengthZeroWritesNothing) {
  setRom("abcdef");
  setPatch(TestPatch().run(2, 0, 'X').run(40, 0, 'X').data(0, "Z").bytes());
  ApplyIps(ws);
  EXPECT_EQ(ws.RomImage, "Zbcdef");
}

TEST_F(ApplyIpsTest, BytesAfterTrailerAreIgnored) {
  setRom("abcdef");
  // A whole valid record and a truncation length after "EOF".
  setPatch(TestPatch().data(1, "B").bytes() + Bytes({0, 0, 2, 0, 1}) + "C" + Bytes({0, 0, 4}));
  ApplyIps(ws);
  EXPECT_EQ(ws.RomImage, "aBcdef");
  EXPECT_FALSE(logged(IpsCutShortWarning()));
}

// Three bytes after "EOF" give the patched file its size, after every record, as the
// field's patchers apply them: cut, kept, or lengthened with zeros.
TEST_F(ApplyIpsTest, SizeAfterTrailerCutsOrLengthensThePatchedFile) {
  const std::string rom = Pattern(16);
  const std::pair<TestPatch, size_t> cases[] = {
      {TestPatch().truncate(8), 8},                    // shorter
      {TestPatch().data(2, "ab").truncate(16), 16},    // equal
      {TestPatch().data(2, "ab").truncate(20), 20},    // longer
      {TestPatch().data(20, "xyz").truncate(21), 21},  // after a record that lengthens
      {TestPatch().data(20, "xyz").truncate(30), 30},  // longer than the lengthened file
      {TestPatch().run(10, 12, 'r').truncate(0), 0},   // to nothing
      {TestPatch().data(0, "Q").truncate(0x123456), 0x123456},
  };
  for (const auto& [patch, size] : cases) {
    SCOPED_TRACE(size);
    setRom(rom);
    setPatch(patch.bytes());
    host.log.clear();
    ApplyIps(ws);
    ASSERT_EQ(ws.RomImage.size(), size);
    EXPECT_EQ(ws.RomImage, patch.appliedTo(rom));
    EXPECT_EQ(host.log.front(),
              W("Размер ROM задан IPS файлом: ") + Digits(static_cast<std::int64_t>(size)) + W(" байт"));
  }
  // Two or four bytes after "EOF" are no size.
  for (const std::string& tail : {Bytes({0, 0}), Bytes({0, 0, 0, 4})}) {
    setRom(rom);
    setPatch("PATCHEOF" + tail);
    ApplyIps(ws);
    EXPECT_EQ(ws.RomImage, rom);
  }
}

TEST_F(ApplyIpsTest, PatchWithoutTrailerAppliesEveryWholeRecord) {
  setRom("abcdef");
  setPatch(TestPatch().data(0, "A").run(4, 2, 'R').bytes(false));
  ApplyIps(ws);
  EXPECT_EQ(ws.RomImage, "AbcdRR");
  EXPECT_FALSE(logged(IpsCutShortWarning()));
  EXPECT_TRUE(ws.RomChanged);
}

TEST_F(ApplyIpsTest, RecordHeaderCutShortEndsTheScanWithAWarning) {
  for (size_t left = 1; left <= 4; ++left) {
    setRom("abcdef");
    setPatch(TestPatch().data(0, "A").bytes(false) + Bytes({0, 0, 3, 0}).substr(0, left));
    host.log.clear();
    ApplyIps(ws);
    EXPECT_EQ(ws.RomImage, "Abcdef") << left;
    EXPECT_TRUE(logged(IpsCutShortWarning())) << left;
    EXPECT_TRUE(ws.RomChanged);
  }
}

TEST_F(ApplyIpsTest, RunLengthRecordWithoutItsThreeBytesWritesNothing) {
  setRom("abcdef");
  setPatch(TestPatch().data(0, "A").bytes(false) + Bytes({0, 0, 2, 0, 0, 0, 3}));
  ApplyIps(ws);
  EXPECT_EQ(ws.RomImage, "Abcdef");
  EXPECT_TRUE(logged(IpsCutShortWarning()));
}

TEST_F(ApplyIpsTest, DataCutShortWritesWhatItHasAtItsStatedLength) {
  setRom("abcdefgh");
  setPatch("PATCH" + Bytes({0, 0, 6, 0, 4}) + "XY");
  ApplyIps(ws);
  EXPECT_EQ(ws.RomImage, "abcdefXY  ");
  EXPECT_TRUE(logged(IpsCutShortWarning()));
  expectProgressSane();
}

TEST_F(ApplyIpsTest, OffsetSpellingEofEndsTheScan) {
  setRom("abc");
  setPatch(TestPatch().data(0x454F46, "never").data(0, "A").bytes());
  ApplyIps(ws);
  EXPECT_EQ(ws.RomImage, "abc");
}

TEST_F(ApplyIpsTest, PatchStaysAsLoadedAndAppliesAgainTheSame) {
  const std::string patch = TestPatch().data(1, "12").run(5, 3, '!').data(30, "end").bytes();
  setRom(Pattern(20));
  setPatch(patch);
  ApplyIps(ws);
  const Text once(ws.RomImage);
  ApplyIps(ws);
  EXPECT_EQ(ws.IpsImage, patch);
  EXPECT_EQ(ws.RomImage, once);
  EXPECT_EQ(once, TestPatch::parse(patch).appliedTo(Pattern(20)));
  expectProgressSane();
}

// Patches of many overlapping records of both kinds, inside and beyond the ROM, against
// the tests' own applier.
TEST_F(ApplyIpsTest, RandomPatchesMatchTheReferenceApplier) {
  std::mt19937 rng(20261207);
  for (int round = 0; round < 200; ++round) {
    const std::string rom = Pattern(rng() % 3000, round);
    TestPatch patch;
    const int records = static_cast<int>(rng() % 40);
    for (int i = 0; i < records; ++i) {
      const std::uint32_t offset = rng() % 4000;
      if (rng() % 3 == 0)
        patch.run(offset, rng() % 300, static_cast<unsigned char>(rng()));
      else
        patch.data(offset, Pattern(1 + rng() % 200, rng()));
    }
    setRom(rom);
    setPatch(patch.bytes());
    ApplyIps(ws);
    ASSERT_EQ(ws.RomImage, patch.appliedTo(rom)) << "round " << round;
  }
}

// A real patch made by another tool: 40 records, 7 of them run-length, applied to an
// image of the length it was made for.
TEST_F(ApplyIpsTest, CorpusPatchAppliesAsItsMakerIntended) {
  const std::string bytes = ReadBytes(TestData("neshacker_ZeldaWarriorPrincess.ips"));
  const TestPatch reference = TestPatch::parse(bytes);
  ASSERT_EQ(reference.records().size(), 40u);
  ASSERT_EQ(std::count_if(reference.records().begin(), reference.records().end(), [](auto& r) { return r.rle; }), 7);

  const std::string rom = Pattern(131088, 3);
  setRom(rom);
  ws.IPSFileName = FromNativePath(TestData("neshacker_ZeldaWarriorPrincess.ips"));
  LoadIps(ws);
  ASSERT_TRUE(ws.IpsLoaded);
  ApplyIps(ws);
  const std::string expected = reference.appliedTo(rom);
  ASSERT_EQ(ws.RomImage.size(), rom.size());
  EXPECT_EQ(ws.RomImage, expected);
  // The first record, read off the file by hand: 32 bytes at 0x4E44.
  EXPECT_EQ(Text(std::string_view(ws.RomImage)).substr(0x4E44, 4), Bytes({0x07, 0x06, 0x07, 0x1E}));
  for (const auto& r : reference.records())
    if (r.rle) {
      EXPECT_EQ(Text(std::string_view(ws.RomImage)).substr(r.offset, r.run), std::string(r.run, static_cast<char>(r.fill)));
    }
}

}  // namespace
