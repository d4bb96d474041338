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
