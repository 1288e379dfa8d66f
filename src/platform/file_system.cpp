#include "platform/file_system.h"

#include <limits>
#include <optional>

#include "core/text.h"

namespace sw::platform {

// Where a platform has no cheaper way: the entry among those of its folder, by its exact
// name, else by the name without regard to case.
Result<FolderEntry> FileSystem::EntryOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string_view::npos || slash + 1 == path.size()) {
    return Error(Errc::InvalidName);
  }
  const std::string_view name = path.substr(slash + 1);
  auto reader = ListFolder(path.substr(0, slash + 1), FolderDetail::Full);
  if (!reader) {
    return reader.error();
  }
  FolderEntry entry;
  std::optional<FolderEntry> sameButCase;
  while ((*reader)->Next(entry)) {
    if (entry.name == name) {
      return entry;
    }
    if (!sameButCase && EqualsNoCase(entry.name, name)) {
      sameButCase = entry;
    }
  }
  if (sameButCase) {
    return *sameButCase;
  }
  return Error(Errc::FileNotFound);
}

// A file system that cannot act through handles, or tell who else may write, acts on nothing
// a Find listed: its callers keep the files.
Result<std::unique_ptr<ListedFile>> FileSystem::OpenListedFile(std::string_view, ListedAccess) {
  return Error(Errc::NotSupported);
}

Result<bool> FileSystem::OthersMayWrite(std::string_view) {
  return Error(Errc::NotSupported);
}

Result<bool> FileSystem::OnlyAdministratorsMayDelete(std::string_view) {
  return Error(Errc::NotSupported);
}

bool FileSystem::Exists(std::string_view path) {
  return AttributesOf(path).has_value();
}

bool FileSystem::FileExists(std::string_view path) {
  const auto attributes = AttributesOf(path);
  return attributes && (*attributes & kAttrDirectory) == 0;
}

bool FileSystem::FolderExists(std::string_view path) {
  const auto attributes = AttributesOf(path);
  return attributes && (*attributes & kAttrDirectory) != 0;
}

Result<Bytes> FileSystem::ReadWhole(std::string_view path) {
  auto reader = OpenForReading(path);
  if (!reader) {
    return reader.error();
  }
  Bytes contents;
  // The size is a hint only: the file may change while it is read.
  if (auto size = (*reader)->Size(); size && *size < std::numeric_limits<std::uint32_t>::max()) {
    contents.reserve(static_cast<std::size_t>(*size));
  }
  std::uint8_t buffer[64 * 1024];
  for (;;) {
    const auto read = (*reader)->Read(buffer);
    if (!read) {
      return read.error();
    }
    if (*read == 0) {
      return contents;
    }
    contents.insert(contents.end(), buffer, buffer + *read);
  }
}

Status FileSystem::ReplaceWholeText(std::string_view path, std::string_view contents) {
  return ReplaceWhole(path, AsBytes(contents));
}

std::vector<std::string> FixedDriveRoots(FileSystem& files) {
  std::vector<std::string> roots;
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    std::string root{letter, ':', '\\'};
    if (files.DriveTypeOf(root) == DriveType::Fixed) {
      roots.push_back(std::move(root));
    }
  }
  return roots;
}

}  // namespace sw::platform
