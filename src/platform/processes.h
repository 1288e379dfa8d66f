#pragma once
// Starting other programs.

#include <cstdint>
#include <functional>
#include <optional>
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

// Whose rights a program runs with.
enum class StartAs {
  Self,  // this program's own
  // The user's as the desktop's own shell starts programs: with the shell's token, which is
  // never an elevated one. A program of this kind is refused rather than started with more
  // rights (no shell, a shell that runs elevated itself, a system that would hand the new
  // program another token than the one asked for).
  DesktopUser,
};

// What a wait for a started program may do besides waiting.
struct WaitHooks {
  // Handles this thread's messages whenever input arrives there (a repaint, a click), so
  // that a window stays alive however long the program runs; it must take every pending
  // message out of the queue, as input that was left there does not count as arriving again.
  std::function<void()> whileWaiting{};
  // Asked at least ten times a second: false ends the wait at once, and whatever still runs
  // is left running (nothing is ended by force).
  std::function<bool()> keepWaiting{};
};

// A program run to its end, or as far as it was waited for.
struct ProgramEnd {
  ProgramWait followed = ProgramWait::WholeTree;
  // The exit code of the program that was started (not of what it started); nullopt when it
  // was not waited for to its end or the system gave no process.
  std::optional<std::uint32_t> exitCode;
  // keepWaiting ended the wait: the program, or something it started, may still run.
  bool abandoned = false;
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
  // Without `whileWaiting` this thread does nothing else meanwhile; with it, as
  // WaitHooks::whileWaiting. Should waiting itself fail, the call returns at once, still
  // reporting the start.
  virtual bool ExecuteProgram(std::string_view commandLine, bool hidden, bool wait,
                              const std::function<void()>& whileWaiting = {}) = 0;

  // Starts `program` with `parameters` with administrator rights: the system asks the user
  // for consent first (the shell's "runas" verb). Does not wait. Cancelled when the user
  // declines; the system's error otherwise.
  virtual Status StartElevated(std::string_view program, std::string_view parameters) = 0;

  // Starts the program file `program` (a full path: no folder is searched for it) with
  // `parameters`, its window shown, and returns once it and every program it started have
  // ended, or once `hooks` end the wait: an uninstaller commonly copies itself to the
  // temporary folder, starts the copy and ends at once, and the copy does the work. The
  // system's error when the program does not start; ElevationRequired when it needs
  // administrator rights it was not started with (then RunElevatedToEnd starts it with the
  // user's consent).
  virtual Result<ProgramEnd> RunToEnd(std::string_view program, std::string_view parameters, StartAs as,
                                      const WaitHooks& hooks) = 0;

  // StartElevated, then the wait of RunToEnd as far as the system lets this program follow
  // a program of higher rights. Cancelled when the user declines.
  virtual Result<ProgramEnd> RunElevatedToEnd(std::string_view program, std::string_view parameters,
                                              const WaitHooks& hooks) = 0;

  // Whether Windows Installer is at work on an installation now (it holds its _MSIExecute
  // mutex while it changes the system). False when it is not, or when this program may not
  // look (then it cannot wait for it either).
  virtual bool InstallerBusy() = 0;

  // The file names of the programs running now ("chrome.exe"), one per process, as the
  // system lists them; empty when the list cannot be read.
  virtual std::vector<std::string> RunningProgramNames() = 0;
};

}  // namespace sw::platform
