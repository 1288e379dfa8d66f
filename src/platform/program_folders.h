#pragma once
// Where the program reads what its installer shipped and where it writes what it keeps.
//
// The program folder holds what the installer put there (the programs, version.txt, the
// help, the icon). Everything the program writes (language.txt, the backups zqN.bck and
// regbackupNNN.reg, default.reg, clean.bat, the update's files, newsinfo.txt) goes to the
// data folder: the program folder itself when the program can create and delete a file
// there (a portable copy, or any Windows up to XP), else %LOCALAPPDATA%\Sweepwise, since a
// standard user cannot write below %ProgramFiles%. Both programs decide the same way once
// at start, so the window and the console share one settings file and one backup counter.

#include <string>
#include <string_view>

#include "core/result.h"
#include "platform/file_system.h"
#include "platform/system.h"

namespace sw::platform {

struct ProgramFolders {
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
