#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <random>
#include <sstream>

#include "workspace/RtfReader.h"
#include "workspace/Settings.h"

namespace {

// The body of the HTML without the document wrapper, for compact expectations.
std::string Body(std::string_view rtf) {
  std::string html = RtfToHtml(rtf);
  const std::string open = "<html><body>", close = "</body></html>";
  EXPECT_EQ(html.substr(0, open.size()), open);
  EXPECT_EQ(html.substr(html.size() - close.size()), close);
  return html.substr(open.size(), html.size() - open.size() - close.size());
}

TEST(RtfReader, CyrillicHexEscapesAreWindows1251) {
  // "Привет" as \'xx escapes, upper and lower case hex digits.
  EXPECT_EQ(Body(R"({\rtf1\ansi\ansicpg1251 \'cf\'f0\'E8\'e2\'e5\'f2\par})"), "<p>Привет</p>\n");
  // 0xA8/0xB8 are Ё/ё, outside the contiguous block.
  EXPECT_EQ(Body(R"({\rtf1 \'a8\'b8})"), "<p>Ёё</p>\n");
  // A truncated escape reads nothing past the end (and a control character is no text).
  EXPECT_EQ(Body(R"({\rtf1 a\'4)"), "<p>a</p>\n");
}

TEST(RtfReader, UnicodeCharactersDropTheirFallback) {
  // \u1055 is П; the "?" after it is the fallback that \uc1 says to drop.
  EXPECT_EQ(Body(R"({\rtf1\uc1 \u1055?\u1088?x})"), "<p>Прx</p>\n");
  // Negative values are the signed 16-bit form; a \'xx fallback counts as one character.
  EXPECT_EQ(Body(R"({\rtf1 \u-3913\'3fy})"), "<p>\xEF\x82\xB7y</p>\n");
  // \uc2 drops two; \uc0 drops none.
  EXPECT_EQ(Body(R"({\rtf1\uc2 \u1044 ab c\uc0 \u1044 d})"), "<p>Д cДd</p>\n");
  // A surrogate pair becomes one character; a lone low surrogate never reaches the HTML raw.
  EXPECT_EQ(Body(R"({\rtf1\uc0 \u-10179\u-8704 !})"), "<p>\xF0\x9F\x98\x80!</p>\n");
  EXPECT_EQ(Body(R"({\rtf1\uc0 \u-8704 !})"), "<p>\xEF\xBF\xBD!</p>\n");
}

TEST(RtfReader, GroupsScopeFormattingAndSkipDestinations) {
  const std::string rtf = R"({\rtf1\ansi{\fonttbl{\f0\fcharset204 Arial;}}{\colortbl;\red0\green0\blue0;})"
                          R"({\*\generator Writer;}{\info{\title T}}A{\b B{\i C}D}E\par})";
  EXPECT_EQ(Body(rtf), "<p>A<b>B</b><b><i>C</i></b><b>D</b>E</p>\n");
  // Unknown destinations marked with \* are skipped, field results are shown.
  EXPECT_EQ(Body(R"({\rtf1 {\*\unknown hidden}{\field{\*\fldinst HYPERLINK "x"}{\fldrslt shown}}})"), "<p>shown</p>\n");
  // Unbalanced closing braces do not pop past the document.
  EXPECT_EQ(Body(R"({\rtf1 a}}} b)"), "<p>a b</p>\n");
}

TEST(RtfReader, BoldItalicUnderlineSwitchOnAndOff) {
  EXPECT_EQ(Body(R"({\rtf1 \b bold\b0  \i it\i0  \ul u\ulnone  \ul1 v\ul0 .})"),
            "<p><b>bold</b> <i>it</i> <u>u</u> <u>v</u>.</p>\n");
  // \plain resets everything, \fs sets the size in half-points.
  EXPECT_EQ(Body(R"({\rtf1 \fs32\b H\plain x\fs21 y})"),
            "<p><span style=\"font-size:16pt\"><b>H</b></span>x<span style=\"font-size:10.5pt\">y</span></p>\n");
}

TEST(RtfReader, ParagraphsLinesAndAlignment) {
  EXPECT_EQ(Body("{\\rtf1 one\\par\r\n\\par two\\line three\\par}"),
            "<p>one</p>\n<p>&nbsp;</p>\n<p>two<br>three</p>\n");
  EXPECT_EQ(Body(R"({\rtf1\qc centred\par\pard left\par})"), "<p align=\"center\">centred</p>\n<p>left</p>\n");
  // Line breaks of the RTF source are not text; a text without a final \par still shows.
  EXPECT_EQ(Body("{\\rtf1 a\r\nb}"), "<p>ab</p>\n");
}

TEST(RtfReader, EscapesHtmlAndControlSymbols) {
  EXPECT_EQ(Body(R"({\rtf1 <a href="x">&amp;\{\}\\\~\emdash\bullet})"),
            "<p>&lt;a href=&quot;x&quot;&gt;&amp;amp;{}\\\xC2\xA0\xE2\x80\x94\xE2\x80\xA2</p>\n");
  // Binary data is stepped over by its length, even when it contains braces.
  EXPECT_EQ(Body("{\\rtf1 {\\pict\\bin4 }{\\\x01}x}"), "<p>x</p>\n");
  // \bin longer than the input ends the document instead of reading past it.
  EXPECT_EQ(Body(R"({\rtf1 a\bin999999 xyz)"), "<p>a</p>\n");
}

TEST(RtfReader, HelpFileThatIsNotRichTextShowsAsPlainText) {
  EXPECT_TRUE(LooksLikeRtf("  \r\n{\\rtf1 x}"));
  EXPECT_FALSE(LooksLikeRtf("{\\rt"));
  EXPECT_FALSE(LooksLikeRtf(""));
  EXPECT_EQ(HelpFileToHtml("\xcf\xf0\xe8<1>\r\n\r\nb"),
            "<html><body><p>При&lt;1&gt;</p>\n<p>&nbsp;</p>\n<p>b</p>\n</body></html>");
  EXPECT_EQ(HelpFileToHtml("{\\rtf1 x}"), RtfToHtml("{\\rtf1 x}"));
}

TEST(RtfReader, ShippedHelpFileReadsAsARussianGuide) {
  std::ifstream in(TARVELLO_HELP_FILE, std::ios::binary);
  ASSERT_TRUE(in) << TARVELLO_HELP_FILE;
  std::ostringstream data;
  data << in.rdbuf();
  ASSERT_TRUE(LooksLikeRtf(data.str()));
  const std::string html = RtfToHtml(data.str());
  // Every menu of the main window is described, and no RTF syntax leaks into the text.
  for (const char* phrase : {"Извлечь текст из ROM", "Вернуть перевод в ROM", "Перевод как IPS", "tarvello.ini",
                             "Редактор перевода", "Генератор таблиц", "Транспонирование", "Extended Logs"})
    EXPECT_NE(html.find(phrase), std::string::npos) << phrase;
  EXPECT_EQ(html.find('\\'), std::string::npos);
  EXPECT_EQ(html.find("fonttbl"), std::string::npos);
  EXPECT_EQ(html.find("Arial"), std::string::npos);
  // A translator editing tarvello.ini by hand finds every key explained (RecentFiles1..8 as one).
  for (const SettingDef& def : SettingDefs()) {
    std::string key = def.key;
    while (std::isdigit(static_cast<unsigned char>(key.back()))) key.pop_back();
    EXPECT_NE(html.find(key), std::string::npos) << key;
  }
}

TEST(RtfReader, RandomInputNeverBreaksTheDocument) {
  // A cheap stand-in for the fuzz target that runs with every test pass: random
  // mixtures of the characters that drive the reader always give a closed document.
  std::mt19937 rng(1251);
  const std::string alphabet = "{}\\'*uabcfsplr0123456789- \r\n\xcf";
  for (int round = 0; round < 2000; ++round) {
    std::string rtf = "{\\rtf1 ";
    const int length = static_cast<int>(rng() % 60);
    for (int i = 0; i < length; ++i) rtf += alphabet[rng() % alphabet.size()];
    const std::string html = RtfToHtml(rtf);
    ASSERT_EQ(html.substr(html.size() - 14), "</body></html>") << rtf;
    ASSERT_LE(html.size(), 40 + rtf.size() * 64) << rtf;
  }
}

}  // namespace
