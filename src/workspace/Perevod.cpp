#include "workspace/Perevod.h"

#include "workspace/Dialogs.h"
#include "workspace/Escapes.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Rom.h"
#include "workspace/TextFile.h"

namespace {

const char kPerevodFilter[] = "Файл перевода (*.txt)|*.txt|Все файлы (*.*)|*.*";
constexpr std::int64_t kMax32 = 0xFFFFFFFFLL;

Text NoTranslationText() {
  return W("Перевода пока нет :-)") + "\r\n" + W("или слишком мало строк перевода");
}

Text SaveFailedText(const Workspace& ws) {
  return W("проверьте, что файл перевода") + "\r\n" + W("можно создать/перезаписать:") + "\r\n" + ws.PerevodFileName;
}

bool StartsWithCrLf(std::string_view s, size_t at) {
  return at + 1 < s.size() && s[at] == '\r' && s[at + 1] == '\n';
}

// Real addresses, shifted or not, stay far below this; the placeholder stays above it.
bool PastAnyRealAddress(std::int64_t address) {
  return address >= (std::int64_t{1} << 36);
}

}  // namespace

std::int64_t ReadAddress(std::string_view field) {
  std::uint64_t value = 0;
  if (field.size() >= 2 && field[0] == '&' && (field[1] == 'H' || field[1] == 'h')) {
    value = ReadHexPrefix(field.substr(2));
  } else {
    for (char c : field) {
      if (c < '0' || c > '9') break;
      value = value > kMax32 ? value : value * 10 + static_cast<unsigned>(c - '0');
    }
  }
  return value > kMax32 ? kAddressTooLarge : static_cast<std::int64_t>(value);
}

PerevodLineParts ParsePerevodLine(std::string_view line) {
  PerevodLineParts parts;
  const size_t space = line.find(' ');
  if (space == std::string_view::npos) return parts;
  parts.hasSeparator = true;
  parts.field = line.substr(0, space);
  parts.text = line.substr(space + 1);
  parts.address = ReadAddress(parts.field);
  return parts;
}

Text AddressText(std::int64_t address) {
  return PastAnyRealAddress(address) ? W("вне диапазона") : Digits(address);
}

Text FormatAddressInMessage(const Workspace& ws, std::int64_t address) {
  return PastAnyRealAddress(address) ? W("вне диапазона") : FormatAddress(ws, address);
}

Text AddressNum(std::int64_t address) {
  return address < 0 ? Digits(address) : " " + AddressText(address);
}

Text FormatAddress(const Workspace& ws, std::int64_t address) {
  if (ws.UseHEXaddr != "YES") return Digits(address);
  char buf[32];
  std::snprintf(buf, sizeof buf, "&H%llX", static_cast<unsigned long long>(address));
  return buf;
}

std::vector<Text> SplitPerevodText(std::string_view data) {
  // One pass does what replacing CR LF CR LF by CR LF until none is left does: every
  // run of line breaks becomes one.
  std::vector<Text> lines;
  Text current;
  bool lineOpen = false;  // a line break has started a line that may still be empty
  for (size_t i = 0; i < data.size();) {
    if (StartsWithCrLf(data, i)) {
      size_t run = i + 2;
      while (StartsWithCrLf(data, run)) run += 2;
      if (run == data.size()) break;  // the final line break ends the last line only
      lines.push_back(std::move(current));
      current.clear();
      lineOpen = true;
      i = run;
    } else {
      const size_t next = data.find("\r\n", i + 1);
      const size_t end = next == std::string_view::npos ? data.size() : next;
      current.append(data.substr(i, end - i));
      lineOpen = true;
      i = end;
    }
  }
  if (lineOpen) lines.push_back(std::move(current));
  return lines;
}

Text JoinPerevodLines(const std::vector<Text>& lines) {
  size_t total = 0;
  for (const auto& line : lines) total += line.size() + 2;
  Text out;
  out.reserve(total);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += "\r\n";
    out += lines[i];
  }
  return out;
}

bool HasNoTranslation(const Workspace& ws) {
  return ws.PerevodArray.size() == 1 && ws.PerevodArray[0].empty();
}

