#include "platform/win32/listed_file.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "core/win_path.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace sw::platform::win32 {
namespace {

// Classes and flags of Windows 8 and 10 that the headers hide below _WIN32_WINNT 0x0602; the
// system tells by failing when it does not know them.
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
struct FileIdInformation {
  ULONGLONG volumeSerialNumber;
  BYTE fileId[16];
};
struct DispositionInformationEx {
  DWORD flags;
};
constexpr DWORD kDispositionDelete = 0x1;
constexpr DWORD kDispositionPosixSemantics = 0x2;
constexpr DWORD kDispositionIgnoreReadOnly = 0x10;

// The rights that put, rename or remove a name in a folder, or hand them out.
constexpr ACCESS_MASK kWriteRights =
    FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;
GENERIC_MAPPING FileMapping() {
  return GENERIC_MAPPING{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
}
// The system's installer service, which owns the system's own files.
constexpr wchar_t kTrustedInstaller[] = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

std::uint64_t Join(DWORD high, DWORD low) {
  return (static_cast<std::uint64_t>(high) << 32U) | low;
}

// "\\?\C:\x" and "\\?\UNC\server\share\x" as the program spells them.
std::string WithoutLongPrefix(std::wstring_view path) {
  if (path.starts_with(LR"(\\?\UNC\)")) {
    return "\\\\" + FromWide(path.substr(8));
  }
  if (path.starts_with(LR"(\\?\)")) {
    return FromWide(path.substr(4));
  }
  return FromWide(path);
}

// A reader at its own position in a handle it does not own: each read says where it reads,
// so several readers, one after the other, each see the file from its start.
class HandleReader final : public FileReader {
 public:
  explicit HandleReader(HANDLE file) : file_(file) {}

  Result<std::size_t> Read(std::span<std::uint8_t> buffer) override {
    const DWORD want = buffer.size() > 0x40000000U ? 0x40000000U : static_cast<DWORD>(buffer.size());
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset_ & 0xFFFFFFFFU);
    at.OffsetHigh = static_cast<DWORD>(offset_ >> 32U);
    DWORD got = 0;
    if (!::ReadFile(file_, buffer.data(), want, &got, &at)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) {
        return std::size_t{0};
      }
      return LastError();
    }
    offset_ += got;
    return static_cast<std::size_t>(got);
  }

  Result<std::uint64_t> Size() override {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file_, &size)) {
      return LastError();
    }
    return static_cast<std::uint64_t>(size.QuadPart);
  }

 private:
  HANDLE file_;
  std::uint64_t offset_ = 0;
};

class Win32ListedFile final : public ListedFile {
 public:
  Win32ListedFile(UniqueFileHandle file, std::string path, ListedAccess access, FileIdentity identity)
      : file_(std::move(file)), path_(std::move(path)), access_(access), identity_(identity) {}

  [[nodiscard]] FileIdentity Identity() const override { return identity_; }

