#pragma once
// Failures of file and data work. Operations throw these and catch them at their edge,
// where a path-not-found failure gets the operation's own message and anything else
// the general error line.
#include <exception>

#include "workspace/Cp1251.h"

class OperationError : public std::exception {
 public:
  OperationError(int number, Text description, bool pathNotFound = false)
      : number_(number), description_(std::move(description)), pathNotFound_(pathNotFound) {}
  int number() const { return number_; }
  const Text& description() const { return description_; }
  bool pathNotFound() const { return pathNotFound_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int number_;
  Text description_;
  bool pathNotFound_;
};

// Numbers of the data failures; file failures carry the system's errno.
enum DataErrorNumber {
  kErrCodeOutOfRange = 1001,
  kErrOutOfMemory = 1002,
  kErrNotRegularFile = 1003,
  kErrFileChanged = 1004,
  kErrUnexpected = 1099,
};

// A file failure from errno, with a Russian description that names the file.
OperationError FileError(int err, const Text& path);
