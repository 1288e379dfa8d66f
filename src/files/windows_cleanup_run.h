#pragma once
// The Delete of the system's own Disk Cleanup handlers: each checked handler row is run
// again from the start (a fresh object: Initialize, GetSpaceUsed, Purge with a progress
// callback, Deactivate), so that what it frees is what it finds now, not what it found at
// the Find. Called beside the file deletion, never inside it.
//
// Nothing a handler removes can be restored, and no backup of it can be kept: the question
// before the run says so plainly, with what each handler said it would free, and No is its
// default answer. A handler that needs administrator rights runs only when the program has
// them; otherwise it is named as needing them. Every run is recorded in the history (not
// undoable, with the reason) with what each handler freed, and each row then shows what it
// freed and the volume's free space before and after.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/engine_sink.h"
#include "core/result_row.h"
#include "platform/disk_cleanup.h"
#include "platform/platform.h"

namespace sw::files {

struct WindowsCleanupRunOptions {
  std::chrono::milliseconds callLimit = platform::kDefaultHandlerCallLimit;
  // Nobody watches (the console): handlers that Windows does not run in its own unattended
  // cleanup, and those with a settings dialog of their own, are left and named.
  bool unattended = false;
};

// What one handler's run did.
struct HandlerRunResult {
  std::string name;  // "Name on C:\"
  bool ran = false;  // Purge answered success
  std::uint64_t freed = 0;
  std::string problem;  // why it did not run, or did not finish
};

struct WindowsCleanupRun {
  bool asked = false;
  bool declined = false;
  std::vector<HandlerRunResult> handlers;        // those started, in order
  std::vector<std::string> needAdministrator;   // checked, not run for want of rights
  std::vector<std::string> leftAlone;           // unattended: "Name (why)"
  std::uint64_t freed = 0;
  std::string historyError;  // the history could not be written (why)

  [[nodiscard]] bool AnyFailed() const;
  // What the run did, in a sentence or two for the status line and the closing notice.
  [[nodiscard]] std::string Summary() const;
};

// Runs the checked handler rows of `rows` (the other rows are left as they are). With
// `unattended`, every handler row is taken as checked and the rule above decides.
WindowsCleanupRun RunWindowsCleanup(std::vector<ResultRow>& rows, platform::Platform& platform, EngineSink& sink,
                                    const WindowsCleanupRunOptions& options);

// The question before the run, for the handlers to run ("Name (3072MB on C:\)").
[[nodiscard]] std::string WindowsCleanupQuestion(const std::vector<std::string>& handlers);

}  // namespace sw::files
