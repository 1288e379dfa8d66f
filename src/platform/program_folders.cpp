#include "platform/program_folders.h"

#include <optional>

#include "core/text.h"
#include "platform/error_message.h"

namespace sw::platform {
namespace {

// Whether a file can be created in `folder` and deleted again. A folder a standard user may
// not write (below %ProgramFiles%) fails here; so does a read-only medium. This build's
// manifest asks for no virtualisation, so a write there cannot land in the VirtualStore.
Status CanCreateAndDelete(FileSystem& files, const std::string& folder) {
  const auto probe = files.CreateTempFile(folder, "swp");
  if (!probe) {
    return probe.error();
  }
  return files.RemoveFile(*probe);
}

std::string Joined(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '\\') {
    path.push_back('\\');
  }
  return path.append(name);
}

// The data folder below %LOCALAPPDATA%, made when missing; its status says whether it can be
// written. `programError` is why the program folder is not used: for an install for
// everyone, none (the folder is not tried at all).
void UseLocalAppData(ProgramFolders& folders, FileSystem& files, System& system, std::optional<Error> programError) {
  folders.why = programError ? "The program folder " + folders.program + " cannot be written (" +
                                   ErrorMessage(*programError) +
                                   "), so the files go to the user's local application data."
                             : "Sweepwise is installed for everyone (its installer's record " +
                                   folders.ProgramFile(kInstallModeFile) +
                                   "), so each user's files go to that user's local application data, whether "
                                   "the program runs with administrator rights or not.";
  const std::string local = system.ExpandEnvironment("%LOCALAPPDATA%");
  if (local.empty() || local.find('%') != std::string::npos) {
    folders.data = folders.program;
    folders.writable = programError.value_or(Error(Errc::PathNotFound));
    folders.problem = "No folder of the user's own can be written (%LOCALAPPDATA% is not set)" +
                      (programError ? ", nor the program folder " + folders.program + ": " + ErrorMessage(*programError)
                                    : std::string("."));
    return;
  }
  folders.data = Joined(local, kDataFolderName);
  folders.writable = files.CreateFolders(folders.data);
  if (folders.writable) {
    folders.writable = CanCreateAndDelete(files, folders.data);
  }
  if (!folders.writable) {
    folders.problem = "The data folder " + folders.data + " cannot be written: " + ErrorMessage(folders.writable.error());
  }
}

}  // namespace

std::string ProgramFolders::DataFile(std::string_view name) const {
  return Joined(data, name);
}

std::string ProgramFolders::ProgramFile(std::string_view name) const {
  return Joined(program, name);
}

std::string_view InstallModeName(InstallMode mode) {
  switch (mode) {
    case InstallMode::CurrentUser:
      return "current-user";
    case InstallMode::Everyone:
      return "everyone";
    case InstallMode::Portable:
      break;
  }
  return "portable";
}

InstallMode ReadInstallMode(FileSystem& files, std::string_view programFolder) {
  // A record is a word or two; anything longer is not one.
  constexpr std::size_t kLongestRecord = 64;
  const auto bytes = files.ReadWhole(Joined(programFolder, kInstallModeFile));
  if (!bytes || bytes->size() > kLongestRecord) {
    return InstallMode::Portable;
  }
  const std::string text(bytes->begin(), bytes->end());
  const std::string_view line = TrimBlanks(std::string_view(text).substr(0, text.find_first_of("\r\n")));
  if (EqualsNoCase(line, "everyone")) {
    return InstallMode::Everyone;
  }
  if (EqualsNoCase(line, "current user")) {
    return InstallMode::CurrentUser;
  }
  return InstallMode::Portable;
}

ProgramFolders DecideProgramFolders(FileSystem& files, System& system) {
  ProgramFolders folders;
  const auto program = system.ProgramFolder();
  if (!program) {
    folders.writable = program.error();
    folders.problem = "The program's own folder is unknown: " + ErrorMessage(program.error());
    folders.why = folders.problem;
    return folders;
  }
  folders.program = *program;
  folders.mode = ReadInstallMode(files, folders.program);
  // Not whether the folder can be written: an elevated run could write below %ProgramFiles%
  // and would keep a second set of files there, which an unelevated run never finds.
  if (folders.mode == InstallMode::Everyone) {
    UseLocalAppData(folders, files, system, std::nullopt);
    return folders;
  }
  const Status writable = CanCreateAndDelete(files, folders.program);
  if (writable) {
    folders.data = folders.program;
    folders.why = folders.mode == InstallMode::CurrentUser
                      ? "Sweepwise is installed for the current user in a folder of the user's own, so it keeps its "
                        "files beside itself."
                      : "The program folder can be written, so the program keeps its files beside itself (a "
                        "portable copy).";
    return folders;
  }
  UseLocalAppData(folders, files, system, writable.error());
  return folders;
}

ProgramFolders PortableFolders(std::string programFolder) {
  ProgramFolders folders;
  folders.program = programFolder;
  folders.data = std::move(programFolder);
  folders.why = "The program keeps its files beside itself.";
  return folders;
}

std::string ShippedFile(const ProgramFolders& folders, FileSystem& files, std::string_view name) {
  std::string written = folders.DataFile(name);
  if (folders.data != folders.program && files.FileExists(written)) {
    return written;
  }
  return folders.ProgramFile(name);
}

}  // namespace sw::platform
