#include "ips/Bps.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "workspace/Errors.h"

namespace {

enum Kind : unsigned { kSourceRead = 0, kTargetRead = 1, kSourceCopy = 2, kTargetCopy = 3 };

[[noreturn]] void Bad(const char* what) {
  throw OperationError(kErrBadBps, W("BPS: ") + W(what));
}

// Reads the patch's numbers and bytes, never past `end`.
class BpsCursor {
 public:
  explicit BpsCursor(std::string_view bytes) : bytes_(bytes) {}

  std::uint64_t number() {
    std::uint64_t n = 0;
    std::uint64_t shift = 1;
    for (;;) {
      if (pos_ >= bytes_.size()) Bad("файл обрезан посреди числа");
      const auto x = static_cast<unsigned char>(bytes_[pos_++]);
      std::uint64_t part = 0;
      if (__builtin_mul_overflow(std::uint64_t{x & 0x7Fu}, shift, &part) || __builtin_add_overflow(n, part, &n))
        Bad("число не помещается в 64 бита");
      if (x & 0x80) return n;
      if (shift > (UINT64_MAX >> 7)) Bad("число не помещается в 64 бита");
      shift <<= 7;
      if (__builtin_add_overflow(n, shift, &n)) Bad("число не помещается в 64 бита");
    }
  }
  std::string_view take(std::uint64_t n, const char* whenShort) {
    if (n > bytes_.size() - pos_) Bad(whenShort);
    const std::string_view part = bytes_.substr(pos_, static_cast<size_t>(n));
    pos_ += static_cast<size_t>(n);
    return part;
  }
  bool atEnd() const { return pos_ == bytes_.size(); }
  size_t position() const { return pos_; }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

std::uint32_t LittleEndian32(std::string_view four) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(four[static_cast<size_t>(i)]);
  return v;
}

void AppendLittleEndian32(Text& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A copy cursor moved by a relative offset: the low bit is the sign.
std::uint64_t MoveCursor(std::uint64_t cursor, std::uint64_t d, const char* beforeStart) {
  const std::uint64_t by = d >> 1;
  if (d & 1) {
    if (by > cursor) Bad(beforeStart);
    return cursor - by;
  }
  if (__builtin_add_overflow(cursor, by, &cursor)) Bad("смещение копирования не помещается в 64 бита");
  return cursor;
}

bool Fits(std::uint64_t from, std::uint64_t length, std::uint64_t size) {
  return from <= size && length <= size - from;
}

// One pass over the actions with every bound checked; `write(kind, from, length, literal)`
// is told each action once it has passed. The output position grows by `length` each time.
template <class Write>
void WalkActions(const BpsPatch& patch, std::uint64_t sourceSize, Write&& write) {
  BpsCursor in(patch.actions);
  std::uint64_t out = 0;
  std::uint64_t sourceCursor = 0;
  std::uint64_t targetCursor = 0;
  while (!in.atEnd()) {
    const std::uint64_t a = in.number();
    const unsigned kind = static_cast<unsigned>(a & 3);
    const std::uint64_t length = (a >> 2) + 1;
    if (!Fits(out, length, patch.targetSize)) Bad("действие пишет за концом результата");
    switch (kind) {
      case kSourceRead:
        if (!Fits(out, length, sourceSize)) Bad("действие читает за концом исходного файла");
        write(kind, out, length, std::string_view());
        break;
      case kTargetRead: write(kind, 0, length, in.take(length, "файл обрезан посреди новых байтов")); break;
      case kSourceCopy:
        sourceCursor = MoveCursor(sourceCursor, in.number(), "копирование из исходного файла до его начала");
        if (!Fits(sourceCursor, length, sourceSize)) Bad("копирование читает за концом исходного файла");
        write(kind, sourceCursor, length, std::string_view());
        sourceCursor += length;
        break;
      default:
        targetCursor = MoveCursor(targetCursor, in.number(), "копирование из результата до его начала");
        // Byte by byte, each read is of a byte written before it: the first must be.
        if (targetCursor >= out) Bad("копирование читает еще не записанные байты результата");
        write(kind, targetCursor, length, std::string_view());
        targetCursor += length;
        break;
    }
    out += length;
  }
  if (out != patch.targetSize) Bad("действия кончились раньше, чем собран результат");
}

size_t NumberSize(std::uint64_t n) {
  size_t size = 1;
  while (n >>= 7) {
    --n;
    ++size;
  }
  return size;
}

}  // namespace

size_t EqualRun(std::string_view source, std::string_view target, size_t pos) {
  const size_t end = std::min(source.size(), target.size());
  size_t i = pos;
  while (i + 8 <= end) {
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    std::memcpy(&a, source.data() + i, 8);
    std::memcpy(&b, target.data() + i, 8);
    if (a != b) return i - pos + static_cast<size_t>(__builtin_ctzll(a ^ b) / 8);
    i += 8;
  }
  while (i < end && source[i] == target[i]) ++i;
  return i - pos;
}

namespace {

// The length of the run of one byte value from `pos` on.
size_t ByteRun(std::string_view target, size_t pos) {
  size_t i = pos + 1;
  while (i < target.size() && target[i] == target[pos]) ++i;
  return i - pos;
}

class LinearEncoder {
 public:
  LinearEncoder(std::string_view source, std::string_view target) : source_(source), target_(target) {}

