// Huffman (0x24, 0x28): a tree of one byte a node after a size byte, then a bit stream
// in 32-bit words read from bit 31 down. A node's two children sit side by side at most
// 64 pairs of bytes after the node's own pair, which the packer's layout must respect.
#include <algorithm>
#include <array>
#include <deque>
#include <queue>
#include <stdexcept>
#include <vector>

#include "compression/Codecs.h"

namespace {

constexpr size_t kRoot = 5;  // header, size byte, then the root

std::uint8_t At(std::string_view data, size_t i) {
  return static_cast<std::uint8_t>(data[i]);
}

int SymbolBits(StreamType type) {
  return type == StreamType::Huff4 ? 4 : 8;
}

// Walks the bit stream; `emit` takes each symbol and says whether to go on.
template <class Emit>
StreamError Decode(std::string_view data, size_t treeEnd, size_t symbols, int bits, size_t& wordsUsed, Emit emit) {
  size_t node = kRoot, pos = treeEnd, done = 0;
  wordsUsed = 0;
  while (done < symbols) {
    if (pos + 4 > data.size()) return StreamError::Truncated;
    const std::uint32_t word = At(data, pos) | At(data, pos + 1) << 8 | At(data, pos + 2) << 16 |
                               static_cast<std::uint32_t>(At(data, pos + 3)) << 24;
    pos += 4;
    ++wordsUsed;
    for (int b = 31; b >= 0 && done < symbols; --b) {
      const unsigned bit = word >> b & 1;
      const unsigned v = At(data, node);
      const size_t child = (node & ~size_t{1}) + (v & 0x3F) * 2 + 2 + bit;
      if (child >= treeEnd) return StreamError::TreeOutOfRange;
      if (!(v & (bit ? 0x40 : 0x80))) {
        node = child;
        continue;
      }
      const unsigned symbol = At(data, child);
      if (bits == 4 && symbol > 0x0F) return StreamError::BadSymbol;
      emit(symbol);
      ++done;
      node = kRoot;
    }
  }
  return StreamError::None;
}

// The tree's end, or an error for a tree that cannot be one.
StreamError TreeEnd(std::string_view data, size_t& treeEnd) {
  if (data.size() < kRoot) return StreamError::Truncated;
  const size_t t = At(data, 4);
  if (t == 0) return StreamError::EmptyTree;
  treeEnd = 4 + (t + 1) * 2;
  return treeEnd > data.size() ? StreamError::Truncated : StreamError::None;
}

}  // namespace

UnpackResult UnpackHuffman(std::string_view data) {
  UnpackResult r;
  const auto header = ReadStreamHeader(data);
  if (!header || (header->type != StreamType::Huff4 && header->type != StreamType::Huff8)) {
    r.error = StreamError::UnknownType;
    return r;
  }
  r.packedSize = 4;
  if (header->size == 0) return r;
  size_t treeEnd = 0, words = 0;
  if ((r.error = TreeEnd(data, treeEnd)) != StreamError::None) return r;
  const int bits = SymbolBits(header->type);
  // Every symbol takes a bit at least: a size the data cannot reach is refused before
  // its buffer is made.
  if (std::uint64_t{header->size} * (8 / bits) > std::uint64_t{data.size() - treeEnd} * 8) {
    r.error = StreamError::Truncated;
    return r;
  }
  r.data.reserve(header->size);
  bool low = true;
  r.error = Decode(data, treeEnd, size_t{header->size} * (8 / bits), bits, words, [&](unsigned s) {
    if (bits == 8) {
      r.data += static_cast<char>(s);
    } else if (low) {
      r.data += static_cast<char>(s);
    } else {
      r.data.back() = static_cast<char>(static_cast<std::uint8_t>(r.data.back()) | s << 4);
    }
    low = !low;
  });
  if (r.error != StreamError::None) {
    r.data.clear();
    return r;
  }
  r.packedSize = treeEnd + 4 * words;
  return r;
}

