#include "textio/FitCheck.h"

#include <algorithm>
#include <numeric>

#include "textio/InsertionEncoder.h"
#include "textio/Refusals.h"
#include "workspace/Dialogs.h"
#include "workspace/Escapes.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"

namespace {

// The bar moves once per this many lines: each move is a repaint of the main window.
constexpr size_t kProgressStep = 1024;

std::int64_t NeedOf(const InsertionEncoder& encoder, std::string_view text) {
  return static_cast<std::int64_t>(encoder.lineByteCount(text));
}

// The report's words, converted once: a long report logs them thousands of times.
struct ReportWords {
  Text over = W("Не влезает: адрес ");
  Text shorter = W("Короче оригинала: адрес ");
  Text need = W(", нужно байт ");
  Text room = W(", места ");
  Text excess = W(", лишних ");
  Text visible = W(", останется видно байт старого текста ");
};

const ReportWords& Words() {
  static const ReportWords words;
  return words;
}

Text FitLine(const Workspace& ws, const LineFit& fit) {
  const ReportWords& w = Words();
  const bool over = fit.need > fit.room;
  return (over ? w.over : w.shorter) + FormatAddressInMessage(ws, fit.address) + w.need + Digits(fit.need) + w.room +
         Digits(fit.room) + (over ? w.excess : w.visible) + Digits(over ? fit.need - fit.room : fit.room - fit.need);
}

Text SummaryLine(size_t checked, size_t over, size_t shorter) {
  return W("Проверка длины перевода: проверено строк ") + Digits(static_cast<std::int64_t>(checked)) +
         W(", не влезают ") + Digits(static_cast<std::int64_t>(over)) + W(", короче оригинала ") +
         Digits(static_cast<std::int64_t>(shorter));
}

// The room through the one decoder of the table the workspace holds.
class RoomMeter {
 public:
  explicit RoomMeter(const Workspace& ws) : image_(ws.RomImage) {
    if (ws.TableExtended)
      entries_.emplace(ws);
    else
      codec_.emplace(ws.CharTableLookup);
  }
  std::int64_t at(std::int64_t address, std::int64_t limit) const {
    return entries_ ? RoomAt(image_, *entries_, address, limit) : RoomAt(image_, *codec_, address, limit);
  }

 private:
  std::string_view image_;
  std::optional<TableCodec> codec_;
  std::optional<EntryCodec> entries_;
};

}  // namespace

std::vector<std::int64_t> FollowingAddresses(const std::vector<std::int64_t>& addresses) {
  std::vector<size_t> order;
  order.reserve(addresses.size());
  for (size_t i = 0; i < addresses.size(); ++i)
    if (addresses[i] > 0) order.push_back(i);
  const auto byAddress = [&](size_t a, size_t b) { return addresses[a] < addresses[b]; };
  // Extracted translations come in address order; only an edited one pays for the sort.
  if (!std::is_sorted(order.begin(), order.end(), byAddress)) std::stable_sort(order.begin(), order.end(), byAddress);
  std::vector<std::int64_t> following(addresses.size(), 0);
  std::int64_t next = 0;
  for (size_t k = order.size(); k-- > 0;) {
    const std::int64_t address = addresses[order[k]];
    if (k + 1 < order.size() && addresses[order[k + 1]] > address) next = addresses[order[k + 1]];
    following[order[k]] = next;
  }
  return following;
}

std::vector<std::int64_t> LineAddresses(const std::vector<Text>& lines, std::int64_t shift) {
  std::vector<std::int64_t> addresses(lines.size(), 0);
  for (size_t i = 0; i < lines.size(); ++i) {
    const PerevodLineParts parts = ParsePerevodLine(lines[i]);
    if (parts.hasSeparator && parts.address + shift > 0) addresses[i] = parts.address + shift;
  }
  return addresses;
}

