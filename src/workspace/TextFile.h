#pragma once
// Text files as translators have them: Windows-1251 or UTF-8 (with or without a byte
// order mark), lines ended by CR LF, LF or CR. One reader turns any of them into the
// program's own form, Windows-1251 text with CR LF line ends, before a file's own
// reading rules run on it.
#include <vector>

#include "workspace/Workspace.h"

// A character of a UTF-8 file that Windows-1251 cannot hold. An invalid UTF-8 sequence
// in a file that declared itself UTF-8 with a byte order mark counts as U+FFFD.
struct ForeignChar {
  size_t line = 0;  // counted from 1, in the normalised text
  char32_t codePoint = 0;
};

struct DecodedTextFile {
  Text text;                         // Windows-1251, every line end CR LF; a foreign character is "?"
  bool utf8 = false;                 // the file was read as UTF-8
  std::vector<ForeignChar> foreign;  // in file order
};

// Decides the encoding of a file's bytes and normalises its line ends. UTF-8 when the
// bytes start with the byte order mark (which is dropped), or are valid UTF-8 holding
// at least one multi-byte sequence; Windows-1251 otherwise.
DecodedTextFile DecodeTextFile(std::string_view bytes);

// "U+XXXX" (at least four uppercase hex digits) for messages.
Text CodePointName(char32_t cp);

// ReadWholeFile and DecodeTextFile in one; fails as ReadWholeFile does.
DecodedTextFile ReadTextFile(const Text& name);

// " (UTF-8)" for a file read as UTF-8, for the end of its load's log line; empty otherwise.
Text Utf8Mark(const DecodedTextFile& file);

// A file read as UTF-8 while saves stay Windows-1251 is worth one hint per file and
// session: the user would otherwise find the file changed on the next save.
void HintUtf8Saves(Workspace& ws, const Text& name, const DecodedTextFile& file);

// A file holding a character Windows-1251 cannot hold is not loaded at all: a message
// box and the same log line name the file, the line and the character. True when refused.
bool RefuseForeignChars(Workspace& ws, const Text& name, const DecodedTextFile& file);

// Text files are written as TextFilesEncoding says: Windows-1251 as held, or UTF-8
// without a byte order mark. Line ends stay as the text has them.
bool WritesUtf8(const Workspace& ws);
Text TextFileBytes(const Workspace& ws, std::string_view text);
void WriteTextFile(const Workspace& ws, const Text& name, std::string_view text);
