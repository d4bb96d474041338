#include "workspace/Cp1251.h"

#include <array>

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

// Reads one UTF-8 sequence at pos; nothing when it is malformed.
std::optional<char32_t> NextUtf8(std::string_view s, size_t& pos) {
  const auto b0 = static_cast<unsigned char>(s[pos]);
  size_t extra = 0;
  char32_t cp = b0;
  if (b0 >= 0x80) {
    if ((b0 >> 5) == 0x6) extra = 1, cp = b0 & 0x1F;
    else if ((b0 >> 4) == 0xE) extra = 2, cp = b0 & 0x0F;
    else if ((b0 >> 3) == 0x1E) extra = 3, cp = b0 & 0x07;
    else return std::nullopt;
  }
  if (s.size() - pos <= extra) return std::nullopt;
  for (size_t i = 1; i <= extra; ++i) {
    const auto b = static_cast<unsigned char>(s[pos + i]);
    if ((b & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (b & 0x3F);
  }
  // A longer form than the character needs is no UTF-8: it would smuggle in a line end
  // or an ASCII character past every check made on the bytes.
  static constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kShortest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  pos += 1 + extra;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

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

std::string ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) AppendUtf8(out, Decode(static_cast<unsigned char>(c)));
  return out;
}

std::optional<Text> FromUtf8(std::string_view utf8) {
  Text out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    auto cp = NextUtf8(utf8, pos);
    if (!cp) return std::nullopt;
    auto byte = Encode(*cp);
    if (!byte) return std::nullopt;
    out += static_cast<char>(*byte);
  }
  return out;
}

unsigned char ToUpper(unsigned char c) { return Maps().upper[c]; }
unsigned char ToLower(unsigned char c) { return Maps().lower[c]; }

Text Upper(std::string_view text) {
  Text out(text);
  for (auto& c : out) c = static_cast<char>(ToUpper(static_cast<unsigned char>(c)));
  return out;
}

Text Lower(std::string_view text) {
  Text out(text);
  for (auto& c : out) c = static_cast<char>(ToLower(static_cast<unsigned char>(c)));
  return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (ToUpper(static_cast<unsigned char>(a[i])) != ToUpper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace cp1251

Text W(std::string_view utf8) {
  Text out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    auto cp = cp1251::NextUtf8(utf8, pos);
    if (!cp) ++pos;
    auto byte = cp ? cp1251::Encode(*cp) : std::nullopt;
    out += byte ? static_cast<char>(*byte) : '?';
  }
  return out;
}