  void encode(Text& out) {
    size_t pos = 0;
    while (pos < target_.size()) {
      const size_t equal = EqualRun(source_, target_, pos);
      // Inside new bytes, a short agreeing stretch costs less as new bytes than as two
      // more action headers.
      if (equal >= 3 || (equal > 0 && literalLength_ == 0)) {
        flushLiteral(out);
        action(out, kSourceRead, equal);
        pos += equal;
        continue;
      }
      if (pos + 2 < target_.size() && target_[pos + 1] == target_[pos] && target_[pos + 2] == target_[pos]) {
        const size_t run = ByteRun(target_, pos);
        if (copyPays(pos, run)) {
          addLiteral(pos);
          flushLiteral(out);
          targetCopy(out, pos, run - 1);
          pos += run;
          continue;
        }
      }
      addLiteral(pos);
      ++pos;
    }
    flushLiteral(out);
  }

 private:
  static std::uint64_t Header(unsigned kind, size_t length) { return (std::uint64_t{length - 1} << 2) | kind; }
  static std::uint64_t Offset(std::uint64_t from, std::uint64_t to) {
    return to >= from ? (to - from) << 1 : ((from - to) << 1) | 1;
  }

  void action(Text& out, unsigned kind, size_t length) { AppendBpsNumber(out, Header(kind, length)); }

  // The run as one new byte and a copy of it must come out shorter than as new bytes.
  bool copyPays(size_t pos, size_t run) const {
    const size_t cost = NumberSize(Header(kTargetCopy, run - 1)) + NumberSize(Offset(targetCursor_, pos)) + 1;
    return run - 1 > cost;
  }

  void targetCopy(Text& out, size_t from, size_t length) {
    action(out, kTargetCopy, length);
    AppendBpsNumber(out, Offset(targetCursor_, from));
    targetCursor_ = from + length;
  }

  void addLiteral(size_t pos) {
    if (literalLength_ == 0) literalStart_ = pos;
    ++literalLength_;
  }

  void flushLiteral(Text& out) {
    if (literalLength_ == 0) return;
    action(out, kTargetRead, literalLength_);
    out.append(target_.substr(literalStart_, literalLength_));
    literalLength_ = 0;
  }

