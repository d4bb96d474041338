#include "textio/Insertion.h"

#include <vector>

#include "textio/FitCheck.h"
#include "textio/InsertionEncoder.h"
#include "textio/Refusals.h"
#include "workspace/CharTable.h"
#include "workspace/Dialogs.h"
#include "workspace/EntryCodec.h"
#include "workspace/Errors.h"
#include "workspace/Escapes.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"

namespace {

struct InsertOptions {
  std::int32_t shift = 0;
  bool keepShifted = false;   // the shifted addresses are written back into the lines
  bool writeUnknown = false;  // a character the table lacks goes in as its own byte
  bool extendedLogs = false;
};

bool TableDeclined(Workspace& ws) {
  if (ws.TableLoaded) return false;
  const Answer answer =
      ws.host->message(W("А таблицу кто загружать будет, Пушкин? :-)") + "\r\n" + W("Загрузить таблицу сейчас?"),
                       Buttons::YesNo, Icon::None);
  if (answer != Answer::Yes) {
    AppendLog(ws, W("Таблица еще не загружена"));
    MarkNotDone(ws);
    return true;
  }
  LoadTable(ws);
  return false;
}

bool Refused(Workspace& ws) {
  return RefuseWithoutPerevod(ws) || RefuseWithoutRom(ws) || TableDeclined(ws);
}

[[noreturn]] void ThrowOutsideRom(std::int64_t position, size_t romSize) {
  throw OperationError(kErrOutsideRom, W("запись в позицию ") + AddressText(position) + W(" за пределами ROM (размер") +
                                           StrNum(static_cast<std::int64_t>(romSize)) + ")");
}

// The position after the last byte written, or `address` when nothing was.
// encode(put) hands over the line's bytes.
template <class Encode>
std::int64_t WriteText(Workspace& ws, std::int64_t address, const InsertOptions& options, Encode&& encode) {
  RomBytes& rom = ContinueRomWork(ws);
  std::int64_t end = address;
  encode([&](size_t i, unsigned char code, bool unknown) {
    const std::int64_t offset = address - 1 + static_cast<std::int64_t>(i);
    if (offset < 0 || offset >= static_cast<std::int64_t>(rom.size())) ThrowOutsideRom(offset + 1, rom.size());
    rom[static_cast<size_t>(offset)] = static_cast<char>(code);
    // Said only once the byte is in: a write refused for its position inserted nothing.
    if (unknown && options.extendedLogs) AppendLog(ws, W("Только, что вставили в ROM символ, отсутствующий в таблице"));
    end = offset + 2;
  });
  return end;
}

// Through an extended table. A line whose text the committed image already holds is
// left alone: another cutting of the same text could be as short and still differ from
// the game's own bytes.
std::int64_t WriteEntries(Workspace& ws, const InsertionEncoder& encoder, std::int64_t address, std::string_view text,
                          const InsertOptions& options) {
  if (const auto held = encoder.entries()->matchesImage(ws.RomImage, address - 1, text))
    return address + static_cast<std::int64_t>(*held);
  return WriteText(ws, address, options, [&](auto&& put) { encoder.encodeLine(text, put); });
}

// The text is in place; it may still have run over the start of the string after it.
void WarnOverlap(Workspace& ws, std::int64_t address, std::int64_t end, std::int64_t following) {
  if (following > 0 && end > following)
    AppendLog(ws, W("ПРЕДУПРЕЖДЕНИЕ: строка с адресом ") + AddressText(address) +
                      W(" залезает на начало строки с адресом ") + Digits(following));
}

// True when the line was rewritten with its shifted address.
bool InsertLine(Workspace& ws, const InsertionEncoder& encoder, Text& line, std::int64_t following,
                const InsertOptions& options) {
  const PerevodLineParts parts = ParsePerevodLine(line);
  if (!parts.hasSeparator) return false;
  const std::int64_t address = parts.address + options.shift;
  if (address == 0) WarnZeroAddress(ws);
  Text text(parts.text);
  const bool rewrite = options.keepShifted && options.shift != 0;
  if (rewrite) line = FormatAddress(ws, address) + " " + text;
  std::int64_t end = address;
  if (encoder.entries()) {
    end = WriteEntries(ws, encoder, address, text, options);
  } else {
    const Text decoded = DecodeEscapes(text);
    end = WriteText(ws, address, options, [&](auto&& put) { encoder.encode(decoded, put); });
  }
  WarnOverlap(ws, address, end, following);
  return rewrite;
}

}  // namespace

bool PutPerevodInRom(Workspace& ws, std::int32_t shift) {
  if (Refused(ws)) return false;
  WarnIfSingleLine(ws);
  if (shift > 0)
    AppendLog(ws, W("дополнительное смещение к адресам указанным в файле перевода равно ") + StrNum(shift));
  InsertOptions options;
  options.shift = shift;
  options.keepShifted = ws.LeaveChangesInPerevodAddr == "YES";
  options.writeUnknown = ws.SkipUnknownTRChars == "NO";
  options.extendedLogs = ws.ExtendedLogs == "YES";
  try {
    StartRomWork(ws);
    const InsertionEncoder encoder(ws);
    const std::vector<std::int64_t> following = FollowingAddresses(LineAddresses(ws.PerevodArray, shift));
    // Shifted addresses go into a copy that replaces the translation only once every
    // line is in: after a failed run the lines must not carry a shift that the next run
    // would add a second time.
    const bool keepShifted = options.keepShifted && options.shift != 0;
    std::vector<Text> shiftedLines;
    if (keepShifted) shiftedLines = ws.PerevodArray;
    bool rewritten = false;
    {
      auto& lines = keepShifted ? shiftedLines : ws.PerevodArray;
      Progress bar(ws, Bar::Main, 0, static_cast<int>(lines.size()) - 1);
      for (size_t i = 0; i < lines.size(); ++i) {
        rewritten |= InsertLine(ws, encoder, lines[i], following[i], options);
        bar.set(static_cast<int>(i));
      }
    }
    if (keepShifted) ws.PerevodArray = std::move(shiftedLines);
    if (rewritten) ws.PerevodChanged = true;
    AppendLog(ws, W("Текст перевода вставлен в ROM"));
    CommitRomWorkImage(ws);
    return true;
  } catch (...) {
    LogOperationError(ws);
    return false;
  }
}
