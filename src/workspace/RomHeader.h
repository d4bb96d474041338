#pragma once
// The checksums of the cartridge header that the consoles verify at boot: the Game Boy
// header checksum (and the global checksum, which no console checks but tools show) and
// the GBA header complement. A title edited by hand breaks them.
#include <cstdint>
#include <string_view>
#include <vector>

#include "workspace/Workspace.h"

// One checksum of a header: where it lives, what is stored and what the bytes give.
struct HeaderChecksum {
  const char* name;  // UTF-8, for the log
  size_t offset;
  int width;  // bytes, stored most significant first
  std::uint32_t stored;
  std::uint32_t computed;
  bool checkedAtBoot;  // a wrong one stops the game on hardware
};

// A Game Boy image carries the boot logo at 0x104; a GBA image the fixed byte 0x96 at
// 0xB2. Other images have no checksums to speak of and give an empty list.
std::vector<HeaderChecksum> HeaderChecksums(std::string_view image);

// True when one of them no longer matches its bytes.
bool AnyMismatch(const std::vector<HeaderChecksum>& checks);

// Logs a warning for every checksum checked at boot that no longer matches.
void WarnBadHeaderChecksums(Workspace& ws, std::string_view image);

// Writes every checksum that no longer matches into `image`, logging each change; the
// number of checksums changed.
int FixHeaderChecksumsIn(Workspace& ws, RomBytes& image);

// What a ROM save does about the header of the image it writes: with FixHeaderChecksums
// "YES" fixes it (in the committed image too when the two are the same), otherwise warns.
void CheckHeaderBeforeSave(Workspace& ws);
