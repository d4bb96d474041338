#pragma once
// The IPS patch format: "PATCH", records, "EOF". Every operation that looks inside a
// patch walks it with IpsRecordReader, so all of them agree on where a patch ends and
// none of them reads past the bytes it was given.
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "workspace/Cp1251.h"
#include "workspace/ImageMemory.h"

inline constexpr std::string_view kIpsHeader = "PATCH";
inline constexpr std::string_view kIpsTrailer = "EOF";
// A record starting here would begin with the bytes "EOF", and every reader stops there.
inline constexpr std::uint32_t kIpsEofOffset = 0x454F46;
inline constexpr std::uint32_t kIpsMaxOffset = 0xFFFFFF;
inline constexpr std::uint32_t kIpsMaxSize = 0xFFFF;
// The three bytes after "EOF" that some patches carry: the size the patched file ends with.
inline constexpr size_t kIpsTruncationSize = 3;

struct IpsRecord {
  std::uint32_t offset = 0;
  // Data records: the size the record states. Run-length records: the run length.
  std::uint32_t size = 0;
  // The data bytes the patch really holds: fewer than `size` when it is cut short.
  std::string_view data;
  bool runLength = false;
  unsigned char fill = 0;  // the value a run-length record repeats

  std::uint64_t end() const { return std::uint64_t{offset} + size; }
};

// How a scan of the records ended.
enum class IpsScanEnd {
  Running,
  Trailer,    // the "EOF" marker
  NoTrailer,  // the bytes ran out exactly after a whole record
  CutShort,   // the last record lacks part of its header, run or data
};

class IpsRecordReader {
 public:
  // `records`: the patch after its five header bytes.
  explicit IpsRecordReader(std::string_view records) : records_(records) {}

  // The next record, or false when the scan has ended.
  bool next(IpsRecord& record);
  // Where the scan stands within the record data; never beyond its length.
  size_t position() const { return pos_; }
  size_t length() const { return records_.size(); }
  IpsScanEnd end() const { return end_; }
  // The size after "EOF", once the scan has ended there; nothing when the patch has none.
  std::optional<std::uint32_t> truncation() const;

 private:
  bool stop(IpsScanEnd why);

  std::string_view records_;
  size_t pos_ = 0;
  IpsScanEnd end_ = IpsScanEnd::Running;
  bool cutShort_ = false;
};

bool HasIpsHeader(std::string_view patch);
// The record data of a patch that has its header.
std::string_view IpsRecordData(std::string_view patch);

// Appends one data record. The caller keeps offset, size (1..65535) and the "EOF"
// offset within what the format can carry.
void AppendIpsRecord(Text& patch, std::uint32_t offset, std::string_view data);

// Appends "EOF" and, for a patched file shorter than the one patched, its size.
void AppendIpsTrailer(Text& patch, std::optional<std::uint32_t> truncation);

// Writes the patch's records into `image`, lengthening it with spaces where a record
// ends beyond it, then gives it the size after "EOF" when the patch has one (cut, or
// lengthened with zeros, as every patcher does); `truncatedTo` is told that size.
// `afterRecord` is told the scan position after each record.
IpsScanEnd ApplyIpsRecords(std::string_view patch, RomBytes& image, const std::function<void(size_t)>& afterRecord = {},
                           std::optional<std::uint32_t>* truncatedTo = nullptr);
