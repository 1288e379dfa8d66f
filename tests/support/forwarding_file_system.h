#pragma once
// A file system that passes every call on to another one: tests derive from it and override
// only the calls they hold back, refuse or count.

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace sw::test {

class ForwardingFileSystem : public platform::FileSystem {
 public:
  explicit ForwardingFileSystem(platform::FileSystem& real) : real_(real) {}

  Result<std::unique_ptr<platform::FolderReader>> ListFolder(std::string_view folder,
                                                             platform::FolderDetail detail) override {
    return real_.ListFolder(folder, detail);
  }
  platform::DriveType DriveTypeOf(std::string_view root) override { return real_.DriveTypeOf(root); }
  Result<std::uint32_t> AttributesOf(std::string_view p) override { return real_.AttributesOf(p); }
  Result<platform::FolderEntry> EntryOf(std::string_view p) override { return real_.EntryOf(p); }
  Status SetAttributes(std::string_view p, std::uint32_t a) override { return real_.SetAttributes(p, a); }
  Status RemoveFile(std::string_view p) override { return real_.RemoveFile(p); }
  Status RemoveFolder(std::string_view p) override { return real_.RemoveFolder(p); }
  Status CreateFolders(std::string_view p) override { return real_.CreateFolders(p); }
  Result<platform::FileTimes> TimesOf(std::string_view p) override { return real_.TimesOf(p); }
  Status SetTimes(std::string_view p, const platform::FileTimes& t) override { return real_.SetTimes(p, t); }
  Result<std::string> FullPath(std::string_view p) override { return real_.FullPath(p); }
  Result<std::string> ShortPath(std::string_view p) override { return real_.ShortPath(p); }
  Result<bool> SameFile(std::string_view a, std::string_view b) override { return real_.SameFile(a, b); }
  Result<std::string> TempFolder() override { return real_.TempFolder(); }
  Result<std::string> CreateTempFile(std::string_view f, std::string_view p) override {
    return real_.CreateTempFile(f, p);
  }
  Result<std::unique_ptr<platform::FileReader>> OpenForReading(std::string_view p, platform::ReadSharing s) override {
    return real_.OpenForReading(p, s);
  }
  Result<std::unique_ptr<platform::FileWriter>> OpenForWriting(std::string_view p, platform::CreateMode m) override {
    return real_.OpenForWriting(p, m);
  }
  Status ReplaceWhole(std::string_view p, std::span<const std::uint8_t> c) override { return real_.ReplaceWhole(p, c); }
  using FileSystem::ReplaceWhole;
  Status RenameFile(std::string_view f, std::string_view t) override { return real_.RenameFile(f, t); }
  Result<std::unique_ptr<platform::ListedFile>> OpenListedFile(std::string_view p, platform::ListedAccess a) override {
    return real_.OpenListedFile(p, a);
  }
  Result<bool> OthersMayWrite(std::string_view f) override { return real_.OthersMayWrite(f); }
  Result<bool> OnlyAdministratorsMayDelete(std::string_view p) override { return real_.OnlyAdministratorsMayDelete(p); }

 protected:
  platform::FileSystem& real_;
};

}  // namespace sw::test
