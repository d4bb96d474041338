#pragma once
// The extended table's codec: codes of 1 to 8 bytes, entries of several characters, end
// codes. Every operation that turns bytes into text or text into bytes through an
// extended table goes through this one class, so extraction, insertion, patches, the
// dumper and the editors can never disagree about a cutting.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "workspace/Workspace.h"

class EntryCodec {
 public:
  // The table of `ws`: its one-byte one-character entries from CharTableLookup and the
  // entries the grid cannot hold from TableEntries. A grid cell that has a character
  // hides an entry of the same one-byte code.
  explicit EntryCodec(const Workspace& ws);
  // With `windows1251` every text decodes to its Windows-1251 bytes instead of UTF-8 (for
  // a report written in that encoding; every text must fit). Counts stay in characters.
  EntryCodec(const std::u32string& lookup, const std::vector<TableEntry>& entries, bool windows1251 = false);

  static constexpr size_t kMaxCodeBytes = 8;

  // The longest code that starts at p (with `avail` bytes there), or entry -1 when no
  // code starts there.
  struct Match {
    int entry = -1;
    size_t length = 0;
  };
  Match decodeAt(const unsigned char* p, size_t avail) const;

  // False when no code begins with byte b: such a byte never belongs to a string start.
  bool mayStartCode(unsigned char b) const { return byteNodes_[0].entry[b] != 0 || byteNodes_[0].child[b] != 0; }

  // The entry of byte b when b is a whole code that begins no longer one, else -1: such a
  // byte decodes alone, whatever follows it.
  int loneByteEntry(unsigned char b) const { return byteNodes_[0].child[b] == 0 ? byteNodes_[0].entry[b] - 1 : -1; }

  const Text& text(int entry) const { return items_[static_cast<size_t>(entry)].text; }  // what it decodes to
  int chars(int entry) const { return items_[static_cast<size_t>(entry)].chars; }        // an escape counting as one
  bool ends(int entry) const { return items_[static_cast<size_t>(entry)].ends; }

  // The strings of `bytes` as the extraction finds them: runs of entries of at least
  // `minChars` characters, each ended by a byte that starts no code or after an end
  // code; onString(start, end) for each, [start, end) as offsets, in order.
  template <class OnString>
  void forEachString(std::string_view bytes, std::int64_t minChars, OnString&& onString) const;
  // Appends the text of bytes [start, end) that forEachString gave, entry by entry.
  template <class Out>
  void appendString(std::string_view bytes, size_t start, size_t end, Out& out) const;

  // The fewest bytes that give `text` (escapes as typed, each its single byte). Where
  // no entry's text matches, the character is unknown: its byte (UnknownCharByte) goes
  // into `bytes` and its index into `unknown`.
  struct Encoded {
    Text bytes;
    std::vector<size_t> unknown;
  };
  Encoded encode(std::string_view text) const;

  // When the bytes of `image` from `offset` decode, entry by entry (a byte that starts
  // no code as its escape), to exactly `line`, the number of bytes they take.
  std::optional<size_t> matchesImage(std::string_view image, std::int64_t offset, std::string_view line) const;

 private:
  struct Item {
    Text code;
    Text text;
    int chars = 0;
    bool ends = false;
  };
  // Codes, byte by byte: entry[b] is the item whose code ends with byte b here, child[b]
  // the node for longer codes; 0 is none (the root is no one's child).
  struct ByteNode {
    std::array<std::int32_t, 256> entry;
    std::array<std::int32_t, 256> child;
  };
  // Entry texts, character by character; `best` is the cheapest item of the text that
  // ends here (fewest bytes, then lowest code).
  struct TextNode {
    std::vector<std::pair<unsigned char, std::int32_t>> kids;
    std::int32_t best = -1;
  };

  void add(Item item);
  void addText(std::int32_t item);
  std::int32_t textChild(std::int32_t node, unsigned char c) const;

  std::vector<Item> items_;
  std::vector<ByteNode> byteNodes_;
  std::vector<TextNode> textNodes_;
  std::array<std::int32_t, 256> textRoot_{};  // first character -> text node, 0 none
  size_t longestText_ = 0;
};

inline EntryCodec::Match EntryCodec::decodeAt(const unsigned char* p, size_t avail) const {
  Match best;
  const ByteNode* node = &byteNodes_[0];
  const size_t limit = avail < kMaxCodeBytes ? avail : kMaxCodeBytes;
  for (size_t k = 0; k < limit; ++k) {
    const unsigned char b = p[k];
    if (node->entry[b] != 0) best = {node->entry[b] - 1, k + 1};
    const std::int32_t next = node->child[b];
    if (next == 0) break;
    node = &byteNodes_[static_cast<size_t>(next)];
  }
  return best;
}

template <class OnString>
void EntryCodec::forEachString(std::string_view bytes, std::int64_t minChars, OnString&& onString) const {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t start = 0;
  std::int64_t chars = -1;  // -1: no string open
  const auto close = [&](size_t end) {
    if (chars >= minChars) onString(start, end);
    chars = -1;
  };
  for (size_t at = 0; at < n;) {
    const Match m = decodeAt(p + at, n - at);
    if (m.entry < 0) {
      if (chars >= 0) close(at);
      ++at;
      continue;
    }
    if (chars < 0) {
      start = at;
      chars = 0;
    }
    chars += items_[static_cast<size_t>(m.entry)].chars;
    at += m.length;
    if (items_[static_cast<size_t>(m.entry)].ends) close(at);
  }
  if (chars >= 0) close(n);
}

template <class Out>
void EntryCodec::appendString(std::string_view bytes, size_t start, size_t end, Out& out) const {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t at = start; at < end;) {
    const Match m = decodeAt(p + at, end - at);
    out.append(items_[static_cast<size_t>(m.entry)].text);
    at += m.length;
  }
}

// The byte insertion writes for a character the table cannot encode: its Windows-1251
// byte, as always, or "?" for a character that code page lacks.
unsigned char UnknownCharByte(char32_t c);

// The escape of every byte of `bytes`, "<$FF>" style.
Text EscapesOf(std::string_view bytes);
