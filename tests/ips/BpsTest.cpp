#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "IpsFixture.h"
#include "TestBps.h"
#include "ips/Bps.h"
#include "ips/BpsFile.h"
#include "textio/Insertion.h"
#include "workspace/Errors.h"
#include "workspace/Rom.h"

namespace {

using Rng = std::mt19937_64;

std::string RandomBytes(Rng& rng, size_t n) {
  std::string out(n, '\0');
  for (auto& c : out) c = static_cast<char>(rng());
  return out;
}

// A target made from the source the ways a ROM changes: edits in place (new bytes and
// runs of one byte), growth, shrinking, or something else entirely.
std::string Changed(Rng& rng, const std::string& source) {
  std::string t = source;
  const auto pick = [&rng](size_t n) { return n == 0 ? 0 : static_cast<size_t>(rng() % n); };
  const size_t edits = pick(40);
  for (size_t e = 0; e < edits && !t.empty(); ++e) {
    const size_t at = pick(t.size());
    const size_t len = std::min(t.size() - at, 1 + pick(rng() % 4 == 0 ? 300 : 16));
    if (rng() % 3 == 0)
      t.replace(at, len, std::string(len, static_cast<char>(rng())));
    else
      t.replace(at, len, RandomBytes(rng, len));
  }
  switch (rng() % 5) {
    case 0: t += RandomBytes(rng, pick(500)); break;
    case 1: t += std::string(pick(500), static_cast<char>(rng())); break;
    case 2: t.resize(pick(t.size() + 1)); break;
    case 3:
      if (rng() % 4 == 0) t = RandomBytes(rng, pick(2000));
      break;
    default: break;
  }
  return t;
}

void ExpectRoundTrip(const std::string& source, const std::string& target, bool reference = true) {
  const Text patch = CreateBps(source, target);
  const BpsPatch read = ReadBpsPatch(patch);
  EXPECT_EQ(read.sourceSize, source.size());
  EXPECT_EQ(read.targetSize, target.size());
  EXPECT_EQ(read.sourceCrc, TestCrc(source));
  EXPECT_EQ(read.targetCrc, TestCrc(target));
  EXPECT_TRUE(read.metadata.empty());
  EXPECT_NO_THROW(CheckBpsActions(read));
  EXPECT_EQ(ApplyBpsPatch(read, source), target);
  // The tests' own applier agrees, so the encoder is right by the format, not only by our reader.
  if (reference) {
    EXPECT_EQ(TestApply(patch, source), target);
  }
  // Linear: never more than the new bytes plus a few header bytes per change.
  EXPECT_LE(patch.size(), 4 + 30 + 12 + target.size() + target.size() / 2 + 8);
}

TEST(BpsFormat, NumbersHaveOneEncodingEach) {
  const std::pair<std::uint64_t, std::string> cases[] = {{0, "\x80"},
                                                         {127, "\xFF"},
                                                         {128, std::string("\x00\x80", 2)},
                                                         {16511, "\x7F\xFF"},
                                                         {16512, std::string("\x00\x00\x80", 3)}};
  for (const auto& [n, bytes] : cases) {
    Text out;
    AppendBpsNumber(out, n);
    EXPECT_EQ(out, bytes) << n;
  }
  for (std::uint64_t n : {std::uint64_t{0}, std::uint64_t{1} << 35, UINT64_MAX - 1, UINT64_MAX}) {
    Text out;
    AppendBpsNumber(out, n);
    EXPECT_EQ(out, TestNumber(n));
    // A header carrying the number as the source size reads it back.
    const std::string patch = "BPS1" + out + TestNumber(0) + TestNumber(0);
    EXPECT_EQ(ReadBpsPatch(patch + TestLe32(0) + TestLe32(0) + TestLe32(TestCrc(patch + TestLe32(0) + TestLe32(0))))
                  .sourceSize,
              n);
  }
}

TEST(BpsFormat, RandomPairsRoundTrip) {
  Rng rng(1234);
  for (int i = 0; i < 600; ++i) {
    const std::string source = RandomBytes(rng, static_cast<size_t>(rng() % (i % 10 == 0 ? 5 : 3000)));
    ExpectRoundTrip(source, Changed(rng, source));
  }
  ExpectRoundTrip("", "");
  ExpectRoundTrip("abc", "");
  ExpectRoundTrip("", std::string(100, 'z'));
}

TEST(BpsFormat, Large32MiBPairRoundTrips) {
  Rng rng(99);
  std::string source = RandomBytes(rng, 1u << 20);
  while (source.size() < (32u << 20)) source += source;
  std::string target = source;
  for (int e = 0; e < 2000; ++e) {
    const size_t n = 1 + rng() % 64;
    target.replace(rng() % (target.size() - n), n, RandomBytes(rng, n));
  }
  target += std::string(70000, '\0');
  ExpectRoundTrip(source, target, false);
}

// CRCs of pieces combine into the CRC of the whole; an image's CRC summed in halves on two
// threads equals the plain one.
TEST(BpsFormat, ChecksumsOfPiecesCombine) {
  Rng rng(7);
  const std::string data = RandomBytes(rng, (9u << 20) + 3);
  EXPECT_EQ(Crc32OfImage(data), TestCrc(data));
  EXPECT_EQ(Crc32Behind(data).get(), TestCrc(data));
  for (int i = 0; i < 300; ++i) {
    const std::string piece = data.substr(rng() % 1000, rng() % 5000);
    const size_t cut = rng() % (piece.size() + 1);
    EXPECT_EQ(Crc32Combine(Crc32(piece.substr(0, cut)), Crc32(piece.substr(cut)), piece.size() - cut), TestCrc(piece))
        << piece.size() << " cut at " << cut;
  }
}

// The smallest size of the actions of any patch made of SourceReads and TargetReads alone,
// over every way of cutting the target into them.
size_t SmallestReadActions(const std::string& source, const std::string& target) {
  std::vector<size_t> best(target.size() + 1, SIZE_MAX);
  best[0] = 0;
  for (size_t from = 0; from < target.size(); ++from) {
    bool agrees = true;
    for (size_t to = from + 1; to <= target.size(); ++to) {
      const size_t n = to - from;
      agrees = agrees && to <= source.size() && source[to - 1] == target[to - 1];
      if (agrees) best[to] = std::min(best[to], best[from] + TestNumber((n - 1) << 2).size());
      best[to] = std::min(best[to], best[from] + TestNumber(((n - 1) << 2) | 1).size() + n);
    }
  }
  return best.back();
}

// Pairs of few byte values, so that short agreeing stretches abound, and of lengths that
// cross the header sizes' limits; none with a run the encoder would copy.
TEST(BpsFormat, LinearPatchIsTheSmallestOfReadsAlone) {
  Rng rng(77);
  int checked = 0;
  for (int i = 0; i < 1500; ++i) {
    const auto value = [&] { return static_cast<char>('a' + rng() % 6); };
    std::string source(rng() % 180, '\0');
    for (auto& c : source) c = value();
    std::string target = source;
    target.resize(i % 4 == 0 ? rng() % 200 : source.size(), 'a');
    const unsigned changePercent = std::array{3u, 15u, 40u, 70u, 95u}[rng() % 5];
    for (auto& c : target)
      if (rng() % 100 < changePercent) c = value();
    if (target.find("aaaaa") != std::string::npos || target.find("bbbbb") != std::string::npos ||
        target.find("ccccc") != std::string::npos || target.find("ddddd") != std::string::npos ||
        target.find("eeeee") != std::string::npos || target.find("fffff") != std::string::npos)
      continue;
    const size_t frame = 4 + TestNumber(source.size()).size() + TestNumber(target.size()).size() + 1 + 12;
    ASSERT_LE(CreateBps(source, target).size(), frame + SmallestReadActions(source, target))
        << source << " -> " << target;
    ++checked;
  }
  EXPECT_GT(checked, 1000);

  // Beyond 4,128 new bytes a TargetRead's header takes 3 bytes: three agreeing bytes
  // between two such stretches are cheaper written over than as a SourceRead. (Random
  // bytes: nothing in them repeats for a copy to take.)
  std::string source(10003, '\0');
  const std::string target = RandomBytes(rng, 10003);
  for (size_t i = 0; i < target.size(); ++i) {
    source[i] = static_cast<char>(i >= 5000 && i < 5003 ? target[i] : target[i] ^ 0x40);
  }
  const size_t frame = 4 + 2 * TestNumber(10003).size() + 1 + 12;
  EXPECT_EQ(CreateBps(source, target).size(), frame + TestNumber(((10003 - 1) << 2) | 1).size() + 10003);
}

TEST(BpsFormat, RepeatedBytesBecomeTargetCopies) {
  const std::string source(1000, 'a');
  std::string target = source;
  target.replace(100, 500, std::string(500, 'b'));
  const Text patch = CreateBps(source, target);
  EXPECT_LT(patch.size(), 40u);
  EXPECT_EQ(ApplyBpsPatch(ReadBpsPatch(patch), source), target);
}

// A target made from the source the ways a translation moves data: blocks taken from
// anywhere in the source, blocks of the target repeated, words of a small vocabulary,
// runs of one byte and new bytes. `budget` is what a patch that finds every block may
// spend: each block a few action bytes, every new byte itself.
struct DeltaPair {
  std::string source;
  std::string target;
  size_t budget = 0;
};

DeltaPair MovedAndRepeated(Rng& rng, size_t sourceSize, size_t targetSize) {
  DeltaPair pair;
  pair.source = RandomBytes(rng, sourceSize);
  std::vector<std::string> words;
  for (int i = 0; i < 40; ++i) words.push_back(RandomBytes(rng, 12 + rng() % 20));
  std::string& t = pair.target;
  const auto pick = [&rng](size_t n) { return static_cast<size_t>(rng() % n); };
  while (t.size() < targetSize) {
    const size_t length = 64 + pick(std::min<size_t>(4000, targetSize));
    switch (rng() % 5) {
      case 0:
        if (pair.source.size() > length) {
          t += pair.source.substr(pick(pair.source.size() - length), length);
          pair.budget += 16;
          break;
        }
        [[fallthrough]];
      case 1:
        if (t.size() > length) {
          t += t.substr(pick(t.size() - length), length);
          pair.budget += 16;
          break;
        }
        [[fallthrough]];
      case 2: {
        const std::string bytes = RandomBytes(rng, 1 + pick(100));
        t += bytes;
        pair.budget += bytes.size() + 16;
        break;
      }
      case 3:
        t += std::string(length, static_cast<char>(rng()));
        pair.budget += 16;
        break;
      default:
        for (int w = 0; w < 8; ++w) t += words[pick(words.size())];
        pair.budget += 8 * 32;
        break;
    }
  }
  t.resize(targetSize);
  pair.budget += 4 + 30 + 12;
  return pair;
}

// Patches of the delta encoder apply exactly, by our applier and by the tests' own, and
// find every moved or repeated block: far below what new bytes would cost.
TEST(BpsFormat, MovedAndRepeatedBlocksBecomeCopies) {
  Rng rng(2718);
  for (int i = 0; i < 200; ++i) {
    const size_t sourceSize = static_cast<size_t>(rng() % (i % 20 == 0 ? 100 : 60000));
    const size_t targetSize = static_cast<size_t>(rng() % (i % 25 == 0 ? 100 : 90000));
    const DeltaPair pair = MovedAndRepeated(rng, sourceSize, targetSize);
    const Text patch = CreateBps(pair.source, pair.target);
    ASSERT_EQ(ApplyBpsPatch(ReadBpsPatch(patch), pair.source), pair.target) << i;
    ASSERT_EQ(TestApply(patch, pair.source), pair.target) << i;
    EXPECT_LE(patch.size(), pair.budget) << i;
  }
}

// The edits of a translation on an image with the text shifted after them: a byte
// inserted is a byte and one copy of the rest; a run of one byte is one copy however
// often the source holds that byte under it.
TEST(BpsFormat, ShiftedImagesAndRunsCostAFewBytes) {
  Rng rng(31);
  const std::string source = RandomBytes(rng, 1u << 20);
  std::string inserted = source;
  inserted.insert(0x1000, 1, 'Q');
  EXPECT_LE(CreateBps(source, inserted).size(), 40u);
  EXPECT_EQ(TestApply(CreateBps(source, inserted), source), inserted);
  std::string removed = source;
  removed.erase(0x2000, 3);
  EXPECT_LE(CreateBps(source, removed).size(), 45u);
  EXPECT_EQ(TestApply(CreateBps(source, removed), source), removed);

  std::string spotted = source.substr(0, 2000);
  for (size_t i = 500; i < 900; i += 7 + i % 13) spotted[i] = 'Z';
  std::string run = spotted;
  std::fill(run.begin() + 500, run.begin() + 900, 'Z');
  const Text patch = CreateBps(spotted, run);
  EXPECT_EQ(TestApply(patch, spotted), run);
  // The frame, SourceRead, one new byte, the copy of it, SourceRead.
  EXPECT_LE(patch.size(), 4 + 2 + 2 + 1 + 12 + 2 + 2 + 4 + 2u);
}

// Each bad patch is named and refused; what it claims is never built.
// A patch of a few bytes that claims a target of `size` bytes: one new byte, copied on.
std::string Claiming(std::uint64_t size, const std::string& source) {
  std::string out = "BPS1" + TestNumber(source.size()) + TestNumber(size) + TestNumber(0) + TestAction(1, 1) + "x" +
                    TestAction(3, size - 1) + TestNumber(0);
  out += TestLe32(TestCrc(source)) + TestLe32(0);
  return out + TestLe32(TestCrc(out));
}

TEST(BpsFormat, BadPatchesAreRefusedWithTheirFault) {
  const std::string src = "0123456789";
  const std::string tgt = "0123X56789";
  const std::string reads = TestAction(0, 4) + TestAction(1, 1) + "X" + TestAction(0, 5);
  struct Case {
    std::string patch;
    const char* fault;
  };
  std::string overflow = "BPS1" + std::string(10, '\x7F') + "\x80" + TestNumber(0) + TestNumber(0);
  overflow += TestLe32(0) + TestLe32(0);
  overflow += TestLe32(TestCrc(overflow));
  const Case cases[] = {
      {"BPS2" + TestBpsFrame(src, tgt, reads).substr(4), "это не BPS файл"},
      {"BPS1", "файл обрезан"},
      {overflow, "число не помещается в 64 бита"},
      {TestBpsFrame(src, tgt, TestAction(0, 11)), "пишет за концом результата"},
      {TestBpsFrame(src, src + "!", TestAction(0, 11)), "читает за концом исходного файла"},
      {TestBpsFrame(src, tgt, TestAction(2, 2) + TestNumber(1 << 1 | 1)), "до его начала"},
      {TestBpsFrame(src, tgt, TestAction(2, 3) + TestNumber(9 << 1)), "копирование читает за концом"},
      {TestBpsFrame(src, tgt, TestAction(3, 1) + TestNumber(0)), "еще не записанные"},
      {TestBpsFrame(src, tgt, TestAction(1, 1) + "0" + TestAction(3, 1) + TestNumber(2)), "еще не записанные"},
      {TestBpsFrame(src, tgt, TestAction(0, 4)), "кончились раньше"},
      {TestBpsFrame(src, tgt, TestAction(1, 5) + "01"), "обрезан посреди новых байтов"},
      {TestBpsFrame(src, tgt, std::string(1, '\x01')), "обрезан посреди числа"},
      {Claiming(std::uint64_t{1} << 30, src), "больше 64 МБ"},
      {Claiming((std::uint64_t{64} << 20) + 1, src), "больше 64 МБ"},
  };
  for (const Case& c : cases) {
    try {
      CheckBpsActions(ReadBpsPatch(c.patch));
      ADD_FAILURE() << c.fault;
    } catch (const OperationError& e) {
      EXPECT_EQ(e.number(), kErrBadBps);
      EXPECT_NE(e.description().find(W(c.fault)), Text::npos) << c.fault << ": " << cp1251::ToUtf8(e.description());
    }
  }
  EXPECT_NO_THROW(CheckBpsActions(ReadBpsPatch(Claiming(std::uint64_t{64} << 20, src))));
  // Cut anywhere or any byte changed: the patch's own checksum catches it.
  const std::string good = TestBpsFrame(src, tgt, reads);
  ASSERT_EQ(ApplyBpsPatch(ReadBpsPatch(good), src), tgt);
  for (size_t n = 0; n < good.size(); ++n) {
    EXPECT_THROW(ReadBpsPatch(good.substr(0, n)), OperationError) << n;
    std::string flipped = good;
    flipped[n] = static_cast<char>(flipped[n] ^ 0x10);
    EXPECT_THROW(ReadBpsPatch(flipped), OperationError) << n;
  }
}

class BpsOperations : public IpsTest {
 protected:
  // A ROM loaded from a file, so RomOriginalImage is what LoadRom kept.
  void loadRom(const std::string& bytes) {
    WriteBytes(b.dir.path() / "rom.gb", bytes);
    ws.InputRomFileName = b.dir.file("rom.gb");
    LoadRom(ws);
  }
  void commit(const std::string& bytes) {
    RomWorkBuffer(ws) = bytes;
    CommitRomWorkImage(ws);
  }
  std::string patchFile(const std::string& name) { return ReadBytes(b.dir.path() / name); }
  void applyFile(const std::string& patch) {
    WriteBytes(b.dir.path() / "p.bps", patch);
    ws.BPSFileName = b.dir.file("p.bps");
    ApplyBps(ws);
  }
};

TEST_F(BpsOperations, SaveBpsTakesTheRomAsLoadedToTheCurrentOne) {
  const std::string original = Pattern(5000);
  loadRom(original);
  ws.OutputBPSFileName = b.dir.file("same.bps");
  SaveBps(ws);  // nothing changed yet: a valid patch that changes nothing
  EXPECT_EQ(TestApply(patchFile("same.bps"), original), original);
  commit(original.substr(0, 100) + "new text" + original.substr(108) + "grown");
  commit(Text(std::string_view(ws.RomImage)).substr(0, 4000) + "x");
  EXPECT_EQ(RomOriginalImage(ws), original);
  ws.OutputBPSFileName = b.dir.file("changes.bps");
  SaveBps(ws);
  EXPECT_EQ(TestApply(patchFile("changes.bps"), original), ws.RomImage);
  EXPECT_TRUE(logged(W("BPS сохранен в ") + ws.OutputBPSFileName));
  // Another load replaces the original; a save that fixes the header does not touch it.
  std::string header = ReadBytes(TestData("flozz_hello.gb"));
  header[0x14F] = static_cast<char>(header[0x14F] ^ 1);
  loadRom(header);
  ws.FixHeaderChecksums = "YES";
  ws.OutputRomFileName = b.dir.file("fixed.gb");
  SaveRom(ws);
  EXPECT_NE(ws.RomImage, header);
  EXPECT_EQ(RomOriginalImage(ws), header);
}

TEST_F(BpsOperations, ApplyBpsCommitsOrChangesNothing) {
  const std::string original = Pattern(3000);
  const std::string changed = original.substr(0, 2000) + std::string(1500, '\xFF');
  loadRom(original);
  applyFile(CreateBps(original, changed));
  EXPECT_EQ(ws.RomImage, changed);
  EXPECT_EQ(RomWorkImage(ws), changed);
  EXPECT_TRUE(ws.RomChanged);

  // A bad patch, a ROM it was not made for with No, a target CRC that does not match:
  // the ROM stays as it was and RomChanged is not set.
  std::string badTarget = TestBpsFrame(changed, changed, TestAction(0, changed.size()));
  badTarget.replace(badTarget.size() - 8, 4, TestLe32(1));
  badTarget.replace(badTarget.size() - 4, 4, TestLe32(TestCrc(badTarget.substr(0, badTarget.size() - 4))));
  const std::string cut = CreateBps(changed, original);
  host.answers.push_back(Answer::No);
  // A claim of 1 GiB is refused before a byte of it is made.
  const std::string claim = Claiming(std::uint64_t{1} << 30, changed);
  for (const std::string& patch : {cut.substr(0, cut.size() - 1), CreateBps(original, changed), badTarget, claim}) {
    ws.RomChanged = false;
    applyFile(patch);
    EXPECT_EQ(ws.RomImage, changed);
    EXPECT_EQ(RomWorkImage(ws), changed);
    EXPECT_FALSE(ws.RomChanged);
  }
  EXPECT_EQ(host.failures, 3);
  EXPECT_TRUE(std::any_of(host.log.begin(), host.log.end(),
                          [](const Text& l) { return l.find(W("больше 64 МБ")) != Text::npos; }));
  // The wrong-ROM question names both ROMs; Yes applies all the same.
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text.find(W("BPS сделан для другого ROM. Применить всё равно?")), 0u);
  EXPECT_NE(host.messages[0].text.find("3000"), Text::npos);
  EXPECT_NE(host.messages[0].text.find("3500"), Text::npos);
  host.answers.push_back(Answer::Yes);
  applyFile(TestBpsFrame(original, "all new", TestAction(1, 7) + "all new"));
  EXPECT_EQ(ws.RomImage, "all new");
}

