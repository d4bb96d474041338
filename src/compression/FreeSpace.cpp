#include "compression/FreeSpace.h"

std::optional<size_t> ReadOffsetNumber(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  const bool hex = s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h');
  if (hex) s.remove_prefix(2);
  if (s.empty() || s.size() > 10) return std::nullopt;
  size_t value = 0;
  for (char c : s) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (digit < 0) return std::nullopt;
    value = value * (hex ? 16 : 10) + static_cast<size_t>(digit);
  }
  return value;
}

namespace {

size_t AlignUp(size_t n) {
  return (n + 3) & ~size_t{3};
}

// The first aligned offset from `from` where `size` free bytes start, before `end`.
std::optional<size_t> FirstFit(std::string_view image, size_t from, size_t end, size_t size, char freeByte) {
  end = std::min(end, image.size());
  size_t run = 0;  // free bytes counted from `start`
  for (size_t start = AlignUp(from); start + size <= end;) {
    while (run < size && image[start + run] == freeByte) ++run;
    if (run == size) return start;
    // The byte at start + run is taken: the next place starts past it.
    start = AlignUp(start + run + 1);
    run = 0;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<FreeRange>> ReadFreeRanges(std::string_view setting) {
  std::vector<FreeRange> ranges;
  while (!setting.empty()) {
    const size_t semicolon = setting.find(';');
    const std::string_view piece = setting.substr(0, semicolon);
    setting = semicolon == std::string_view::npos ? std::string_view() : setting.substr(semicolon + 1);
    if (piece.find_first_not_of(' ') == std::string_view::npos) continue;
    const size_t dash = piece.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const auto first = ReadOffsetNumber(piece.substr(0, dash)), last = ReadOffsetNumber(piece.substr(dash + 1));
    if (!first || !last || *last < *first) return std::nullopt;
    ranges.push_back({*first, *last});
  }
  return ranges;
}

std::optional<std::uint8_t> ReadFreeByte(std::string_view setting) {
  const auto value = ReadOffsetNumber("&H" + std::string(setting));
  if (!value || setting.empty() || setting.size() > 2) return std::nullopt;
  return static_cast<std::uint8_t>(*value);
}

std::optional<size_t> FindFreePlace(std::string_view image, const std::vector<FreeRange>& ranges, size_t size,
                                    char freeByte) {
  if (ranges.empty()) return FirstFit(image, GrowthPlace(image, freeByte), image.size(), size, freeByte);
  for (const FreeRange& r : ranges)
    if (auto at = FirstFit(image, r.first, r.last + 1, size, freeByte)) return at;
  return std::nullopt;
}

size_t GrowthPlace(std::string_view image, char freeByte) {
  size_t end = image.size();
  while (end > 0 && image[end - 1] == freeByte) --end;
  return AlignUp(end);
}
