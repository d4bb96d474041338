#include "workspace/RtfReader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "workspace/Cp1251.h"

namespace {

void AppendEscaped(std::string& out, char32_t cp) {
  switch (cp) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    default: cp1251::AppendUtf8(out, cp);
  }
}

struct CharFormat {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int halfPoints = 0;  // 0: the viewer's own size
  bool operator==(const CharFormat&) const = default;
};

struct GroupState {
  CharFormat format;
  bool skip = false;  // a destination whose text is not shown
  int unicodeSkip = 1;
};

// Destinations that hold no text of the document.
constexpr std::array<std::string_view, 26> kSkippedDestinations = {
    "fonttbl",   "colortbl",     "stylesheet", "info",
    "pict",      "header",       "headerl",    "headerr",
    "headerf",   "footer",       "footerl",    "footerr",
    "footerf",   "object",       "fldinst",    "themedata",
    "datastore", "latentstyles", "listtable",  "listoverridetable",
    "rsidtbl",   "generator",    "xmlnstbl",   "colorschememapping",
    "filetbl",   "revtbl",
};

// Special characters named by control words.
struct NamedChar {
  std::string_view word;
  char32_t cp;
};
constexpr std::array<NamedChar, 9> kNamedChars = {{
    {"emdash", 0x2014},
    {"endash", 0x2013},
    {"bullet", 0x2022},
    {"lquote", 0x2018},
    {"rquote", 0x2019},
    {"ldblquote", 0x201C},
    {"rdblquote", 0x201D},
    {"emspace", 0x2003},
    {"enspace", 0x2002},
}};

class Reader {
 public:
  explicit Reader(std::string_view rtf) : in_(rtf) { groups_.push_back(GroupState{}); }

  std::string run() {
    while (pos_ < in_.size()) step();
    endParagraph(false);
    return "<html><body>" + out_ + "</body></html>";
  }

 private:
  std::string_view in_;
  size_t pos_ = 0;
  std::vector<GroupState> groups_;
  std::string out_;   // finished paragraphs
  std::string para_;  // the paragraph being read
  bool paraHasText_ = false;
  CharFormat open_;      // the format whose tags are open in para_
  std::string align_;    // "" or "center", "right", "justify"
  int pendingSkip_ = 0;  // characters still to drop after a \u
  char32_t highSurrogate_ = 0;
  bool groupStart_ = false;  // the previous token opened a group

  GroupState& state() { return groups_.back(); }

  void step() {
    const char c = in_[pos_];
    if (c == '{') {
      ++pos_;
      groups_.push_back(groups_.back());
      groupStart_ = true;
      return;
    }
    const bool atGroupStart = groupStart_;
    groupStart_ = false;
    if (c == '}') {
      ++pos_;
      if (groups_.size() > 1) groups_.pop_back();
      pendingSkip_ = 0;
      return;
    }
    if (c == '\\') {
      readControl(atGroupStart);
      return;
    }
    ++pos_;
    if (c == '\r' || c == '\n') return;
    text(cp1251::Decode(static_cast<unsigned char>(c)));
  }

