#include "ips/Bps.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <system_error>
#include <utility>
#include <thread>
#include <vector>

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
  // Long agreeing stretches are passed in blocks by the library's vector compare.
  constexpr size_t kBlock = 256;
  while (i + kBlock <= end && std::memcmp(source.data() + i, target.data() + i, kBlock) == 0) i += kBlock;
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

// The linear encoder's patch is the smallest of all patches that build the target from
// SourceReads (the target agreeing with the source at the same offset) and TargetReads
// (new bytes), given the TargetCopies it takes for runs of one byte. The copies and the
// agreeing stretches of kSureRead bytes or more cut the target into pieces whose best
// encodings do not depend on each other; in each piece a shortest-path search over its
// short agreeing stretches decides which become SourceReads and which are written over
// as new bytes, by the exact sizes of the action headers.
class LinearEncoder {
 public:
  LinearEncoder(std::string_view source, std::string_view target) : source_(source), target_(target) {
    // The TargetRead lengths whose header takes c bytes end at limit[c]: a longer one costs
    // one header byte more.
    std::uint64_t first = 0;  // the first header number that needs one byte more
    std::uint64_t group = 1;
    while (readLimits_.empty() || readLimits_.back() < target_.size()) {
      group <<= 7;
      first += group;
      readLimits_.push_back((first - 2) / 4 + 1);
      if (group > (UINT64_MAX >> 8)) break;
    }
  }

  void encode(Text& out) {
    startPiece(0);
    size_t pos = 0;
    while (pos < target_.size()) {
      const size_t equal = EqualRun(source_, target_, pos);
      if (equal >= kSureRead) {
        settle(out, pos);
        action(out, kSourceRead, equal);
        pos += equal;
        startPiece(pos);
        continue;
      }
      if (equal > 0) {
        // A one-byte stretch with new bytes on both sides never needs to be a SourceRead:
        // written over it costs its one byte, and the two TargetReads it would part never
        // cost less than one of their joint length.
        if (equal > 1 || pos == pieceStart_ || pos + equal == target_.size()) {
          if (nodes_.size() > kMaxStretches) {
            settle(out, pos);
            startPiece(pos);
          }
          nodes_.push_back({pos, 0, static_cast<std::uint32_t>(equal), 0});
        }
        pos += equal;
        continue;
      }
      const size_t run = ChangedRun(pos);
      if (run >= 3 && copyPays(pos, run)) {
        // The run's first byte is new; the copy repeats it.
        settle(out, pos + 1);
        targetCopy(out, pos, run - 1);
        pos += run;
        startPiece(pos);
        continue;
      }
      ++pos;
    }
    settle(out, target_.size());
  }

 private:
  // An agreeing stretch this long is a SourceRead in every smallest patch: written over,
  // it would cost its own length, more than the header bytes it could save.
  static constexpr size_t kSureRead = 16;
  // Bounds the search's memory on pairs that agree in millions of short stretches in a
  // row; only there can the patch come out a few bytes larger than the smallest.
  static constexpr size_t kMaxStretches = size_t{1} << 20;

  // A point of the search: the piece's start, an agreeing stretch, or the piece's end.
  struct Stretch {
    std::uint64_t start;
    std::uint64_t cost;  // of the piece up to this stretch's end, when it is a SourceRead
    std::uint32_t length;
    std::uint32_t before;  // the SourceRead stretch before it on that best way (0: none)
    std::uint64_t end() const { return start + length; }
  };

  static std::uint64_t Header(unsigned kind, size_t length) { return (std::uint64_t{length - 1} << 2) | kind; }
  static std::uint64_t Offset(std::uint64_t from, std::uint64_t to) {
    return to >= from ? (to - from) << 1 : ((from - to) << 1) | 1;
  }

  void action(Text& out, unsigned kind, size_t length) { AppendBpsNumber(out, Header(kind, length)); }

  // The length of the run of one byte value from `pos` on, up to the next byte that
  // agrees with the source.
  size_t ChangedRun(size_t pos) const {
    size_t i = pos + 1;
    while (i < target_.size() && target_[i] == target_[pos] && (i >= source_.size() || source_[i] != target_[i])) ++i;
    return i - pos;
  }

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

  void targetRead(Text& out, size_t from, size_t to) {
    if (to == from) return;
    action(out, kTargetRead, to - from);
    out.append(target_.substr(from, to - from));
  }

  void startPiece(size_t pos) {
    pieceStart_ = pos;
    nodes_.assign(1, Stretch{pos, 0, 0, 0});
  }

