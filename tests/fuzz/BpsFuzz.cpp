// Fuzz target for the BPS reader: whatever the patch holds, reading it and applying it
// stay inside the patch, the source and the target, and a failure is an OperationError.
// The input is tried as it is and with its last four bytes made its right checksum, so
// the fuzzer gets past the checksum to the actions. Two halves of the input also make a
// source and a target for a round trip through the encoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ips/Bps.h"
#include "workspace/Errors.h"

namespace {

void RequireBps(bool condition) {
  if (!condition) std::abort();
}

// Targets this large are only walked, not built: the fuzzer must not spend its memory.
constexpr std::uint64_t kBuildLimit = 1u << 22;

void TryPatch(std::string_view bytes) {
  try {
    const BpsPatch patch = ReadBpsPatch(bytes);
    RequireBps(patch.actions.data() >= bytes.data() && patch.actions.end() <= bytes.end());
    CheckBpsActions(patch);
    if (patch.targetSize > kBuildLimit || patch.sourceSize > kBuildLimit) return;
    const std::string source(static_cast<size_t>(patch.sourceSize), 's');
    RequireBps(ApplyBpsPatch(patch, source).size() == patch.targetSize);
    // A shorter real source than the patch states is caught action by action.
    try {
      RequireBps(ApplyBpsPatch(patch, std::string_view(source).substr(0, source.size() / 2)).size() ==
                 patch.targetSize);
    } catch (const OperationError& e) {
      RequireBps(e.number() == kErrBadBps);
    }
  } catch (const OperationError& e) {
    RequireBps(e.number() == kErrBadBps);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  TryPatch(input);
  if (size >= 4) {
    std::string fixed(input);
    const std::uint32_t crc = Crc32(std::string_view(fixed).substr(0, size - 4));
    for (int i = 0; i < 4; ++i) fixed[size - 4 + static_cast<size_t>(i)] = static_cast<char>(crc >> (8 * i));
    TryPatch(fixed);
  }
  const std::string_view source = input.substr(0, size / 2);
  const std::string_view target = input.substr(size / 2);
  const Text patch = CreateBps(source, target);
  RequireBps(ApplyBpsPatch(ReadBpsPatch(patch), source) == target);
  return 0;
}
