#pragma once
// The tests' own IPS writer, reader and applier, written from the format's description
// and sharing no code with the workbench, so that a fault in its record reader cannot
// hide behind the same fault here.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "workspace/Workspace.h"

struct TestRecord {
  std::uint32_t offset = 0;
  std::string bytes;      // data records
  std::uint32_t run = 0;  // run-length records: the count, with `fill`
  unsigned char fill = 0;
  bool rle = false;
};

class TestPatch {
 public:
  TestPatch& data(std::uint32_t offset, std::string bytes) {
    records_.push_back({offset, std::move(bytes), 0, 0, false});
    return *this;
  }
  TestPatch& run(std::uint32_t offset, std::uint32_t count, unsigned char fill) {
    records_.push_back({offset, {}, count, fill, true});
    return *this;
  }
  // The size the patched file ends with, after "EOF".
  TestPatch& truncate(std::uint32_t size) {
    truncate_ = size;
    return *this;
  }

  std::string bytes(bool trailer = true) const {
    std::string out = "PATCH";
    for (const auto& r : records_) {
      out += static_cast<char>(r.offset / 65536 % 256);
      out += static_cast<char>(r.offset / 256 % 256);
      out += static_cast<char>(r.offset % 256);
      const std::uint32_t size = r.rle ? 0 : static_cast<std::uint32_t>(r.bytes.size());
      out += static_cast<char>(size / 256);
      out += static_cast<char>(size % 256);
      if (r.rle) {
        out += static_cast<char>(r.run / 256);
        out += static_cast<char>(r.run % 256);
        out += static_cast<char>(r.fill);
      } else {
        out += r.bytes;
      }
    }
    if (trailer) out += "EOF";
    if (trailer && truncate_ >= 0) {
      out += static_cast<char>(truncate_ / 65536 % 256);
      out += static_cast<char>(truncate_ / 256 % 256);
      out += static_cast<char>(truncate_ % 256);
    }
    return out;
  }

  // What every patcher makes of `rom`: records in order, each lengthening the image
  // (with spaces, as this workbench does) when it ends beyond it; then the size after
  // "EOF" cuts the file or lengthens it with zeros.
  std::string appliedTo(std::string rom) const {
    for (const auto& r : records_) {
      const std::uint32_t n = r.rle ? r.run : static_cast<std::uint32_t>(r.bytes.size());
      if (n == 0) continue;
      if (r.offset + n > rom.size()) rom.resize(r.offset + n, ' ');
      for (std::uint32_t i = 0; i < n; ++i) rom[r.offset + i] = r.rle ? static_cast<char>(r.fill) : r.bytes[i];
    }
    if (truncate_ >= 0) rom.resize(static_cast<size_t>(truncate_), '\0');
    return rom;
  }

  const std::vector<TestRecord>& records() const { return records_; }

  // A strict reader for well-formed patches: "PATCH", whole records, "EOF".
  static TestPatch parse(const std::string& patch) {
    if (patch.compare(0, 5, "PATCH") != 0) throw std::runtime_error("no header");
    TestPatch result;
    size_t p = 5;
    auto at = [&](size_t i) -> unsigned {
      if (i >= patch.size()) throw std::runtime_error("cut short");
      return static_cast<unsigned char>(patch[i]);
    };
    while (patch.compare(p, 3, "EOF") != 0) {
      at(p + 2);
      const std::uint32_t offset = at(p) * 65536 + at(p + 1) * 256 + at(p + 2);
      const std::uint32_t size = at(p + 3) * 256 + at(p + 4);
      if (size == 0) {
        result.run(offset, at(p + 5) * 256 + at(p + 6), static_cast<unsigned char>(at(p + 7)));
        p += 8;
      } else {
        at(p + 4 + size);
        result.data(offset, patch.substr(p + 5, size));
        p += 5 + size;
      }
    }
    if (patch.size() == p + 6)
      result.truncate(at(p + 3) * 65536 + at(p + 4) * 256 + at(p + 5));
    else if (patch.size() != p + 3)
      throw std::runtime_error("bytes after EOF");
    return result;
  }

 private:
  std::vector<TestRecord> records_;
  std::int64_t truncate_ = -1;
};

inline std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}
