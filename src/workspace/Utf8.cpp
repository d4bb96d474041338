#include "workspace/Utf8.h"

#include <locale.h>
#include <wctype.h>

#include <array>

#include "workspace/Cp1251.h"

namespace utf8 {

std::optional<char32_t> NextStrict(std::string_view s, size_t& pos) {
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

void Append(std::string& out, char32_t cp) {
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

size_t Length(std::string_view text) {
  size_t n = 0;
  for (char c : text) n += !IsContinuation(c);
  return n;
}

size_t Advance(std::string_view text, size_t chars) {
  size_t pos = 0;
  for (; pos < text.size(); ++pos)
    if (!IsContinuation(text[pos]) && chars-- == 0) break;
  return pos;
}

bool Valid(std::string_view text) {
  for (size_t pos = 0; pos < text.size();)
    if (static_cast<unsigned char>(text[pos]) < 0x80)
      ++pos;
    else if (!NextStrict(text, pos))
      return false;
  return true;
}

Text Repaired(std::string_view text) {
  if (Valid(text)) return Text(text);
  Text out;
  for (size_t pos = 0; pos < text.size();) Append(out, Next(text, pos));
  return out;
}

namespace {

// Unicode's simple case mapping as glibc's C.UTF-8 locale holds it, asked of the locale
// object itself so the program's global locale stays as it is.
locale_t CaseLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  return locale;
}

template <class ByteMap, class WideMap>
char32_t MapCase(char32_t cp, ByteMap byteMap, WideMap wideMap) {
  if (const auto byte = cp1251::Encode(cp)) return cp1251::Decode(byteMap(*byte));
  const locale_t locale = CaseLocale();
  if (locale == locale_t{}) return cp;
  const auto mapped = static_cast<char32_t>(wideMap(static_cast<wint_t>(cp), locale));
  return mapped <= 0x10FFFF ? mapped : cp;
}

template <class Map>
Text MapText(std::string_view text, Map map) {
  Text out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const auto b = static_cast<unsigned char>(text[pos]);
    if (b < 0x80) {
      out += static_cast<char>(map(b));
      ++pos;
    } else {
      Append(out, map(Next(text, pos)));
    }
  }
  return out;
}

// Below U+0800 (Latin, Greek, Cyrillic) the mapping comes from a table made once: the
// searches without case map every character of every line.
constexpr char32_t kTabled = 0x800;

struct CaseTables {
  std::array<char32_t, kTabled> upper{};
  std::array<char32_t, kTabled> lower{};
  CaseTables() {
    for (char32_t cp = 0; cp < kTabled; ++cp) {
      upper[cp] = MapCase(cp, cp1251::ToUpper, towupper_l);
      lower[cp] = MapCase(cp, cp1251::ToLower, towlower_l);
    }
  }
};

const CaseTables& Tables() {
  static const CaseTables tables;
  return tables;
}

}  // namespace

char32_t ToUpper(char32_t cp) {
  if (cp < 0x80) return cp >= 'a' && cp <= 'z' ? cp - 32 : cp;
  if (cp < kTabled) return Tables().upper[cp];
  return MapCase(cp, cp1251::ToUpper, towupper_l);
}

char32_t ToLower(char32_t cp) {
  if (cp < 0x80) return cp >= 'A' && cp <= 'Z' ? cp + 32 : cp;
  if (cp < kTabled) return Tables().lower[cp];
  return MapCase(cp, cp1251::ToLower, towlower_l);
}

Text Upper(std::string_view text) {
  return MapText(text, [](char32_t cp) { return ToUpper(cp); });
}

Text Lower(std::string_view text) {
  return MapText(text, [](char32_t cp) { return ToLower(cp); });
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size())
    if (ToUpper(Next(a, i)) != ToUpper(Next(b, j))) return false;
  return i == a.size() && j == b.size();
}

}  // namespace utf8
