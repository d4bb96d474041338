#include "workspace/Cp1251.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace cp1251 {
namespace {

// 0x80..0xBF; 0xC0..0xFF are А..я in Unicode order.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

// Upper-case byte for each lower-case byte of the code page's second half.
constexpr std::array<std::pair<unsigned char, unsigned char>, 16> kCyrillicPairs = {{
    {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D}, {0x8E, 0x9E},
    {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4}, {0xA8, 0xB8}, {0xAA, 0xBA},
    {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}, {0x00, 0x00},
}};

struct CaseMaps {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
  CaseMaps() {
    for (int i = 0; i < 256; ++i) upper[i] = lower[i] = static_cast<unsigned char>(i);
    auto pair = [this](int up, int low) {
      upper[low] = static_cast<unsigned char>(up);
      lower[up] = static_cast<unsigned char>(low);
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDF; ++c) pair(c, c + 32);
    for (auto [up, low] : kCyrillicPairs)
      if (up != 0) pair(up, low);
  }
};

const CaseMaps& Maps() {
  static const CaseMaps maps;
  return maps;
}

}  // namespace

char32_t Decode(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return kHigh[byte - 0x80];
}

std::optional<unsigned char> Encode(char32_t cp) {
  if (cp < 0x80) return static_cast<unsigned char>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<unsigned char>(cp - 0x0410 + 0xC0);
  for (size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == cp) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

namespace {

// The UTF-8 of each byte, at most three bytes, and its length.
struct ByteTexts {
  std::array<std::array<char, 4>, 256> text{};
  std::array<unsigned char, 256> length{};
  ByteTexts() {
    for (int b = 0; b < 256; ++b) {
      std::string s;
      utf8::Append(s, Decode(static_cast<unsigned char>(b)));
      length[static_cast<size_t>(b)] = static_cast<unsigned char>(s.size());
      std::copy(s.begin(), s.end(), text[static_cast<size_t>(b)].begin());
    }
  }
};

const ByteTexts& Texts() {
  static const ByteTexts texts;
  return texts;
}

// The code page's byte for each code point below U+0800 (the two-byte UTF-8 range that
// holds the Cyrillic letters), -1 for none.
const std::array<short, 0x800>& TwoByteCodes() {
  static const std::array<short, 0x800> codes = [] {
    std::array<short, 0x800> table{};
    table.fill(-1);
    for (int byte = 255; byte >= 0; --byte) {
      const char32_t cp = Decode(static_cast<unsigned char>(byte));
      if (cp < table.size()) table[cp] = static_cast<short>(byte);
    }
    return table;
  }();
  return codes;
}

}  // namespace

std::string ToUtf8(std::string_view bytes) {
  const ByteTexts& t = Texts();
  std::string out;
  out.resize(bytes.size() * 3);
  char* o = out.data();
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      *o++ = c;
      continue;
    }
    std::memcpy(o, t.text[b].data(), 4);
    o += t.length[b];
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::optional<std::string> FromUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  const auto& two = TwoByteCodes();
  for (size_t pos = 0; pos < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[pos]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++pos;
      continue;
    }
    auto cp = utf8::NextStrict(utf8, pos);
    if (!cp) return std::nullopt;
    const int byte = *cp < two.size() ? two[*cp] : Encode(*cp) ? *Encode(*cp) : -1;
    if (byte < 0) return std::nullopt;
    out += static_cast<char>(byte);
  }
  return out;
}

bool Fits(std::string_view utf8) {
  const auto& two = TwoByteCodes();
  for (size_t pos = 0; pos < utf8.size();) {
    if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
      ++pos;
      continue;
    }
    auto cp = utf8::NextStrict(utf8, pos);
    if (!cp || (*cp < two.size() ? two[*cp] < 0 : !Encode(*cp))) return false;
  }
  return true;
}

unsigned char ToUpper(unsigned char c) { return Maps().upper[c]; }
unsigned char ToLower(unsigned char c) { return Maps().lower[c]; }

}  // namespace cp1251
