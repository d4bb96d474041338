#pragma once
// The character table: which character each byte code of the game's font stands for.
#include <array>
#include <optional>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "workspace/TextFile.h"

void LoadTable(Workspace& ws);
void SaveTable(Workspace& ws);

// The Options menu's "Расширенные таблицы" item: the mode is read when a table loads,
// so a loaded table is loaded again in the new mode.
void SetExtendedTables(Workspace& ws, bool on);

// Reads a table file's content into the workspace's table, logging comments and
// warnings; throws OperationError on a code above FF and then changes nothing.
void ApplyTableText(Workspace& ws, std::string_view data);

// The table file as SaveTable writes it.
Text TableFileText(const Workspace& ws);

// The grid's code points from its 256 cells (each one character, "\0" or empty for
// none), and back.
std::u32string LookupOf(const std::vector<Text>& cells);
std::vector<Text> CellsOf(const std::u32string& lookup);

// Byte code -> character and back, built once from CharTableLookup for the loops that
// encode whole translations. A character given to several codes encodes as the lowest.
class TableCodec {
 public:
  explicit TableCodec(const std::u32string& lookup);
  char32_t decode(unsigned char code) const { return decode_[code]; }
  // The cell's character as UTF-8; empty for an empty cell.
  std::string_view text(unsigned char code) const { return {text_[code].data(), length_[code]}; }
  std::optional<unsigned char> encode(char32_t c) const {
    if (c < kDirect) {
      const int code = direct_[c];
      if (code < 0) return std::nullopt;
      return static_cast<unsigned char>(code);
    }
    const auto it = others_.find(c);
    if (it == others_.end()) return std::nullopt;
    return it->second;
  }

 private:
  // Latin and Cyrillic, every character a Russian table holds, look up without hashing.
  static constexpr char32_t kDirect = 0x800;
  std::array<char32_t, 256> decode_{};
  std::array<std::array<char, 4>, 256> text_{};
  std::array<std::uint8_t, 256> length_{};
  std::array<std::int16_t, kDirect> direct_{};
  std::unordered_map<char32_t, unsigned char> others_;
};
