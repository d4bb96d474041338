#pragma once
// The log pane and the failure reports every operation shares.
#include <cstdint>

#include "workspace/Workspace.h"

// One line to the log; the event loop runs once so the pane repaints during long work.
void AppendLog(Workspace& ws, const Text& line);

struct FailureInFlight {
  Text description;
  int number = 0;
};
// Inside a catch block: the description and number of the failure being handled.
FailureInFlight DescribeFailureInFlight();

// Every operation that stops without doing its work calls this: a refusal (an object
// not loaded, bad input), a cancelled dialog or question that ends it, a failure. The
// general error line, the path-not-found box and a failed CheckFileExists call it
// themselves, so only refusals and cancellations need their own call. A warning after
// which the work goes on is no refusal. The batch runner's --strict stops on it, and a
// window can tell whether the save or load it asked for happened (WasDone).
void MarkNotDone(Workspace& ws);
// A refusal: a message box (no icon) and the same text in the log; the operation stops.
void ShowRefusal(Workspace& ws, const Text& text);
// Runs `operation` and tells whether it did its work.
template <class Operation>
bool WasDone(Workspace& ws, Operation&& operation) {
  const unsigned before = ws.NotDoneCount;
  operation();
  return ws.NotDoneCount == before;
}

// The general error line for the failure being handled. Call it only inside a catch
// block: it names the failure that is in flight.
void LogOperationError(Workspace& ws);

// An operation's own path-not-found message box (critical icon).
void ReportPathNotFound(Workspace& ws, const Text& text);

// Inside a catch block: a path-not-found failure shows `pathNotFoundText`, anything
// else the general error line.
void ReportFailure(Workspace& ws, const Text& pathNotFoundText);

// Appends the session's log to the file named by DoSaveLogsInFile under a dated rule.
void SaveLogFile(Workspace& ws);

// A number as the log shows it: a leading space, or the minus sign.
Text StrNum(std::int64_t n);
// A number without the leading space.
Text Digits(std::int64_t n);
