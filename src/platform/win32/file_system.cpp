#include "platform/win32/file_system.h"

#include <atomic>
#include <optional>
#include <vector>

#include "core/win_path.h"
#include "platform/win32/file_find.h"
#include "platform/win32/handles.h"
#include "platform/win32/listed_file.h"
#include "platform/win32/wide.h"

namespace sw::platform::win32 {
namespace {

Status StatusOf(BOOL ok) {
  return ok ? Status{} : Status(LastError());
}

Status WriteAll(HANDLE file, std::span<const std::uint8_t> data) {
  while (!data.empty()) {
    const DWORD chunk = data.size() > 0x40000000U ? 0x40000000U : static_cast<DWORD>(data.size());
    DWORD written = 0;
    if (!::WriteFile(file, data.data(), chunk, &written, nullptr)) {
      return LastError();
    }
    data = data.subspan(written);
  }
  return {};
}

// SetFileTime on an open file; a time of zero ticks is left as it is.
Status SetTimesOf(HANDLE file, const FileTimes& times) {
  const FILETIME creation = ToFiletime(times.creation);
  const FILETIME access = ToFiletime(times.lastAccess);
  const FILETIME write = ToFiletime(times.lastWrite);
  return StatusOf(::SetFileTime(file, times.creation.ticks ? &creation : nullptr,
                                times.lastAccess.ticks ? &access : nullptr, times.lastWrite.ticks ? &write : nullptr));
}

class Win32FileReader final : public FileReader {
 public:
  explicit Win32FileReader(UniqueFileHandle file) : file_(std::move(file)) {}

  Result<std::size_t> Read(std::span<std::uint8_t> buffer) override {
    const DWORD want = buffer.size() > 0x40000000U ? 0x40000000U : static_cast<DWORD>(buffer.size());
    DWORD got = 0;
    if (!::ReadFile(file_.get(), buffer.data(), want, &got, nullptr)) {
      return LastError();
    }
    return static_cast<std::size_t>(got);
  }

  Result<std::uint64_t> Size() override {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file_.get(), &size)) {
      return LastError();
    }
    return static_cast<std::uint64_t>(size.QuadPart);
  }

 private:
  UniqueFileHandle file_;
};

class Win32FileWriter final : public FileWriter {
 public:
  Win32FileWriter(UniqueFileHandle file, bool append) : file_(std::move(file)), append_(append) {}

  Status Write(std::span<const std::uint8_t> data) override {
    if (!file_) {
      return Error(Errc::InvalidHandle);
    }
    return WriteAll(file_.get(), data);
  }

  Status Commit() override {
    if (!file_) {
      return Error(Errc::InvalidHandle);
    }
    const Status flushed = StatusOf(::FlushFileBuffers(file_.get()));
    const Status closed = Close();
    return flushed ? closed : flushed;
  }

  // The end of file moves; the file pointer, where the next write goes, stays.
  Status Reserve(std::uint64_t finalSize) override {
    if (!file_) {
      return Error(Errc::InvalidHandle);
    }
    if (append_) {
      return {};  // its data goes after what the file holds
    }
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(finalSize);
    if (!::SetFileInformationByHandle(file_.get(), FileEndOfFileInfo, &end, sizeof(end))) {
      return LastError();
    }
    reserved_ = true;
    return {};
  }

  Status SetTimes(const FileTimes& times) override {
    if (!file_) {
      return Error(Errc::InvalidHandle);
    }
    times_ = times;
    return SetTimesOf(file_.get(), times);
  }

  // SetEndOfFile cuts the file at the pointer: where writing stopped, should the size given
  // ahead have been wrong. That counts as a write, so the times set before are set again.
  Status Close() override {
    if (!file_) {
      return Error(Errc::InvalidHandle);
    }
    Status status;
    if (reserved_) {
      status = StatusOf(::SetEndOfFile(file_.get()));
      if (status && times_) {
        status = SetTimesOf(file_.get(), *times_);
      }
    }
    const Status closed = StatusOf(::CloseHandle(file_.release()));
    return status ? closed : status;
  }

 private:
  UniqueFileHandle file_;
  bool append_;
  bool reserved_ = false;
  std::optional<FileTimes> times_;
};

}  // namespace

DriveType Win32FileSystem::DriveTypeOf(std::string_view root) {
  return static_cast<DriveType>(::GetDriveTypeW(ToWide(AddTrailingBackslash(root)).c_str()));
}

