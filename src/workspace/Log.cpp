#include "workspace/Log.h"

#include <cstdio>
#include <new>

#include "workspace/Errors.h"
#include "workspace/Files.h"
#include "workspace/TextFile.h"

void AppendLog(Workspace& ws, const Text& line) {
  if (!ws.LogText.empty()) ws.LogText += "\r\n";
  ws.LogText += line;
  ws.host->logLineAdded(line);
  ws.host->pumpEvents();
}

void MarkNotDone(Workspace& ws) {
  ++ws.NotDoneCount;
}

void ShowRefusal(Workspace& ws, const Text& text) {
  ws.host->message(text, Buttons::Ok, Icon::None);
  AppendLog(ws, text);
  MarkNotDone(ws);
}

FailureInFlight DescribeFailureInFlight() {
  try {
    throw;
  } catch (const OperationError& e) {
    return {e.description(), e.number()};
  } catch (const std::bad_alloc&) {
    return {W("недостаточно памяти"), kErrOutOfMemory};
  } catch (const std::exception& e) {
    return {W(e.what()), kErrUnexpected};
  } catch (...) {
    return {W("неизвестная ошибка"), kErrUnexpected};
  }
}

void LogOperationError(Workspace& ws) {
  const FailureInFlight failure = DescribeFailureInFlight();
  AppendLog(ws, W("Ошибка однако... ") + failure.description + " " + Digits(failure.number));
  MarkNotDone(ws);
  ws.host->failureReported();
}

void ReportPathNotFound(Workspace& ws, const Text& text) {
  ws.host->message(text, Buttons::Ok, Icon::Critical);
  MarkNotDone(ws);
  ws.host->failureReported();
}

void ReportFailure(Workspace& ws, const Text& pathNotFoundText) {
  try {
    throw;
  } catch (const OperationError& e) {
    if (e.pathNotFound())
      ReportPathNotFound(ws, pathNotFoundText);
    else
      LogOperationError(ws);
  } catch (...) {
    LogOperationError(ws);
  }
}

void SaveLogFile(Workspace& ws) {
  if (ws.DoSaveLogsInFile.empty()) return;
  const std::tm t = ws.host->localTime();
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%02d-%02d-%04d %02d:%02d:%02d", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900,
                t.tm_hour, t.tm_min, t.tm_sec);
  const Text block = "\r\n-------------" + Text(stamp) + "-------------\r\n" + ws.LogText;
  try {
    // Block by block: a block holding a character Windows-1251 lacks goes in as UTF-8
    // without a word, since a word about the log would go into the log itself.
    AppendFileAtomically(ws.DoSaveLogsInFile, WritesUtf8(ws) ? block : cp1251::FromUtf8(block).value_or(block));
  } catch (...) {
    LogOperationError(ws);
  }
}

Text Digits(std::int64_t n) {
  return std::to_string(n);
}

Text StrNum(std::int64_t n) {
  return n < 0 ? Digits(n) : " " + Digits(n);
}