  Result<FolderEntry> Describe() override {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file_ || !::GetFileInformationByHandle(file_.get(), &info)) {
      return LastError();
    }
    FolderEntry entry;
    entry.name = std::string(FileNameOf(path_));
    entry.attributes = info.dwFileAttributes;
    entry.size = Join(info.nFileSizeHigh, info.nFileSizeLow);
    entry.lastWrite = FileTimeOf(info.ftLastWriteTime);
    entry.lastAccess = FileTimeOf(info.ftLastAccessTime);
    entry.fileId = Join(info.nFileIndexHigh, info.nFileIndexLow);
    entry.links = info.nNumberOfLinks;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      FILE_ATTRIBUTE_TAG_INFO tag{};
      // Without its tag the entry counts as a link (FolderEntry::IsLink).
      entry.reparseTag =
          ::GetFileInformationByHandleEx(file_.get(), FileAttributeTagInfo, &tag, sizeof tag) ? tag.ReparseTag : 0;
    }
    return entry;
  }

  Result<std::string> FinalPath() override {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
      const DWORD length = ::GetFinalPathNameByHandleW(file_.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
      if (length == 0) {
        return LastError();
      }
      if (length < buffer.size()) {
        return WithoutLongPrefix(std::wstring_view(buffer.data(), length));
      }
      buffer.resize(length + 1);
    }
  }

  Result<std::unique_ptr<FileReader>> Reader() override {
    if (!file_ || !access_.read) {
      return Error(Errc::AccessDenied);
    }
    return std::unique_ptr<FileReader>(std::make_unique<HandleReader>(file_.get()));
  }

  Status DeleteThroughHandle() override {
    if (!file_ || !access_.remove) {
      return Error(Errc::AccessDenied);
    }
    // From Windows 10 1809 on: the name goes at once, read-only or not, even while another
    // program that shares deletion holds the file.
    DispositionInformationEx posix{kDispositionDelete | kDispositionPosixSemantics | kDispositionIgnoreReadOnly};
    if (!::SetFileInformationByHandle(file_.get(), kFileDispositionInfoEx, &posix, sizeof posix)) {
      // Earlier systems (and Wine) refuse a read-only file's disposition: its read-only,
      // hidden and system attributes go first, through the handle, as the path's would.
      FILE_BASIC_INFO basic{};
      if (::GetFileInformationByHandleEx(file_.get(), FileBasicInfo, &basic, sizeof basic) &&
          (basic.FileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
        basic.FileAttributes =
            (basic.FileAttributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) |
            FILE_ATTRIBUTE_ARCHIVE;
        basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;  // 0: left as they are
        basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
        ::SetFileInformationByHandle(file_.get(), FileBasicInfo, &basic, sizeof basic);
      }
      FILE_DISPOSITION_INFO classic{TRUE};
      if (!::SetFileInformationByHandle(file_.get(), FileDispositionInfo, &classic, sizeof classic)) {
        return LastError();
      }
    }
    // The file goes when its last handle closes.
    if (!::CloseHandle(file_.release())) {
      return LastError();
    }
    return {};
  }

 private:
  UniqueFileHandle file_;
  std::string path_;
  ListedAccess access_;
  FileIdentity identity_;
};

Result<FileIdentity> IdentityOf(HANDLE file) {
  // Windows 8 and later number files in 128 bits (ReFS needs them); Windows 7 has only the
  // 64-bit number. Each system answers the same way every time, so rows and checks agree.
  FileIdInformation id{};
  if (::GetFileInformationByHandleEx(file, kFileIdInfo, &id, sizeof id)) {
    FileIdentity identity;
    identity.volume = id.volumeSerialNumber;
    for (int i = 7; i >= 0; --i) {
      identity.low = (identity.low << 8U) | id.fileId[i];
      identity.high = (identity.high << 8U) | id.fileId[i + 8];
    }
    return identity;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file, &info)) {
    return LastError();
  }
  return FileIdentity{info.dwVolumeSerialNumber, 0, Join(info.nFileIndexHigh, info.nFileIndexLow)};
}

UniqueFileHandle OpenHandle(std::string_view path, DWORD access) {
  return UniqueFileHandle{::CreateFileW(ToFilePath(path).c_str(), access,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
}

// A security descriptor the system allocated.
struct LocalFreeTraits {
  using Handle = PSECURITY_DESCRIPTOR;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::LocalFree(h); }
};
using UniqueDescriptor = UniqueHandle<LocalFreeTraits>;

Result<UniqueDescriptor> DescriptorOf(std::string_view path, SECURITY_INFORMATION parts) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::wstring wide = ToFilePath(path);
  const DWORD status =
      ::GetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT, parts, nullptr, nullptr, nullptr, nullptr, &descriptor);
  if (status != ERROR_SUCCESS) {
    return Error(static_cast<std::uint32_t>(status));
  }
  return UniqueDescriptor{descriptor};
}

// The user this program runs as, from its token.
Result<std::vector<std::uint8_t>> TokenUser() {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) {
    return LastError();
  }
  const UniqueKernelHandle token{raw};
  DWORD size = 0;
  ::GetTokenInformation(token.get(), ::TokenUser, nullptr, 0, &size);
  std::vector<std::uint8_t> buffer(size);
  if (size == 0 || !::GetTokenInformation(token.get(), ::TokenUser, buffer.data(), size, &size)) {
    return LastError();
  }
  return buffer;
}

bool Trusted(PSID sid, PSID user) {
  if (::EqualSid(sid, user) || ::IsWellKnownSid(sid, WinLocalSystemSid) ||
      ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || ::IsWellKnownSid(sid, WinCreatorOwnerSid) ||
      ::IsWellKnownSid(sid, WinCreatorOwnerRightsSid)) {
    return true;
  }
  LPWSTR text = nullptr;
  if (!::ConvertSidToStringSidW(sid, &text)) {
    return false;
  }
  const bool installer = std::wstring_view(text) == kTrustedInstaller;
  ::LocalFree(text);
  return installer;
}

