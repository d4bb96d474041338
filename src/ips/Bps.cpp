#include "ips/Bps.h"

#include <libdeflate.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cstring>
#include <deque>
#include <system_error>
#include <thread>
#include <utility>
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

std::uint64_t Header(unsigned kind, size_t length) {
  return (std::uint64_t{length - 1} << 2) | kind;
}

// The number that moves a copy cursor from `from` to `to`.
std::uint64_t Offset(std::uint64_t from, std::uint64_t to) {
  return to >= from ? (to - from) << 1 : ((from - to) << 1) | 1;
}

// Eight bytes as one little-endian word.
std::uint64_t Load64(std::string_view bytes, size_t at) {
  std::uint64_t v = 0;
  std::memcpy(&v, bytes.data() + at, 8);
  return v;
}

#if defined(__x86_64__)
// Long agreeing stretches 128 bytes a step where the processor has AVX2: a 16 MiB compare
// is a quarter faster than in SSE2 steps. Stops at the step that holds a difference.
__attribute__((target("avx2"))) size_t AgreeingSteps256(const char* a, const char* b, size_t from, size_t end) {
  size_t i = from;
  for (; i + 128 <= end; i += 128) {
    __m256i differ = _mm256_setzero_si256();
    for (unsigned k = 0; k < 4; ++k)
      differ = _mm256_or_si256(differ, _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i + 32 * k)),
                                                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i + 32 * k))));
    if (!_mm256_testz_si256(differ, differ)) break;
  }
  return i;
}

const bool kHaveAvx2 = __builtin_cpu_supports("avx2");
#endif

}  // namespace

size_t EqualRun(std::string_view source, std::string_view target, size_t pos) {
  const size_t end = std::min(source.size(), target.size());
  size_t i = pos;
  // Most calls in changed text end at their first word.
  if (i + 8 <= end) {
    const std::uint64_t x = Load64(source, i) ^ Load64(target, i);
    if (x != 0) return static_cast<size_t>(__builtin_ctzll(x) / 8);
  }
#if defined(__x86_64__)
  if (kHaveAvx2) i = AgreeingSteps256(source.data(), target.data(), i, end);
#endif
#if defined(__SSE2__)
  // Long agreeing stretches 64 bytes a step, the first difference found in the step's mask.
  while (i + 64 <= end) {
    std::uint64_t differ = 0;
    for (unsigned k = 0; k < 4; ++k) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source.data() + i + 16 * k));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(target.data() + i + 16 * k));
      differ |= std::uint64_t{static_cast<std::uint16_t>(~_mm_movemask_epi8(_mm_cmpeq_epi8(a, b)))} << (16 * k);
    }
    if (differ != 0) return i - pos + static_cast<size_t>(__builtin_ctzll(differ));
    i += 64;
  }
#endif
  while (i + 8 <= end) {
    const std::uint64_t x = Load64(source, i) ^ Load64(target, i);
    if (x != 0) return i - pos + static_cast<size_t>(__builtin_ctzll(x) / 8);
    i += 8;
  }
  while (i < end && source[i] == target[i]) ++i;
  return i - pos;
}

namespace {

// An agreeing stretch this long is a SourceRead in every smallest patch: written over,
// it would cost its own length, more than the header bytes it could save.
constexpr size_t kSureRead = 16;

// The agreeing stretches of kSureRead bytes or more that the walk looking ahead for
// changed stretches has measured, in target order, so the linear encoding that follows
// it over the same bytes takes them instead of comparing megabytes again.
class SureReads {
 public:
  SureReads(std::string_view source, std::string_view target) : source_(source), target_(target) {}
  // A walker's place in the list; each asks in ascending order of position.
  struct Walk {
    size_t next = 0;
  };
  // EqualRun at `pos`; `keep` records a stretch of kSureRead bytes or more found anew.
  size_t at(size_t pos, Walk& walk, bool keep) {
    while (walk.next < runs_.size() && runs_[walk.next].first < pos) ++walk.next;
    if (walk.next < runs_.size() && runs_[walk.next].first == pos) return runs_[walk.next].second;
    const size_t equal = EqualRun(source_, target_, pos);
    if (keep && equal >= kSureRead) runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(walk.next), {pos, equal});
    return equal;
  }

