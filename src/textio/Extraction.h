#pragma once
// Text extraction: every long enough run of bytes that the table gives characters to
// becomes one translation line in the report file.
#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "workspace/Workspace.h"

void ExtractTextFromRom(Workspace& ws);

// The report of `image` as ExtractTextFromRom writes it, handed to onChunk in pieces:
// one "address text" line with CR LF per run of at least `minRunLength` text bytes.
// `decode` gives each byte's character, NUL for a byte without one. onRun(position), for
// the progress bar, is called after a written line with the 1-based position of the
// byte that ended its run (image size + 1 for a run that reaches the end): for every
// line of a small image, for about one line in each 1/1024 of a large one.
void ExtractionReport(std::string_view image, const std::array<char, 256>& decode, int minRunLength, bool hexAddresses,
                      const std::function<void(std::int64_t position)>& onRun,
                      const std::function<void(std::string_view chunk)>& onChunk);

class EntryCodec;
// The same through an extended table: a string is a run of entries of at least
// `minChars` characters, ended by a byte that starts no code or after an end code.
void ExtractionReport(std::string_view image, const EntryCodec& codec, int minChars, bool hexAddresses,
                      const std::function<void(std::int64_t position)>& onRun,
                      const std::function<void(std::string_view chunk)>& onChunk);
