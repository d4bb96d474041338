#include "workspace/EntryCodec.h"

#include <algorithm>
#include <limits>

#include "workspace/Escapes.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

// Characters as the extraction counts them: an escape is one.
int CharCount(std::string_view text) {
  int count = 0;
  for (size_t i = 0; i < text.size(); ++count) {
    if (EscapeAt(text, i))
      i += 5;
    else
      utf8::Next(text, i);
  }
  return count;
}

// The bytes of the UTF-8 character that starts at text[i].
size_t CharBytes(std::string_view text, size_t i) {
  size_t end = i;
  utf8::Next(text, end);
  return end - i;
}

// The cheaper of two codes for one text: fewer bytes, then the lower code.
bool Cheaper(const Text& a, const Text& b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

}  // namespace

Text EscapesOf(std::string_view bytes) {
  Text out;
  for (unsigned char b : bytes) out += Text("<$") + kHexDigits[b >> 4] + kHexDigits[b & 15] + ">";
  return out;
}

unsigned char UnknownCharByte(char32_t c) {
  return cp1251::Encode(c).value_or('?');
}

EntryCodec::EntryCodec(const Workspace& ws) : EntryCodec(ws.CharTableLookup, ws.TableEntries) {}

EntryCodec::EntryCodec(const std::u32string& lookup, const std::vector<TableEntry>& entries, bool windows1251) {
  const auto form = [windows1251](Text text) {
    return windows1251 ? cp1251::FromUtf8(text).value_or(text) : text;
  };
  byteNodes_.push_back({});
  byteNodes_[0].entry.fill(0);
  byteNodes_[0].child.fill(0);
  textNodes_.push_back({});
  std::array<bool, 256> inGrid{};
  for (size_t code = 0; code < 256 && code < lookup.size(); ++code) {
    if (lookup[code] == 0) continue;
    inGrid[code] = true;
    add({Text(1, static_cast<char>(code)), form(utf8::Of(lookup[code])), 1, false});
  }
  for (const TableEntry& e : entries) {
    if (e.code.empty() || e.code.size() > kMaxCodeBytes) continue;
    if (e.code.size() == 1 && inGrid[static_cast<unsigned char>(e.code[0])]) continue;
    Text text = e.text.empty() ? EscapesOf(e.code) : e.text;
    const int chars = CharCount(text);
    add({e.code, form(std::move(text)), chars, e.kind == EntryKind::End});
  }
}

void EntryCodec::add(Item item) {
  size_t node = 0;
  for (size_t k = 0; k + 1 < item.code.size(); ++k) {
    const auto b = static_cast<unsigned char>(item.code[k]);
    if (byteNodes_[node].child[b] == 0) {
      byteNodes_[node].child[b] = static_cast<std::int32_t>(byteNodes_.size());
      byteNodes_.push_back({});
      byteNodes_.back().entry.fill(0);
      byteNodes_.back().child.fill(0);
    }
    node = static_cast<size_t>(byteNodes_[node].child[b]);
  }
  const auto last = static_cast<unsigned char>(item.code.back());
  std::int32_t& slot = byteNodes_[node].entry[last];
  if (slot != 0) return;  // the load keeps one entry per code; a cell hides its twin
  items_.push_back(std::move(item));
  slot = static_cast<std::int32_t>(items_.size());
  addText(static_cast<std::int32_t>(items_.size() - 1));
  longestText_ = std::max(longestText_, items_.back().text.size());
}

std::int32_t EntryCodec::textChild(std::int32_t node, unsigned char c) const {
  if (node == 0) return textRoot_[c];
  for (const auto& [ch, kid] : textNodes_[static_cast<size_t>(node)].kids)
    if (ch == c) return kid;
  return 0;
}

void EntryCodec::addText(std::int32_t item) {
  const Text& text = items_[static_cast<size_t>(item)].text;
  std::int32_t node = 0;
  for (unsigned char c : text) {
    std::int32_t kid = textChild(node, c);
    if (kid == 0) {
      kid = static_cast<std::int32_t>(textNodes_.size());
      textNodes_.push_back({});
      if (node == 0)
        textRoot_[c] = kid;
      else
        textNodes_[static_cast<size_t>(node)].kids.push_back({c, kid});
    }
    node = kid;
  }
  std::int32_t& best = textNodes_[static_cast<size_t>(node)].best;
  if (best < 0 || Cheaper(items_[static_cast<size_t>(item)].code, items_[static_cast<size_t>(best)].code)) best = item;
}