// Lines above 16 MiB, where no IPS record reaches: the patch gives the ROM that the
// insertion and a save give, and the workspace's images are not touched.
TEST_F(BpsOperations, PatchFromTranslationEqualsInsertedRom) {
  const std::string original = Pattern((16u << 20) + 4096);
  loadRom(original);
  setLetterTable();
  ws.PerevodArray = {"&H1000010 HELLO", "no space here", "5 AB", "&H1000F00 WORLD"};
  ws.PerevodLoaded = true;
  ws.OutputBPSFileName = b.dir.file("t.bps");
  GenerateBpsFromPerevod(ws);
  EXPECT_EQ(ws.RomImage, original);
  EXPECT_EQ(RomWorkImage(ws), original);
  EXPECT_FALSE(ws.RomChanged);
  ASSERT_TRUE(PutPerevodInRom(ws, 0));
  ws.OutputRomFileName = b.dir.file("saved.gb");
  SaveRom(ws);
  EXPECT_EQ(TestApply(patchFile("t.bps"), original), ReadBytes(b.dir.path() / "saved.gb"));

  // An insertion that stops part way writes no patch.
  ws.PerevodArray.push_back("&H2000000 FAR");
  ws.OutputBPSFileName = b.dir.file("none.bps");
  GenerateBpsFromPerevod(ws);
  EXPECT_FALSE(std::filesystem::exists(b.dir.path() / "none.bps"));
  EXPECT_EQ(host.failures, 1);
}

}  // namespace
