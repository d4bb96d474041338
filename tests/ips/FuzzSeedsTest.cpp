// The fuzz target runs in the ordinary suite on the inputs that once were hard cases,
// so it keeps compiling and its checks keep holding between fuzzing runs.
#include <gtest/gtest.h>

#include "../fuzz/IpsFuzz.cpp"
#include "TestPatch.h"

namespace {

void Feed(const std::string& input) {
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

TEST(IpsFuzzSeedsTest, HardInputsKeepTheTargetsChecks) {
  const std::string whole = TestPatch().data(3, "Hello").run(70, 9, 'x').data(0xFFFFFF, "far").bytes();
  for (size_t n = 0; n <= whole.size(); ++n) Feed(whole.substr(0, n));
  Feed("PATCH" + Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + std::string(0xFFFF, 'A') + "EOF");
  Feed("PATCH" + Bytes({0xFF, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0}));
  Feed("PATCH" + Bytes({0x45, 0x4F, 0x46, 0, 1, 'z'}));
  Feed("PATC");
  Feed("");
  SUCCEED();
}

}  // namespace

// The BPS target under its own name, beside the IPS one in this program.
#define LLVMFuzzerTestOneInput BpsFuzzTestOneInput
#include "../fuzz/BpsFuzz.cpp"
#undef LLVMFuzzerTestOneInput
#include "TestBps.h"

namespace {

void FeedBps(const std::string& input) {
  BpsFuzzTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

TEST(BpsFuzzSeedsTest, HardInputsKeepTheTargetsChecks) {
  const std::string src = "source bytes";
  // SourceCopy back and forth, an overlapping TargetCopy, then the rest read in place.
  const std::string moves = TestAction(2, 3) + TestNumber(7 << 1) + TestAction(2, 2) + TestNumber(5 << 1 | 1) +
                            TestAction(3, 4) + TestNumber(4 << 1) + TestAction(0, 3);
  const std::string whole = TestBpsFrame(src, "byte     tes", moves);
  ASSERT_EQ(TestApply(whole, src), "byte     tes");
  for (size_t n = 0; n <= whole.size(); ++n) FeedBps(whole.substr(0, n));
  // A target of 2^62 bytes stated by a patch of a few bytes.
  FeedBps(TestBpsFrame("", std::string(1, 'x'),
                       TestAction(1, 1) + "x" + TestAction(3, std::uint64_t{1} << 62) + TestNumber(0)));
  FeedBps("BPS1" + std::string(20, '\xFF'));
  FeedBps("");
  SUCCEED();
}

}  // namespace
