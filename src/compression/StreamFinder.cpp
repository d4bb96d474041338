#include "compression/StreamFinder.h"

#include <map>
#include <queue>

#include "textio/GbaPointer.h"

namespace {

constexpr size_t kTreePadding = 3;

// Run-length streams cannot fail part way, so a false one is only told by where its
// blocks end, which may be megabytes on. Block chains from different starts soon meet
// and then run together, so all candidates walk at once: one walker per position, its
// candidates waiting for their sizes in a heap.
class RleSweep {
 public:
  explicit RleSweep(std::string_view rom) : rom_(rom) {}

  void add(size_t offset, std::uint32_t size) {
    starts_.push_back({offset, size});
  }

  // The accepted candidates: offset and packed size.
  std::vector<std::pair<size_t, size_t>> run() {
    size_t next = 0;
    while (next < starts_.size() || !walkers_.empty()) {
      if (next < starts_.size() && (walkers_.empty() || starts_[next].offset + 4 <= walkers_.begin()->first)) {
        Walker w;
        w.goals.push({starts_[next].size, starts_[next].offset});
        place(starts_[next].offset + 4, std::move(w));
        ++next;
        continue;
      }
      auto node = walkers_.extract(walkers_.begin());
      step(node.key(), std::move(node.mapped()));
    }
    return accepted_;
  }

 private:
  struct Goal {
    std::uint64_t target;  // in the walker's count of bytes produced
    size_t offset;
    bool operator>(const Goal& o) const { return target > o.target; }
  };
  struct Walker {
    std::uint64_t produced = 0;
    std::priority_queue<Goal, std::vector<Goal>, std::greater<>> goals;
  };
  struct Start {
    size_t offset;
    std::uint32_t size;
  };

  void place(size_t pos, Walker w) {
    auto [it, fresh] = walkers_.try_emplace(pos);
    if (fresh) {
      it->second = std::move(w);
      return;
    }
    Walker& here = it->second;
    if (here.goals.size() < w.goals.size()) std::swap(here, w);
    while (!w.goals.empty()) {
      Goal g = w.goals.top();
      w.goals.pop();
      g.target = g.target - w.produced + here.produced;
      here.goals.push(g);
    }
  }

  void step(size_t pos, Walker w) {
    const size_t n = rom_.size();
    if (pos >= n) return;  // every candidate still waiting is cut short
    const unsigned f = static_cast<std::uint8_t>(rom_[pos]);
    const bool isRun = f & 0x80;
    const size_t length = isRun ? (f & 0x7F) + 3 : (f & 0x7F) + 1;
    const size_t end = pos + 1 + (isRun ? 1 : length);
    if (end > n) return;
    w.produced += length;
    while (!w.goals.empty() && w.goals.top().target <= w.produced) {
      if (w.goals.top().target == w.produced) accepted_.emplace_back(w.goals.top().offset, end - w.goals.top().offset);
      w.goals.pop();
    }
    if (!w.goals.empty()) place(end, std::move(w));
  }

  std::string_view rom_;
  std::vector<Start> starts_;
  std::map<size_t, Walker> walkers_;
  std::vector<std::pair<size_t, size_t>> accepted_;
};

bool Accepted(const StreamCheck& c) {
  return c.error == StreamError::None && !c.overran && c.zeroTail;
}

void CountPointers(std::string_view rom, std::vector<FoundStream>& found) {
  GbaPointerSet set;
  std::vector<int> idOf;
  for (const FoundStream& s : found) idOf.push_back(set.add(kGbaRomBase + static_cast<std::uint32_t>(s.offset)));
  std::vector<size_t> hits(set.size(), 0);
  ScanForGbaPointers(rom, set, 4, [&](size_t, int id) {
    ++hits[id];
    return true;
  });
  for (size_t i = 0; i < found.size(); ++i) found[i].pointers = hits[idOf[i]];
}

}  // namespace

std::vector<FoundStream> FindStreams(std::string_view rom, const std::function<void(size_t)>& progress) {
  std::vector<FoundStream> found;
  RleSweep rle(rom);
  // A cartridge pointer reaches 32 MiB at most; past that nothing is looked for.
  const size_t end = std::min<size_t>(rom.size(), kGbaCartridgeSize);
  for (size_t at = 0; at + 4 <= end; at += 4) {
    if (progress && (at & 0xFFFFF) == 0) progress(at);
    const auto header = ReadStreamHeader(rom.substr(at, 4));
    if (!header || header->size == 0) continue;
    const std::string_view data = rom.substr(at);
    StreamCheck c;
    switch (header->type) {
      case StreamType::Rle:
        rle.add(at, header->size);
        continue;
      case StreamType::Lz77: c = CheckLz77(data); break;
      case StreamType::Huff4:
      case StreamType::Huff8:
        if (HuffmanTreeUnusedBytes(data) > kTreePadding) continue;
        c = CheckHuffman(data);
        break;
    }
    if (Accepted(c)) found.push_back({at, header->type, c.packedSize, header->size, 0});
  }
  for (const auto& [offset, packed] : rle.run()) {
    const auto header = ReadStreamHeader(rom.substr(offset, 4));
    found.push_back({offset, StreamType::Rle, packed, header->size, 0});
  }
  std::sort(found.begin(), found.end(), [](const FoundStream& a, const FoundStream& b) { return a.offset < b.offset; });
  CountPointers(rom, found);
  if (progress) progress(end);
  return found;
}
