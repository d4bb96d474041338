#include "textio/GbPointer.h"

#include <algorithm>

#include "workspace/Escapes.h"
#include "workspace/Perevod.h"

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A whole number and nothing else: decimal, or "&H" and hexadecimal digits; at most 32 bits.
std::optional<std::int64_t> ReadWholeNumber(std::string_view s) {
  s = Trim(s);
  if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
    size_t digits = 0;
    const std::uint64_t value = ReadHexPrefix(s.substr(2), &digits);
    if (digits != s.size() - 2 || digits > 8) return std::nullopt;
    return static_cast<std::int64_t>(value);
  }
  if (s.empty() || s.size() > 10 || !std::all_of(s.begin(), s.end(), IsDigit)) return std::nullopt;
  return ReadAddress(s);
}

Text Refusal(std::string_view piece, const char* why) {
  return W("Таблица поинтеров GB \"") + Text(piece) + "\": " + W(why);
}

// One "START-END[:BANK]"; the error text when it is none.
std::optional<Text> ReadRange(std::string_view piece, GbPointerTableRange& range) {
  range.name = Text(piece);
  const size_t dash = piece.find('-');
  if (dash == std::string_view::npos) return Refusal(piece, "нужно НАЧАЛО-КОНЕЦ[:БАНК], числа десятичные или &H");
  std::string_view rest = piece.substr(dash + 1);
  const size_t colon = rest.find(':');
  const auto start = ReadWholeNumber(piece.substr(0, dash));
  const auto end = ReadWholeNumber(rest.substr(0, colon));
  const auto bank =
      colon == std::string_view::npos ? std::optional<std::int64_t>(-1) : ReadWholeNumber(rest.substr(colon + 1));
  if (!start || !end || !bank) return Refusal(piece, "нужно НАЧАЛО-КОНЕЦ[:БАНК], числа десятичные или &H");
  if (*start < 1) return Refusal(piece, "адреса считаются от 1");
  if (*end < *start + 1) return Refusal(piece, "конец раньше конца первой записи (записи по 2 байта)");
  if (*bank == 0) return Refusal(piece, "банк 0 не переключается, банк указывают от 1");
  range.first = *start - 1;
  range.last = *end - 1;
  // Code in bank 0 sees bank 1 at 0x4000 unless the translator says otherwise.
  range.bank = *bank > 0 ? *bank : std::max<std::int64_t>(1, GbBankOf(range.first));
  return std::nullopt;
}

}  // namespace

GbTablesReading ReadGbPointerTables(std::string_view setting) {
  GbTablesReading reading;
  while (!setting.empty()) {
    const size_t semicolon = setting.find(';');
    const std::string_view piece = Trim(setting.substr(0, semicolon));
    setting = semicolon == std::string_view::npos ? std::string_view() : setting.substr(semicolon + 1);
    if (piece.empty()) continue;  // a stray ";" names no table
    GbPointerTableRange range;
    if (auto error = ReadRange(piece, range)) {
      reading.error = *error;
      break;
    }
    for (const auto& other : reading.tables)
      if (range.first <= other.last && other.first <= range.last) {
        reading.error = Refusal(piece, "пересекается с таблицей \"") + other.name + "\"";
        break;
      }
    if (!reading.error.empty()) break;
    reading.tables.push_back(std::move(range));
  }
  if (!reading.error.empty()) reading.tables.clear();
  return reading;
}

std::uint16_t GbPointerValue(std::int64_t offset) {
  if (GbBankOf(offset) == 0) return static_cast<std::uint16_t>(offset);
  return static_cast<std::uint16_t>(kGbBankSize + offset % kGbBankSize);
}

std::optional<std::int64_t> GbPointerTarget(std::uint16_t value, std::int64_t bank) {
  if (value < kGbBankSize) return value;
  if (value < 2 * kGbBankSize) return bank * kGbBankSize + (value - kGbBankSize);
  return std::nullopt;
}

void ForEachGbTableEntry(
    std::string_view image, const std::vector<GbPointerTableRange>& tables,
    const std::function<void(std::int64_t offset, std::uint16_t value, std::int64_t bank)>& onEntry) {
  const auto size = static_cast<std::int64_t>(image.size());
  for (const auto& table : tables)
    for (std::int64_t at = table.first; at + 1 <= table.last && at + 1 < size; at += 2) {
      const auto low = static_cast<unsigned char>(image[static_cast<size_t>(at)]);
      const auto high = static_cast<unsigned char>(image[static_cast<size_t>(at + 1)]);
      onEntry(at, static_cast<std::uint16_t>(low | high << 8), table.bank);
    }
}