  void readControl(bool atGroupStart) {
    ++pos_;
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (!IsLetter(c)) {
      ++pos_;
      controlSymbol(c, atGroupStart);
      return;
    }
    const size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_]) && pos_ - start < 32) ++pos_;
    const std::string_view word = in_.substr(start, pos_ - start);
    bool hasParam = false;
    std::int64_t param = 0;
    bool negative = false;
    if (pos_ < in_.size() && in_[pos_] == '-') negative = true, ++pos_;
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
      hasParam = true;
      // Parameters are 16- or 32-bit; more digits only keep the value pinned.
      param = std::min<std::int64_t>(param * 10 + (in_[pos_] - '0'), 1'000'000'000);
      ++pos_;
    }
    if (negative) param = -param;
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    controlWord(word, hasParam, static_cast<int>(param), atGroupStart);
  }

  void controlSymbol(char c, bool atGroupStart) {
    switch (c) {
      case '\\':
      case '{':
      case '}': text(static_cast<unsigned char>(c)); break;
      case '~': text(0x00A0); break;
      case '_': text(0x2011); break;
      case '-': break;  // optional hyphen
      case '*':
        if (atGroupStart) state().skip = true;
        break;
      case '\'': hexChar(); break;
      case '\r':
      case '\n': paragraph(); break;  // a backslash before a line break is \par
      default: break;
    }
  }

  void hexChar() {
    int value = 0;
    int digits = 0;
    while (digits < 2 && pos_ < in_.size() && HexValue(in_[pos_]) >= 0) {
      value = value * 16 + HexValue(in_[pos_]);
      ++pos_;
      ++digits;
    }
    if (digits == 0) return;
    text(cp1251::Decode(static_cast<unsigned char>(value)));
  }

  void controlWord(std::string_view word, bool hasParam, int param, bool atGroupStart) {
    CharFormat& f = state().format;
    const bool on = !hasParam || param != 0;
    if (atGroupStart && IsSkippedDestination(word)) {
      state().skip = true;
    } else if (word == "par") {
      paragraph();
    } else if (word == "line") {
      if (!skipping()) appendRaw("<br>");
    } else if (word == "tab") {
      text(0x2003);
    } else if (word == "b") {
      f.bold = on;
    } else if (word == "i") {
      f.italic = on;
    } else if (word == "ul") {
      f.underline = on;
    } else if (word == "ulnone") {
      f.underline = false;
    } else if (word == "fs") {
      f.halfPoints = hasParam ? std::clamp(param, 0, 400) : 0;
    } else if (word == "plain") {
      f = CharFormat{};
    } else if (word == "pard") {
      align_.clear();
    } else if (word == "qc") {
      align_ = "center";
    } else if (word == "qr") {
      align_ = "right";
    } else if (word == "qj") {
      align_ = "justify";
    } else if (word == "ql") {
      align_.clear();
    } else if (word == "uc") {
      state().unicodeSkip = std::clamp(param, 0, 16);
    } else if (word == "u") {
      unicodeChar(param);
    } else if (word == "bin") {
      pos_ += static_cast<size_t>(std::clamp<std::int64_t>(param, 0, static_cast<std::int64_t>(in_.size() - pos_)));
    } else {
      for (const NamedChar& n : kNamedChars)
        if (word == n.word) text(n.cp);
    }
  }

  void unicodeChar(int param) {
    // \u takes a signed 16-bit value; the characters that follow stand in for readers
    // that do not know \u, and are dropped.
    const auto unit = static_cast<char32_t>(param < 0 ? param + 65536 : param) & 0xFFFF;
    const int skipAfter = state().unicodeSkip;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      highSurrogate_ = unit;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      textUnchecked(highSurrogate_ != 0 ? 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00) : 0xFFFD);
      highSurrogate_ = 0;
    } else {
      textUnchecked(unit);
    }
    pendingSkip_ = skipAfter;
  }

  bool skipping() const { return groups_.back().skip; }

  void text(char32_t cp) {
    if (pendingSkip_ > 0) {
      --pendingSkip_;
      return;
    }
    textUnchecked(cp);
  }

  void textUnchecked(char32_t cp) {
    // Control characters have no place in the guide's text.
    if (skipping() || cp < 0x20) return;
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
    syncFormat();
    AppendEscaped(para_, cp);
    paraHasText_ = true;
  }

  void appendRaw(std::string_view html) {
    syncFormat();
    para_ += html;
    paraHasText_ = true;
  }

  void paragraph() {
    if (skipping()) return;
    endParagraph(true);
  }

  void endParagraph(bool explicitEnd) {
    closeTags();
    if (!paraHasText_ && !explicitEnd) return;
    out_ += align_.empty() ? "<p>" : "<p align=\"" + align_ + "\">";
    out_ += paraHasText_ ? para_ : "&nbsp;";
    out_ += "</p>\n";
    para_.clear();
    paraHasText_ = false;
  }

  void syncFormat() {
    const CharFormat& want = groups_.back().format;
    if (want == open_) return;
    closeTags();
    if (want.halfPoints > 0) {
      para_ += "<span style=\"font-size:" + std::to_string(want.halfPoints / 2);
      para_ += (want.halfPoints % 2 ? ".5pt\">" : "pt\">");
    }
    if (want.bold) para_ += "<b>";
    if (want.italic) para_ += "<i>";
    if (want.underline) para_ += "<u>";
    open_ = want;
  }

  void closeTags() {
    if (open_.underline) para_ += "</u>";
    if (open_.italic) para_ += "</i>";
    if (open_.bold) para_ += "</b>";
    if (open_.halfPoints > 0) para_ += "</span>";
    open_ = CharFormat{};
  }

  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }
  static bool IsSkippedDestination(std::string_view word) {
    return std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), word) != kSkippedDestinations.end();
  }
};

}  // namespace

bool LooksLikeRtf(std::string_view data) {
  const size_t first = data.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && data.substr(first, 5) == "{\\rtf";
}

std::string RtfToHtml(std::string_view rtf) {
  return Reader(rtf).run();
}

std::string PlainTextToHtml(std::string_view text) {
  std::string out = "<html><body>";
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out += "<p>";
    if (line.empty()) out += "&nbsp;";
    for (char c : line) AppendEscaped(out, cp1251::Decode(static_cast<unsigned char>(c)));
    out += "</p>\n";
    start = end + 1;
  }
  return out + "</body></html>";
}

std::string HelpFileToHtml(std::string_view data) {
  return LooksLikeRtf(data) ? RtfToHtml(data) : PlainTextToHtml(data);
}
