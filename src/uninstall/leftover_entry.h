#pragma once
// The entry of a program whose uninstaller has ended while the entry is still there: the
// uninstall was cancelled or failed. When the user still wants it gone, it is first saved
// as the next regbackupNNN.reg of the data folder, which brings it back whole when the
// registry editor imports it, and then deleted with everything below it.

#include <functional>
#include <string>

#include "core/result.h"
#include "platform/platform.h"
#include "uninstall/software_sources.h"

namespace sw::uninstall {

struct LeftoverRemoval {
  bool removed = false;     // the entry is gone (also when it went meanwhile by itself)
  std::string backupFile;   // the file written
  // Why the entry stays, as a sentence: the backup could not be written (then nothing was
  // deleted), or the system's reason the key could not be deleted (also in `error`).
  std::string problem;
  Error error{Errc::Success};
};

// `beforeDelete`, when given, runs once the backup is complete on disk and just before the
// key is deleted, with the backup's name: the history's start of the removal.
LeftoverRemoval RemoveLeftoverEntry(platform::Platform& platform, const EntrySource& entry,
                                    const std::function<void(const std::string& backupFile)>& beforeDelete = {});

}  // namespace sw::uninstall