  // Writes the piece from pieceStart_ to `end`: the best choice of its stretches as
  // SourceReads, the rest as TargetReads.
  void settle(Text& out, size_t end) {
    std::vector<Stretch>& node = nodes_;
    const size_t n = node.size() - 1;
    if (n == 0) return targetRead(out, pieceStart_, end);
    node.push_back(Stretch{end, 0, 0, 0});
    // For each header size, the stretches whose end leaves a TargetRead of that header
    // size before the current one, as a queue ordered by cost minus end (the rest of a
    // TargetRead's cost grows with its length alone).
    std::vector<std::deque<std::uint32_t>>& windows = windows_;
    windows.resize(readLimits_.size());
    for (auto& window : windows) window.clear();
    std::vector<std::uint32_t> next(readLimits_.size(), 0);
    const auto key = [&](std::uint32_t i) { return static_cast<std::int64_t>(node[i].cost - node[i].end()); };
    for (std::uint32_t j = 1; j <= n + 1; ++j) {
      Stretch& here = node[j];
      std::uint64_t best = UINT64_MAX;
      if (node[j - 1].end() == here.start) {
        best = node[j - 1].cost;
        here.before = j - 1;
      }
      for (size_t c = 0; c < readLimits_.size(); ++c) {
        const std::uint64_t shortest = c == 0 ? 1 : readLimits_[c - 1] + 1;
        auto& window = windows[c];
        while (next[c] < j && node[next[c]].end() + shortest <= here.start) {
          while (!window.empty() && key(window.back()) >= key(next[c])) window.pop_back();
          window.push_back(next[c]++);
        }
        while (!window.empty() && node[window.front()].end() + readLimits_[c] < here.start) window.pop_front();
        if (window.empty()) continue;
        const Stretch& from = node[window.front()];
        const std::uint64_t cost = from.cost + (here.start - from.end()) + c + 1;
        if (cost < best) {
          best = cost;
          here.before = window.front();
        }
      }
      here.cost = best + (j <= n ? NumberSize(Header(kSourceRead, here.length)) : 0);
    }
    std::vector<std::uint32_t> reads;
    for (std::uint32_t j = node[n + 1].before; j != 0; j = node[j].before) reads.push_back(j);
    std::uint64_t at = pieceStart_;
    for (auto it = reads.rbegin(); it != reads.rend(); ++it) {
      targetRead(out, at, node[*it].start);
      action(out, kSourceRead, node[*it].length);
      at = node[*it].end();
    }
    targetRead(out, at, end);
  }

  std::string_view source_;
  std::string_view target_;
  std::vector<std::uint64_t> readLimits_;
  std::vector<Stretch> nodes_;  // the piece's start, then its agreeing stretches so far
  std::vector<std::deque<std::uint32_t>> windows_;
  size_t pieceStart_ = 0;
  size_t targetCursor_ = 0;
};

// The CRC32s of two whole images, summed on a second thread while the caller finds the
// patch's actions; on two cores that hides them from a patch's making.
class ImageCrcs {
 public:
  ImageCrcs(std::string_view source, std::string_view target) : source_(source), target_(target) {
    // Below a few MiB a thread costs more than it saves.
    if (source.size() + target.size() < (size_t{4} << 20)) return;
    try {
      worker_ = std::thread([this] { sum(); });
    } catch (const std::system_error&) {
      // Without a thread the caller sums them.
    }
  }
  ~ImageCrcs() {
    if (worker_.joinable()) worker_.join();
  }
  ImageCrcs(const ImageCrcs&) = delete;
  ImageCrcs& operator=(const ImageCrcs&) = delete;

  std::pair<std::uint32_t, std::uint32_t> sums() {
    if (worker_.joinable())
      worker_.join();
    else
      sum();
    return {sourceCrc_, targetCrc_};
  }

 private:
  void sum() {
    sourceCrc_ = Crc32(source_);
    targetCrc_ = Crc32(target_);
  }

  std::string_view source_;
  std::string_view target_;
  std::uint32_t sourceCrc_ = 0;
  std::uint32_t targetCrc_ = 0;
  std::thread worker_;
};

}  // namespace

std::uint32_t Crc32(std::string_view data) {
  return libdeflate_crc32(0, data.data(), data.size());
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
  ImageCrcs images(source, target);
  LinearEncoder(source, target).encode(out);
  const auto [sourceCrc, targetCrc] = images.sums();
  AppendLittleEndian32(out, sourceCrc);
  AppendLittleEndian32(out, targetCrc);
  AppendLittleEndian32(out, Crc32(out));
  return out;
}
