#pragma once
// The tests' own BPS number writer, frame builder and applier, written from the format's
// description and sharing no code with the workbench, so a fault shared by its encoder
// and its reader cannot hide behind itself.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

inline std::string TestNumber(std::uint64_t n) {
  std::string out;
  for (;;) {
    const auto x = static_cast<char>(n & 0x7F);
    n >>= 7;
    if (n == 0) return out + static_cast<char>(0x80 | x);
    out += x;
    --n;
  }
}

// The common CRC32 a byte at a time, from its polynomial.
inline std::uint32_t TestCrc(const std::string& bytes) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char b : bytes) crc = table[(crc ^ static_cast<unsigned char>(b)) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

inline std::string TestLe32(std::uint32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i));
  return out;
}

// A patch with the given actions; the checksums right unless told otherwise.
inline std::string TestBpsFrame(const std::string& source, const std::string& target, const std::string& actions) {
  std::string out = "BPS1" + TestNumber(source.size()) + TestNumber(target.size()) + TestNumber(0) + actions;
  out += TestLe32(TestCrc(source)) + TestLe32(TestCrc(target));
  return out + TestLe32(TestCrc(out));
}

inline std::string TestAction(unsigned kind, std::uint64_t length) {
  return TestNumber(((length - 1) << 2) | kind);
}

// Applies without any check beyond staying inside the strings; nullopt when an action
// would leave them or the target comes out at another size.
inline std::optional<std::string> TestApply(const std::string& patch, const std::string& source) {
  size_t p = 4;
  auto num = [&]() -> std::uint64_t {
    std::uint64_t n = 0, shift = 1;
    for (;;) {
      const auto x = static_cast<unsigned char>(patch.at(p++));
      n += (x & 0x7F) * shift;
      if (x & 0x80) return n;
      shift <<= 7;
      n += shift;
    }
  };
  num();
  const std::uint64_t targetSize = num();
  p += num();
  std::string target;
  std::uint64_t sourceCursor = 0, targetCursor = 0;
  try {
    while (p < patch.size() - 12) {
      const std::uint64_t a = num();
      const std::uint64_t length = (a >> 2) + 1;
      for (std::uint64_t i = 0; i < length; ++i) {
        switch (a & 3) {
          case 0: target += source.at(target.size()); break;
          case 1: target += patch.at(p++); break;
          case 2:
            if (i == 0) {
              const std::uint64_t d = num();
              sourceCursor += (d & 1) ? -(d >> 1) : (d >> 1);
            }
            target += source.at(sourceCursor++);
            break;
          default:
            if (i == 0) {
              const std::uint64_t d = num();
              targetCursor += (d & 1) ? -(d >> 1) : (d >> 1);
            }
            target += target.at(targetCursor++);
        }
      }
    }
  } catch (const std::out_of_range&) {
    return std::nullopt;
  }
  if (target.size() != targetSize) return std::nullopt;
  return target;
}
