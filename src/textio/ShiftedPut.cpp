#include "textio/ShiftedPut.h"

#include <algorithm>
#include <cstdint>

#include "textio/GbPointers.h"
#include "textio/GbaPointers.h"
#include "textio/Insertion.h"
#include "textio/Refusals.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"

namespace {

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr std::int64_t kTooBig = std::int64_t{1} << 33;  // past every 32-bit value

// Hex digits to their end; nothing when there are none or something else follows.
std::optional<std::int64_t> ReadHexDigits(std::string_view s) {
  if (s.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : s) {
    const int d = HexValue(c);
    if (d < 0) return std::nullopt;
    value = std::min(value * 16 + d, kTooBig);
  }
  return value;
}

// Decimal digits with an optional fraction after "." or ",", rounded half away from zero.
std::optional<std::int64_t> ReadDecimalRounded(std::string_view s) {
  std::int64_t value = 0;
  size_t i = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i) value = std::min(value * 10 + (s[i] - '0'), kTooBig);
  bool anyDigit = i > 0;
  if (i < s.size() && (s[i] == '.' || s[i] == ',')) {
    ++i;
    if (i < s.size() && IsDigit(s[i]) && s[i] >= '5') ++value;
    for (; i < s.size() && IsDigit(s[i]); ++i) anyDigit = true;
  }
  if (!anyDigit || i != s.size()) return std::nullopt;
  return value;
}

}  // namespace

void ShiftedPut(Workspace& ws, std::int32_t shift, bool correctPointers, PointerKind kind) {
  // Neither window may go on showing lines that are about to change.
  ws.host->closeWindow(Window::EditForm);
  ws.host->closeWindow(Window::FindForm);
  const bool gb = correctPointers && kind == PointerKind::Gb;
  // Strings moved while their pointers cannot follow would break the ROM just as well.
  if (gb && RefuseGbPointerTables(ws)) return;
  BuildGbaPointerTable(ws);
  if (gb && ws.PerevodLoaded && ws.RomLoaded) BuildGbPointerTable(ws);
  PackPerevodAddresses(ws, shift);
  const bool inserted = PutPerevodInRom(ws, shift);
  if (!correctPointers) return;
  if (inserted) {
    gb ? CorrectGbPointers(ws, shift) : CorrectGbaPointers(ws, shift);
  } else if (!RefuseWithoutPerevod(ws) && !RefuseWithoutRom(ws)) {
    // Pointers moved to strings that were never written would break a ROM that was whole.
    AppendLog(ws, gb ? W("Поинтеры GB не исправляем: текст перевода в ROM не вставлен")
                     : W("Поинтеры GBA не исправляем: текст перевода в ROM не вставлен"));
  }
}

std::optional<std::int64_t> ShiftForNewAddress(const Workspace& ws, std::string_view newAddress) {
  if (ws.PerevodArray.empty()) return std::nullopt;
  const PerevodLineParts first = ParsePerevodLine(ws.PerevodArray.front());
  if (!first.hasSeparator) return std::nullopt;
  return ReadAddress(TrimSpaces(newAddress)) - first.address;
}

Text ShiftFieldText(std::int64_t shift) {
  const std::int64_t size = shift < 0 ? -shift : shift;
  const Text text = AddressText(size);
  return text == Digits(size) ? Digits(shift) : text;
}

std::optional<std::int32_t> ReadShiftField(std::string_view text) {
  std::string_view s = TrimSpaces(text);
  if (s.empty()) return 0;
  const bool negative = s.front() == '-';
  if (s.front() == '-' || s.front() == '+') s.remove_prefix(1);
  const bool hex = s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h');
  const std::optional<std::int64_t> magnitude = hex ? ReadHexDigits(s.substr(2)) : ReadDecimalRounded(s);
  if (!magnitude) return std::nullopt;
  const std::int64_t value = negative ? -*magnitude : *magnitude;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}
