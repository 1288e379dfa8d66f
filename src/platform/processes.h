#pragma once
// Starting other programs.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace sw::platform {

class Processes {
 public:
  Processes() = default;
  Processes(const Processes&) = delete;
  Processes& operator=(const Processes&) = delete;
  virtual ~Processes() = default;

  // Starts `commandLine` (program and arguments in one string, as a shortcut holds it) in
  // this program's current folder and environment, its window hidden or shown normally.
  // Returns whether the program started; nothing is waited for when it did not.
  //
  // With `wait`, returns only when the program has become idle for input and then ended.
  // Without `whileWaiting` this thread does nothing else meanwhile. With it, the thread
  // keeps an eye on its own message queue and calls `whileWaiting` whenever input arrives
  // there (a repaint, a click, a message sent by the started program), so that a window
  // stays alive however long the program runs; the hook must take every pending message
  // out of the queue, as input that was left there does not count as arriving again.
  // Should waiting itself fail, the call returns at once, still reporting the start.
  virtual bool ExecuteProgram(std::string_view commandLine, bool hidden, bool wait,
                              const std::function<void()>& whileWaiting = {}) = 0;

  // Starts `program` with `parameters` with administrator rights: the system asks the user
  // for consent first (the shell's "runas" verb). Does not wait. Cancelled when the user
  // declines; the system's error otherwise.
  virtual Status StartElevated(std::string_view program, std::string_view parameters) = 0;

  // The file names of the programs running now ("chrome.exe"), one per process, as the
  // system lists them; empty when the list cannot be read.
  virtual std::vector<std::string> RunningProgramNames() = 0;
};

}  // namespace sw::platform
