#include "workspace/Dialogs.h"

#include <algorithm>

#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/TextParts.h"

bool CheckFileExists(Workspace& ws, Text& name, const Text& kind) {
  name = TrimSpaces(name);
  if (FileExists(name)) return true;
  ws.host->message(kind + "\r\n" + W("не найден :-("), Buttons::Ok, Icon::Critical);
  if (name.empty() && kind.find(W("справки")) != Text::npos)
    ws.host->message(W("Вы можете выйти из программы и проверить путь+файл в tarvello.ini"), Buttons::Ok, Icon::None);
  MarkNotDone(ws);
  ws.host->failureReported();
  return false;
}

Text ChooseFileName(Workspace& ws, FileRequest::Kind kind, const Text& title, const Text& filter) {
  FileRequest request;
  request.kind = kind;
  request.title = title;
  request.filter = filter;
  auto names = ws.host->chooseFiles(request);
  if (names.empty() || names.front().empty()) return Text();
  Text name = names.front();
  if (name.find(kPathSeparator) == Text::npos) name = JoinPath(CurrentDirectory(), name);
  return name;
}

Progress::Progress(Workspace& ws, Bar bar, int min, int max) : host_(*ws.host), bar_(bar) {
  state_.visible = true;
  state_.min = min;
  state_.max = std::max(min, max);
  state_.value = min;
  host_.progress(bar_, state_);
}

Progress::~Progress() {
  state_.visible = false;
  host_.progress(bar_, state_);
}

void Progress::set(int value) {
  state_.value = std::clamp(value, state_.min, state_.max);
  host_.progress(bar_, state_);
}