EntryCodec::Encoded EntryCodec::encode(std::string_view text) const {
  // cost(i): the fewest bytes for text[i..]; item[i]: the piece chosen at i (an entry,
  // kEscape or kUnknown), which also gives how many characters it takes. Walking from
  // the end lets each position pick, among its cheapest continuations, the longest
  // entry text; the cheapest item of one text is the lowest code. A piece is never
  // longer than the longest entry text or an escape, so the costs live in a ring of
  // that many places and only item[] grows with the text: a long text stays in cache.
  constexpr std::int32_t kEscape = -1;
  constexpr std::int32_t kUnknown = -2;
  const size_t n = text.size();
  constexpr auto kNone = std::numeric_limits<std::uint32_t>::max();
  const size_t ring = std::max<size_t>(longestText_, 5) + 1;
  std::vector<std::uint32_t> costs(ring, 0);
  const auto cost = [&](size_t i) -> std::uint32_t& { return costs[i % ring]; };
  std::vector<std::int32_t> item(n, kUnknown);
  const auto length = [&](size_t i) -> size_t {
    return item[i] >= 0 ? items_[static_cast<size_t>(item[i])].text.size() : item[i] == kEscape ? 5 : CharBytes(text, i);
  };
  // Where the characters start, read forwards (a stray byte is a character of its own):
  // only whole characters are pieces.
  std::vector<bool> starts(n, false);
  for (size_t i = 0; i < n;) {
    starts[i] = true;
    utf8::Next(text, i);
  }
  cost(n) = 0;
  for (size_t i = n; i-- > 0;) {
    if (!starts[i]) continue;
    if (EscapeAt(text, i)) {
      cost(i) = 1 + cost(i + 5);
      item[i] = kEscape;
      continue;
    }
    std::uint32_t best = kNone;
    std::int32_t node = 0;
    for (size_t d = 1; i + d <= n; ++d) {
      node = textChild(node, static_cast<unsigned char>(text[i + d - 1]));
      if (node == 0) break;
      const std::int32_t it = textNodes_[static_cast<size_t>(node)].best;
      if (it < 0) continue;
      const std::uint32_t c = static_cast<std::uint32_t>(items_[static_cast<size_t>(it)].code.size()) + cost(i + d);
      if (c <= best) {  // equal cost: the longer text wins
        best = c;
        item[i] = it;
      }
    }
    cost(i) = best == kNone ? 1 + cost(i + CharBytes(text, i)) : best;
  }
  Encoded out;
  out.bytes.reserve(n == 0 ? 0 : cost(0));
  for (size_t i = 0; i < n; i += length(i)) {
    if (item[i] >= 0) {
      out.bytes += items_[static_cast<size_t>(item[i])].code;
    } else if (item[i] == kEscape) {
      out.bytes += static_cast<char>(*EscapeAt(text, i));
    } else {
      out.unknown.push_back(out.bytes.size());
      size_t at = i;
      out.bytes += static_cast<char>(UnknownCharByte(utf8::Next(text, at)));
    }
  }
  return out;
}

std::optional<size_t> EntryCodec::matchesImage(std::string_view image, std::int64_t offset,
                                               std::string_view line) const {
  if (offset < 0 || offset > static_cast<std::int64_t>(image.size())) return std::nullopt;
  const auto* bytes = reinterpret_cast<const unsigned char*>(image.data());
  size_t pos = static_cast<size_t>(offset);
  size_t k = 0;
  Text escape;
  while (k < line.size()) {
    if (pos >= image.size()) return std::nullopt;
    const Match m = decodeAt(bytes + pos, image.size() - pos);
    if (m.entry < 0) escape = EscapesOf(image.substr(pos, 1));
    const std::string_view piece = m.entry >= 0 ? std::string_view(text(m.entry)) : std::string_view(escape);
    if (line.substr(k, piece.size()) != piece) return std::nullopt;
    k += piece.size();
    pos += m.entry >= 0 ? m.length : 1;
  }
  return pos - static_cast<size_t>(offset);
}
