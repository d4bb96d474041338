#pragma once
// The host of the batch runner: prints what a user would see and answers from the
// queues given on the command line.
#include <deque>
#include <iosfwd>

#include "workspace/Host.h"

class ConsoleHost : public Host {
 public:
  explicit ConsoleHost(std::ostream& out) : out_(out) {}

  std::deque<Text> answers;  // "yes", "no", "ok", "cancel"
  std::deque<Text> inputs;
  std::deque<Text> files;  // absolute names
  int failures = 0;

  void logLineAdded(const Text& line) override;
  void pumpEvents() override {}
  Answer message(const Text& text, Buttons buttons, Icon icon) override;
  std::optional<Text> inputBox(const Text& prompt, const Text& title, const Text& answer) override;
  std::vector<Text> chooseFiles(const FileRequest& request) override;
  void progress(Bar, const ProgressState&) override {}
  void closeWindow(Window) override {}
  void setMainCaption(const Text&) override {}
  void failureReported() override { ++failures; }

 private:
  void print(const char* prefix, const Text& text);
  std::ostream& out_;
};

// A queued answer fitted to the buttons of the question.
Answer FitAnswer(const Text& answer, Buttons buttons);
