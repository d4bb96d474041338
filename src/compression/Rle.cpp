// Run-length (0x30): blocks of 1 to 128 literal bytes, or one byte repeated 3 to 130 times.
#include <stdexcept>
#include <vector>

#include "compression/Codecs.h"

namespace {

constexpr size_t kMaxLiterals = 128;
constexpr size_t kMinRun = 3;
constexpr size_t kMaxRun = 130;

}  // namespace

UnpackResult UnpackRle(std::string_view data) {
  UnpackResult r;
  const auto header = ReadStreamHeader(data);
  if (!header || header->type != StreamType::Rle) {
    r.error = StreamError::UnknownType;
    return r;
  }
  const size_t size = header->size, n = data.size();
  // A 2-byte run yields at most 130 bytes: a size the data cannot reach is refused before
  // its buffer is made.
  if (size > (n - 4) * 65 + kMaxRun) {
    r.error = StreamError::Truncated;
    return r;
  }
  r.data.reserve(size);
  size_t in = 4;
  while (r.data.size() < size) {
    if (in >= n) {
      r.error = StreamError::Truncated;
      r.data.clear();
      return r;
    }
    const unsigned f = static_cast<std::uint8_t>(data[in++]);
    const bool run = f & 0x80;
    size_t length = run ? (f & 0x7F) + kMinRun : (f & 0x7F) + 1;
    if ((run ? in + 1 : in + length) > n) {
      r.error = StreamError::Truncated;
      r.data.clear();
      return r;
    }
    const size_t room = size - r.data.size();
    if (length > room) r.overran = true;
    if (run) {
      r.data.append(std::min(length, room), data[in]);
      ++in;
    } else {
      r.data.append(data.substr(in, std::min(length, room)));
      in += length;
    }
  }
  r.packedSize = in;
  return r;
}

std::string PackRle(std::string_view input) {
  if (input.size() > kMaxUnpackedSize) throw std::length_error("RLE input above 16 MiB");
  const size_t n = input.size();
  // cost[i]: the fewest bytes for the suffix from i; step[i]: the block that starts it,
  // positive for literals, negative for a run.
  std::vector<std::uint32_t> cost(n + 1, 0);
  std::vector<std::int16_t> step(n, 0);
  std::vector<std::uint8_t> run(n + 1, 0);  // equal bytes from i on, up to kMaxRun
  for (size_t i = n; i-- > 0;) {
    run[i] = static_cast<std::uint8_t>(i + 1 < n && input[i + 1] == input[i] ? std::min<size_t>(run[i + 1] + 1, kMaxRun) : 1);
    std::uint32_t best = UINT32_MAX;
    for (size_t k = 1; k <= kMaxLiterals && i + k <= n; ++k) {
      const std::uint32_t c = static_cast<std::uint32_t>(1 + k) + cost[i + k];
      if (c < best) best = c, step[i] = static_cast<std::int16_t>(k);
    }
    for (size_t k = kMinRun; k <= run[i]; ++k) {
      const std::uint32_t c = 2 + cost[i + k];
      if (c < best) best = c, step[i] = static_cast<std::int16_t>(-static_cast<int>(k));
    }
    cost[i] = best;
  }
  std::string out = StreamHeaderBytes(StreamType::Rle, static_cast<std::uint32_t>(n));
  out.reserve(out.size() + cost[0]);
  for (size_t i = 0; i < n;) {
    if (step[i] > 0) {
      out += static_cast<char>(step[i] - 1);
      out.append(input.substr(i, step[i]));
      i += step[i];
    } else {
      const size_t k = -step[i];
      out += static_cast<char>(0x80 | (k - kMinRun));
      out += input[i];
      i += k;
    }
  }
  return out;
}
