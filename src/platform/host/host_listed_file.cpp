// A listed file acted on through a file descriptor, the nearest Linux has to a Windows handle.
//
// The file is opened with O_PATH | O_NOFOLLOW (a symbolic link at the name opens as the link,
// as FILE_FLAG_OPEN_REPARSE_POINT does), its identity is the descriptor's device and inode,
// and its final path is what /proc/self/fd says of the descriptor: the kernel's own path of
// the inode, every link on the way resolved. Reading reopens that same inode through
// /proc/self/fd, so no name is looked up again.
//
// Linux cannot delete an inode, only a name. Deletion opens the folder the kernel says the
// file is in, checks that the folder's own path, read back from its descriptor, is that
// folder (no link swapped in since), checks that the name there is still this inode, and
// unlinks the name relative to the folder's descriptor. What remains is a race within that
// one folder: between the last check and unlinkat, whoever may write the folder can give the
// name to another file of that same folder, and that file goes instead. Windows deletes
// through the handle itself and has no such gap; these are the tests' stand-ins.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "core/win_path.h"
#include "platform/host/host_file_system.h"
#include "platform/host/posix_error.h"
#include "platform/host/unique_fd.h"

namespace sw::platform::host {
namespace fs = std::filesystem;

namespace {

std::string ProcPath(int fd) {
  return "/proc/self/fd/" + std::to_string(fd);
}

// Where the kernel says an open file or folder is now.
Result<fs::path> RealPathOf(int fd) {
  char buffer[PATH_MAX + 1];
  const ssize_t length = ::readlink(ProcPath(fd).c_str(), buffer, PATH_MAX);
  if (length < 0) {
    return ErrorFromErrno(errno);
  }
  if (length >= PATH_MAX) {
    return Error(Errc::InvalidName);  // perhaps cut short
  }
  std::string path(buffer, static_cast<std::size_t>(length));
  if (path.empty() || path.front() != '/') {
    return Error(Errc::PathNotFound);  // not on a file system (a pipe, a socket)
  }
  return fs::path(std::move(path));
}

// A reader at its own position in a descriptor it does not own.
class PositionReader final : public FileReader {
 public:
  explicit PositionReader(int fd) : fd_(fd) {}

  Result<std::size_t> Read(std::span<std::uint8_t> buffer) override {
    for (;;) {
      const ssize_t got = ::pread(fd_, buffer.data(), buffer.size(), static_cast<off_t>(offset_));
      if (got >= 0) {
        offset_ += static_cast<std::uint64_t>(got);
        return static_cast<std::size_t>(got);
      }
      if (errno != EINTR) {
        return ErrorFromErrno(errno);
      }
    }
  }

  Result<std::uint64_t> Size() override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
      return ErrorFromErrno(errno);
    }
    return static_cast<std::uint64_t>(st.st_size);
  }

 private:
  int fd_;
  std::uint64_t offset_ = 0;
};

}  // namespace

class HostListedFile final : public ListedFile {
 public:
  HostListedFile(HostFileSystem& owner, UniqueFd handle, UniqueFd data, const struct stat& opened, fs::path hostPath,
                 std::string name, ListedAccess access)
      : owner_(owner),
        handle_(std::move(handle)),
        data_(std::move(data)),
        opened_(opened),
        hostPath_(std::move(hostPath)),
        name_(std::move(name)),
        access_(access) {}

  [[nodiscard]] FileIdentity Identity() const override {
    return FileIdentity{static_cast<std::uint64_t>(opened_.st_dev), 0, static_cast<std::uint64_t>(opened_.st_ino)};
  }

  Result<FolderEntry> Describe() override {
    struct stat st {};
    if (!handle_ || ::fstat(handle_.get(), &st) != 0) {
      return ErrorFromErrno(handle_ ? errno : EBADF);
    }
    FolderEntry entry;
    entry.name = name_;
    if (S_ISLNK(st.st_mode)) {
      entry.attributes = kAttrReparsePoint | kAttrArchive;
      entry.reparseTag = kReparseTagSymlink;
    } else {
      entry.attributes =
          owner_.StoredAttributes(hostPath_.parent_path(), hostPath_.filename().string(), S_ISDIR(st.st_mode));
    }
    entry.size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    entry.lastWrite = FileTimeOf(st.st_mtim);
    entry.lastAccess = FileTimeOf(st.st_atim);
    entry.fileId = static_cast<std::uint64_t>(st.st_ino);
    entry.volume = static_cast<std::uint64_t>(st.st_dev);
    entry.links = static_cast<std::uint32_t>(st.st_nlink);
    return entry;
  }

