#pragma once
// clean.bat, the forced-deletion batch: the files a deletion could not remove now (in use,
// locked by the system) are deleted by it at the next logon, through the current user's
// RunOnce key, so with that user's own rights. It names files and starts nothing else.
//
// Its lines are literal: a "%" is doubled, and the characters cmd would take for commands
// in the unquoted echo lines are escaped, so that the batch deletes exactly the file named
// and nothing else. A path the batch's code page cannot hold is written by its short name,
// or not at all (a substitute "?" would be a wildcard to del). A name ending in a dot or a
// blank is never written: cmd would take it, or the long name its short name leads to, for
// the name without them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "platform/file_system.h"
#include "platform/system.h"

namespace sw::files {

class CleanBatch {
 public:
  // `programFolder` without a trailing backslash.
  CleanBatch(std::string programFolder, platform::FileSystem& files, platform::System& system);

  // Queues `path`; false (and nothing queued) when no exact form of it fits the code page.
  [[nodiscard]] bool Queue(std::string_view path);
  [[nodiscard]] int queued() const { return queued_; }

  // The whole batch in the code page, every line ended by CR LF.
  [[nodiscard]] std::string Text() const;
  // Writes it whole to programFolder\clean.bat.
  Status Save() const;
  [[nodiscard]] std::string Path() const { return programFolder_ + "\\clean.bat"; }

 private:
  std::optional<std::string> FileLines(std::string_view path) const;

  std::string programFolder_;
  platform::FileSystem& files_;
  platform::System& system_;
  std::string body_;  // the queued files' lines, already in the code page
  int queued_ = 0;
};

}  // namespace sw::files