// The directory search reports every detail at once, whatever the caller needs.
Result<std::unique_ptr<FolderReader>> Win32FileSystem::ListFolder(std::string_view folder, FolderDetail detail) {
  return detail == FolderDetail::Identity ? OpenIdentityFolderReader(folder) : OpenFolderReader(folder);
}

Result<std::uint32_t> Win32FileSystem::AttributesOf(std::string_view path) {
  const DWORD attributes = ::GetFileAttributesW(ToFilePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return LastError();
  }
  return static_cast<std::uint32_t>(attributes);
}

Result<FolderEntry> Win32FileSystem::EntryOf(std::string_view path) {
  if (path.find_first_of("*?") != std::string_view::npos) {
    return Error(Errc::InvalidName);  // a pattern, which the search would expand
  }
  WIN32_FIND_DATAW data{};
  const UniqueFindHandle find{
      ::FindFirstFileExW(ToFilePath(path).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0)};
  if (!find) {
    return LastError();
  }
  FolderEntry entry;
  entry.name = FromWide(data.cFileName);
  entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32U) | data.nFileSizeLow;
  entry.attributes = data.dwFileAttributes;
  entry.lastWrite = FileTimeOf(data.ftLastWriteTime);
  entry.lastAccess = FileTimeOf(data.ftLastAccessTime);
  return entry;
}

Status Win32FileSystem::SetAttributes(std::string_view path, std::uint32_t attributes) {
  return StatusOf(::SetFileAttributesW(ToFilePath(path).c_str(), attributes));
}

Status Win32FileSystem::RemoveFile(std::string_view path) {
  return StatusOf(::DeleteFileW(ToFilePath(path).c_str()));
}

Status Win32FileSystem::RemoveFolder(std::string_view path) {
  return StatusOf(::RemoveDirectoryW(ToFilePath(path).c_str()));
}

Status Win32FileSystem::CreateFolders(std::string_view path) {
  if (FolderExists(path)) {
    return {};
  }
  // Create from the top down; names that exist already are passed over.
  std::string prefix;
  if (const auto drive = DriveLetterOf(path)) {
    prefix = std::string(1, *drive) + ":";
  } else if (path.starts_with("\\\\")) {
    return Error(Errc::NotSupported);  // network paths are not ours to create
  }
  for (const auto name : PathComponents(path)) {
    prefix += '\\';
    prefix += name;
    if (!::CreateDirectoryW(ToFilePath(prefix).c_str(), nullptr)) {
      const Error error = LastError();
      if (!error.Is(Errc::AlreadyExists) || !FolderExists(prefix)) {
        return error;
      }
    }
  }
  return {};
}

Result<FileTimes> Win32FileSystem::TimesOf(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(ToFilePath(path).c_str(), GetFileExInfoStandard, &data)) {
    return LastError();
  }
  return FileTimes{FileTimeOf(data.ftCreationTime), FileTimeOf(data.ftLastAccessTime),
                   FileTimeOf(data.ftLastWriteTime)};
}

Status Win32FileSystem::SetTimes(std::string_view path, const FileTimes& times) {
  UniqueFileHandle file{::CreateFileW(ToFilePath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
  if (!file) {
    return LastError();
  }
  return SetTimesOf(file.get(), times);
}

Result<std::string> Win32FileSystem::FullPath(std::string_view path) {
  // The system's own clean-up would drop a trailing dot or blank from the last name, which
  // names another file; drive paths and plain relative ones are resolved by our own rules.
  if (IsAbsoluteDrivePath(path)) {
    return ResolvedDrivePath(path);
  }
  const bool plainRelative = !DriveLetterOf(path) && (path.empty() || !IsPathSeparator(path.front()));
  const std::wstring wide = plainRelative ? std::wstring(L".") : ToWide(path);
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0) {
      return LastError();
    }
    if (length < buffer.size()) {
      const std::string full = FromWide(std::wstring_view(buffer.data(), length));
      return plainRelative && IsAbsoluteDrivePath(full) ? ResolvedDrivePath(JoinPath(full, path)) : full;
    }
    buffer.resize(length + 1);
  }
}

Result<std::string> Win32FileSystem::ShortPath(std::string_view path) {
  const std::wstring wide = ToFilePath(path);
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length = ::GetShortPathNameW(wide.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      return LastError();
    }
    if (length < buffer.size()) {
      std::string shortPath = FromWide(std::wstring_view(buffer.data(), length));
      return shortPath.starts_with(R"(\\?\)") ? shortPath.substr(4) : shortPath;
    }
    buffer.resize(length + 1);
  }
}