// Whether `token` is granted `right` by `descriptor`.
bool Grants(PSECURITY_DESCRIPTOR descriptor, HANDLE token, ACCESS_MASK right) {
  GENERIC_MAPPING mapping = FileMapping();
  PRIVILEGE_SET privileges{};
  DWORD privilegesSize = sizeof privileges;
  DWORD granted = 0;
  BOOL status = FALSE;
  return ::AccessCheck(descriptor, token, right, &mapping, &privileges, &privilegesSize, &granted, &status) &&
         status;
}

}  // namespace

Result<std::unique_ptr<ListedFile>> OpenListedFile(std::string_view path, ListedAccess access) {
  DWORD rights = FILE_READ_ATTRIBUTES | SYNCHRONIZE;
  rights |= access.read ? FILE_READ_DATA : 0;
  rights |= access.remove ? DELETE | FILE_WRITE_ATTRIBUTES : 0;
  UniqueFileHandle file = OpenHandle(path, rights);
  // A file whose attributes this user may not change may still be deletable: the read-only
  // attribute is then left alone, and the deletion says whether it was in the way.
  if (!file && access.remove && ::GetLastError() == ERROR_ACCESS_DENIED) {
    file = OpenHandle(path, rights & ~FILE_WRITE_ATTRIBUTES);
  }
  if (!file) {
    return LastError();
  }
  auto identity = IdentityOf(file.get());
  if (!identity) {
    return identity.error();
  }
  return std::unique_ptr<ListedFile>(
      std::make_unique<Win32ListedFile>(std::move(file), std::string(path), access, *identity));
}

bool GrantsWriteToOthers(PSECURITY_DESCRIPTOR descriptor, PSID user) {
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL list = nullptr;
  if (!::GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted) || !present || list == nullptr) {
    return true;
  }
  PSID owner = nullptr;
  if (::GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) && owner != nullptr && !Trusted(owner, user)) {
    return true;  // an owner may always hand out rights
  }
  ACL_SIZE_INFORMATION size{};
  if (!::GetAclInformation(list, &size, sizeof size, AclSizeInformation)) {
    return true;
  }
  GENERIC_MAPPING mapping = FileMapping();
  for (DWORD i = 0; i < size.AceCount; ++i) {
    void* ace = nullptr;
    if (!::GetAce(list, i, &ace)) {
      return true;
    }
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    // Entries for inheritance only give nothing here; denials are passed over, which can
    // only make the answer more careful.
    if ((header->AceFlags & INHERIT_ONLY_ACE) != 0 || header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
      continue;
    }
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    ACCESS_MASK rights = allowed->Mask;
    ::MapGenericMask(&rights, &mapping);
    if ((rights & kWriteRights) != 0 && !Trusted(&allowed->SidStart, user)) {
      return true;
    }
  }
  return false;
}

Result<bool> OthersMayWrite(std::string_view folder) {
  auto user = TokenUser();
  if (!user) {
    return user.error();
  }
  auto descriptor = DescriptorOf(folder, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION);
  if (!descriptor) {
    return descriptor.error();
  }
  return GrantsWriteToOthers(descriptor->get(), reinterpret_cast<TOKEN_USER*>(user->data())->User.Sid);
}

// The user's own rights are those of the token the system linked to this elevated one: the
// token the user's programs run with, which the batch at the next logon runs with too.
Result<bool> OnlyAdministratorsMayDelete(std::string_view path) {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) {
    return LastError();
  }
  const UniqueKernelHandle token{raw};
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  if (!::GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size)) {
    return LastError();
  }
  if (type != TokenElevationTypeFull) {
    return false;  // no more rights than the user's own (or no User Account Control)
  }
  TOKEN_LINKED_TOKEN linked{};
  if (!::GetTokenInformation(token.get(), TokenLinkedToken, &linked, sizeof linked, &size)) {
    return LastError();
  }
  const UniqueKernelHandle userToken{linked.LinkedToken};
  constexpr SECURITY_INFORMATION kParts = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                          DACL_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION;
  // A file goes for whoever may delete it, or may delete names in its folder.
  auto file = DescriptorOf(path, kParts);
  if (!file) {
    return file.error();
  }
  if (Grants(file->get(), userToken.get(), DELETE)) {
    return false;
  }
  auto folder = DescriptorOf(ParentPathOf(path), kParts);
  if (!folder) {
    return folder.error();
  }
  return !Grants(folder->get(), userToken.get(), FILE_DELETE_CHILD);
}

}  // namespace sw::platform::win32