  Result<std::string> FinalPath() override {
    if (!handle_) {
      return Error(Errc::InvalidHandle);
    }
    auto real = RealPathOf(handle_.get());
    if (!real) {
      return real.error();
    }
    auto windows = owner_.WindowsPathOf(*real);
    if (!windows) {
      return Error(Errc::PathNotFound);  // somewhere no drive leads
    }
    return *windows;
  }

  Result<std::unique_ptr<FileReader>> Reader() override {
    if (!data_) {
      return Error(Errc::AccessDenied);
    }
    return std::unique_ptr<FileReader>(std::make_unique<PositionReader>(data_.get()));
  }

  Status DeleteThroughHandle() override {
    if (!handle_ || !access_.remove) {
      return Error(Errc::AccessDenied);
    }
    auto real = RealPathOf(handle_.get());
    if (!real) {
      return real.error();
    }
    const fs::path folderPath = real->parent_path();
    const std::string name = real->filename().string();
    const UniqueFd folder{::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)};
    if (!folder) {
      return ErrorFromErrno(errno);
    }
    // The folder opened is the one the file is in, and the name there is still this file.
    const auto folderNow = RealPathOf(folder.get());
    struct stat there {};
    if (!folderNow || *folderNow != folderPath ||
        ::fstatat(folder.get(), name.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0 || there.st_dev != opened_.st_dev ||
        there.st_ino != opened_.st_ino) {
      return Error(Errc::AccessDenied);
    }
    // Root, who runs the tests, may unlink anything: the read-only attribute is enforced here,
    // and cleared first, as Windows' deletion through a handle clears it.
    owner_.attributes_.Erase(hostPath_.string());
    owner_.attributes_.Erase(real->string());
    if (::unlinkat(folder.get(), name.c_str(), S_ISDIR(there.st_mode) ? AT_REMOVEDIR : 0) != 0) {
      return ErrorFromErrno(errno);
    }
    data_.reset();
    handle_.reset();
    return {};
  }

 private:
  HostFileSystem& owner_;
  UniqueFd handle_;  // O_PATH: the name's own inode
  UniqueFd data_;    // the same inode opened for reading, when asked for
  struct stat opened_;
  fs::path hostPath_;  // as the Windows path led to it when opened
  std::string name_;
  ListedAccess access_;
};

Result<std::unique_ptr<ListedFile>> HostFileSystem::OpenListedFile(std::string_view path, ListedAccess access) {
  auto host = ToHostPath(path);
  if (!host) {
    return host.error();
  }
  UniqueFd handle{::open(host->c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC)};
  if (!handle) {
    return ErrorFromErrno(errno);
  }
  struct stat st {};
  if (::fstat(handle.get(), &st) != 0) {
    return ErrorFromErrno(errno);
  }
  UniqueFd data;
  if (access.read && S_ISREG(st.st_mode)) {
    data.reset(::open(ProcPath(handle.get()).c_str(), O_RDONLY | O_CLOEXEC));
    if (!data) {
      return ErrorFromErrno(errno);
    }
  }
  return std::unique_ptr<ListedFile>(std::make_unique<HostListedFile>(
      *this, std::move(handle), std::move(data), st, std::move(*host), std::string(FileNameOf(path)), access));
}

Result<bool> HostFileSystem::OthersMayWrite(std::string_view folder) {
  auto host = ToHostPath(folder);
  if (!host) {
    return host.error();
  }
  struct stat st {};
  if (::stat(host->c_str(), &st) != 0) {
    return ErrorFromErrno(errno);
  }
  return (st.st_mode & (S_IWGRP | S_IWOTH)) != 0 || st.st_uid != ::geteuid();
}

std::optional<std::string> HostFileSystem::WindowsPathOf(const fs::path& hostPath) const {
  for (std::size_t d = 0; d < drives_.size(); ++d) {
    const DriveMapping& drive = drives_[d];
    const auto root = ResolvedRoot(d);
    if (!root) {
      continue;
    }
    const fs::path relative = hostPath.lexically_relative(*root);
    if (relative.empty() || *relative.begin() == "..") {
      continue;
    }
    std::string windows{drive.letter, ':'};
    for (const fs::path& part : relative) {
      if (part != ".") {
        windows += "\\" + part.string();
      }
    }
    return windows.size() == 2 ? windows + "\\" : windows;
  }
  return std::nullopt;
}

}  // namespace sw::platform::host
