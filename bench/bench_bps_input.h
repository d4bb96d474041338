#pragma once
// The pair of ROMs the BPS figures are measured on: 16 MiB of random bytes and the same
// with 20,000 scattered edits of 1 to 16 new bytes, as a translation leaves an image.
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

inline std::pair<std::string, std::string> BpsBenchPair() {
  constexpr size_t kSize = 16u << 20;
  std::mt19937_64 rng(16);
  std::string source(kSize, '\0');
  for (auto& c : source) c = static_cast<char>(rng());
  std::string target = source;
  for (int e = 0; e < 20000; ++e) {
    const size_t length = 1 + rng() % 16;
    const size_t at = rng() % (kSize - length);
    for (size_t i = 0; i < length; ++i) target[at + i] = static_cast<char>(rng());
  }
  return {source, target};
}

// A translated text region: 4 MiB of strings of words, about 30 % of them rewritten in
// words of another alphabet with other lengths, everything behind a rewritten string
// shifted. The delta encoder's case: shifted text is copied from the source, the new
// words from where they were written first.
inline std::pair<std::string, std::string> BpsTextPair() {
  std::mt19937_64 rng(27);
  const auto vocabulary = [&rng](char first, int letters) {
    std::vector<std::string> words(3000);
    for (auto& w : words)
      for (size_t n = 2 + rng() % 10; w.size() < n;) w += static_cast<char>(first + static_cast<int>(rng() % letters));
    return words;
  };
  const std::vector<std::string> latin = vocabulary('a', 26);
  const std::vector<std::string> cyrillic = vocabulary('\xE0', 32);
  const auto sentence = [&rng](const std::vector<std::string>& words, size_t length) {
    std::string s;
    while (s.size() < length) s += words[rng() % words.size()] + " ,."[rng() % 6 < 4 ? 0 : 1 + rng() % 2];
    s.resize(length);
    return s + '\0';
  };
  std::string source;
  std::string target;
  while (source.size() < (4u << 20)) {
    const size_t length = 8 + rng() % 113;
    const std::string line = sentence(latin, length);
    source += line;
    target += rng() % 10 < 3 ? sentence(cyrillic, length / 2 + rng() % (length + 3)) : line;
  }
  return {source, target};
}
