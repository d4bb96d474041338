#include <gtest/gtest.h>

#include <random>

#include "tools/CodeSearch.h"

namespace {

struct Case {
  std::string image, map, alphabet, sample;
  int firstCode = 0;
  bool freeOnly = false;
  CodeSearchRequest request() const { return {image, map, alphabet, sample, firstCode, freeOnly}; }
};

class RandomCases {
 public:
  explicit RandomCases(unsigned seed) : rng_(seed) {}

  Case next() {
    Case c;
    c.freeOnly = pick(2) == 0;
    c.alphabet = alphabet();
    c.firstCode = pick(3) == 0 ? pick(60) : 0;
    c.map = map(c);
    c.sample = sample(c);
    c.image = image(c);
    return c;
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  std::string alphabet() {
    switch (pick(4)) {
      case 0: return "abcdefghijklmnopqrstuvwxyz";
      case 1: return "0123456789";
      case 2: return " ";
      default: {
        std::string a;
        for (int len = 1 + pick(40); static_cast<int>(a.size()) < len;) {
          const char ch = static_cast<char>(1 + pick(255));
          if (a.find(ch) == std::string::npos) a += ch;
        }
        return a;
      }
    }
  }

  // Characters already known. A search that overwrites codes (letters) only ever runs
  // on maps that are empty from its first code on; a search over free codes runs on any.
  std::string map(const Case& c) {
    std::string m(256, '\0');
    const int known = pick(4) == 0 ? 0 : pick(40);
    const int limit = c.freeOnly ? 256 : c.firstCode;
    for (int i = 0; i < known && limit > 0; ++i)
      m[pick(limit)] = pick(2) ? c.alphabet[pick(c.alphabet.size())] : static_cast<char>(pick(256));
    if (pick(20) == 0 && limit > 0) m.assign(limit, 'x'), m.resize(256, '\0');
    return m;
  }

  std::string sample(const Case& c) {
    std::string s;
    for (int len = 1 + pick(7); static_cast<int>(s.size()) < len;) {
      switch (pick(6)) {
        case 0: s += static_cast<char>(pick(256)); break;  // also NUL, which the map's gaps carry
        case 1: s += c.map[pick(256)]; break;
        default: s += c.alphabet[pick(c.alphabet.size())];
      }
    }
    return s;
  }

  std::string encoded(const Case& c, int code) {
    const std::string m = PlaceAlphabet(c.map, c.alphabet, code);
    std::string out;
    for (char ch : c.sample) {
      const size_t at = m.find(ch);
      out += at == std::string::npos ? ch : static_cast<char>(at);
    }
    return out;
  }

  std::string image(const Case& c) {
    const int size = pick(5) == 0 ? pick(8) : pick(2000);
    const int range = 1 + pick(256);  // small ranges make chance matches likely
    std::string img(size, '\0');
    for (auto& b : img) b = static_cast<char>(pick(range));
    for (int planted = pick(4); planted > 0 && !img.empty(); --planted) {
      const std::string e = encoded(c, pick(257 - static_cast<int>(c.alphabet.size())));
      const size_t at = pick(static_cast<int>(img.size()));
      img.replace(at, std::min(e.size(), img.size() - at), e);
    }
    return img;
  }

  std::mt19937 rng_;
};

TEST(FindAlphabetCode, GivesTheOrderedSearchResult) {
  RandomCases cases(20261207);
  int found = 0;
  for (int i = 0; i < 3000; ++i) {
    const Case c = cases.next();
    const CodeSearchResult fast = FindAlphabetCode(c.request());
    const CodeSearchResult ordered = FindAlphabetCodeOrdered(c.request());
    ASSERT_EQ(fast.code, ordered.code) << "case " << i;
    ASSERT_EQ(fast.unknownChars, ordered.unknownChars) << "case " << i;
    found += fast.code.has_value();
  }
  // Both outcomes must be well represented for the comparison to mean something.
  EXPECT_GT(found, 600);
  EXPECT_LT(found, 2400);
}

TEST(FindAlphabetCode, LowestStartingCodeWins) {
  // "ba" under starting codes 5 and 9; the image holds both encodings.
  const std::string image = std::string("\x0A\x09", 2) + "zz" + std::string("\x06\x05", 2);
  const Case c{image, std::string(256, '\0'), "abc", "ba"};
  EXPECT_EQ(FindAlphabetCode(c.request()).code, 5);
  Case later = c;
  later.firstCode = 6;
  EXPECT_EQ(FindAlphabetCode(later.request()).code, 9);
  later.freeOnly = true;
  later.map[10] = 'q';  // codes 9 to 11 are no longer free
  EXPECT_EQ(FindAlphabetCode(later.request()).code, std::nullopt);
}

TEST(FindAlphabetCode, UnknownCharactersAreSearchedAsTheirOwnBytes) {
  const Case c{"xx-\x03\x04", std::string(256, '\0'), "abcde", "-de"};
  const CodeSearchResult r = FindAlphabetCode(c.request());
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(r.unknownChars);
}

TEST(FindAlphabetCode, OneCharacterSamplesAndLongRunsOfOneByte) {
  Case c{std::string(5000, '\0') + "\x31", std::string(256, '\0'), "0123456789", "1"};
  c.freeOnly = true;
  EXPECT_EQ(FindAlphabetCode(c.request()).code, 0x30);  // the only byte that can be a "1"
  c.sample = "11";
  EXPECT_EQ(FindAlphabetCode(c.request()).code, std::nullopt);
  c.sample = "00";
  EXPECT_EQ(FindAlphabetCode(c.request()).code, 0);
}

}  // namespace
