#include "cli/ConsoleHost.h"

#include <ostream>

namespace {

bool Has(Buttons buttons, Answer answer) {
  switch (answer) {
    case Answer::Ok: return buttons == Buttons::Ok || buttons == Buttons::OkCancel;
    case Answer::Cancel: return buttons == Buttons::OkCancel || buttons == Buttons::YesNoCancel;
    case Answer::Yes:
    case Answer::No: return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel;
  }
  return false;
}

}  // namespace

Answer FitAnswer(const Text& answer, Buttons buttons) {
  // "yes" and "ok" both mean going ahead, "no" and "cancel" both mean holding back;
  // the button of that sense that the box has is the one pressed.
  const bool ahead = answer == "yes" || answer == "ok";
  const Answer first =
      ahead ? (answer == "yes" ? Answer::Yes : Answer::Ok) : (answer == "no" ? Answer::No : Answer::Cancel);
  const Answer second =
      ahead ? (first == Answer::Yes ? Answer::Ok : Answer::Yes) : (first == Answer::No ? Answer::Cancel : Answer::No);
  if (Has(buttons, first)) return first;
  if (Has(buttons, second)) return second;
  return DefaultAnswer(buttons);
}

void ConsoleHost::print(const char* prefix, const Text& text) {
  Text shown;
  shown.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      shown += " / ";
      ++i;
    } else {
      shown += text[i];
    }
  }
  out_ << prefix << shown << '\n';
}

void ConsoleHost::logLineAdded(const Text& line) {
  print("", line);
}

Answer ConsoleHost::message(const Text& text, Buttons buttons, Icon) {
  print("[MSG] ", text);
  if (answers.empty()) return DefaultAnswer(buttons);
  const Text answer = answers.front();
  answers.pop_front();
  return FitAnswer(answer, buttons);
}

std::optional<Text> ConsoleHost::inputBox(const Text& prompt, const Text&, const Text&) {
  print("[ASK] ", prompt);
  if (inputs.empty()) return std::nullopt;
  Text value = inputs.front();
  inputs.pop_front();
  return value;
}

std::vector<Text> ConsoleHost::chooseFiles(const FileRequest& request) {
  print("[ASK] ", request.title);
  std::vector<Text> chosen;
  if (request.multiSelect) {
    chosen.assign(files.begin(), files.end());
    files.clear();
  } else if (!files.empty()) {
    chosen.push_back(files.front());
    files.pop_front();
  }
  return chosen;
}
