#include "platform/host/host_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <optional>

#include "core/text.h"
#include "core/win_path.h"
#include "platform/host/posix_error.h"
#include "platform/host/unique_fd.h"

namespace sw::platform::host {
namespace fs = std::filesystem;

namespace {

// Characters Windows refuses in names.
bool HasReservedCharacter(std::string_view name) {
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

struct timespec TimespecOf(FileTime time) {
  if (time.ticks == 0) {
    return {0, UTIME_OMIT};
  }
  return {static_cast<time_t>(UnixSecondsOf(time)), static_cast<long>(UnixNanosecondsOf(time))};
}

// ENOENT means "file not found" when the folder exists and "path not found" when it does not.
Error MissingError(const fs::path& hostPath) {
  struct stat st {};
  const bool parentExists = ::stat(hostPath.parent_path().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  return Error(parentExists ? Errc::FileNotFound : Errc::PathNotFound);
}

Error LastError(const fs::path& hostPath) {
  const int e = errno;
  return e == ENOENT ? MissingError(hostPath) : ErrorFromErrno(e);
}

Status WriteAll(int fd, std::span<const std::uint8_t> data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return ErrorFromErrno(errno);
    }
    data = data.subspan(static_cast<std::size_t>(written));
  }
  return {};
}

class HostFileReader final : public FileReader {
 public:
  explicit HostFileReader(UniqueFd fd) : fd_(std::move(fd)) {}

  Result<std::size_t> Read(std::span<std::uint8_t> buffer) override {
    for (;;) {
      const ssize_t got = ::read(fd_.get(), buffer.data(), buffer.size());
      if (got >= 0) {
        return static_cast<std::size_t>(got);
      }
      if (errno != EINTR) {
        return ErrorFromErrno(errno);
      }
    }
  }

  Result<std::uint64_t> Size() override {
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0) {
      return ErrorFromErrno(errno);
    }
    return static_cast<std::uint64_t>(st.st_size);
  }

 private:
  UniqueFd fd_;
};

class HostFileWriter final : public FileWriter {
 public:
  HostFileWriter(UniqueFd fd, bool append) : fd_(std::move(fd)), append_(append) {}

  Status Write(std::span<const std::uint8_t> data) override {
    if (!fd_) {
      return Error(Errc::InvalidHandle);
    }
    Status status = WriteAll(fd_.get(), data);
    written_ += data.size();
    // What a large file holds so far starts on its way to the disk a mebibyte at a time,
    // without waiting for it, so that the disk works while the rest is made.
    if (status && !append_ && written_ - writtenBack_ >= kWriteBackStep) {
      (void)::sync_file_range(fd_.get(), static_cast<off_t>(writtenBack_), static_cast<off_t>(written_ - writtenBack_),
                              SYNC_FILE_RANGE_WRITE);
      writtenBack_ = written_;
    }
    return status;
  }

  Status Commit() override {
    if (!fd_) {
      return Error(Errc::InvalidHandle);
    }
    const bool synced = ::fsync(fd_.get()) == 0;
    const int syncErrno = errno;
    const Status closed = Close();
    if (!synced) {
      return ErrorFromErrno(syncErrno);
    }
    return closed;
  }

  // What SetFileInformationByHandle's end of file does on Windows (and Wine turns it into).
  Status Reserve(std::uint64_t finalSize) override {
    if (!fd_) {
      return Error(Errc::InvalidHandle);
    }
    if (append_) {
      return {};  // O_APPEND writes at the end: a size set ahead would come before them
    }
    if (::ftruncate(fd_.get(), static_cast<off_t>(finalSize)) != 0) {
      return ErrorFromErrno(errno);
    }
    reserved_ = true;
    return {};
  }

  Status SetTimes(const FileTimes& times) override {
    if (!fd_) {
      return Error(Errc::InvalidHandle);
    }
    times_ = times;
    const struct timespec both[2] = {TimespecOf(times.lastAccess), TimespecOf(times.lastWrite)};
    return ::futimens(fd_.get(), both) == 0 ? Status{} : Status(ErrorFromErrno(errno));
  }

