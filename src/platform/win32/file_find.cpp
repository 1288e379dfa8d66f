#include "platform/win32/file_find.h"

#include <vector>

#include "core/win_path.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace sw::platform::win32 {
namespace {

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

class Win32FolderReader final : public FolderReader {
 public:
  Win32FolderReader(UniqueFindHandle find, const WIN32_FIND_DATAW& first)
      : find_(std::move(find)), data_(first), pending_(true) {}
  // A folder without a single entry (an empty drive root has no "." either).
  Win32FolderReader() = default;

  bool Next(FolderEntry& entry) override {
    while (find_) {
      if (!pending_ && !::FindNextFileW(find_.get(), &data_)) {
        find_.reset();
        return false;
      }
      pending_ = false;
      if (IsDotEntry(data_.cFileName)) {
        continue;
      }
      entry.name = FromWide(data_.cFileName);
      entry.size = (static_cast<std::uint64_t>(data_.nFileSizeHigh) << 32U) | data_.nFileSizeLow;
      entry.attributes = data_.dwFileAttributes;
      entry.lastWrite = FileTimeOf(data_.ftLastWriteTime);
      entry.lastAccess = FileTimeOf(data_.ftLastAccessTime);
      return true;
    }
    return false;
  }

 private:
  UniqueFindHandle find_;
  WIN32_FIND_DATAW data_{};
  bool pending_ = false;
};

// A folder's entries as the file system keeps them, with each file's number, allocated size
// and reparse tag, read from the folder's handle a buffer at a time: FindFirstFile gives none
// of these, and opening each file to ask would make a cloud client download it.
class Win32IdentityReader final : public FolderReader {
 public:
  explicit Win32IdentityReader(UniqueFileHandle folder) : folder_(std::move(folder)), buffer_(kFirstBufferWords) {}

  bool Next(FolderEntry& entry) override {
    for (;;) {
      if (!pending_ && !Fill()) {
        return false;
      }
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(
          reinterpret_cast<const std::uint8_t*>(buffer_.data()) + offset_);
      pending_ = info->NextEntryOffset != 0;
      offset_ += info->NextEntryOffset;
      const std::wstring_view name(info->FileName, info->FileNameLength / sizeof(wchar_t));
      if (name == L"." || name == L"..") {
        continue;
      }
      entry.name = FromWide(name);
      entry.size = static_cast<std::uint64_t>(info->EndOfFile.QuadPart);
      entry.allocated = static_cast<std::uint64_t>(info->AllocationSize.QuadPart);
      entry.attributes = info->FileAttributes;
      entry.lastWrite = FileTimeOf(FILETIME{info->LastWriteTime.LowPart, static_cast<DWORD>(info->LastWriteTime.HighPart)});
      entry.fileId = static_cast<std::uint64_t>(info->FileId.QuadPart);
      entry.volume = 0;  // the folder's own
      entry.links = 0;   // not in the listing
      // For a reparse point the field of the extended attributes' size holds its tag.
      entry.reparseTag = (info->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? info->EaSize : 0;
      return true;
    }
  }

 private:
  static constexpr std::size_t kFirstBufferWords = 64 * 1024 / sizeof(std::uint64_t);

  // The next buffer of entries; false after the last one (or when the folder cannot be read
  // on, which ends the listing as a folder that cannot be listed does).
  bool Fill() {
    if (done_) {
      return false;
    }
    for (;;) {
      const FILE_INFO_BY_HANDLE_CLASS kind = first_ ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo;
      if (::GetFileInformationByHandleEx(folder_.get(), kind, buffer_.data(),
                                         static_cast<DWORD>(buffer_.size() * sizeof(std::uint64_t)))) {
        first_ = false;
        offset_ = 0;
        pending_ = true;
        return true;
      }
      // One name longer than the buffer: grow it and ask again.
      if (::GetLastError() == ERROR_MORE_DATA && buffer_.size() < 16 * kFirstBufferWords) {
        buffer_.resize(buffer_.size() * 2);
        continue;
      }
      done_ = true;
      folder_.reset();
      return false;
    }
  }

  UniqueFileHandle folder_;
  std::vector<std::uint64_t> buffer_;  // 8-byte aligned, as the entries need
  std::size_t offset_ = 0;
  bool pending_ = false;
  bool first_ = true;
  bool done_ = false;
};

}  // namespace

Result<std::unique_ptr<FolderReader>> OpenIdentityFolderReader(std::string_view folder) {
  const std::wstring path = ToFilePath(folder);
  UniqueFileHandle handle{::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
  if (!handle) {
    return LastError();
  }
  return std::unique_ptr<FolderReader>(std::make_unique<Win32IdentityReader>(std::move(handle)));
}

Result<std::unique_ptr<FolderReader>> OpenFolderReader(std::string_view folder) {
  const std::wstring pattern = ToFilePath(JoinPath(folder, "*"));
  WIN32_FIND_DATAW first{};
  UniqueFindHandle find{::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &first, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH)};
  if (!find) {
    const Error error = LastError();
    if (error.Is(Errc::FileNotFound)) {
      return std::unique_ptr<FolderReader>(std::make_unique<Win32FolderReader>());
    }
    return error;
  }
  return std::unique_ptr<FolderReader>(std::make_unique<Win32FolderReader>(std::move(find), first));
}

}  // namespace sw::platform::win32