std::int64_t RoomAt(std::string_view image, const TableCodec& codec, std::int64_t address, std::int64_t limit) {
  const auto size = static_cast<std::int64_t>(image.size());
  if (address < 1 || address > size) return 0;
  const std::int64_t end = limit > address ? std::min(size, limit - 1) : size;
  std::int64_t offset = address - 1;
  while (offset < end && codec.decode(static_cast<unsigned char>(image[static_cast<size_t>(offset)])) != 0) ++offset;
  return offset - (address - 1);
}

std::int64_t RoomAt(std::string_view image, const EntryCodec& codec, std::int64_t address, std::int64_t limit) {
  const auto size = static_cast<std::int64_t>(image.size());
  if (address < 1 || address > size) return 0;
  const std::int64_t end = limit > address ? std::min(size, limit - 1) : size;
  const auto* bytes = reinterpret_cast<const unsigned char*>(image.data());
  std::int64_t offset = address - 1;
  while (offset < end) {
    const EntryCodec::Match match = codec.decodeAt(bytes + offset, static_cast<size_t>(end - offset));
    if (match.entry < 0) break;
    offset += static_cast<std::int64_t>(match.length);
    if (codec.ends(match.entry)) break;
  }
  return offset - (address - 1);
}

std::vector<LineFit> MeasureFit(const Workspace& ws) {
  const std::vector<std::int64_t> addresses = LineAddresses(ws.PerevodArray);
  const std::vector<std::int64_t> following = FollowingAddresses(addresses);
  const InsertionEncoder encoder(ws);
  const RoomMeter meter(ws);
  std::vector<LineFit> fits;
  for (size_t i = 0; i < addresses.size(); ++i) {
    if (addresses[i] == 0) continue;
    // A line that insertion leaves alone needs the bytes it keeps.
    const auto need = static_cast<std::int64_t>(
        encoder.lineNeed(ws.RomImage, addresses[i], ParsePerevodLine(ws.PerevodArray[i]).text));
    fits.push_back({i, addresses[i], need, meter.at(addresses[i], following[i])});
  }
  return fits;
}

bool CheckFit(Workspace& ws) {
  if (RefuseWithoutPerevod(ws) || RefuseWithoutRomOrTable(ws)) return false;
  try {
    const std::vector<LineFit> fits = MeasureFit(ws);
    size_t over = 0;
    size_t shorter = 0;
    {
      Progress bar(ws, Bar::Main, 0, static_cast<int>(fits.size()));
      for (size_t k = 0; k < fits.size(); ++k) {
        const LineFit& fit = fits[k];
        if (k % kProgressStep == 0) bar.set(static_cast<int>(k));
        if (fit.need == fit.room) continue;
        ++(fit.need > fit.room ? over : shorter);
        AppendLog(ws, FitLine(ws, fit));
      }
    }
    const Text summary = SummaryLine(fits.size(), over, shorter);
    AppendLog(ws, summary);
    ws.host->message(summary, Buttons::Ok, over > 0 ? Icon::Exclamation : Icon::None);
    if (over == 0) return true;
    MarkNotDone(ws);  // a batch run with --strict stops before the insertion
    return false;
  } catch (...) {
    LogOperationError(ws);
    return false;
  }
}

std::optional<std::int64_t> RoomForLine(const Workspace& ws, std::int64_t address) {
  if (!ws.RomLoaded || !ws.TableLoaded || address < 1) return std::nullopt;
  std::int64_t next = 0;
  for (const std::int64_t other : LineAddresses(ws.PerevodArray))
    if (other > address && (next == 0 || other < next)) next = other;
  return RoomMeter(ws).at(address, next);
}

Text FitStatusText(const Workspace& ws, std::int64_t room, const Text& text) {
  const std::int64_t need = NeedOf(InsertionEncoder(ws), text);
  if (need > room) return W("не влезает, лишних ") + Digits(need - room);
  if (need < room) return W("короче на ") + Digits(room - need);
  return W("влезает");
}
