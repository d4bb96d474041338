#include <gtest/gtest.h>

#include <numeric>

#include "support/TestFiles.h"
#include "tools/HeaderChecksums.h"
#include "workspace/Rom.h"

namespace {

// The checksums as the hardware documents describe them, written without the program's code.
unsigned GbHeaderSum(const std::string& rom) {
  unsigned sum = 0;
  for (size_t i = 0x134; i <= 0x14C; ++i) sum += static_cast<unsigned char>(rom[i]) + 1u;
  return (256 - sum % 256) % 256;
}
unsigned GbGlobalSum(const std::string& rom) {
  unsigned long sum = std::accumulate(rom.begin(), rom.end(), 0ul,
                                      [](unsigned long s, char c) { return s + static_cast<unsigned char>(c); });
  sum -= static_cast<unsigned char>(rom[0x14E]) + static_cast<unsigned char>(rom[0x14F]);
  return static_cast<unsigned>(sum % 65536);
}
unsigned Stored(const std::string& rom, size_t at, int width) {
  unsigned v = 0;
  for (int i = 0; i < width; ++i) v = v * 256 + static_cast<unsigned char>(rom[at + static_cast<size_t>(i)]);
  return v;
}
bool GbaComplementRight(std::string_view rom) {
  unsigned sum = 0x19;
  for (size_t i = 0xA0; i <= 0xBD; ++i) sum += static_cast<unsigned char>(rom[i]);
  return sum % 256 == 0;
}

struct HeaderBench : TestBench {
  explicit HeaderBench(const std::string& file) {
    ws.InputRomFileName = TestData(file).string();
    LoadRom(ws);
    ws.OutputRomFileName = dir.file("out.rom");
  }
  void retitle(size_t at, const std::string& title) {
    ws.RomImage.replace(at, title.size(), title);
    DiscardRomWork(ws);
  }
  std::string saved() { return ReadBytes(dir.path() / "out.rom"); }
  bool logged(const std::string& start) const {
    for (const Text& line : host.log)
      if (line.rfind(W(start), 0) == 0) return true;
    return false;
  }
};

TEST(HeaderChecksums, TitleChangeOnARealGameBoyRomIsWarnedAboutAndFixed) {
  HeaderBench t("flozz_hello.gb");
  const std::string original(t.ws.RomImage);
  ASSERT_EQ(Stored(original, 0x14D, 1), GbHeaderSum(original)) << "the reference sums agree with a real header";
  ASSERT_EQ(Stored(original, 0x14E, 2), GbGlobalSum(original));

  SaveRom(t.ws);
  EXPECT_FALSE(t.logged("ПРЕДУПРЕЖДЕНИЕ")) << "a right header is not warned about";

  t.retitle(0x134, "TARVELLO");
  SaveRom(t.ws);
  EXPECT_TRUE(t.logged("ПРЕДУПРЕЖДЕНИЕ: контрольная сумма заголовка Game Boy (0x14D) не сходится"));
  EXPECT_EQ(t.saved(), t.ws.RomImage) << "without the setting the save writes the image as it is";

  t.ws.RomChanged = false;
  EXPECT_TRUE(FixHeaderChecksums(t.ws));
  const std::string fixed(t.ws.RomImage);
  EXPECT_EQ(Stored(fixed, 0x14D, 1), GbHeaderSum(fixed));
  EXPECT_EQ(Stored(fixed, 0x14E, 2), GbGlobalSum(fixed));
  EXPECT_EQ(fixed.substr(0x134, 8), "TARVELLO");
  EXPECT_EQ(RomWorkImage(t.ws), fixed);
  EXPECT_TRUE(t.ws.RomChanged);
  EXPECT_TRUE(t.logged("Исправлена контрольная сумма заголовка Game Boy (0x14D): "));
  EXPECT_TRUE(t.logged("Исправлена общая контрольная сумма Game Boy (0x14E): "));

  t.host.log.clear();
  FixHeaderChecksums(t.ws);
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("Контрольные суммы заголовка в порядке")}));
}

TEST(HeaderChecksums, TheSettingFixesOnEverySave) {
  HeaderBench t("scribbl_statcount.gb");
  t.ws.FixHeaderChecksums = "YES";
  t.retitle(0x134, "STATS");
  SaveRom(t.ws);
  const std::string out = t.saved();
  EXPECT_EQ(Stored(out, 0x14D, 1), GbHeaderSum(out));
  EXPECT_EQ(Stored(out, 0x14E, 2), GbGlobalSum(out));
  EXPECT_EQ(t.ws.RomImage, out) << "the committed image keeps the fix";
  EXPECT_FALSE(t.logged("ПРЕДУПРЕЖДЕНИЕ"));
}

TEST(HeaderChecksums, GbaComplementIsCheckedAndFixed) {
  HeaderBench t("jsmolka_hello.gba");
  ASSERT_TRUE(GbaComplementRight(t.ws.RomImage));
  t.retitle(0xA0, "TARVELLO");
  SaveRom(t.ws);
  EXPECT_TRUE(t.logged("ПРЕДУПРЕЖДЕНИЕ: контрольная сумма заголовка GBA (0xBD) не сходится"));
  FixHeaderChecksums(t.ws);
  EXPECT_TRUE(GbaComplementRight(t.ws.RomImage));
  EXPECT_TRUE(t.logged("Исправлена контрольная сумма заголовка GBA (0xBD): "));
}

TEST(HeaderChecksums, OtherImagesAreLeftAlone) {
  TestBench t;
  std::string image(0x200, '\x00');
  t.ws.RomImage = image;
  t.ws.RomLoaded = true;
  EXPECT_TRUE(FixHeaderChecksums(t.ws));
  EXPECT_EQ(t.ws.RomImage, image);
  EXPECT_FALSE(t.ws.RomChanged);
  EXPECT_EQ(t.host.log, (std::vector<Text>{W("Заголовок ни Game Boy, ни GBA: контрольные суммы не исправлялись")}));
  t.ws.RomLoaded = false;
  EXPECT_FALSE(FixHeaderChecksums(t.ws));
  EXPECT_EQ(t.host.log.back(), W("ROM еще не загружен"));
}

}  // namespace
