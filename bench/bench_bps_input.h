#pragma once
// The pair of ROMs the BPS figures are measured on: 16 MiB of random bytes and the same
// with 20,000 scattered edits of 1 to 16 new bytes, as a translation leaves an image.
#include <cstdint>
#include <random>
#include <string>
#include <utility>

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
