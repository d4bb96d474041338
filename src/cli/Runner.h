#pragma once
#include <iosfwd>
#include <string>
#include <vector>

// Runs the batch runner on its arguments (UTF-8, without the program name) and returns
// its exit status: 0, 1 when a step failed, 2 for a usage error.
int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
