#pragma once
// Text mined from the data records of a patch, as translation lines keyed by the ROM
// address the text would occupy once the patch is applied.
#include <array>
#include <functional>
#include <string_view>

#include "ips/IpsRecords.h"
#include "workspace/Workspace.h"

void ExtractTextFromIps(Workspace& ws);

// The character of each code; NUL for a code that is not text.
using IpsTextDecoder = std::array<char32_t, 256>;  // a character per byte, 0 for none
IpsTextDecoder IpsDecoderFromTable(const std::vector<Text>& charTable);

struct IpsTextReport {
  Text lines;  // "address text" CR LF per run, in patch order
  IpsScanEnd end = IpsScanEnd::Running;
};

// Every run of at least `minRun` text bytes inside one data record. `afterLine` is told
// the scan position after each line written.
IpsTextReport CollectIpsText(std::string_view patch, const IpsTextDecoder& decoder, int minRun,
                             const std::function<void(size_t)>& afterLine = {});

// The same through an extended table: strings of entries of at least `minChars`
// characters, ended by an end code too.
class EntryCodec;
IpsTextReport CollectIpsText(std::string_view patch, const EntryCodec& codec, int minChars,
                             const std::function<void(size_t)>& afterLine = {});

// The walk both share: appendLines(out, record) adds a record's lines and says how many.
IpsTextReport CollectRecordText(std::string_view patch,
                                const std::function<size_t(Text& out, const IpsRecord& record)>& appendLines,
                                const std::function<void(size_t)>& afterLine);
