#pragma once
// Patches made by comparing two ROM files: what turns the input ROM into the output ROM.
#include <string_view>

#include "workspace/Workspace.h"

enum class IpsDiffRefusal {
  None,
  Shorter,      // an IPS can cut the file only to a size below 16 MiB
  BeyondReach,  // a change no record starting below 16 MiB can cover
};

struct IpsDiff {
  Text patch;  // "PATCH", the records, "EOF"; empty when refused
  size_t records = 0;
  IpsDiffRefusal refusal = IpsDiffRefusal::None;
};

// Data records of at most 65,535 bytes, run-length records for runs of 16 or more equal
// bytes, no record at the offset that reads as "EOF"; for a shorter output, its size
// after "EOF".
IpsDiff CreateIpsFromRoms(std::string_view input, std::string_view output);

// Reads both files and writes the IPS into OutputIPSFileName (asked for when empty). When
// an IPS cannot carry the change, a question offers the BPS instead.
void CompareRomsToIps(Workspace& ws, const Text& input, const Text& output);
// The same as a BPS, into OutputBPSFileName.
void CompareRomsToBps(Workspace& ws, const Text& input, const Text& output);
