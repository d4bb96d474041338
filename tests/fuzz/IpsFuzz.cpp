// Fuzz target for the IPS record reader: applying a patch and mining it for text must
// stay inside the patch's bytes and inside the image, whatever the patch holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "ips/IpsRecords.h"
#include "ips/IpsText.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

IpsTextDecoder PrintableDecoder() {
  IpsTextDecoder decoder{};
  for (int code = 0x20; code < 0x7F; ++code) decoder[static_cast<size_t>(code)] = static_cast<char>(code);
  return decoder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view patch(reinterpret_cast<const char*>(data), size);

  RomBytes image(64, 'r');
  size_t lastPosition = 0;
  std::optional<std::uint32_t> truncation;
  const IpsScanEnd end = ApplyIpsRecords(
      patch, image,
      [&](size_t position) {
        Require(position >= lastPosition && position <= IpsRecordData(patch).size());
        lastPosition = position;
      },
      &truncation);
  Require(end != IpsScanEnd::Running);
  // Only the size after "EOF" shrinks the image, and nothing grows it past the farthest
  // record's end.
  if (truncation)
    Require(end == IpsScanEnd::Trailer && image.size() == *truncation);
  else
    Require(image.size() >= 64 && image.size() <= std::size_t{kIpsMaxOffset} + kIpsMaxSize + 1);

  const IpsTextReport report = CollectIpsText(patch, PrintableDecoder(), 2);
  Require(report.end == end);
  Require(report.lines.size() <= 16 * patch.size() + 1);
  return 0;
}
