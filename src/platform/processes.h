#pragma once
// Starting other programs.

#include <string_view>

namespace sw::platform {

class Processes {
 public:
  Processes() = default;
  Processes(const Processes&) = delete;
  Processes& operator=(const Processes&) = delete;
  virtual ~Processes() = default;

  // Starts `commandLine` (program and arguments in one string, as a shortcut holds it) in
  // this program's current folder and environment, its window hidden or shown normally.
  // With `wait`, returns only when the program has become idle for input and then ended.
  // Returns whether the program started.
  virtual bool ExecuteProgram(std::string_view commandLine, bool hidden, bool wait) = 0;
};

}  // namespace sw::platform
