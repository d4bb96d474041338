#pragma once
// The character table: which character each byte code of the game's font stands for.
#include <array>
#include <optional>
#include <span>

#include "workspace/TextFile.h"

void LoadTable(Workspace& ws);
void SaveTable(Workspace& ws);

// The Options menu's "Расширенные таблицы" item: the mode is read when a table loads,
// so a loaded table is loaded again in the new mode.
void SetExtendedTables(Workspace& ws, bool on);

// Reads a table file's content into the workspace's table, logging comments and
// warnings; throws OperationError on a code above FF and then changes nothing.
// `foreign` lists the characters of a UTF-8 file that Windows-1251 lacks (shown as
// "?" in `data`): their entry lines are left out, their comments keep the "?".
void ApplyTableText(Workspace& ws, std::string_view data, std::span<const ForeignChar> foreign = {});

// The table file as SaveTable writes it.
Text TableFileText(const Workspace& ws);

// Byte code -> character and back, built once from CharTableLookup for the loops that
// encode whole translations. A character given to several codes encodes as the lowest.
class TableCodec {
 public:
  explicit TableCodec(const Text& lookup);
  char decode(unsigned char code) const { return decode_[code]; }
  std::optional<unsigned char> encode(char c) const {
    const int code = encode_[static_cast<unsigned char>(c)];
    if (code < 0) return std::nullopt;
    return static_cast<unsigned char>(code);
  }

 private:
  std::array<char, 256> decode_{};
  std::array<int, 256> encode_{};
};
