#include <gtest/gtest.h>

#include <random>

#include "textio/TextRuns.h"

namespace {

using Runs = std::vector<std::pair<size_t, size_t>>;

// The plain definition: every maximal run of text bytes at least minLength long.
Runs NaiveRuns(const std::string& image, const std::array<bool, 256>& isText, size_t minLength) {
  Runs runs;
  for (size_t i = 0; i < image.size();) {
    if (!isText[static_cast<unsigned char>(image[i])]) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < image.size() && isText[static_cast<unsigned char>(image[end])]) ++end;
    if (end - i >= std::max<size_t>(minLength, 1)) runs.emplace_back(i, end);
    i = end;
  }
  return runs;
}

Runs FoundRuns(const std::string& image, const std::array<bool, 256>& isText, size_t minLength) {
  Runs runs;
  TextRunFinder(image, isText, minLength).forEachRun([&](size_t s, size_t e) { runs.emplace_back(s, e); });
  return runs;
}

std::array<bool, 256> Codes(int first, int last) {
  std::array<bool, 256> t{};
  for (int c = first; c <= last; ++c) t[static_cast<size_t>(c)] = true;
  return t;
}

// The tables both ways of building the mask meet: one block of codes, a few blocks, and
// codes scattered over the whole range.
std::vector<std::array<bool, 256>> Tables() {
  std::vector<std::array<bool, 256>> tables{Codes(0x20, 0x7E), Codes(0x00, 0xFF), Codes(0x80, 0xFF)};
  auto blocks = Codes(0x41, 0x5A);
  for (int c : {0x20, 0x09, 0xC0, 0xC1, 0xFF}) blocks[static_cast<size_t>(c)] = true;
  tables.push_back(blocks);
  std::mt19937 rng(5);
  std::array<bool, 256> scattered{};
  for (auto& b : scattered) b = rng() % 3 == 0;
  tables.push_back(scattered);
  return tables;
}

TEST(TextRunFinder, FindsTheSameRunsAsTheByteByByteDefinition) {
  std::mt19937 rng(1);
  for (const auto& table : Tables()) {
    // Sizes around the 64-byte words, and images whose runs are long, short or absent.
    for (size_t size : {0, 1, 2, 63, 64, 65, 127, 128, 129, 1000, 4099}) {
      for (int density : {0, 30, 80, 100}) {
        std::string image(size, '\0');
        std::vector<char> text, other;
        for (int b = 0; b < 256; ++b) (table[static_cast<size_t>(b)] ? text : other).push_back(static_cast<char>(b));
        for (auto& c : image) {
          const bool wantText = static_cast<int>(rng() % 100) < density;
          const auto& pool = (wantText && !text.empty()) || other.empty() ? text : other;
          c = pool[rng() % pool.size()];
        }
        for (size_t minLength : {0, 1, 2, 3, 4, 7, 31, 32, 33, 64, 65, 200})
          ASSERT_EQ(FoundRuns(image, table, minLength), NaiveRuns(image, table, minLength))
              << "size " << size << " density " << density << " min " << minLength;
      }
    }
  }
}

}  // namespace
