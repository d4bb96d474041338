#include "ips/IpsRecords.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kRecordHeaderSize = 5;
constexpr size_t kRunLengthRecordSize = 8;

}  // namespace

bool IpsRecordReader::stop(IpsScanEnd why) {
  end_ = why;
  return false;
}

bool IpsRecordReader::next(IpsRecord& record) {
  if (end_ != IpsScanEnd::Running) return false;
  if (cutShort_) return stop(IpsScanEnd::CutShort);
  const size_t left = records_.size() - pos_;
  const std::string_view here = records_.substr(pos_);
  if (here.substr(0, kIpsTrailer.size()) == kIpsTrailer) return stop(IpsScanEnd::Trailer);
  if (left == 0) return stop(IpsScanEnd::NoTrailer);
  if (left < kRecordHeaderSize) return stop(IpsScanEnd::CutShort);
  auto byte = [&here](size_t i) { return std::uint32_t{static_cast<unsigned char>(here[i])}; };
  record.offset = byte(0) << 16 | byte(1) << 8 | byte(2);
  const std::uint32_t size = byte(3) << 8 | byte(4);
  if (size == 0) {
    if (left < kRunLengthRecordSize) return stop(IpsScanEnd::CutShort);
    record.runLength = true;
    record.size = byte(5) << 8 | byte(6);
    record.fill = static_cast<unsigned char>(byte(7));
    record.data = {};
    pos_ += kRunLengthRecordSize;
    return true;
  }
  record.runLength = false;
  record.size = size;
  record.fill = 0;
  record.data = here.substr(kRecordHeaderSize, size);
  pos_ += kRecordHeaderSize + record.data.size();
  // The bytes this record has are still delivered; the scan ends after it.
  cutShort_ = record.data.size() < size;
  return true;
}

std::optional<std::uint32_t> IpsRecordReader::truncation() const {
  if (end_ != IpsScanEnd::Trailer || records_.size() - pos_ != kIpsTrailer.size() + kIpsTruncationSize)
    return std::nullopt;
  const std::string_view size = records_.substr(pos_ + kIpsTrailer.size());
  auto byte = [&size](size_t i) { return std::uint32_t{static_cast<unsigned char>(size[i])}; };
  return byte(0) << 16 | byte(1) << 8 | byte(2);
}

bool HasIpsHeader(std::string_view patch) {
  return patch.substr(0, kIpsHeader.size()) == kIpsHeader;
}

std::string_view IpsRecordData(std::string_view patch) {
  return patch.size() < kIpsHeader.size() ? std::string_view() : patch.substr(kIpsHeader.size());
}

void AppendIpsRecord(Text& patch, std::uint32_t offset, std::string_view data) {
  const auto size = static_cast<std::uint32_t>(data.size());
  const char header[kRecordHeaderSize] = {static_cast<char>(offset >> 16 & 0xFF), static_cast<char>(offset >> 8 & 0xFF),
                                          static_cast<char>(offset & 0xFF), static_cast<char>(size >> 8 & 0xFF),
                                          static_cast<char>(size & 0xFF)};
  patch.append(header, kRecordHeaderSize);
  patch.append(data);
}

void AppendIpsTrailer(Text& patch, std::optional<std::uint32_t> truncation) {
  patch += kIpsTrailer;
  if (!truncation) return;
  const std::uint32_t size = *truncation;
  const char bytes[kIpsTruncationSize] = {static_cast<char>(size >> 16 & 0xFF), static_cast<char>(size >> 8 & 0xFF),
                                          static_cast<char>(size & 0xFF)};
  patch.append(bytes, kIpsTruncationSize);
}

namespace {

void WriteRecord(const IpsRecord& record, RomBytes& image) {
  if (record.size == 0) return;
  // New bytes are spaces, not zeros: a patch that lengthens the ROM leaves blank text
  // where it writes nothing.
  if (record.end() > image.size()) image.resize(static_cast<size_t>(record.end()), ' ');
  char* at = image.data() + record.offset;
  if (record.runLength)
    std::memset(at, record.fill, record.size);
  else if (!record.data.empty())
    std::memcpy(at, record.data.data(), record.data.size());
}

}  // namespace

IpsScanEnd ApplyIpsRecords(std::string_view patch, RomBytes& image, const std::function<void(size_t)>& afterRecord,
                           std::optional<std::uint32_t>* truncatedTo) {
  IpsRecordReader reader(IpsRecordData(patch));
  IpsRecord record;
  while (reader.next(record)) {
    WriteRecord(record, image);
    if (afterRecord) afterRecord(reader.position());
  }
  const std::optional<std::uint32_t> size = reader.truncation();
  if (size) image.resize(*size, '\0');
  if (truncatedTo) *truncatedTo = size;
  return reader.end();
}
