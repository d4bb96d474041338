#include "tools/FieldNumber.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "workspace/Errors.h"
#include "workspace/Escapes.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

double ReadHex(const std::string& s) {
  double value = 0;
  for (size_t i = 2; i < s.size() && HexValue(s[i]) >= 0; ++i) value = value * 16 + HexValue(s[i]);
  return value;
}

// The longest prefix that reads as a decimal number: sign, digits, fraction, exponent.
size_t DecimalPrefix(std::string& s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  const size_t digitsFrom = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (i < s.size() && s[i] == '.') ++i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (i == digitsFrom || (i == digitsFrom + 1 && s[digitsFrom] == '.')) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && IsDigit(s[j])) {
      s[i] = 'e';
      while (j < s.size() && IsDigit(s[j])) ++j;
      i = j;
    }
  }
  return i;
}

template <typename T>
T FieldInteger(std::string_view text) {
  const double rounded = RoundHalfEven(ReadFieldNumber(text));
  if (!(rounded >= std::numeric_limits<T>::min() && rounded <= std::numeric_limits<T>::max()))
    throw OperationError(kErrFieldOverflow, W("Переполнение: число ") + Text(text) + W(" слишком велико"));
  return static_cast<T>(rounded);
}

}  // namespace

double ReadFieldNumber(std::string_view text) {
  // Blanks are ignored wherever they are, so "1 024" reads as 1024.
  std::string s;
  for (char c : text)
    if (!IsBlank(c)) s += c;
  if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) return ReadHex(s);
  const size_t length = DecimalPrefix(s);
  if (length == 0) return 0;
  size_t from = s[0] == '+' ? 1 : 0;
  double value = 0;
  const auto result = std::from_chars(s.data() + from, s.data() + length, value);
  if (result.ec == std::errc::result_out_of_range) {
    const size_t e = s.find('e');
    if (e < length && s[e + 1] == '-') return 0;  // too small to be anything but 0
    return s[0] == '-' ? -HUGE_VAL : HUGE_VAL;
  }
  return value;
}

double RoundHalfEven(double v) {
  const double floor = std::floor(v);
  const double diff = v - floor;
  if (diff > 0.5) return floor + 1;
  if (diff < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

std::int32_t FieldInt32(std::string_view text) {
  return FieldInteger<std::int32_t>(text);
}
std::int16_t FieldInt16(std::string_view text) {
  return FieldInteger<std::int16_t>(text);
}
