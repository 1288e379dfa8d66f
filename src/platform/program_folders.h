#pragma once
// Where the program reads what its installer shipped and where it writes what it keeps.
//
// The program folder holds what the installer put there (the programs, version.txt, the
// help, the icon). Everything the program writes (language.txt, the backups zqN.bck and
// regbackupNNN.reg, default.reg, clean.bat, the update's files, newsinfo.txt, the history)
// goes to the data folder, which the installer's record of its mode decides
// (kInstallModeFile beside the program):
//   - installed for everyone: %LOCALAPPDATA%\Sweepwise, the user's own, whether the program
//     runs with administrator rights or not, so that an elevated and an unelevated run of
//     one install share one settings file, one backup counter and one history;
//   - installed for the current user, or a portable copy (no record): the program folder
//     itself when the program can create and delete a file there, else
//     %LOCALAPPDATA%\Sweepwise (a copy on a medium or below a folder it cannot write).
// Both programs decide the same way once at start.

#include <string>
#include <string_view>

#include "core/result.h"
#include "platform/file_system.h"
#include "platform/system.h"

namespace sw::platform {

// How the program came to its folder, as its installer recorded it.
enum class InstallMode {
  Portable,     // no record: copied there by hand (or an install older than the record)
  CurrentUser,  // installed for the current user (%LOCALAPPDATA%\Programs\Sweepwise)
  Everyone,     // installed for every user of the computer (%ProgramFiles%\Sweepwise)
};

// "portable", "current-user", "everyone": the names `paths --json` shows.
[[nodiscard]] std::string_view InstallModeName(InstallMode mode);

// The installer's record beside the program: one line, "everyone" or "current user". Only
// the program folder's copy counts; only whoever may write the program folder can write it.
inline constexpr std::string_view kInstallModeFile = "install-mode.txt";

// The mode the record in `programFolder` names; Portable without a record, or with one that
// names no mode.
[[nodiscard]] InstallMode ReadInstallMode(FileSystem& files, std::string_view programFolder);

struct ProgramFolders {
  InstallMode mode = InstallMode::Portable;
  std::string program;  // ProgramDir, without a trailing backslash
  std::string data;     // where the program writes, without a trailing backslash
  std::string why;      // one sentence: why `data` is where it is
  // Whether `data` can be written. When not: the sentence to show a person, naming the
  // folder and the system's reason; every command that must write refuses with it.
  Status writable;
  std::string problem;

  // `name` in the data folder.
  [[nodiscard]] std::string DataFile(std::string_view name) const;
  // `name` in the program folder.
  [[nodiscard]] std::string ProgramFile(std::string_view name) const;
};

// The name of the data folder below the user's local application data.
inline constexpr std::string_view kDataFolderName = "Sweepwise";

// Decides the folders (creating the data folder when it is needed and missing).
[[nodiscard]] ProgramFolders DecideProgramFolders(FileSystem& files, System& system);

// Folders for a program that keeps everything beside itself, as a portable copy does:
// the decision a test makes when it wants one folder for both.
[[nodiscard]] ProgramFolders PortableFolders(std::string programFolder);

// A file the installer ships that the program may also write later (version.txt after an
// update): the data folder's copy when there is one, else the program folder's.
[[nodiscard]] std::string ShippedFile(const ProgramFolders& folders, FileSystem& files, std::string_view name);

}  // namespace sw::platform
