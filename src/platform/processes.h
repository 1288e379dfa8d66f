#pragma once
// Starting other programs.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace sw::platform {

// How far a program run to its end could be followed.
enum class ProgramWait {
  WholeTree,    // the program and every program it started, directly or not, have ended
  ProgramOnly,  // the program itself has ended; what it started could not be followed (a
                // program started with consent, which ours may not put in a job; a system
                // that would not let it join one)
  NotAtAll,     // the system gave nothing to wait on
};

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

  // Starts `commandLine` with its window shown and returns once it and every program it
  // started have ended: an uninstaller commonly copies itself to the temporary folder,
  // starts the copy and ends at once, and the copy does the work. `whileWaiting` keeps a
  // window alive as for ExecuteProgram. The system's error when the program does not start;
  // ElevationRequired when it needs administrator rights this program lacks (then
  // RunElevatedToEnd starts it with the user's consent).
  virtual Result<ProgramWait> RunToEnd(std::string_view commandLine, const std::function<void()>& whileWaiting) = 0;

  // StartElevated, then the wait of RunToEnd as far as the system lets this program follow
  // a program of higher rights. Cancelled when the user declines.
  virtual Result<ProgramWait> RunElevatedToEnd(std::string_view program, std::string_view parameters,
                                               const std::function<void()>& whileWaiting) = 0;

  // The file names of the programs running now ("chrome.exe"), one per process, as the
  // system lists them; empty when the list cannot be read.
  virtual std::vector<std::string> RunningProgramNames() = 0;
};

}  // namespace sw::platform
