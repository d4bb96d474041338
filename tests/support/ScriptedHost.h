#pragma once
// A host for tests: answers from queues and records everything the user would have seen.
#include <deque>

#include "workspace/Host.h"

struct ShownMessage {
  Text text;
  Buttons buttons;
  Icon icon;
};

class ScriptedHost : public Host {
 public:
  std::deque<Answer> answers;
  std::deque<std::optional<Text>> inputs;
  std::deque<std::vector<Text>> files;

  std::vector<Text> log;
  std::vector<ShownMessage> messages;
  std::vector<Text> prompts;  // input-box prompts and file-dialog titles, in order
  std::vector<FileRequest> fileRequests;
  std::vector<std::pair<Bar, ProgressState>> progressCalls;
  std::vector<Window> closedWindows;
  std::vector<Text> captions;
  int pumps = 0;
  int failures = 0;
  std::tm clock{};  // what localTime() answers: 06-12-2026 08:15:00 unless a test sets it

  ScriptedHost();
  void logLineAdded(const Text& line) override { log.push_back(line); }
  void pumpEvents() override { ++pumps; }
  Answer message(const Text& text, Buttons buttons, Icon icon) override;
  std::optional<Text> inputBox(const Text& prompt, const Text& title, const Text& answer) override;
  std::vector<Text> chooseFiles(const FileRequest& request) override;
  void progress(Bar bar, const ProgressState& state) override { progressCalls.emplace_back(bar, state); }
  void closeWindow(Window window) override { closedWindows.push_back(window); }
  void setMainCaption(const Text& caption) override { captions.push_back(caption); }
  void failureReported() override { ++failures; }
  std::tm localTime() const override { return clock; }

  // The texts of the messages shown, for compact assertions.
  std::vector<Text> messageTexts() const;
};
