#include <gtest/gtest.h>

#include <random>

#include "processing/LineBreaks.h"

namespace {

// The merges' documented procedure, literally: replace CR LF CR LF by CR LF, all
// occurrences left to right, until none is left.
Text NaiveCollapse(Text text) {
  for (;;) {
    Text out;
    size_t from = 0;
    for (size_t at; (at = text.find("\r\n\r\n", from)) != Text::npos; from = at + 4)
      out += text.substr(from, at - from) + "\r\n";
    out += text.substr(from);
    if (out == text) return out;
    text = std::move(out);
  }
}

TEST(CollapseLineBreaks, AgreesWithRepeatedReplacementOnStrayCrAndLf) {
  std::mt19937 rng(9);
  const char alphabet[] = {'\r', '\n', 'a'};
  for (int round = 0; round < 5000; ++round) {
    Text text;
    for (size_t n = rng() % 14; n > 0; --n) text += alphabet[rng() % 3];
    ASSERT_EQ(CollapseLineBreaks(text), NaiveCollapse(text)) << round;
  }
}

TEST(SqueezeLineBreaks, KeepsALeadingEmptyLineAndDropsOneFinalBreak) {
  EXPECT_EQ(SplitAtCrLf(SqueezeLineBreaks("\r\n\r\na\r\n\r\nb\r\n\r\n")), (std::vector<Text>{"", "a", "b"}));
  EXPECT_EQ(SplitAtCrLf(SqueezeLineBreaks("\r\n\r\n")), std::vector<Text>{""});
  EXPECT_EQ(SplitAtCrLf("a\r\n"), (std::vector<Text>{"a", ""}));
  EXPECT_EQ(SplitAtCrLf("a\rb\nc"), std::vector<Text>{"a\rb\nc"});
}

}  // namespace
