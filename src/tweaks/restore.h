#pragma once
// The Restore command (the toolbar's Restore button): on the Advanced page it imports the
// restore file default.reg; on the Registry Cleaning page it hands a picked registry backup
// to the system; on the Files Cleaning page it unpacks a picked backup archive below
// "C:\restored_files". Each says what happened: a registry editor that does not start, an
// archive that cannot be read and a restore that writes nothing are reported, not passed over.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_file.h"
#include "core/engine_sink.h"
#include "core/result.h"
#include "platform/platform.h"
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

// "REGEDIT.EXE /s" and the file, quoted: the program folder may hold blanks.
std::string RegistryImportCommand(std::string_view regFile);

enum class TweakRestore {
  Restored,          // default.reg was imported and all it records came back; refresh the page (select tab 0)
  NothingToRestore,  // no tweak was ever applied: "All restorations were already done."
  Incomplete,        // imported, but not all came back; a warning named what; refresh the page
  Failed,            // the registry editor did not start, or default.reg is no registry file; an error was shown
};

struct TweakRestoreOutcome {
  TweakRestore result = TweakRestore::Failed;
  std::vector<std::string> notBack;  // what did not come back, as the message names it
  std::string message;               // the message shown
};

// The Advanced page's Restore: imports default.reg of the data folder with the registry
// editor, hidden, waits for it, and reads back every key and value the file records: only
// when all came back, "Restored." and "All tasks were restored to their original states.";
// otherwise a warning names what did not, adding `elevationAdvice` when that is where only
// an administrator may write and this program runs without the rights. A file that is no
// registry file is not handed to the editor. The file stays, so a second restore imports it
// again.
TweakRestoreOutcome RestoreTweaks(platform::Platform& platform, EngineSink& sink,
                                  std::string_view elevationAdvice = kRestartAsAdministratorAdvice);

// The Registry Cleaning page's Restore: opens the picked backup file with the shell's "open"
// verb, which normally has the registry editor ask and import it.
Status OpenRegistryBackup(platform::Platform& platform, std::string_view regFile, EngineSink& sink);

// Imports a registry export file with the registry editor, hidden, and waits for it (the
// command line's "restore registry").
Status ImportRegistryBackup(platform::Platform& platform, std::string_view regFile, EngineSink& sink);

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
