#pragma once
// The file system where there is no Windows: drive letters mapped to folders of the Linux
// file system, Windows path rules on top (case-insensitive names, backslashes, "." and ".."
// resolved, reserved characters refused). Attributes that Linux has no place for (read-only,
// hidden, system, archive) are kept in memory for the life of the object; symbolic links
// show as reparse points.

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace sw::platform::host {

// A Linux time stamp as the file time Windows gives for it.
FileTime FileTimeOf(const struct timespec& time);

struct DriveMapping {
  char letter = 'C';
  std::filesystem::path hostFolder;
  DriveType type = DriveType::Fixed;
};

class HostFileSystem final : public FileSystem {
 public:
  // `tempFolder` is a Windows path on one of the drives.
  explicit HostFileSystem(std::vector<DriveMapping> drives, std::string_view tempFolder = "C:\\Temp");

  DriveType DriveTypeOf(std::string_view root) override;
  Result<std::unique_ptr<FolderReader>> ListFolder(std::string_view folder, FolderDetail detail) override;
  Result<std::uint32_t> AttributesOf(std::string_view path) override;
  Result<FolderEntry> EntryOf(std::string_view path) override;
  Status SetAttributes(std::string_view path, std::uint32_t attributes) override;
  Status RemoveFile(std::string_view path) override;
  Status RemoveFolder(std::string_view path) override;
  Status CreateFolders(std::string_view path) override;
  Result<FileTimes> TimesOf(std::string_view path) override;
  Status SetTimes(std::string_view path, const FileTimes& times) override;
  Result<std::string> FullPath(std::string_view path) override;
  // Linux file systems keep no short names.
  Result<std::string> ShortPath(std::string_view) override { return Error(Errc::NotSupported); }
  Result<bool> SameFile(std::string_view a, std::string_view b) override;
  Result<std::string> TempFolder() override;
  Result<std::string> CreateTempFile(std::string_view folder, std::string_view prefix) override;
  Result<std::unique_ptr<FileReader>> OpenForReading(std::string_view path, ReadSharing sharing) override;
  Result<std::unique_ptr<FileWriter>> OpenForWriting(std::string_view path, CreateMode mode) override;
  Status ReplaceWhole(std::string_view path, std::span<const std::uint8_t> contents) override;
  using FileSystem::ReplaceWhole;
  Status RenameFile(std::string_view from, std::string_view to) override;

  // host_listed_file.cpp: the nearest Linux has to acting through a handle (see there).
  Result<std::unique_ptr<ListedFile>> OpenListedFile(std::string_view path, ListedAccess access) override;
  // A folder others may write: writable by its group or by everyone, or owned by another
  // user (who may change that).
  Result<bool> OthersMayWrite(std::string_view folder) override;
  // Linux has no administrators as Windows has them: false; tests that need another answer
  // give it through a file system of their own.
  Result<bool> OnlyAdministratorsMayDelete(std::string_view) override { return false; }

  // A test hook: gives an entry attribute bits that no program can set through
  // SetAttributes, such as those of a cloud file whose data is not on the disk (offline,
  // recall on open, recall on data access), which Linux file systems cannot show.
  Status ForceAttributes(std::string_view path, std::uint32_t attributes);

  // The Linux path that a Windows path names: each existing name matched without regard to
  // case, "." and ".." resolved (never above the drive's root).
  Result<std::filesystem::path> ToHostPath(std::string_view path) const;

  // The Windows path of a Linux path below one of the drives' folders (links in either
  // resolved); nullopt for a path on no drive.
  std::optional<std::string> WindowsPathOf(const std::filesystem::path& hostPath) const;

  // The attributes of the entry `name` of the Linux folder `hostFolder` (not a link).
  std::uint32_t StoredAttributes(const std::filesystem::path& hostFolder, std::string_view name, bool isFolder) const;

 private:
  friend class HostListedFile;  // clears the attributes of the file it deletes

  struct HostEntry {
    std::filesystem::path path;
    struct stat status;  // of the entry itself, not of a link's target
  };
  // The Linux path of a Windows path and what lstat says of it.
  Result<HostEntry> Locate(std::string_view path) const;
  const DriveMapping* DriveOf(std::string_view path) const;
  // The Linux path with the names as given, without looking at the disk.
  Result<std::filesystem::path> SpelledHostPath(std::string_view path) const;
  Status CheckNotReadOnly(const std::filesystem::path& hostPath) const;
  // The drive's folder with every link on the way resolved; nullopt when it cannot be.
  std::optional<std::filesystem::path> ResolvedRoot(std::size_t drive) const;

  // Attribute bits other than "directory" and "reparse point", by Linux path. Listed files
  // are deleted on several threads at once, each clearing its own file's entry.
  class AttributeStore {
   public:
    [[nodiscard]] bool Empty() const;
    [[nodiscard]] std::optional<std::uint32_t> Find(const std::string& path) const;
    void Set(const std::string& path, std::uint32_t attributes);
    void Erase(const std::string& path);
    // The bits of `from`, if any, now belong to `to` (a rename).
    void Move(const std::string& from, const std::string& to);

   private:
    mutable std::mutex mutex_;
    std::map<std::string, std::uint32_t> bits_;
  };

  std::vector<DriveMapping> drives_;
  // By drive: its folder resolved, once the folder exists. A drive's folder stays where it is
  // for the file system's life, and every final path of a walk's files is measured from it.
  mutable std::mutex rootsLock_;
  mutable std::vector<std::optional<std::filesystem::path>> resolvedRoots_;
  std::string tempFolder_;
  std::string currentFolder_ = "C:\\";
  AttributeStore attributes_;
};

}  // namespace sw::platform::host
