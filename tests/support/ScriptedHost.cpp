#include "support/ScriptedHost.h"

ScriptedHost::ScriptedHost() {
  clock.tm_mday = 6;
  clock.tm_mon = 11;
  clock.tm_year = 126;
  clock.tm_hour = 8;
  clock.tm_min = 15;
  clock.tm_sec = 0;
}

Answer ScriptedHost::message(const Text& text, Buttons buttons, Icon icon) {
  messages.push_back({text, buttons, icon});
  if (answers.empty()) return DefaultAnswer(buttons);
  const Answer a = answers.front();
  answers.pop_front();
  return a;
}

std::optional<Text> ScriptedHost::inputBox(const Text& prompt, const Text&, const Text&) {
  prompts.push_back(prompt);
  if (inputs.empty()) return std::nullopt;
  auto a = inputs.front();
  inputs.pop_front();
  return a;
}

std::vector<Text> ScriptedHost::chooseFiles(const FileRequest& request) {
  prompts.push_back(request.title);
  fileRequests.push_back(request);
  if (files.empty()) return {};
  auto a = files.front();
  files.pop_front();
  return a;
}

std::vector<Text> ScriptedHost::messageTexts() const {
  std::vector<Text> texts;
  for (const auto& m : messages) texts.push_back(m.text);
  return texts;
}
