#include "platform/win32/file_find.h"

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

}  // namespace

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
