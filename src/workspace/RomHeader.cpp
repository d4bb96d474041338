#include "workspace/RomHeader.h"

#include <cstdio>

#include "workspace/Log.h"
#include "workspace/Rom.h"

namespace {

// The Nintendo logo the Game Boy boot program compares byte for byte (0x104-0x133).
constexpr unsigned char kGbLogo[48] = {0xCE, 0xED, 0x66, 0x66, 0xCC, 0x0D, 0x00, 0x0B, 0x03, 0x73, 0x00, 0x83,
                                       0x00, 0x0C, 0x00, 0x0D, 0x00, 0x08, 0x11, 0x1F, 0x88, 0x89, 0x00, 0x0E,
                                       0xDC, 0xCC, 0x6E, 0xE6, 0xDD, 0xDD, 0xD9, 0x99, 0xBB, 0xBB, 0x67, 0x63,
                                       0x6E, 0x0E, 0xEC, 0xCC, 0xDD, 0xDC, 0x99, 0x9F, 0xBB, 0xB9, 0x33, 0x3E};
constexpr size_t kGbLogoAt = 0x104;
constexpr size_t kGbHeaderChecksumAt = 0x14D;
constexpr size_t kGbGlobalChecksumAt = 0x14E;
constexpr size_t kGbaFixedAt = 0xB2;
constexpr size_t kGbaComplementAt = 0xBD;

unsigned Byte(std::string_view image, size_t at) {
  return static_cast<unsigned char>(image[at]);
}

bool IsGameBoy(std::string_view image) {
  if (image.size() < kGbGlobalChecksumAt + 2) return false;
  for (size_t i = 0; i < sizeof kGbLogo; ++i)
    if (Byte(image, kGbLogoAt + i) != kGbLogo[i]) return false;
  return true;
}

bool IsGba(std::string_view image) {
  return image.size() > kGbaComplementAt && Byte(image, kGbaFixedAt) == 0x96;
}

std::uint32_t GbHeaderChecksum(std::string_view image) {
  unsigned x = 0;
  for (size_t i = 0x134; i < kGbHeaderChecksumAt; ++i) x = x - Byte(image, i) - 1;
  return x & 0xFF;
}

std::uint32_t GbGlobalChecksum(std::string_view image) {
  std::uint32_t sum = 0;
  for (size_t i = 0; i < image.size(); ++i)
    if (i != kGbGlobalChecksumAt && i != kGbGlobalChecksumAt + 1) sum += Byte(image, i);
  return sum & 0xFFFF;
}

std::uint32_t GbaComplement(std::string_view image) {
  unsigned sum = 0;
  for (size_t i = 0xA0; i < kGbaComplementAt; ++i) sum += Byte(image, i);
  return (0u - sum - 0x19) & 0xFF;
}

std::uint32_t Stored(std::string_view image, size_t offset, int width) {
  std::uint32_t value = 0;
  for (int i = 0; i < width; ++i) value = value << 8 | Byte(image, offset + static_cast<size_t>(i));
  return value;
}

HeaderChecksum Make(std::string_view image, const char* name, size_t offset, int width, std::uint32_t computed,
                    bool checkedAtBoot) {
  return {name, offset, width, Stored(image, offset, width), computed, checkedAtBoot};
}

Text Hex(std::uint32_t value, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", width * 2, value);
  return text;
}

Text Describe(const HeaderChecksum& c) {
  return W(c.name) + " (0x" + Hex(static_cast<std::uint32_t>(c.offset), 1) + ")";
}

}  // namespace

std::vector<HeaderChecksum> HeaderChecksums(std::string_view image) {
  if (IsGameBoy(image))
    return {Make(image, "контрольная сумма заголовка Game Boy", kGbHeaderChecksumAt, 1, GbHeaderChecksum(image), true),
            Make(image, "общая контрольная сумма Game Boy", kGbGlobalChecksumAt, 2, GbGlobalChecksum(image), false)};
  if (IsGba(image))
    return {Make(image, "контрольная сумма заголовка GBA", kGbaComplementAt, 1, GbaComplement(image), true)};
  return {};
}

bool AnyMismatch(const std::vector<HeaderChecksum>& checks) {
  for (const HeaderChecksum& c : checks)
    if (c.stored != c.computed) return true;
  return false;
}

void WarnBadHeaderChecksums(Workspace& ws, std::string_view image) {
  for (const HeaderChecksum& c : HeaderChecksums(image))
    if (c.checkedAtBoot && c.stored != c.computed)
      AppendLog(ws, W("ПРЕДУПРЕЖДЕНИЕ: ") + Describe(c) + W(" не сходится: записано ") + Hex(c.stored, c.width) +
                        W(", должно быть ") + Hex(c.computed, c.width) +
                        W(" - на железе игра не запустится (Tools: \"Исправить контрольные суммы заголовка\")"));
}

int FixHeaderChecksumsIn(Workspace& ws, RomBytes& image) {
  int fixed = 0;
  // In order, each taken again from the image as the fixes before it left it: the header
  // checksum is one of the bytes the global checksum sums.
  const size_t count = HeaderChecksums(image).size();
  for (size_t k = 0; k < count; ++k) {
    const HeaderChecksum c = HeaderChecksums(image)[k];
    if (c.stored == c.computed) continue;
    for (int i = 0; i < c.width; ++i)
      image[c.offset + static_cast<size_t>(i)] = static_cast<char>(c.computed >> (8 * (c.width - 1 - i)));
    AppendLog(ws, W("Исправлена ") + Describe(c) + ": " + Hex(c.stored, c.width) + " -> " + Hex(c.computed, c.width));
    ++fixed;
  }
  return fixed;
}

void CheckHeaderBeforeSave(Workspace& ws) {
  const std::string_view work = RomWorkImage(ws);
  if (ws.FixHeaderChecksums != "YES") return WarnBadHeaderChecksums(ws, work);
  if (!AnyMismatch(HeaderChecksums(work))) return;
  const bool committed = work == ws.RomImage;
  FixHeaderChecksumsIn(ws, ContinueRomWork(ws));
  if (committed) AdoptRomWorkImage(ws);
}