  Status Close() override {
    if (!fd_) {
      return Error(Errc::InvalidHandle);
    }
    Status status;
    if (reserved_) {
      // The size given ahead was wrong when writing stopped elsewhere: end the file there,
      // which counts as a write, so the times set before are set again.
      struct stat st {};
      const off_t end = ::lseek(fd_.get(), 0, SEEK_CUR);
      if (end < 0 || ::fstat(fd_.get(), &st) != 0) {
        status = ErrorFromErrno(errno);
      } else if (st.st_size != end) {
        status = ::ftruncate(fd_.get(), end) == 0 ? Status{} : Status(ErrorFromErrno(errno));
        if (status && times_) {
          status = SetTimes(*times_);
        }
      }
    }
    // The rest of a large file follows it (Windows' lazy writer does all this by itself);
    // small files wait for the system's own write-back, which gathers them.
    if (written_ >= kWriteBackStep && written_ > writtenBack_) {
      (void)::sync_file_range(fd_.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    if (::close(fd_.release()) != 0 && status) {
      status = ErrorFromErrno(errno);
    }
    return status;
  }

 private:
  static constexpr std::uint64_t kWriteBackStep = 1 << 20;

  UniqueFd fd_;
  bool append_;
  bool reserved_ = false;
  std::optional<FileTimes> times_;
  std::uint64_t written_ = 0;
  std::uint64_t writtenBack_ = 0;  // what was sent on its way to the disk
};

// Lists a folder in the order NTFS keeps it (names compared upper-cased), so that walks
// visit the same sequence on Linux as on Windows.
class HostFolderReader final : public FolderReader {
 public:
  HostFolderReader(UniqueDir dir, const fs::path& hostFolder, const HostFileSystem& owner, FolderDetail detail)
      : dir_(std::move(dir)) {
    while (const dirent* d = ::readdir(dir_.get())) {
      const std::string_view name = d->d_name;
      if (name == "." || name == "..") {
        continue;
      }
      Listed listed;
      listed.entry.name.assign(name);
      if (!Classify(*d, hostFolder, owner, detail, listed)) {
        continue;  // gone since readdir saw it
      }
      entries_.push_back(std::move(listed));
    }
    std::sort(entries_.begin(), entries_.end(),
              [](const Listed& a, const Listed& b) { return NtfsOrder(a.entry.name, b.entry.name) < 0; });
  }

  bool Next(FolderEntry& entry) override {
    if (next_ == entries_.size()) {
      return false;
    }
    current_ = &entries_[next_++];
    entry = std::move(current_->entry);
    return true;
  }

  void FillDetails(FolderEntry& entry) override {
    if (current_ == nullptr || !current_->detailsPending) {
      return;
    }
    struct stat st {};
    if (::fstatat(::dirfd(dir_.get()), entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
      SetDetails(entry, st);
    }
    current_->detailsPending = false;
  }

 private:
  struct Listed {
    FolderEntry entry;
    bool detailsPending = false;
  };

  // Names upper-cased and compared by code point: the order of an NTFS folder. ASCII names,
  // the usual ones, are compared in place.
  static int NtfsOrder(std::string_view a, std::string_view b) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
      if (static_cast<unsigned char>(a[i]) >= 0x80 || static_cast<unsigned char>(b[i]) >= 0x80) {
        return CompareNoCase(a.substr(i), b.substr(i));
      }
      const char x = upper(a[i]);
      const char y = upper(b[i]);
      if (x != y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
      }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
  }

  static void SetDetails(FolderEntry& entry, const struct stat& st) {
    entry.lastWrite = FileTimeOf(st.st_mtim);
    entry.lastAccess = FileTimeOf(st.st_atim);
    entry.size = S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  }

  // Attributes from the directory entry's type when that is all the caller needs, else from
  // the file's status; false when the entry is gone.
  bool Classify(const dirent& d, const fs::path& hostFolder, const HostFileSystem& owner, FolderDetail detail,
                Listed& listed) const {
    FolderEntry& entry = listed.entry;
    if (detail == FolderDetail::Kinds && (d.d_type == DT_DIR || d.d_type == DT_REG)) {
      entry.attributes = owner.StoredAttributes(hostFolder, entry.name, d.d_type == DT_DIR);
      listed.detailsPending = true;
      return true;
    }
    struct stat st {};
    if (::fstatat(::dirfd(dir_.get()), d.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      return false;
    }
    SetDetails(entry, st);
    entry.attributes = S_ISLNK(st.st_mode) ? ReparseAttributes(d.d_name)
                                           : owner.StoredAttributes(hostFolder, entry.name, S_ISDIR(st.st_mode));
    if (detail == FolderDetail::Identity) {
      SetIdentity(entry, st);
    }
    return true;
  }

  // What NTFS keeps of a file beside its name: the clusters it takes, its number on the
  // volume (one for all of a file's hard links) and how many names it has.
  static void SetIdentity(FolderEntry& entry, const struct stat& st) {
    entry.allocated = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_blocks) * 512;
    entry.fileId = static_cast<std::uint64_t>(st.st_ino);
    entry.volume = static_cast<std::uint64_t>(st.st_dev);
    entry.links = static_cast<std::uint32_t>(st.st_nlink);
    entry.reparseTag = S_ISLNK(st.st_mode) ? kReparseTagSymlink : 0;
  }

  // Like a Windows directory symbolic link or junction, a link to a folder is also a folder.
  std::uint32_t ReparseAttributes(const char* name) const {
    struct stat target {};
    const bool toFolder = ::fstatat(::dirfd(dir_.get()), name, &target, 0) == 0 && S_ISDIR(target.st_mode);
    return kAttrReparsePoint | (toFolder ? kAttrDirectory : kAttrArchive);
  }

  UniqueDir dir_;  // kept open for FillDetails
  std::vector<Listed> entries_;
  std::size_t next_ = 0;
  Listed* current_ = nullptr;
};

}  // namespace

HostFileSystem::HostFileSystem(std::vector<DriveMapping> drives, std::string_view tempFolder)
    : drives_(std::move(drives)), resolvedRoots_(drives_.size()), tempFolder_(AddTrailingBackslash(tempFolder)) {}

std::optional<fs::path> HostFileSystem::ResolvedRoot(std::size_t drive) const {
  const std::lock_guard lock(rootsLock_);
  std::optional<fs::path>& resolved = resolvedRoots_[drive];
  std::error_code error;
  if (!resolved) {
    if (fs::path root = fs::canonical(drives_[drive].hostFolder, error); !error) {
      resolved = std::move(root);
    } else {
      fs::path planned = fs::weakly_canonical(drives_[drive].hostFolder, error);  // not made yet
      return error ? std::nullopt : std::optional(std::move(planned));
    }
  }
  return resolved;
}

const DriveMapping* HostFileSystem::DriveOf(std::string_view path) const {
  const auto letter = DriveLetterOf(path);
  if (!letter) {
    return nullptr;
  }
  for (const auto& drive : drives_) {
    if (drive.letter == *letter || drive.letter == *letter - 'A' + 'a') {
      return &drive;
    }
  }
  return nullptr;
}

Result<fs::path> HostFileSystem::SpelledHostPath(std::string_view path) const {
  const DriveMapping* drive = DriveOf(path);
  if (drive == nullptr) {
    return Error(Errc::PathNotFound);
  }
  if (path.size() > 2 && !IsPathSeparator(path[2])) {
    return Error(Errc::InvalidName);  // "C:name", relative to a drive's current folder
  }
  const std::vector<std::string_view> names = ResolvedComponents(path);
  for (const auto name : names) {
    if (HasReservedCharacter(name)) {
      return Error(Errc::InvalidName);
    }
  }
  fs::path whole = drive->hostFolder;
  for (const auto name : names) {
    whole /= fs::path(std::string(name));
  }
  return whole;
}

Result<fs::path> HostFileSystem::ToHostPath(std::string_view path) const {
  auto whole = SpelledHostPath(path);
  // Usually every name is spelt as on disk: one look at the whole path settles it, where a
  // look per name would cost the kernel a walk per name (quadratic in a deep tree).
  if (struct stat st{}; !whole || ::lstat(whole->c_str(), &st) == 0) {
    return whole;
  }
  const DriveMapping* drive = DriveOf(path);
  const std::vector<std::string_view> names = ResolvedComponents(path);
  fs::path host = drive->hostFolder;
  bool matching = true;  // false once a name does not exist: the rest cannot either
  for (const auto name : names) {
    fs::path exact = host / fs::path(std::string(name));
    struct stat st {};
    if (!matching || ::lstat(exact.c_str(), &st) == 0) {
      host = std::move(exact);
      continue;
    }
    matching = false;
    if (UniqueDir dir{::opendir(host.c_str())}) {
      while (const dirent* d = ::readdir(dir.get())) {
        if (EqualsNoCase(d->d_name, name)) {
          exact = host / d->d_name;
          matching = true;
          break;
        }
      }
    }
    host = std::move(exact);
  }
  return host;
}

std::uint32_t HostFileSystem::StoredAttributes(const fs::path& hostFolder, std::string_view name, bool isFolder) const {
  if (!attributes_.Empty()) {  // spares folder walks a path per entry in the usual case
    if (const auto bits = attributes_.Find((hostFolder / name).string())) {
      return *bits | (isFolder ? kAttrDirectory : 0);
    }
  }
  return isFolder ? kAttrDirectory : kAttrArchive;  // new files carry the archive bit
}

Status HostFileSystem::CheckNotReadOnly(const fs::path& hostPath) const {
  // Checked here because root, who runs the tests, may write any file whatever its mode.
  if (const auto bits = attributes_.Find(hostPath.string()); bits && (*bits & kAttrReadOnly) != 0) {
    return Error(Errc::AccessDenied);
  }
  return {};
}

DriveType HostFileSystem::DriveTypeOf(std::string_view root) {
  const DriveMapping* drive = DriveOf(root);
  return drive == nullptr ? DriveType::NoRootFolder : drive->type;
}

Result<std::unique_ptr<FolderReader>> HostFileSystem::ListFolder(std::string_view folder, FolderDetail detail) {
  // A walk names folders as it found them: open them as spelt before resolving letter case.
  auto host = SpelledHostPath(folder);
  if (!host) {
    return host.error();
  }
  UniqueDir dir{::opendir(host->c_str())};
  if (!dir && errno == ENOENT) {
    host = ToHostPath(folder);
    if (!host) {
      return host.error();
    }
    dir.reset(::opendir(host->c_str()));
  }
  if (!dir) {
    return errno == ENOTDIR ? Error(Errc::PathNotFound) : LastError(*host);
  }
  return std::unique_ptr<FolderReader>(std::make_unique<HostFolderReader>(std::move(dir), *host, *this, detail));
}

Result<HostFileSystem::HostEntry> HostFileSystem::Locate(std::string_view path) const {
  auto host = ToHostPath(path);
  if (!host) {
    return host.error();
  }
  HostEntry entry{std::move(*host), {}};
  if (::lstat(entry.path.c_str(), &entry.status) != 0) {
    return LastError(entry.path);
  }
  return entry;
}

Result<std::uint32_t> HostFileSystem::AttributesOf(std::string_view path) {
  const auto entry = Locate(path);
  if (!entry) {
    return entry.error();
  }
  if (S_ISLNK(entry->status.st_mode)) {
    struct stat target {};
    const bool toFolder = ::stat(entry->path.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    return kAttrReparsePoint | (toFolder ? kAttrDirectory : kAttrArchive);
  }
  return StoredAttributes(entry->path.parent_path(), entry->path.filename().string(), S_ISDIR(entry->status.st_mode));
}

Result<FolderEntry> HostFileSystem::EntryOf(std::string_view path) {
  const auto located = Locate(path);
  if (!located) {
    return located.error();
  }
  const auto attributes = AttributesOf(path);
  if (!attributes) {
    return attributes.error();
  }
  FolderEntry entry;
  entry.name = located->path.filename().string();
  entry.attributes = *attributes;
  const bool plainFile = S_ISREG(located->status.st_mode);
  entry.size = plainFile ? static_cast<std::uint64_t>(located->status.st_size) : 0;
  entry.lastWrite = FileTimeOf(located->status.st_mtim);
  entry.lastAccess = FileTimeOf(located->status.st_atim);
  return entry;
}

Status HostFileSystem::ForceAttributes(std::string_view path, std::uint32_t attributes) {
  const auto entry = Locate(path);
  if (!entry) {
    return entry.error();
  }
  attributes_.Set(entry->path.string(), attributes & ~(kAttrDirectory | kAttrReparsePoint));
  return {};
}

Status HostFileSystem::SetAttributes(std::string_view path, std::uint32_t attributes) {
  const auto entry = Locate(path);
  if (!entry) {
    return entry.error();
  }
  // What SetFileAttributes accepts; "offline" marks a file whose data is elsewhere (a cloud
  // file, to the walks), which tests make this way.
  constexpr std::uint32_t kSettable =
      kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive | kAttrTemporary | kAttrOffline;
  attributes_.Set(entry->path.string(), attributes & kSettable);
  return {};
}

Status HostFileSystem::RemoveFile(std::string_view path) {
  const auto entry = Locate(path);
  if (!entry) {
    return entry.error();
  }
  if (S_ISDIR(entry->status.st_mode)) {
    return Error(Errc::AccessDenied);  // as DeleteFile answers for a folder
  }
  if (auto status = CheckNotReadOnly(entry->path); !status) {
    return status;
  }
  if (::unlink(entry->path.c_str()) != 0) {  // a symbolic link goes, its target stays
    return LastError(entry->path);
  }
  attributes_.Erase(entry->path.string());
  return {};
}

Status HostFileSystem::RemoveFolder(std::string_view path) {
  const auto entry = Locate(path);
  if (!entry) {
    return entry.error();
  }
  const char* hostPath = entry->path.c_str();
  if ((S_ISLNK(entry->status.st_mode) ? ::unlink(hostPath) : ::rmdir(hostPath)) != 0) {
    return LastError(entry->path);
  }
  attributes_.Erase(entry->path.string());
  return {};
}

Status HostFileSystem::CreateFolders(std::string_view path) {
  auto host = ToHostPath(path);
  if (!host) {
    return host.error();
  }
  std::error_code ec;
  fs::create_directories(*host, ec);
  if (ec) {
    return ec == std::errc::file_exists || ec == std::errc::not_a_directory ? Error(Errc::AlreadyExists)
                                                                            : ErrorFromErrno(ec.value());
  }
  if (!fs::is_directory(*host, ec)) {
    return Error(Errc::AlreadyExists);  // a file of that name is in the way
  }
  return {};
}

Result<FileTimes> HostFileSystem::TimesOf(std::string_view path) {
  auto host = ToHostPath(path);
  if (!host) {
    return host.error();
  }
  struct stat st {};
  if (::stat(host->c_str(), &st) != 0) {
    return LastError(*host);
  }
  // Linux keeps no creation time that every file system fills; the change time stands in.
  return FileTimes{FileTimeOf(st.st_ctim), FileTimeOf(st.st_atim), FileTimeOf(st.st_mtim)};
}

Status HostFileSystem::SetTimes(std::string_view path, const FileTimes& times) {
  auto host = ToHostPath(path);
  if (!host) {
    return host.error();
  }
  const struct timespec both[2] = {TimespecOf(times.lastAccess), TimespecOf(times.lastWrite)};
  if (::utimensat(AT_FDCWD, host->c_str(), both, 0) != 0) {
    return LastError(*host);
  }
  return {};
}

Result<std::string> HostFileSystem::FullPath(std::string_view path) {
  const std::string absolute = IsAbsoluteDrivePath(path) ? std::string(path) : JoinPath(currentFolder_, path);
  if (!DriveLetterOf(absolute)) {
    return Error(Errc::InvalidName);
  }
  return ResolvedDrivePath(absolute);
}

Result<bool> HostFileSystem::SameFile(std::string_view a, std::string_view b) {
  struct stat first {};
  struct stat second {};
  for (const auto& [path, info] : {std::pair{a, &first}, std::pair{b, &second}}) {
    auto host = ToHostPath(path);
    if (!host) {
      return host.error();
    }
    if (::stat(host->c_str(), info) != 0) {
      return LastError(*host);
    }
  }
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

Result<std::string> HostFileSystem::TempFolder() {
  // A Windows system always has its temporary folder; the stand-in makes it on first use.
  if (auto status = CreateFolders(tempFolder_); !status) {
    return status.error();
  }
  return tempFolder_;
}

Result<std::string> HostFileSystem::CreateTempFile(std::string_view folder, std::string_view prefix) {
  auto host = ToHostPath(folder);
  if (!host) {
    return host.error();
  }
  static std::atomic<unsigned> counter{static_cast<unsigned>(::getpid())};
  const std::string stem(prefix.substr(0, 3));
  for (int attempt = 0; attempt < 0xFFFF; ++attempt) {
    char unique[8];
    std::snprintf(unique, sizeof unique, "%X", (counter++ % 0xFFFFU) + 1);
    const std::string name = stem + unique + ".tmp";
    UniqueFd fd{::open((*host / name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)};
    if (fd) {
      return JoinPath(folder, name);
    }
    if (errno != EEXIST) {
      return LastError(*host / name);
    }
  }
  return Error(Errc::FileExists);
}

Result<std::unique_ptr<FileReader>> HostFileSystem::OpenForReading(std::string_view path, ReadSharing /*sharing*/) {
  auto host = ToHostPath(path);
  if (!host) {
    return host.error();
  }
  UniqueFd fd{::open(host->c_str(), O_RDONLY | O_CLOEXEC)};
  if (!fd) {
    return LastError(*host);
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode)) {
    return Error(Errc::AccessDenied);
  }
  return std::unique_ptr<FileReader>(std::make_unique<HostFileReader>(std::move(fd)));
}

Result<std::unique_ptr<FileWriter>> HostFileSystem::OpenForWriting(std::string_view path, CreateMode mode) {
  auto host = ToHostPath(path);
  if (!host) {
    return host.error();
  }
  if (auto status = CheckNotReadOnly(*host); !status) {
    return status.error();
  }
  const int flags = mode == CreateMode::Append      ? O_WRONLY | O_APPEND | O_CLOEXEC
                    : mode == CreateMode::CreateNew ? O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC
                                                    : O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
  UniqueFd fd{::open(host->c_str(), flags, 0644)};
  if (!fd) {
    return LastError(*host);
  }
  if (mode != CreateMode::Append) {
    attributes_.Erase(host->string());
  }
  return std::unique_ptr<FileWriter>(std::make_unique<HostFileWriter>(std::move(fd), mode == CreateMode::Append));
}

Status HostFileSystem::ReplaceWhole(std::string_view path, std::span<const std::uint8_t> contents) {
  auto host = ToHostPath(path);
  if (!host) {
    return host.error();
  }
  if (auto status = CheckNotReadOnly(*host); !status) {
    return status;
  }
  static std::atomic<unsigned> counter{0};
  fs::path temp = *host;
  temp += ".~sw" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  UniqueFd fd{::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)};
  if (!fd) {
    return LastError(temp);
  }
  Status status = WriteAll(fd.get(), contents);
  if (status && ::fsync(fd.get()) != 0) {
    status = ErrorFromErrno(errno);
  }
  if (::close(fd.release()) != 0 && status) {
    status = ErrorFromErrno(errno);
  }
  if (status && ::rename(temp.c_str(), host->c_str()) != 0) {
    status = LastError(*host);
  }
  if (!status) {
    ::unlink(temp.c_str());
  }
  return status;
}

// renameat2 with RENAME_NOREPLACE refuses an existing target in the same step as the rename.
Status HostFileSystem::RenameFile(std::string_view from, std::string_view to) {
  const auto source = Locate(from);
  if (!source) {
    return source.error();
  }
  auto target = ToHostPath(to);
  if (!target) {
    return target.error();
  }
  if (::renameat2(AT_FDCWD, source->path.c_str(), AT_FDCWD, target->c_str(), RENAME_NOREPLACE) != 0) {
    return errno == EEXIST ? Error(Errc::FileExists) : LastError(*target);
  }
  attributes_.Move(source->path.string(), target->string());
  return {};
}

bool HostFileSystem::AttributeStore::Empty() const {
  const std::lock_guard lock(mutex_);
  return bits_.empty();
}

std::optional<std::uint32_t> HostFileSystem::AttributeStore::Find(const std::string& path) const {
  const std::lock_guard lock(mutex_);
  const auto it = bits_.find(path);
  return it == bits_.end() ? std::nullopt : std::optional(it->second);
}

void HostFileSystem::AttributeStore::Set(const std::string& path, std::uint32_t attributes) {
  const std::lock_guard lock(mutex_);
  bits_[path] = attributes;
}

void HostFileSystem::AttributeStore::Erase(const std::string& path) {
  const std::lock_guard lock(mutex_);
  bits_.erase(path);
}

void HostFileSystem::AttributeStore::Move(const std::string& from, const std::string& to) {
  const std::lock_guard lock(mutex_);
  if (const auto it = bits_.find(from); it != bits_.end()) {
    const std::uint32_t attributes = it->second;
    bits_.erase(it);
    bits_[to] = attributes;
  }
}

FileTime FileTimeOf(const struct timespec& time) {
  return FileTimeFromUnix(time.tv_sec, static_cast<std::uint32_t>(time.tv_nsec));
}

}  // namespace sw::platform::host
