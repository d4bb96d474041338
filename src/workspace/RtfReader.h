#pragma once
// The help file is rich text, which the toolkit cannot read; this small reader turns
// the part of RTF a user's guide needs (paragraphs, line breaks, bold, italic,
// underline, font size, alignment, Windows-1251 and Unicode characters) into HTML.
// Everything else (font and colour tables, pictures, fields' instructions, unknown
// destinations) is skipped, never shown as text.
#include <string>
#include <string_view>

// True when the data starts as an RTF document does ("{\rtf", leading blanks allowed).
bool LooksLikeRtf(std::string_view data);

// A whole RTF document as an HTML document in UTF-8. Any input gives some HTML: a
// broken or truncated document shows what could be read of it.
std::string RtfToHtml(std::string_view rtf);

// A plain Windows-1251 text as HTML, one paragraph per line, for a help file that is
// not rich text.
std::string PlainTextToHtml(std::string_view text);

// The help file's content as HTML, whichever of the two it is.
std::string HelpFileToHtml(std::string_view data);