void LoadPerevod(Workspace& ws) {
  if (ws.PerevodChanged &&
      ws.host->message(W("Будем сохранять изменения перевода ?"), Buttons::OkCancel, Icon::None) == Answer::Ok)
    SavePerevod(ws);
  if (ws.PerevodFileName.empty() || !FileExists(ws.PerevodFileName)) {
    ws.PerevodFileName = ChooseFileName(ws, FileRequest::Kind::Open, W("Загрузить перевод..."), W(kPerevodFilter));
    if (ws.PerevodFileName.empty()) {
      AppendLog(ws, W("Не задано имя файла перевода"));
      MarkNotDone(ws);
      return;
    }
  }
  if (!CheckFileExists(ws, ws.PerevodFileName, W("Файл перевода"))) {
    ws.host->message(W("Файл перевода не указан"), Buttons::Ok, Icon::Critical);
    AppendLog(ws, W("Файл перевода не указан"));
    return;
  }
  try {
    const DecodedTextFile file = ReadTextFile(ws, ws.PerevodFileName);
    ws.PerevodArray = SplitPerevodText(file.text);
    ws.PerevodLoaded = true;
    ws.PerevodChanged = false;
    ws.host->setMainCaption(ws.VersionText + " - " + ws.PerevodFileName);
    ws.host->closeWindow(Window::EditForm);
    ws.host->closeWindow(Window::FindForm);
    AppendLog(ws, W("Файл перевода ") + ws.PerevodFileName + W(" загружен, ") +
                      StrNum(static_cast<std::int64_t>(ws.PerevodArray.size())) + W(" строк") + Utf8Mark(file));
    HintUtf8Saves(ws, ws.PerevodFileName, file);
  } catch (...) {
    ReportFailure(
        ws, W("проверьте, имя и путь файла") + "\r\n" + W("т.е. его можно прочитать:") + "\r\n" + ws.PerevodFileName);
  }
}

void SavePerevod(Workspace& ws) {
  if (HasNoTranslation(ws)) {
    ws.host->message(NoTranslationText(), Buttons::Ok, Icon::Critical);
    MarkNotDone(ws);
    return;
  }
  if (ws.PerevodFileName.empty()) {
    AppendLog(ws, W("похоже, что имя файла для сохранения все еще не задано...сохранять не будем"));
    MarkNotDone(ws);
    return;
  }
  try {
    SaveReplacing(ws, ws.PerevodFileName, TextFileBytes(ws, ws.PerevodFileName, JoinPerevodLines(ws.PerevodArray)));
    AppendLog(ws, W("Файл перевода сохранен в файл: ") + ws.PerevodFileName);
    ws.PerevodChanged = false;
  } catch (...) {
    ReportFailure(ws, SaveFailedText(ws));
  }
}

void SavePerevodTextOnly(Workspace& ws) {
  if (HasNoTranslation(ws)) {
    ws.host->message(NoTranslationText(), Buttons::Ok, Icon::Critical);
    MarkNotDone(ws);
    return;
  }
  try {
    // The old file goes only when the new one is complete: the write's rename replaces it.
    const bool replacing = FileSize(ws.PerevodFileName) > 0;
    const auto& lines = ws.PerevodArray;
    Text out;
    {
      Progress bar(ws, Bar::Main, 0, static_cast<int>(lines.size()) - 1);
      for (size_t i = 0; i < lines.size(); ++i) {
        const size_t space = lines[i].find(' ');
        out.append(space == Text::npos ? std::string_view(lines[i]) : std::string_view(lines[i]).substr(space + 1));
        out += "\r\n";
        if (i % 100 == 0) {
          bar.set(static_cast<int>(i));
          ws.host->pumpEvents();
        }
      }
      WriteTextFile(ws, ws.PerevodFileName, out);
    }
    if (replacing) AppendLog(ws, W("удалили существующий файл ") + ws.PerevodFileName);
    AppendLog(ws, W("Файл перевода сохранен в файл: ") + ws.PerevodFileName);
    ws.PerevodChanged = false;
  } catch (...) {
    ReportFailure(ws, SaveFailedText(ws));
  }
}