 private:
  std::string_view source_;
  std::string_view target_;
  std::vector<std::pair<size_t, size_t>> runs_;
};

// The linear encoder's patch is the smallest of all patches that build the target from
// SourceReads (the target agreeing with the source at the same offset) and TargetReads
// (new bytes), given the TargetCopies it takes for runs of one byte. The copies and the
// agreeing stretches of kSureRead bytes or more cut the target into pieces whose best
// encodings do not depend on each other; in each piece a shortest-path search over its
// short agreeing stretches decides which become SourceReads and which are written over
// as new bytes, by the exact sizes of the action headers.
class LinearEncoder {
 public:
  LinearEncoder(std::string_view source, std::string_view target, size_t& targetCursor, SureReads& sureReads)
      : source_(source), target_(target), targetCursor_(targetCursor), sureReads_(sureReads) {
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

  // Writes the actions for the target's bytes [from, to).
  void encode(Text& out, size_t from, size_t to) {
    if (from == to) return;
    to_ = to;
    startPiece(from);
    size_t pos = from;
    while (pos < to) {
      const size_t equal = std::min(sureReads_.at(pos, walk_, false), to - pos);
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
        if (equal > 1 || pos == pieceStart_ || pos + equal == to) {
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
      pos = NextChoice(pos + 1);
    }
    settle(out, to);
  }

 private:
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


  void action(Text& out, unsigned kind, size_t length) { AppendBpsNumber(out, Header(kind, length)); }

  // The length of the run of one byte value from `pos` on, whatever the source holds
  // there: a run is one copy, never cut where the source happens to agree.
  // The first position from `pos` on where the target agrees with the source or a run of
  // one byte starts: the new bytes before it are written as they are whatever follows, so
  // no agreement is measured at each of them.
  size_t NextChoice(size_t pos) const {
    const size_t common = std::min(source_.size(), to_);
    for (; pos < to_; ++pos) {
      if (pos < common && source_[pos] == target_[pos]) break;
      if (pos + 2 < to_ && target_[pos] == target_[pos + 1] && target_[pos] == target_[pos + 2]) break;
    }
    return pos;
  }

  size_t ChangedRun(size_t pos) const {
    size_t i = pos + 1;
    while (i < to_ && target_[i] == target_[pos]) ++i;
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
  size_t to_ = 0;
  size_t& targetCursor_;
  SureReads& sureReads_;
  SureReads::Walk walk_;
};

// The length of the common stretch of a[i..] and b[j..].
size_t CommonLength(std::string_view a, size_t i, std::string_view b, size_t j) {
  const size_t limit = std::min(a.size() - i, b.size() - j);
  size_t n = 0;
  while (n + 8 <= limit) {
    const std::uint64_t x = Load64(a, i + n) ^ Load64(b, j + n);
    if (x != 0) return n + static_cast<size_t>(__builtin_ctzll(x) / 8);
    n += 8;
  }
  while (n < limit && a[i + n] == b[j + n]) ++n;
  return n;
}

// The delta encoder: the linear encoding, and where the target has a long stretch that
// does not agree with the source at the same offset (text that shifted, moved or is new),
// copies from anywhere in the source (SourceCopy) and from the target before them
// (TargetCopy). The source is indexed by hashed 8-byte grams at every kSourceStep-th
// offset, built only once such a stretch turns up (scattered small edits never pay for
// it); the target's searched bytes by 6-byte grams in rows of the kWays newest.
//
// A long copy is taken as found. Between two of them, every byte's copies are gathered
// and a shortest-path search over the exact sizes of the actions chooses which to take,
// how long, and which bytes stay new: a greedy choice takes a copy that ends one letter
// into the next word and so leaves that word's copy too short to pay.
class DeltaEncoder {
 public:
  DeltaEncoder(std::string_view source, std::string_view target)
      : source_(source), target_(target), sureReads_(source, target), linear_(source, target, targetCursor_, sureReads_) {}

  void encode(Text& out) {
    // Offsets are kept in 32 bits; larger images get the linear encoding alone.
    const bool searchable = source_.size() < UINT32_MAX && target_.size() < UINT32_MAX;
    size_t pos = 0;
    while (searchable && pos < target_.size()) {
      const auto [from, to] = changedStretch(pos);
      if (to - from < kSearchFrom) {
        // The linear encoding follows the walk while its bytes are still in the cache. It
        // is cut only where one call over the whole would cut too: at the start of a sure
        // read (`to`) that no run of one byte reaches into. So the patch is the same.
        if (to - gapStart_ >= kEncodeStep && to < target_.size() && target_[to - 1] != target_[to]) {
          linear_.encode(out, gapStart_, to);
          gapStart_ = to;
        }
        pos = to;
        continue;
      }
      linear_.encode(out, gapStart_, from);
      gapStart_ = from;
      pos = search(out, to);
    }
    linear_.encode(out, gapStart_, target_.size());
  }

 private:
  // A stretch this long that does not agree with the source is searched for copies.
  static constexpr size_t kSearchFrom = 64;
  // How far the walk goes ahead of the linear encoding of short stretches.
  static constexpr size_t kEncodeStep = size_t{32} << 10;
  static constexpr size_t kSourceStep = 8;
  // At most 2^kMaxRowBits rows of the target's offsets; a small target gets as many as it
  // can fill, so a small patch does not pay for clearing megabytes.
  static constexpr unsigned kMaxRowBits = 17;
  // A copy this long is taken at once; the bytes inside it are not searched.
  static constexpr size_t kLongCopy = 64;
  static constexpr size_t kCovered = 8;
  // The most bytes one path search covers; a longer stretch without a long copy is cut.
  static constexpr size_t kWindow = size_t{1} << 16;
  // The shortest copy that can pay, and the lengths up to which every shorter copy of a
  // longer match is weighed too (beyond, the whole match alone).
  static constexpr size_t kShortestCopy = 4;
  static constexpr size_t kWeighedLengths = 16;
  static constexpr std::uint32_t kNone = UINT32_MAX;

  struct Candidate {
    std::uint32_t at;  // from the window's start
    std::uint32_t from;
    std::uint32_t length;
    unsigned kind;
  };

  // The first stretch from `pos` on where the target does not agree with the source at
  // the same offset for kSureRead bytes in a row: [from, to).
  std::pair<size_t, size_t> changedStretch(size_t pos) {
    const size_t end = target_.size();
    for (;;) {
      if (pos >= end) return {end, end};
      const size_t equal = sureReads_.at(pos, walk_, true);
      if (equal < kSureRead) break;
      pos += equal;
    }
    const size_t from = pos;
    // Every agreement of kSureRead bytes holds an aligned agreeing word of 8: only there
    // is the exact run looked at.
    const size_t common = std::min(source_.size(), end);
    for (size_t i = (pos + 8) & ~size_t{7}; i + 8 <= common; i += 8) {
      if (Load64(source_, i) != Load64(target_, i)) continue;
      size_t start = i;
      while (start > from && source_[start - 1] == target_[start - 1]) --start;
      if (sureReads_.at(start, walk_, true) >= kSureRead) return {from, start};
    }
    return {from, end};
  }

  static std::uint64_t Mix(std::uint64_t gram) { return gram * 0x9E3779B97F4A7C15ull; }
  // The 6-byte gram at `p` picks a row; a byte of its hash tells grams of one row apart,
  // and the two bytes after the gram tell how far a match may go, all without reading
  // the target there.
  static std::uint64_t TargetMix(std::uint64_t gram) { return Mix(gram << 16); }
  size_t rowOf(std::uint64_t mix) const { return static_cast<size_t>(mix >> (64 - rowBits_)); }
  static std::uint32_t TagOf(std::uint64_t mix, std::uint64_t gram) {
    return (static_cast<std::uint32_t>(mix >> 16) & 0xFF000000u) | static_cast<std::uint32_t>(gram >> 48);
  }

  void indexSource() {
    indexed_ = true;
    rowBits_ = 6;
    while (rowBits_ < kMaxRowBits && (size_t{kWays} << rowBits_) < target_.size()) ++rowBits_;
    targetRows_.assign(size_t{1} << rowBits_, Row{});
    if (source_.size() < 8) return;
    const size_t grams = source_.size() / kSourceStep + 1;
    sourceBits_ = 10;
    while (sourceBits_ < 24 && (size_t{1} << sourceBits_) < grams) ++sourceBits_;
    // The bits a source offset leaves free in an entry hold a tag of its gram, so most
    // grams that only share a slot are told apart without reading the source.
    unsigned offsetBits = 1;
    while (offsetBits < 32 && (std::uint64_t{1} << offsetBits) < source_.size()) ++offsetBits;
    offsetMask_ = offsetBits >= 32 ? UINT32_MAX : (std::uint32_t{1} << offsetBits) - 1;
    sourceTable_.assign(size_t{1} << sourceBits_, kNone);
    // From the end down, so that of equal grams the first in the source is kept.
    for (size_t q = (source_.size() - 8) / kSourceStep * kSourceStep;; q -= kSourceStep) {
      const std::uint64_t mix = Mix(Load64(source_, q));
      sourceTable_[mix >> (64 - sourceBits_)] = (static_cast<std::uint32_t>(mix) & ~offsetMask_) | static_cast<std::uint32_t>(q);
      if (q == 0) break;
    }
  }

  // The target's bytes at `p` become the newest of their row.
  void remember(size_t p, std::uint64_t mix, std::uint64_t gram) {
    Row& row = targetRows_[rowOf(mix)];
    std::memmove(row.position + 1, row.position, sizeof row.position - sizeof row.position[0]);
    std::memmove(row.tag + 1, row.tag, sizeof row.tag - sizeof row.tag[0]);
    row.position[0] = static_cast<std::uint32_t>(p);
    row.tag[0] = TagOf(mix, gram);
  }

  // A match of `in` at `from` with the target at `p`, stretched back as far as the
  // window allows, among the window's candidates.
  void add(unsigned kind, size_t p, size_t from, std::string_view in, size_t windowStart) {
    size_t length = CommonLength(in, from, target_, p);
    size_t back = 0;
    while (p - back > windowStart && from - back > 0 && in[from - back - 1] == target_[p - back - 1]) ++back;
    length += back;
    if (length < kShortestCopy) return;
    candidates_.push_back({static_cast<std::uint32_t>(p - back - windowStart), static_cast<std::uint32_t>(from - back),
                           static_cast<std::uint32_t>(length), kind});
  }

  // The copies that start at `p` or, stretched back, before it.
  void gather(size_t p, size_t windowStart) {
    if (p < source_.size()) {
      const size_t equal = CommonLength(source_, p, target_, p);
      if (equal > 0)
        candidates_.push_back({static_cast<std::uint32_t>(p - windowStart), static_cast<std::uint32_t>(p),
                               static_cast<std::uint32_t>(equal), kSourceRead});
    }
    if (p + 8 > target_.size()) return;
    const std::uint64_t gram = Load64(target_, p);
    if (p + 16 <= target_.size()) {
      // The rows of a few bytes on are fetched while this one is searched.
      const std::uint64_t ahead = Load64(target_, p + 4);
      __builtin_prefetch(&targetRows_[rowOf(TargetMix(ahead))]);
      if (!sourceTable_.empty()) __builtin_prefetch(&sourceTable_[Mix(ahead) >> (64 - sourceBits_)]);
    }
    if (!sourceTable_.empty()) {
      const std::uint64_t mix = Mix(gram);
      const std::uint32_t entry = sourceTable_[mix >> (64 - sourceBits_)];
      const size_t q = entry & offsetMask_;
      if (entry != kNone && ((entry ^ static_cast<std::uint32_t>(mix)) & ~offsetMask_) == 0 && q != p &&
          Load64(source_, q) == gram)
        add(kSourceCopy, p, q, source_, windowStart);
    }
    // Of the row's matches, the one whose next bytes agree furthest and, of those as good
    // but one, the newest, whose offset is likely the cheaper.
    const std::uint64_t mix = TargetMix(gram);
    const Row& row = targetRows_[rowOf(mix)];
    const std::uint32_t tag = TagOf(mix, gram);
    int bestScore = -1;
    size_t best = kNone;
    size_t newest = kNone;
    for (unsigned way = 0; way < kWays; ++way) {
      const std::uint32_t diff = row.tag[way] ^ tag;
      if (row.position[way] == kNone || (diff >> 24) != 0) continue;
      const int score = diff == 0 ? 2 : __builtin_ctz(diff) / 8;
      if (score > bestScore) {
        if (bestScore >= 0 && score == bestScore + 1 && newest == kNone) newest = best;
        bestScore = score;
        best = row.position[way];
      }
    }
    if (best == kNone) return;
    if (Load64(target_, best) << 16 == gram << 16) add(kTargetCopy, p, best, target_, windowStart);
    if (newest != kNone && Load64(target_, newest) << 16 == gram << 16) add(kTargetCopy, p, newest, target_, windowStart);
  }

  void emitCopy(Text& out, unsigned kind, size_t at, size_t from, size_t length) {
    if (kind == kSourceRead || (kind == kSourceCopy && from == at)) {
      AppendBpsNumber(out, Header(kSourceRead, length));
      return;
    }
    AppendBpsNumber(out, Header(kind, length));
    size_t& cursor = kind == kSourceCopy ? sourceCursor_ : targetCursor_;
    AppendBpsNumber(out, Offset(cursor, from));
    cursor = from + length;
  }

  // The window [start, end) by the cheapest path through its candidates.
  void settleWindow(Text& out, size_t start, size_t end) {
    if (end <= start) return candidates_.clear();
    const size_t n = end - start;
    // Candidates by their start: they come in order but for the few stretched back, so
    // each moves only a short way.
    for (size_t i = 1; i < candidates_.size(); ++i) {
      const Candidate moved = candidates_[i];
      size_t j = i;
      for (; j > 0 && candidates_[j - 1].at > moved.at; --j) candidates_[j] = candidates_[j - 1];
      candidates_[j] = moved;
    }
    // Two states a byte: after new bytes (a TargetRead is open) or after anything else.
    nodes_.assign(2 * (n + 1), Node{});
    const auto node = [&](size_t k, unsigned open) -> Node& { return nodes_[2 * k + open]; };
    node(0, 0) = Node{0, kNone, kNone, static_cast<std::uint32_t>(sourceCursor_),
                      static_cast<std::uint32_t>(targetCursor_), 0};
    size_t c = 0;
    for (size_t k = 0; k < n; ++k) {
      for (unsigned open = 0; open < 2; ++open) {
        const Node& here = node(k, open);
        if (here.cost == UINT32_MAX) continue;
        // A new byte: its own, and the TargetRead's header when it opens one.
        Node& next = node(k + 1, 1);
        const std::uint32_t literal = here.cost + 1 + (open ? 0 : 1);
        if (literal < next.cost) next = Node{literal, static_cast<std::uint32_t>(k), kNone, here.source, here.target, open};
      }
      for (; c < candidates_.size() && candidates_[c].at == k; ++c) {
        const Candidate& cand = candidates_[c];
        const size_t most = std::min<size_t>(cand.length, n - k);
        // A copy goes on from the cheaper of the two ways here (they differ by a header
        // at most).
        {
          const unsigned open = node(k, 1).cost < node(k, 0).cost ? 1 : 0;
          const Node& here = node(k, open);
          if (here.cost == UINT32_MAX) continue;
          size_t offsetCost = 0;
          if (cand.kind == kSourceCopy) offsetCost = NumberSize(Offset(here.source, cand.from));
          if (cand.kind == kTargetCopy) offsetCost = NumberSize(Offset(here.target, cand.from));
          const auto relax = [&](size_t length) {
            const auto cost = static_cast<std::uint32_t>(
                here.cost + (length <= 32 ? 1 : NumberSize(Header(cand.kind, length))) + offsetCost);
            Node& to = node(k + length, 0);
            if (cost >= to.cost) return;
            to = Node{cost, static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(c), here.source, here.target, open};
            if (cand.kind == kSourceCopy) to.source = static_cast<std::uint32_t>(cand.from + length);
            if (cand.kind == kTargetCopy) to.target = static_cast<std::uint32_t>(cand.from + length);
          };
          const size_t shortest = cand.kind == kSourceRead ? 1 : kShortestCopy;
          for (size_t length = shortest; length <= std::min(most, kWeighedLengths); ++length) relax(length);
          if (most > kWeighedLengths) relax(most);
        }
      }
    }
    // The path's actions, unless the linear encoding of the window comes out smaller: the
    // path weighs new bytes by a simpler rule than the linear encoder's exact one.
    const size_t mark = out.size();
    const size_t sourceBefore = sourceCursor_;
    const size_t targetBefore = targetCursor_;
    // A path of new bytes alone is the linear encoding already.
    if (!writePath(out, start, end)) return candidates_.clear();
    const size_t sourceAfter = sourceCursor_;
    const size_t targetAfter = targetCursor_;
    sourceCursor_ = sourceBefore;
    targetCursor_ = targetBefore;
    Text& linear = scratch_;
    linear.clear();
    linear_.encode(linear, start, end);
    if (linear.size() < out.size() - mark) {
      out.resize(mark);
      out += linear;
    } else {
      sourceCursor_ = sourceAfter;
      targetCursor_ = targetAfter;
    }
    candidates_.clear();
  }

  // The cheapest path of settleWindow, from its nodes, as actions; false when it takes
  // no copy.
  bool writePath(Text& out, size_t start, size_t end) {
    const size_t n = end - start;
    const auto node = [&](size_t k, unsigned open) -> Node& { return nodes_[2 * k + open]; };
    // The path back from the end, then its actions in order.
    std::vector<std::pair<size_t, std::uint32_t>>& steps = steps_;  // (end, candidate or kNone)
    steps.clear();
    unsigned open = node(n, 1).cost < node(n, 0).cost ? 1 : 0;
    for (size_t k = n; k > 0;) {
      const Node& here = node(k, open);
      steps.push_back({k, here.candidate});
      open = here.fromOpen;
      k = here.from;
    }
    size_t literalFrom = 0;  // new bytes from here on are written by the linear encoding
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
      const auto [stepEnd, candidate] = *it;
      if (candidate == kNone) continue;
      const Candidate& cand = candidates_[candidate];
      linear_.encode(out, start + literalFrom, start + cand.at);
      emitCopy(out, cand.kind, start + cand.at, cand.from, stepEnd - cand.at);
      literalFrom = stepEnd;
    }
    linear_.encode(out, start + literalFrom, end);
    return literalFrom != 0;
  }

  // Searches the stretch from gapStart_ up to `to` and writes it; returns where the walk
  // goes on.
  size_t search(Text& out, size_t to) {
    if (!indexed_) indexSource();
    size_t windowStart = gapStart_;
    size_t p = windowStart;
    // Bytes well inside a match are not searched: the match goes on there.
    Candidate covering{0, 0, 0, kTargetRead};
    while (p < to) {
      const size_t coveringEnd = windowStart + covering.at + covering.length;
      if (p + kCovered <= coveringEnd) {
        const auto into = static_cast<std::uint32_t>(p - windowStart - covering.at);
        if (covering.kind != kSourceRead)
          candidates_.push_back({covering.at + into, covering.from + into, covering.length - into, covering.kind});
        ++p;
        continue;
      }
      const size_t before = candidates_.size();
      gather(p, windowStart);
      if (p + 8 <= target_.size()) remember(p, TargetMix(Load64(target_, p)), Load64(target_, p));
      const Candidate* longCopy = nullptr;
      for (size_t c = before; c < candidates_.size(); ++c) {
        const Candidate& cand = candidates_[c];
        if (cand.at + cand.length > covering.at + covering.length) covering = cand;
        if (cand.length >= kLongCopy && cand.kind != kSourceRead && (!longCopy || cand.length > longCopy->length))
          longCopy = &cand;
      }
      if (longCopy) {
        const Candidate taken = *longCopy;
        candidates_.resize(before);
        settleWindow(out, windowStart, windowStart + taken.at);
        const size_t at = windowStart + taken.at;
        emitCopy(out, taken.kind, at, taken.from, taken.length);
        p = at + taken.length;
        windowStart = p;
        covering = Candidate{0, 0, 0, kTargetRead};
        continue;
      }
      ++p;
      if (p - windowStart >= kWindow) {
        settleWindow(out, windowStart, p);
        windowStart = p;
        covering = Candidate{0, 0, 0, kTargetRead};
      }
    }
    settleWindow(out, windowStart, std::min(p, to));
    gapStart_ = std::max(p, to);
    return gapStart_;
  }

  struct Node {
    std::uint32_t cost = UINT32_MAX;
    std::uint32_t from = kNone;  // the byte the step here started at
    std::uint32_t candidate = kNone;  // the copy taken; kNone: a new byte
    std::uint32_t source = 0;         // the cursors after the path
    std::uint32_t target = 0;
    std::uint32_t fromOpen = 0;
  };

  std::string_view source_;
  std::string_view target_;
  size_t sourceCursor_ = 0;
  size_t targetCursor_ = 0;
  size_t gapStart_ = 0;  // the target's bytes from here are not written yet
  SureReads sureReads_;
  SureReads::Walk walk_;
  LinearEncoder linear_;
  bool indexed_ = false;
  unsigned sourceBits_ = 0;
  std::vector<std::uint32_t> sourceTable_;
  static constexpr unsigned kWays = 4;
  // The newest target offsets of the grams that pick a row, newest first, with their tags.
  struct alignas(32) Row {
    Row() {
      std::fill(std::begin(position), std::end(position), kNone);
      std::fill(std::begin(tag), std::end(tag), 0);
    }
    std::uint32_t position[kWays];
    std::uint32_t tag[kWays];
  };
  std::uint32_t offsetMask_ = UINT32_MAX;
  unsigned rowBits_ = kMaxRowBits;
  std::vector<Row> targetRows_;
  std::vector<Candidate> candidates_;
  std::vector<Node> nodes_;
  std::vector<std::pair<size_t, std::uint32_t>> steps_;
  Text scratch_;
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

namespace {

constexpr std::uint32_t kCrcPolynomial = 0xEDB88320;

// a(x) * b(x) modulo the CRC polynomial, bits reflected as the CRC keeps them.
std::uint32_t MultiplyModP(std::uint32_t a, std::uint32_t b) {
  std::uint32_t product = 0;
  for (std::uint32_t m = std::uint32_t{1} << 31; m != 0; m >>= 1) {
    if (a & m) product ^= b;
    b = (b & 1) ? (b >> 1) ^ kCrcPolynomial : b >> 1;
  }
  return product;
}

// x^(8n) modulo the polynomial, by squaring: appending n zero bytes multiplies by it.
std::uint32_t ShiftForBytes(std::uint64_t n) {
  std::uint32_t power = std::uint32_t{1} << 30;  // x^1
  for (int k = 0; k < 3; ++k) power = MultiplyModP(power, power);  // x^8
  std::uint32_t result = std::uint32_t{1} << 31;  // x^0
  for (; n != 0; n >>= 1) {
    if (n & 1) result = MultiplyModP(power, result);
    power = MultiplyModP(power, power);
  }
  return result;
}

// Below this an image is summed whole: a thread costs more than it saves.
constexpr size_t kCrcThreadFrom = size_t{4} << 20;

}  // namespace

std::uint32_t Crc32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength) {
  return MultiplyModP(ShiftForBytes(secondLength), first) ^ second;
}

Crc32Behind::Crc32Behind(std::string_view data) : data_(data) {
  if (data.size() < kCrcThreadFrom / 2) return;
  try {
    worker_ = std::thread([this] { crc_ = Crc32(data_); });
  } catch (const std::system_error&) {
    // get() sums it.
  }
}

Crc32Behind::~Crc32Behind() {
  if (worker_.joinable()) worker_.join();
}

std::uint32_t Crc32Behind::get() {
  if (worker_.joinable())
    worker_.join();
  else
    crc_ = Crc32(data_);
  return crc_;
}

std::uint32_t Crc32OfImage(std::string_view data) {
  if (data.size() < kCrcThreadFrom) return Crc32(data);
  const size_t half = data.size() / 2;
  Crc32Behind first(data.substr(0, half));
  const std::uint32_t second = Crc32(data.substr(half));
  return Crc32Combine(first.get(), second, data.size() - half);
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
  // Refused before anything is allocated for it: a few bytes of patch can claim gigabytes.
  if (result.targetSize > kBpsMaxTargetSize) Bad("результат больше 64 МБ, таких ROM Game Boy и GBA не бывает");
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

template <class Bytes>
void ApplyBpsPatchInto(const BpsPatch& patch, std::string_view source, Bytes& target) {
  // The walk is made once without writing, so a patch that fails never costs the
  // allocation of the target it claims, nor touches the buffer.
  WalkActions(patch, source.size(), [](unsigned, std::uint64_t, std::uint64_t, std::string_view) {});
  // The actions write every byte of the target, so its fresh pages are not cleared first.
  // (The room offered may be larger than asked for: g++ 12's library rounds it up.)
  const auto size = static_cast<size_t>(patch.targetSize);
  const auto build = [&](char* const image, size_t) {
  size_t out = 0;
  WalkActions(patch, source.size(),
              [&](unsigned kind, std::uint64_t from, std::uint64_t length, std::string_view data) {
                char* to = image + out;
                const auto n = static_cast<size_t>(length);
                if (kind == kSourceRead) {
                  std::memcpy(to, source.data() + out, n);
                } else if (kind == kTargetRead) {
                  std::memcpy(to, data.data(), n);
                } else if (kind == kSourceCopy) {
                  std::memcpy(to, source.data() + from, n);
                } else {
                  // An overlapping copy repeats what it has just written, so it goes byte by byte.
                  const char* src = image + from;
                  if (from + n <= out)
                    std::memcpy(to, src, n);
                  else if (out - from == 1)
                    std::memset(to, *src, n);
                  else
                    for (size_t i = 0; i < n; ++i) to[i] = src[i];
                }
                out += n;
              });
  return size;
  };
#if defined(__cpp_lib_string_resize_and_overwrite)
  target.resize_and_overwrite(size, build);
#else
  target.resize(size);
  build(target.data(), target.size());
#endif
}
template void ApplyBpsPatchInto(const BpsPatch&, std::string_view, Text&);
template void ApplyBpsPatchInto(const BpsPatch&, std::string_view, RomBytes&);

Text CreateBps(std::string_view source, std::string_view target) {
  Text out(kBpsMagic);
  AppendBpsNumber(out, source.size());
  AppendBpsNumber(out, target.size());
  AppendBpsNumber(out, 0);
  ImageCrcs images(source, target);
  DeltaEncoder(source, target).encode(out);
  const auto [sourceCrc, targetCrc] = images.sums();
  AppendLittleEndian32(out, sourceCrc);
  AppendLittleEndian32(out, targetCrc);
  AppendLittleEndian32(out, Crc32(out));
  return out;
}
