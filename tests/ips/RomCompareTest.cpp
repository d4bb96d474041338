#include <gtest/gtest.h>

#include <random>

#include "IpsFixture.h"
#include "TestPatch.h"
#include "ips/IpsFile.h"
#include "ips/RomCompare.h"

namespace {

// What every patch made by comparison must hold to, besides giving the output.
void ExpectWellFormed(const TestPatch& patch) {
  for (const TestRecord& r : patch.records()) {
    EXPECT_NE(r.offset, 0x454F46u);
    EXPECT_LE(r.offset, 0xFFFFFFu);
    const size_t n = r.rle ? r.run : r.bytes.size();
    EXPECT_GE(n, 1u);
    EXPECT_LE(n, 65535u);
    if (r.rle || r.offset + n > 0xFFFFFF) continue;
    // Sixteen equal bytes in a row belong in a run-length record.
    for (size_t i = 0; i + 16 <= r.bytes.size(); ++i)
      EXPECT_NE(r.bytes.substr(i, 16), std::string(16, r.bytes[i])) << r.offset + i;
  }
}

std::string ApplyIpsDiff(const std::string& input, const std::string& output) {
  const IpsDiff diff = CreateIpsFromRoms(input, output);
  EXPECT_EQ(diff.refusal, IpsDiffRefusal::None);
  const TestPatch parsed = TestPatch::parse(diff.patch);
  EXPECT_EQ(parsed.records().size(), diff.records);
  ExpectWellFormed(parsed);
  return parsed.appliedTo(input);
}

TEST(CompareRomsIps, RandomPairsGiveTheOutput) {
  std::mt19937 rng(77);
  for (int i = 0; i < 400; ++i) {
    std::string input = Pattern(rng() % 4000, static_cast<unsigned>(i));
    std::string output = input;
    for (unsigned e = rng() % 30; e > 0 && !output.empty(); --e) {
      const size_t at = rng() % output.size();
      const size_t len = std::min<size_t>(output.size() - at, 1 + rng() % 100);
      output.replace(at, len, rng() % 2 ? Pattern(len, rng()) : std::string(len, static_cast<char>(rng())));
    }
    output += Pattern(rng() % 3 ? 0 : rng() % 300, rng());
    // A third of the outputs are shorter than their inputs: the size after "EOF" cuts them.
    if (rng() % 3 == 0) output.resize(rng() % (input.size() + 1));
    EXPECT_EQ(ApplyIpsDiff(input, output), output);
  }
  const IpsDiff same = CreateIpsFromRoms("abc", "abc");
  EXPECT_EQ(same.patch, "PATCHEOF");
  EXPECT_EQ(same.records, 0u);
}

// Around the offset that reads as "EOF" and the 16 MiB a record can start below.
TEST(CompareRomsIps, FarOffsetsAndRefusals) {
  const std::string input = Pattern((16u << 20) + 80000);
  const auto changed = [&](size_t at, const std::string& bytes) {
    std::string out = input;
    out.replace(at, bytes.size(), bytes);
    return out;
  };
  for (const std::string& output :
       {changed(0x454F46, "x"), changed(0x454F46, std::string(40, 'r')), changed(0x454F40, std::string(70000, 'q')),
        changed(0xFFFFF0, "near"), changed(0x1000000 + 100, "far"), changed(0xFFFFFF, "edge")}) {
    EXPECT_EQ(ApplyIpsDiff(input, output), output);
  }
  EXPECT_EQ(CreateIpsFromRoms(input, changed(0x1000000 + 70000, "x")).refusal, IpsDiffRefusal::BeyondReach);
  EXPECT_EQ(CreateIpsFromRoms(input, input + "grown").refusal, IpsDiffRefusal::BeyondReach);
  EXPECT_EQ(CreateIpsFromRoms(input, input.substr(1)).refusal, IpsDiffRefusal::Shorter);
}

TEST_F(IpsTest, CompareRomsToIpsAsksForTheBpsOnlyWhenNeeded) {
  WriteBytes(b.dir.path() / "a.gb", "same bytes");
  WriteBytes(b.dir.path() / "b.gb", "same");
  ws.OutputIPSFileName = b.dir.file("d.ips");
  ws.OutputBPSFileName = b.dir.file("d.bps");
  CompareRomsToIps(ws, b.dir.file("a.gb"), b.dir.file("a.gb"));
  EXPECT_EQ(ReadBytes(b.dir.path() / "d.ips"), "PATCHEOF");
  EXPECT_TRUE(logged(W("ROM файлы одинаковые, в IPS только PATCH и EOF")));
  EXPECT_TRUE(host.messages.empty());
  // A shorter output is an IPS that cuts the file, applied back to the output.
  CompareRomsToIps(ws, b.dir.file("a.gb"), b.dir.file("b.gb"));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(ReadBytes(b.dir.path() / "d.ips"), "PATCHEOF" + Bytes({0, 0, 4}));
  setRom("same bytes");
  setPatch(ReadBytes(b.dir.path() / "d.ips"));
  ApplyIps(ws);
  EXPECT_EQ(ws.RomImage, "same");
  // Past 16 MiB the size cannot be written: the question offers the BPS (and gets No).
  const std::string big = Pattern((16u << 20) + 8);
  WriteBytes(b.dir.path() / "big.gb", big);
  WriteBytes(b.dir.path() / "cut.gb", big.substr(0, big.size() - 1));
  CompareRomsToIps(ws, b.dir.file("big.gb"), b.dir.file("cut.gb"));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].text.find(W("короче")), Text::npos);
  EXPECT_FALSE(std::filesystem::exists(b.dir.path() / "d.bps"));
  EXPECT_EQ(ReadBytes(b.dir.path() / "d.ips"), "PATCHEOF" + Bytes({0, 0, 4}));
  // Empty files compare as equal; a missing one is reported and nothing is written.
  WriteBytes(b.dir.path() / "e.gb", "");
  ws.OutputIPSFileName = b.dir.file("e.ips");
  CompareRomsToIps(ws, b.dir.file("e.gb"), b.dir.file("e.gb"));
  EXPECT_EQ(ReadBytes(b.dir.path() / "e.ips"), "PATCHEOF");
  ws.OutputBPSFileName = b.dir.file("m.bps");
  CompareRomsToBps(ws, b.dir.file("e.gb"), b.dir.file("missing.gb"));
  EXPECT_FALSE(std::filesystem::exists(b.dir.path() / "m.bps"));
  EXPECT_EQ(host.failures, 1);
}

}  // namespace
