#pragma once
// Where a block that grew may go: the free ranges the translator names, or the run of
// free bytes at the ROM's end, and the ROM's growth when neither has room.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct FreeRange {
  size_t first = 0;  // 0-based, inclusive
  size_t last = 0;
};

// An offset as typed: decimal digits or "&H" and hexadecimal digits, blanks around.
std::optional<size_t> ReadOffsetNumber(std::string_view text);
// "START-END;..." with 0-based inclusive ends, each decimal or "&H" and hexadecimal
// digits. Nothing when a piece is not such a range.
std::optional<std::vector<FreeRange>> ReadFreeRanges(std::string_view setting);
// The free byte setting: one or two hexadecimal digits; nothing otherwise.
std::optional<std::uint8_t> ReadFreeByte(std::string_view setting);

// The first 4-aligned offset where `size` bytes, all equal to `freeByte`, lie inside one
// of the ranges (or, without ranges, inside the run of free bytes that ends the image).
std::optional<size_t> FindFreePlace(std::string_view image, const std::vector<FreeRange>& ranges, size_t size,
                                    char freeByte);
// Where a block goes when the image grows for it: the first 4-aligned offset of the free
// run at its end (or the end itself, aligned up).
size_t GrowthPlace(std::string_view image, char freeByte);