  std::string_view source_;
  std::string_view target_;
  size_t literalStart_ = 0;
  size_t literalLength_ = 0;
  size_t targetCursor_ = 0;
};

}  // namespace

namespace {

std::uint32_t SerialCrc32(std::string_view data) {
  return static_cast<std::uint32_t>(crc32_z(0, reinterpret_cast<const Bytef*>(data.data()), data.size()));
}

}  // namespace

std::uint32_t Crc32(std::string_view data) {
  // A whole image is summed in two halves at once: a patch needs the sums of two images,
  // and on two cores that halves the wait for them.
  constexpr size_t kSplitFrom = 4u << 20;
  if (data.size() < kSplitFrom) return SerialCrc32(data);
  const size_t half = data.size() / 2;
  std::uint32_t first = 0;
  std::thread worker([&first, data, half] { first = SerialCrc32(data.substr(0, half)); });
  const std::uint32_t second = SerialCrc32(data.substr(half));
  worker.join();
  return static_cast<std::uint32_t>(crc32_combine(first, second, static_cast<z_off_t>(data.size() - half)));
}

void AppendBpsNumber(Text& out, std::uint64_t n) {
  for (;;) {
    const auto x = static_cast<char>(n & 0x7F);
    n >>= 7;
    if (n == 0) {
      out += static_cast<char>(0x80 | x);
      return;
    }
    out += x;
    --n;
  }
}

BpsPatch ReadBpsPatch(std::string_view patch) {
  if (patch.substr(0, kBpsMagic.size()) != kBpsMagic) Bad("это не BPS файл (в начале нет BPS1)");
  if (patch.size() < kBpsMagic.size() + 3 + kBpsFooterSize) Bad("файл обрезан");
  const std::string_view footer = patch.substr(patch.size() - kBpsFooterSize);
  if (Crc32(patch.substr(0, patch.size() - 4)) != LittleEndian32(footer.substr(8)))
    Bad("контрольная сумма патча не совпадает: файл испорчен или обрезан");
  const std::string_view body = patch.substr(kBpsMagic.size(), patch.size() - kBpsMagic.size() - kBpsFooterSize);
  BpsCursor in(body);
  BpsPatch result;
  result.sourceSize = in.number();
  result.targetSize = in.number();
  result.metadata = in.take(in.number(), "файл обрезан посреди метаданных");
  result.actions = body.substr(in.position());
  result.sourceCrc = LittleEndian32(footer.substr(0, 4));
  result.targetCrc = LittleEndian32(footer.substr(4, 4));
  return result;
}

void CheckBpsActions(const BpsPatch& patch) {
  WalkActions(patch, patch.sourceSize, [](unsigned, std::uint64_t, std::uint64_t, std::string_view) {});
}

Text ApplyBpsPatch(const BpsPatch& patch, std::string_view source) {
  Text target;
  ApplyBpsPatchInto(patch, source, target);
  return target;
}

void ApplyBpsPatchInto(const BpsPatch& patch, std::string_view source, Text& target) {
  // The walk is made once without writing, so a patch that fails never costs the
  // allocation of the target it claims, nor touches the buffer.
  WalkActions(patch, source.size(), [](unsigned, std::uint64_t, std::uint64_t, std::string_view) {});
  target.resize(static_cast<size_t>(patch.targetSize));
  size_t out = 0;
  WalkActions(patch, source.size(),
              [&](unsigned kind, std::uint64_t from, std::uint64_t length, std::string_view data) {
                char* to = target.data() + out;
                const auto n = static_cast<size_t>(length);
                if (kind == kSourceRead) {
                  std::memcpy(to, source.data() + out, n);
                } else if (kind == kTargetRead) {
                  std::memcpy(to, data.data(), n);
                } else if (kind == kSourceCopy) {
                  std::memcpy(to, source.data() + from, n);
                } else {
                  // An overlapping copy repeats what it has just written, so it goes byte by byte.
                  const char* src = target.data() + from;
                  if (from + n <= out)
                    std::memcpy(to, src, n);
                  else if (out - from == 1)
                    std::memset(to, *src, n);
                  else
                    for (size_t i = 0; i < n; ++i) to[i] = src[i];
                }
                out += n;
              });
}

Text CreateBps(std::string_view source, std::string_view target) {
  Text out(kBpsMagic);
  AppendBpsNumber(out, source.size());
  AppendBpsNumber(out, target.size());
  AppendBpsNumber(out, 0);
  LinearEncoder(source, target).encode(out);
  AppendLittleEndian32(out, Crc32(source));
  AppendLittleEndian32(out, Crc32(target));
  AppendLittleEndian32(out, Crc32(out));
  return out;
}
