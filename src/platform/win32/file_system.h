#pragma once
// Files, folders and drives through kernel32.

#include "platform/file_system.h"

namespace sw::platform::win32 {

class Win32FileSystem final : public FileSystem {
 public:
  DriveType DriveTypeOf(std::string_view root) override;
  Result<std::unique_ptr<FolderReader>> ListFolder(std::string_view folder, FolderDetail detail) override;
  Result<std::uint32_t> AttributesOf(std::string_view path) override;
  // The directory entry itself (FindFirstFileExW on the exact name): its attributes are those
  // a listing reports, cloud placeholders' included, and nothing is opened.
  Result<FolderEntry> EntryOf(std::string_view path) override;
  Status SetAttributes(std::string_view path, std::uint32_t attributes) override;
  Status RemoveFile(std::string_view path) override;
  Status RemoveFolder(std::string_view path) override;
  Status CreateFolders(std::string_view path) override;
  Result<FileTimes> TimesOf(std::string_view path) override;
  Status SetTimes(std::string_view path, const FileTimes& times) override;
  Result<std::string> FullPath(std::string_view path) override;
  Result<std::string> ShortPath(std::string_view path) override;
  Result<bool> SameFile(std::string_view a, std::string_view b) override;
  Result<std::string> TempFolder() override;
  Result<std::string> CreateTempFile(std::string_view folder, std::string_view prefix) override;
  Result<std::unique_ptr<FileReader>> OpenForReading(std::string_view path, ReadSharing sharing) override;
  Result<std::unique_ptr<FileWriter>> OpenForWriting(std::string_view path, CreateMode mode) override;
  Status ReplaceWhole(std::string_view path, std::span<const std::uint8_t> contents) override;
  using FileSystem::ReplaceWhole;
  Status RenameFile(std::string_view from, std::string_view to) override;

  // listed_file.h
  Result<std::unique_ptr<ListedFile>> OpenListedFile(std::string_view path, ListedAccess access) override;
  Result<bool> OthersMayWrite(std::string_view folder) override;
  Result<bool> OnlyAdministratorsMayDelete(std::string_view path) override;
};

}  // namespace sw::platform::win32