StreamCheck CheckHuffman(std::string_view data) {
  StreamCheck c;
  const auto header = ReadStreamHeader(data);
  if (!header || (header->type != StreamType::Huff4 && header->type != StreamType::Huff8)) {
    c.error = StreamError::UnknownType;
    return c;
  }
  c.packedSize = 4;
  if (header->size == 0) return c;
  size_t treeEnd = 0, words = 0;
  if ((c.error = TreeEnd(data, treeEnd)) != StreamError::None) return c;
  const int bits = SymbolBits(header->type);
  // Every stream needs at least one bit a symbol: a size the rest of the data cannot
  // hold is refused before the walk.
  const std::uint64_t symbols = std::uint64_t{header->size} * (8 / bits);
  if ((symbols + 31) / 32 * 4 > data.size() - treeEnd) return c.error = StreamError::Truncated, c;
  c.error = Decode(data, treeEnd, symbols, bits, words, [](unsigned) {});
  c.packedSize = treeEnd + 4 * words;
  return c;
}

size_t HuffmanTreeUnusedBytes(std::string_view data) {
  size_t treeEnd = 0;
  if (TreeEnd(data, treeEnd) != StreamError::None) return SIZE_MAX;
  std::vector<bool> reached(treeEnd, false);
  std::vector<size_t> todo{kRoot};
  reached[kRoot] = true;
  size_t count = 1;
  while (!todo.empty()) {
    const size_t node = todo.back();
    todo.pop_back();
    const unsigned v = At(data, node);
    const size_t child = (node & ~size_t{1}) + (v & 0x3F) * 2 + 2;
    if (child + 1 >= treeEnd) return SIZE_MAX;
    for (int k = 0; k < 2; ++k) {
      if (reached[child + k]) return SIZE_MAX;  // two parents: no tree
      reached[child + k] = true;
      ++count;
      if (!(v & (k ? 0x40 : 0x80))) todo.push_back(child + k);
    }
  }
  return treeEnd - kRoot - count;
}

namespace {

struct Node {
  int child[2] = {-1, -1};  // -1 for a leaf
  int symbol = 0;
  std::uint64_t weight = 0;
};

std::vector<Node> BuildTree(const std::vector<std::uint64_t>& counts) {
  std::vector<Node> nodes;
  using Item = std::pair<std::uint64_t, int>;
  std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
  for (size_t s = 0; s < counts.size(); ++s) {
    if (!counts[s]) continue;
    nodes.push_back(Node{{-1, -1}, static_cast<int>(s), counts[s]});
    queue.emplace(counts[s], static_cast<int>(nodes.size() - 1));
  }
  // The root must be an inner node: a lone symbol gets a partner that never occurs.
  if (nodes.size() == 1) {
    nodes.push_back(Node{{-1, -1}, nodes[0].symbol ^ 1, 0});
    queue.emplace(0, 1);
  }
  while (queue.size() > 1) {
    const auto [wa, a] = queue.top();
    queue.pop();
    const auto [wb, b] = queue.top();
    queue.pop();
    nodes.push_back(Node{{a, b}, 0, wa + wb});
    queue.emplace(wa + wb, static_cast<int>(nodes.size() - 1));
  }
  return nodes;  // the root is the last node
}

bool IsLeaf(const Node& n) {
  return n.child[0] < 0;
}

// Places the children of every inner node as a pair within 64 pairs after the node's
// own pair. Each waiting node has a deadline; the most recent one is served (keeping
// few nodes waiting, as depth first does) unless the earliest is out of slack, as
// earliest-deadline-first demands. Pair 0 holds the size byte and the root.
std::vector<std::array<int, 2>> LayOut(const std::vector<Node>& nodes, int root) {
  struct Waiting {
    int node;
    size_t pair;
  };
  std::vector<std::array<int, 2>> pairs{{-1, root}};
  std::deque<Waiting> waiting{{root, 0}};
  while (!waiting.empty()) {
    const size_t slot = pairs.size();
    bool tight = false;
    for (size_t i = 0; i < waiting.size(); ++i) {
      const size_t deadline = waiting[i].pair + 64;
      if (deadline < slot + i) throw std::logic_error("Huffman tree layout out of reach");
      if (deadline == slot + i) tight = true;
    }
    Waiting w = tight ? waiting.front() : waiting.back();
    tight ? waiting.pop_front() : waiting.pop_back();
    const Node& n = nodes[w.node];
    pairs.push_back({n.child[0], n.child[1]});
    for (int c : n.child)
      if (!IsLeaf(nodes[c])) waiting.push_back({c, slot});
  }
  return pairs;
}

}  // namespace