Result<bool> Win32FileSystem::SameFile(std::string_view a, std::string_view b) {
  BY_HANDLE_FILE_INFORMATION info[2]{};
  const std::string_view paths[2] = {a, b};
  for (int i = 0; i < 2; ++i) {
    // No access asked for: the identity of a file someone holds open can still be read.
    UniqueFileHandle file{::CreateFileW(ToFilePath(paths[i]).c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    if (!file || !::GetFileInformationByHandle(file.get(), &info[i])) {
      return LastError();
    }
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

Result<std::string> Win32FileSystem::TempFolder() {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) {
      return LastError();
    }
    if (length < buffer.size()) {
      return AddTrailingBackslash(FromWide(std::wstring_view(buffer.data(), length)));
    }
    buffer.resize(length + 1);
  }
}

Result<std::string> Win32FileSystem::CreateTempFile(std::string_view folder, std::string_view prefix) {
  wchar_t name[MAX_PATH];
  if (::GetTempFileNameW(ToWide(folder).c_str(), ToWide(prefix).c_str(), 0, name) == 0) {
    return LastError();
  }
  return FromWide(name);
}

Result<std::unique_ptr<FileReader>> Win32FileSystem::OpenForReading(std::string_view path, ReadSharing sharing) {
  const DWORD share = sharing == ReadSharing::AllowWriters ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
  UniqueFileHandle file{::CreateFileW(ToFilePath(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
  if (!file) {
    return LastError();
  }
  return std::unique_ptr<FileReader>(std::make_unique<Win32FileReader>(std::move(file)));
}

Result<std::unique_ptr<FileWriter>> Win32FileSystem::OpenForWriting(std::string_view path, CreateMode mode) {
  const DWORD disposition = mode == CreateMode::CreateNew ? CREATE_NEW
                            : mode == CreateMode::Append  ? OPEN_EXISTING
                                                          : CREATE_ALWAYS;
  UniqueFileHandle file{
      ::CreateFileW(ToFilePath(path).c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (!file) {
    return LastError();
  }
  if (mode == CreateMode::Append && !::SetFilePointerEx(file.get(), LARGE_INTEGER{}, nullptr, FILE_END)) {
    return LastError();
  }
  return std::unique_ptr<FileWriter>(std::make_unique<Win32FileWriter>(std::move(file), mode == CreateMode::Append));
}

Status Win32FileSystem::ReplaceWhole(std::string_view path, std::span<const std::uint8_t> contents) {
  // Windows refuses to rename over a read-only file, Wine does not; refuse on both.
  if (const auto attributes = AttributesOf(path); attributes && (*attributes & kAttrReadOnly) != 0) {
    return Error(Errc::AccessDenied);
  }
  static std::atomic<unsigned> counter{0};
  const std::string temp =
      std::string(path) + ".~sw" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter++);
  auto writer = OpenForWriting(temp, CreateMode::CreateNew);
  if (!writer) {
    return writer.error();
  }
  Status status = (*writer)->Write(contents);
  if (status) {
    status = (*writer)->Commit();
  }
  writer->reset();
  if (status) {
    status = StatusOf(::MoveFileExW(ToFilePath(temp).c_str(), ToFilePath(path).c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  }
  if (!status) {
    ::DeleteFileW(ToFilePath(temp).c_str());
  }
  return status;
}

// Without MOVEFILE_REPLACE_EXISTING an existing target makes the move fail.
Status Win32FileSystem::RenameFile(std::string_view from, std::string_view to) {
  return StatusOf(::MoveFileExW(ToFilePath(from).c_str(), ToFilePath(to).c_str(), MOVEFILE_WRITE_THROUGH));
}

Result<std::unique_ptr<ListedFile>> Win32FileSystem::OpenListedFile(std::string_view path, ListedAccess access) {
  return win32::OpenListedFile(path, access);
}

Result<bool> Win32FileSystem::OthersMayWrite(std::string_view folder) {
  return win32::OthersMayWrite(folder);
}

Result<bool> Win32FileSystem::OnlyAdministratorsMayDelete(std::string_view path) {
  return win32::OnlyAdministratorsMayDelete(path);
}

}  // namespace sw::platform::win32
