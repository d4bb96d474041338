#pragma once
// Text files as translators have them: Windows-1251, UTF-8 (with or without a byte order
// mark), Shift-JIS or EUC-JP, lines ended by CR LF, LF or CR. One reader turns any of
// them into the program's own form, UTF-8 text with CR LF line ends, before a file's own
// reading rules run on it; one writer gives Windows-1251 back whenever it can.
#include <optional>
#include <vector>

#include "workspace/Workspace.h"

// TextFilesReadEncoding: what a file that is not plainly UTF-8 is read as.
enum class ReadEncoding { Auto, Utf8, Windows1251, ShiftJis, EucJp };
ReadEncoding ReadEncodingOf(const Workspace& ws);

struct DecodedTextFile {
  Text text;          // UTF-8, every line end CR LF
  bool utf8 = false;  // the file was read as UTF-8
  Text encoding;      // as TextFilesReadEncoding names it: "UTF-8", "WINDOWS-1251", "SHIFT-JIS", "EUC-JP"
};

// Decides the encoding of a file's bytes and normalises its line ends. UTF-8 when the
// bytes start with the byte order mark (which is dropped), or (in AUTO) are valid UTF-8
// holding at least one multi-byte sequence; else the encoding asked for, Windows-1251 in
// AUTO. A byte sequence the encoding has no character for reads as U+FFFD.
DecodedTextFile DecodeTextFile(std::string_view bytes, ReadEncoding encoding = ReadEncoding::Auto);

// What a detector makes of bytes read as Windows-1251 when they look like Japanese text:
// "SHIFT-JIS", "EUC-JP", or empty.
Text JapaneseLookalike(std::string_view bytes);

// "U+XXXX" (at least four uppercase hex digits) for messages.
Text CodePointName(char32_t cp);

// ReadWholeFile and DecodeTextFile in one, in the encoding TextFilesReadEncoding asks
// for; fails as ReadWholeFile does. In AUTO a file read as Windows-1251 that looks
// Japanese gets one log line naming the setting.
DecodedTextFile ReadTextFile(Workspace& ws, const Text& name);

// " (UTF-8)" (or the Japanese encoding) for a file not read as Windows-1251, for the end
// of its load's log line; empty otherwise.
Text Utf8Mark(const DecodedTextFile& file);

// A file read as UTF-8 while saves stay Windows-1251 is worth one hint per file and
// session: the user would otherwise find the file changed on the next save.
void HintUtf8Saves(Workspace& ws, const Text& name, const DecodedTextFile& file);

// Text files are written as TextFilesEncoding says: Windows-1251, or UTF-8 without a
// byte order mark. A text holding a character Windows-1251 lacks is written in UTF-8
// whatever the setting, with one log line naming the file and the character. Line ends
// stay as the text has them.
bool WritesUtf8(const Workspace& ws);
Text TextFileBytes(Workspace& ws, const Text& name, std::string_view text);
void WriteTextFile(Workspace& ws, const Text& name, std::string_view text);
// The first character of a text that Windows-1251 lacks, if any.
std::optional<char32_t> FirstForeignChar(std::string_view text);
// The log line of a file written in UTF-8 because of such a character.
void LogUtf8Write(Workspace& ws, const Text& name, char32_t foreign);