std::string PackHuffman(std::string_view input, int symbolBits) {
  if (input.size() > kMaxUnpackedSize) throw std::length_error("Huffman input above 16 MiB");
  const StreamType type = symbolBits == 4 ? StreamType::Huff4 : StreamType::Huff8;
  std::string out = StreamHeaderBytes(type, static_cast<std::uint32_t>(input.size()));
  if (input.empty()) return out;
  std::vector<std::uint64_t> counts(symbolBits == 4 ? 16 : 256, 0);
  for (char ch : input) {
    const unsigned b = static_cast<std::uint8_t>(ch);
    if (symbolBits == 4) {
      ++counts[b & 0x0F], ++counts[b >> 4];
    } else {
      ++counts[b];
    }
  }
  const std::vector<Node> nodes = BuildTree(counts);
  const int root = static_cast<int>(nodes.size() - 1);
  const auto pairs = LayOut(nodes, root);
  // Where each node's byte lies, and the tree bytes themselves.
  std::vector<size_t> placeOf(nodes.size(), 0);
  for (size_t p = 0; p < pairs.size(); ++p)
    for (int k = 0; k < 2; ++k)
      if (pairs[p][k] >= 0) placeOf[pairs[p][k]] = 2 * p + k;
  std::string tree(pairs.size() * 2, '\0');
  tree[0] = static_cast<char>(pairs.size() - 1);
  for (size_t i = 0; i < nodes.size(); ++i) {
    const Node& n = nodes[i];
    if (IsLeaf(n)) {
      tree[placeOf[i]] = static_cast<char>(n.symbol);
      continue;
    }
    const size_t childPair = placeOf[n.child[0]] / 2;
    const size_t offset = childPair - placeOf[i] / 2 - 1;
    tree[placeOf[i]] = static_cast<char>(offset | (IsLeaf(nodes[n.child[0]]) ? 0x80 : 0) |
                                         (IsLeaf(nodes[n.child[1]]) ? 0x40 : 0));
  }
  out += tree;
  std::vector<std::string> codes(counts.size());
  std::vector<std::pair<int, std::string>> todo{{root, std::string()}};
  while (!todo.empty()) {
    auto [i, code] = std::move(todo.back());
    todo.pop_back();
    if (IsLeaf(nodes[i])) {
      codes[nodes[i].symbol] = code;
      continue;
    }
    todo.emplace_back(nodes[i].child[0], code + '0');
    todo.emplace_back(nodes[i].child[1], code + '1');
  }
  std::uint32_t word = 0;
  int used = 0;
  const auto flush = [&] {
    for (int k = 0; k < 4; ++k) out += static_cast<char>(word >> (8 * k) & 0xFF);
    word = 0, used = 0;
  };
  const auto put = [&](unsigned symbol) {
    for (char bit : codes[symbol]) {
      if (bit == '1') word |= 1u << (31 - used);
      if (++used == 32) flush();
    }
  };
  for (char ch : input) {
    const unsigned b = static_cast<std::uint8_t>(ch);
    if (symbolBits == 4) {
      put(b & 0x0F), put(b >> 4);
    } else {
      put(b);
    }
  }
  if (used) flush();
  return out;
}
