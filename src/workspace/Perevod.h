#pragma once
// The translation file: one line per string, "address text", CR LF between lines.
#include <cstdint>
#include <string_view>

#include "workspace/Workspace.h"

void LoadPerevod(Workspace& ws);
void SavePerevod(Workspace& ws);
void SavePerevodTextOnly(Workspace& ws);

// Addresses beyond 32 bits read as this value: past every image, never wrapped into a
// small valid position, and still safe to add a shift to.
inline constexpr std::int64_t kAddressTooLarge = std::int64_t{1} << 40;

struct PerevodLineParts {
  bool hasSeparator = false;  // a line without a space has no address and no text
  std::int64_t address = 0;   // 0 when the field holds no number
  std::string_view field;     // the text before the first space
  std::string_view text;      // everything after the first space, untrimmed
};

// The one rule by which every operation reads a translation line.
PerevodLineParts ParsePerevodLine(std::string_view line);
// "&H"/"&h" and hex digits, or decimal digits; reading stops at the first other character.
std::int64_t ReadAddress(std::string_view field);
// An address in a message: its decimal digits, or "вне диапазона" for one read past
// 32 bits (kAddressTooLarge, with a shift added or not), never the placeholder's digits.
Text AddressText(std::int64_t address);
// The same with a leading space, or the minus sign, as StrNum gives numbers.
Text AddressNum(std::int64_t address);
// Decimal, or "&H" and uppercase hex when UseHEXaddr is "YES".
Text FormatAddress(const Workspace& ws, std::int64_t address);
// FormatAddress for a message: "вне диапазона" for an address read past 32 bits.
Text FormatAddressInMessage(const Workspace& ws, std::int64_t address);

// A translation file's text as lines: runs of line breaks become one, a final line
// break is dropped, an empty text gives no lines.
std::vector<Text> SplitPerevodText(std::string_view data);
Text JoinPerevodLines(const std::vector<Text>& lines);

// The start-up state: a single empty line, which no save will write.
bool HasNoTranslation(const Workspace& ws);
