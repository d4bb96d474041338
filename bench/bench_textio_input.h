#pragma once
// Inputs of the text extraction, insertion and pointer benchmarks: a 32 MiB cartridge
// image of random bytes with 50,000 NUL-terminated ASCII strings in it, a table that
// gives the printable ASCII bytes their characters, translations over those strings,
// and GBA pointers to them.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "textio/GbaPointer.h"

namespace bench_textio {

inline constexpr size_t kImageSize = size_t{32} << 20;
inline constexpr int kStrings = 50000;

struct PlacedString {
  size_t offset;
  std::string text;
};

struct Cartridge {
  std::string image;
  std::vector<PlacedString> strings;  // ascending offsets, never overlapping
};

inline std::string RandomText(std::mt19937_64& rng, size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) text += static_cast<char>(0x20 + rng() % 95);
  return text;
}

inline Cartridge MakeCartridge(std::uint64_t seed = 1, int strings = kStrings) {
  std::mt19937_64 rng(seed);
  Cartridge c;
  c.image.resize(kImageSize);
  for (size_t i = 0; i < kImageSize; i += 8) {
    const std::uint64_t r = rng();
    for (size_t k = 0; k < 8; ++k) c.image[i + k] = static_cast<char>(r >> (8 * k));
  }
  // One string in each of equal slots, so they never overlap.
  const size_t slot = kImageSize / static_cast<size_t>(strings);
  for (int i = 0; i < strings; ++i) {
    const size_t length = 8 + rng() % 40;
    const size_t offset = static_cast<size_t>(i) * slot + rng() % (slot - length - 1);
    std::string text = RandomText(rng, length);
    c.image.replace(offset, length, text);
    c.image[offset + length] = '\0';
    c.strings.push_back({offset, std::move(text)});
  }
  return c;
}

// The table file of the printable ASCII bytes, each standing for itself.
inline std::string AsciiTableFile() {
  std::string file;
  const char* hex = "0123456789ABCDEF";
  for (int code = 0x20; code <= 0x7E; ++code) {
    file += hex[code >> 4];
    file += hex[code & 15];
    file += '=';
    file += static_cast<char>(code);
    file += "\r\n";
  }
  return file;
}

// CharTableLookup of that table.
inline std::u32string AsciiLookup() {
  std::u32string lookup(256, U'\0');
  for (int code = 0x20; code <= 0x7E; ++code) lookup[static_cast<size_t>(code)] = static_cast<char32_t>(code);
  return lookup;
}

// Translation lines for the first `count` strings (repeating them when more are asked
// for), each text as long as the original.
inline std::vector<std::string> TranslationOf(const Cartridge& c, size_t count) {
  std::mt19937_64 rng(7);
  std::vector<std::string> lines;
  lines.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const PlacedString& s = c.strings[i % c.strings.size()];
    lines.push_back(std::to_string(s.offset + 1) + " " + RandomText(rng, s.text.size()));
  }
  return lines;
}

// Puts a pointer to each of the first `count` strings into the image: a table of them at
// the start and a second copy of every tenth at a random odd offset.
inline void AddPointers(Cartridge& c, size_t count) {
  std::mt19937_64 rng(11);
  for (size_t i = 0; i < count; ++i) {
    const std::string p = GbaPointerBytes(*GbaPointerValue(static_cast<std::int64_t>(c.strings[i].offset) + 1));
    c.image.replace(0x100 + 4 * i, 4, p);
    if (i % 10 == 0) c.image.replace((rng() % (kImageSize - 8)) | 1, 4, p);
  }
}

}  // namespace bench_textio
