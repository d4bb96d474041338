#include "editor/AddressField.h"

#include <cstdio>
#include <limits>

#include "textio/GbaPointer.h"
#include "workspace/Escapes.h"

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
// Beyond this the digits cannot matter: the value is out of 32-bit range anyway.
constexpr std::int64_t kSaturated = std::int64_t{1} << 40;

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

AddressFieldReading Classify(std::int64_t value) {
  if (value < kInt32Min || value > kInt32Max) return {AddressFieldReading::Kind::TooLarge, value};
  return {AddressFieldReading::Kind::Number, value};
}

AddressFieldReading ReadHexField(std::string_view digits) {
  if (digits.empty()) return {};
  std::int64_t value = 0;
  for (char c : digits) {
    const int d = HexValue(c);
    if (d < 0) return {};
    value = value >= kSaturated ? value : value * 16 + d;
  }
  return Classify(value);
}

// Rounds like the rest of the program's number fields: a fraction of exactly one half
// goes to the even neighbour.
bool RoundsUp(std::int64_t whole, std::string_view fraction) {
  if (fraction.empty() || fraction[0] < '5') return false;
  if (fraction[0] > '5') return true;
  for (char c : fraction.substr(1))
    if (c != '0') return true;
  return whole % 2 != 0;
}

AddressFieldReading ReadDecimalField(std::string_view s) {
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  const size_t point = s.find('.');
  const std::string_view whole = s.substr(0, point);
  const std::string_view fraction = point == std::string_view::npos ? std::string_view() : s.substr(point + 1);
  if (whole.empty() && fraction.empty()) return {};
  for (char c : whole)
    if (!IsDigit(c)) return {};
  for (char c : fraction)
    if (!IsDigit(c)) return {};
  std::int64_t value = 0;
  for (char c : whole) value = value >= kSaturated ? value : value * 10 + (c - '0');
  if (RoundsUp(value, fraction)) ++value;
  return Classify(negative ? -value : value);
}

}  // namespace

AddressFieldReading ReadAddressField(std::string_view field) {
  const std::string_view s = TrimSpaces(field);
  if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) return ReadHexField(s.substr(2));
  return ReadDecimalField(s);
}

Text PointerText(std::int64_t address) {
  const auto value = GbaPointerValue(address);
  if (!value) return Text();
  const Text bytes = GbaPointerBytes(*value);
  Text text;
  for (char b : bytes) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(b));
    text += hex;
  }
  return text;
}

std::optional<std::int64_t> PointedAddress(std::string_view field) {
  if (field.size() < 2 || field.size() > 10 || field[0] != '&' || (field[1] != 'H' && field[1] != 'h'))
    return std::nullopt;
  const bool upperHalf = field.size() == 10 && field.ends_with("09");
  if (!field.ends_with("08") && !upperHalf) return std::nullopt;
  // Characters 7-8, 5-6 and 3-4 (counting from 1): the bytes from the most significant
  // down. A shorter text simply lacks the upper bytes.
  auto pair = [&](size_t from) { return from < field.size() ? field.substr(from, 2) : std::string_view(); };
  Text digits;
  digits.append(pair(6)).append(pair(4)).append(pair(2));
  const auto offset = static_cast<std::int64_t>(ReadHexPrefix(digits));
  return offset + 1 + (upperHalf ? std::int64_t{0x01000000} : 0);
}
