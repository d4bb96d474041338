#pragma once
// The BPS patch format: "BPS1", the source and target sizes, metadata, the actions that
// build the target, and three CRC32s. Every reader of a patch goes through ReadBpsPatch
// and ApplyBpsPatch, which check each number and each action against the bytes they were
// given. The encoder keeps in-place edits linear (the target against the source at the
// same offset) and copies shifted, moved and repeated bytes from wherever they are.
#include <cstdint>
#include <string_view>
#include <thread>

#include "workspace/Cp1251.h"
#include "workspace/ImageMemory.h"

inline constexpr std::string_view kBpsMagic = "BPS1";
// The three checksums at the end.
inline constexpr size_t kBpsFooterSize = 12;
// The largest target a patch may claim: no Game Boy or GBA image comes near it.
inline constexpr std::uint64_t kBpsMaxTargetSize = std::uint64_t{64} << 20;
// The general error line's number for a patch that is not a whole, valid BPS.
inline constexpr int kErrBadBps = 1201;

// The common CRC32 (polynomial 0xEDB88320, inverted in and out), at memory speed.
std::uint32_t Crc32(std::string_view data);
// The CRC32 of two pieces one after the other, from the CRC32 of each and the second's length.
std::uint32_t Crc32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength);
// Crc32 of an image of megabytes, its two halves summed at once on two threads.
std::uint32_t Crc32OfImage(std::string_view data);

// Crc32 summed on a thread of its own while the caller does other work; get() waits for it.
// Small data, or a system that gives no thread, is summed by get() itself.
class Crc32Behind {
 public:
  explicit Crc32Behind(std::string_view data);
  ~Crc32Behind();
  Crc32Behind(const Crc32Behind&) = delete;
  Crc32Behind& operator=(const Crc32Behind&) = delete;
  std::uint32_t get();

 private:
  std::string_view data_;
  std::uint32_t crc_ = 0;
  std::thread worker_;
};

// A patch whose frame has been checked: magic, header numbers, metadata and the patch's
// own CRC. `actions` lies inside the bytes the patch was read from.
struct BpsPatch {
  std::uint64_t sourceSize = 0;
  std::uint64_t targetSize = 0;
  std::string_view metadata;
  std::string_view actions;
  std::uint32_t sourceCrc = 0;
  std::uint32_t targetCrc = 0;
};

// Throws OperationError(kErrBadBps) naming what is wrong.
BpsPatch ReadBpsPatch(std::string_view patch);

// Walks every action against the sizes the patch states, writing nothing: a patch that
// passes reads nothing outside a source of `sourceSize` bytes and builds exactly
// `targetSize` bytes. Throws OperationError(kErrBadBps) naming the first fault.
void CheckBpsActions(const BpsPatch& patch);

// The target built from `source`; each action is checked again against the real source,
// which may differ from the size the patch states. The target CRC is left to the caller.
Text ApplyBpsPatch(const BpsPatch& patch, std::string_view source);
// The same into `target` (a Text or a RomBytes), whose buffer is reused; on a failure
// `target` is untouched.
template <class Bytes>
void ApplyBpsPatchInto(const BpsPatch& patch, std::string_view source, Bytes& target);

// A patch that turns `source` into `target`, with empty metadata; copies are taken only
// where they make it smaller than the linear encoding of the same bytes.
Text CreateBps(std::string_view source, std::string_view target);

// The length of the stretch from `pos` on where `target` agrees with `source` at the same
// offsets (0 past the end of either); the encoders of both patch formats walk with it.
size_t EqualRun(std::string_view source, std::string_view target, size_t pos);

// The patch number's encoding: 7 bits a byte, lowest first, the top bit ending it.
void AppendBpsNumber(Text& out, std::uint64_t n);
