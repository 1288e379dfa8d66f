#include "platform/program_folders.h"

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
// written.
void UseLocalAppData(ProgramFolders& folders, FileSystem& files, System& system, Error programError) {
  folders.why = "The program folder " + folders.program + " cannot be written (" + ErrorMessage(programError) +
                "), so the files go to the user's local application data.";
  const std::string local = system.ExpandEnvironment("%LOCALAPPDATA%");
  if (local.empty() || local.find('%') != std::string::npos) {
    folders.data = folders.program;
    folders.writable = programError;
    folders.problem = "Neither the program folder " + folders.program + " nor a folder of the user's own (" +
                      "%LOCALAPPDATA% is not set) can be written: " + ErrorMessage(programError);
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
  const Status writable = CanCreateAndDelete(files, folders.program);
  if (writable) {
    folders.data = folders.program;
    folders.why = "The program folder can be written, so the program keeps its files beside itself (a portable copy).";
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
