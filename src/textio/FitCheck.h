#pragma once
// Will the translation fit? Each line's text, as the insertion would encode it, against
// the room of the original string at its address: the bytes the table decodes from there
// on, up to the next line's address at most.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "workspace/CharTable.h"
#include "workspace/EntryCodec.h"

// For each entry of `addresses` (below 1: the line has none), the lowest address of the
// others that lies above its own: where the next string in address order starts. 0 when
// there is none.
std::vector<std::int64_t> FollowingAddresses(const std::vector<std::int64_t>& addresses);

// The addresses of the lines as FollowingAddresses takes them: a line without a space, or
// whose address is below 1 after `shift`, has none.
std::vector<std::int64_t> LineAddresses(const std::vector<Text>& lines, std::int64_t shift = 0);

// The length of the string at `address` (1-based): the run of bytes from there on that the
// table decodes, stopping before `limit` (0: no limit). 0 outside the image.
std::int64_t RoomAt(std::string_view image, const TableCodec& codec, std::int64_t address, std::int64_t limit);
// The same through an extended table: whole entries, the longest code at each byte, an
// end code the last of them; an entry that would reach `limit` is not counted.
std::int64_t RoomAt(std::string_view image, const EntryCodec& codec, std::int64_t address, std::int64_t limit);

struct LineFit {
  size_t index;  // in the translation
  std::int64_t address;
  std::int64_t need;  // bytes the insertion writes
  std::int64_t room;
};
// Every line with an address, in the translation's order; the table must be loaded.
std::vector<LineFit> MeasureFit(const Workspace& ws);

// Reports the lines that do not fit and those shorter than their originals, then the
// counts. False when it was refused, failed, or found a line that does not fit.
bool CheckFit(Workspace& ws);

// The translation editor's view of one line: the room at `address` among the loaded
// lines, or nothing without a ROM, a table or an address.
std::optional<std::int64_t> RoomForLine(const Workspace& ws, std::int64_t address);
// "влезает", "не влезает, лишних N" or "короче на N" for `text` (as typed, escapes
// included) in `room`.
Text FitStatusText(const Workspace& ws, std::int64_t room, const Text& text);
