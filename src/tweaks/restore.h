#pragma once
// The Restore command (the toolbar's Restore button): on the Advanced page it puts back what
// the restore file default.reg records; on the Registry Cleaning page it imports a picked
// registry backup; on the Files Cleaning page it unpacks a picked backup archive below
// "C:\restored_files". The program imports registry files itself: the registry editor is
// never started. Each says what happened: a value that could not be written, an archive that
// cannot be read and a restore that writes nothing are reported, not passed over.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_file.h"
#include "core/engine_sink.h"
#include "core/result.h"
#include "platform/platform.h"
#include "registry/reg_import.h"
#include "tweaks/tweak_page_texts.h"

namespace sw::tweaks {

inline constexpr std::string_view kRestoredFilesFolder = "C:\\restored_files";

// An open-file dialog of the Restore command; it opens in the data folder.
struct FilePicker {
  std::string_view filter;  // "name|pattern"
  std::string_view defaultExtension;
  std::string_view initialFileName;
};
inline constexpr FilePicker kRegistryBackupPicker{"Registry|*.reg", "reg", "*.reg"};  // dlgOpenReg
inline constexpr FilePicker kArchivePicker{"Backup|*.bck", "bck", "*.bck"};           // dlgOpenBck

enum class TweakRestore {
  Restored,          // every recorded value is back as it was found; refresh the page (select tab 0)
  NothingToRestore,  // nothing is recorded (no tweak was applied, or all came back): "All restorations were already
                     // done."
  Incomplete,        // not all came back; a warning named what and why; refresh the page
  Failed,            // default.reg could not be read or is no registry file; an error was shown
};

struct TweakRestoreOutcome {
  TweakRestore result = TweakRestore::Failed;
  std::vector<std::string> restored;      // values and keys put back
  std::vector<std::string> notWritten;    // "target: reason", what the registry refused
  std::vector<std::string> changedSince;  // values left as they are: changed since the tweak wrote them
  std::string message;                    // the message shown
};

// The Advanced page's Restore: puts back, through the registry API, each value default.reg of
// the data folder records while it still holds what the tweak wrote, makes each key a tweak
// deleted, and drops from the file what came back, so that a second restore has nothing
// stale to apply. Only when everything is back: "Restored." and "All tasks were restored to
// their original states."; otherwise a warning names each value changed since ("changed
// since Sweepwise applied it; left as it is"), each value the registry refused with its
// reason (adding `elevationAdvice` when only an administrator may write it and this program
// runs without the rights) and the damaged lines. What it writes is a history entry, begun
// before the first write, that undoes it.
TweakRestoreOutcome RestoreTweaks(platform::Platform& platform, EngineSink& sink,
                                  std::string_view elevationAdvice = kRestartAsAdministratorAdvice);

// Imports a registry export file through the registry API as the registry editor would (the
// Registry Cleaning page's Restore, the command line's "restore registry") and says what came
// of it: each value it could not write, with the reason and `elevationAdvice` where rights
// are missing, and each damaged line. An error when the file is missing or unreadable, or when
// not everything came in.
Result<reg::ImportOutcome> ImportRegistryBackup(platform::Platform& platform, std::string_view regFile,
                                                EngineSink& sink,
                                                std::string_view elevationAdvice = kRestartAsAdministratorAdvice);

struct FileRestoreOutcome {
  bool restored = false;  // at least one file was written and the archive read to its end
  std::int32_t filesDone = 0;
  std::int32_t filesRefused = 0;  // unsafe names (outside the target, through a link) or not writable
  std::string error;              // shown to the user; empty when restored
  std::string warning;            // restored, but the archive held less than it promised (or more)
};

// The Files Cleaning page's Restore: creates `target` with its parents, sets the progress
// maximum to 100, unpacks `archive` with `backupFile` as the caller configured it (the main
// window: full paths, every file overwritten), sets the progress back to 0 and tells where
// the files are (language text 96) or what went wrong.
FileRestoreOutcome RestoreFiles(platform::FileSystem& files, backup::TBackupFile& backupFile, std::string_view archive,
                                std::string_view target, EngineSink& sink);

}  // namespace sw::tweaks
