#include "platform/win32/registry.h"

#include <algorithm>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace sw::platform::win32 {
namespace {

// Key names are at most 255 characters, value names at most 16,383.
constexpr DWORD kKeyNameCapacity = 256;
constexpr DWORD kValueNameStart = 256;

REGSAM SamOf(RegAccess access) {
  return access == RegAccess::Read ? KEY_READ : KEY_READ | KEY_WRITE;
}

// The flag that opens keys through a view; none for the program's own.
REGSAM ViewFlag(RegView view) {
  switch (view) {
    case RegView::Own: return 0;
    case RegView::Bits64: return KEY_WOW64_64KEY;
    case RegView::Bits32: return KEY_WOW64_32KEY;
  }
  return 0;
}

HKEY PredefinedKey(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RootKey::CurrentUser: return HKEY_CURRENT_USER;
    case RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RootKey::Users: return HKEY_USERS;
    case RootKey::PerformanceData: return HKEY_PERFORMANCE_DATA;
    case RootKey::CurrentConfig: return HKEY_CURRENT_CONFIG;
    case RootKey::DynData: return HKEY_DYN_DATA;
  }
  return nullptr;
}

class Win32Key final : public RegKey {
 public:
  // A predefined root is not ours to close; an opened key is. Every key opened, created or
  // deleted below a key of a view is so through the same view (`view` holds its flag).
  static std::unique_ptr<RegKey> Root(HKEY predefined, REGSAM view = 0) {
    return std::unique_ptr<RegKey>(new Win32Key(predefined, {}, view));
  }
  static std::unique_ptr<RegKey> Owned(UniqueHkey key, REGSAM view) {
    const HKEY raw = key.get();
    return std::unique_ptr<RegKey>(new Win32Key(raw, std::move(key), view));
  }

  Result<std::unique_ptr<RegKey>> Open(std::string_view path, RegAccess access) override {
    UniqueHkey opened;
    const LONG rc = ::RegOpenKeyExW(key_, ToWide(path).c_str(), 0, SamOf(access) | view_, opened.put());
    if (rc != ERROR_SUCCESS) {
      return ErrorOf(rc);
    }
    return Owned(std::move(opened), view_);
  }

  Result<std::unique_ptr<RegKey>> Create(std::string_view path) override {
    UniqueHkey created;
    const LONG rc = ::RegCreateKeyExW(key_, ToWide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      SamOf(RegAccess::ReadWrite) | view_, nullptr, created.put(), nullptr);
    if (rc != ERROR_SUCCESS) {
      return ErrorOf(rc);
    }
    return Owned(std::move(created), view_);
  }

  Result<std::string> SubKeyName(std::uint32_t index) override {
    wchar_t name[kKeyNameCapacity];
    DWORD length = kKeyNameCapacity;
    const LONG rc = ::RegEnumKeyExW(key_, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) {
      return ErrorOf(rc);
    }
    return FromWide(std::wstring_view(name, length));
  }

  Result<std::string> ValueName(std::uint32_t index) override {
    for (;;) {
      DWORD length = static_cast<DWORD>(name_.size());
      const LONG rc = ::RegEnumValueW(key_, index, name_.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_SUCCESS) {
        return FromWide(std::wstring_view(name_.data(), length));
      }
      if (rc != ERROR_MORE_DATA) {
        return ErrorOf(rc);
      }
      name_.resize(name_.size() * 2);
    }
  }

  Result<NamedRegValue> ValueAt(std::uint32_t index) override {
    for (;;) {
      DWORD nameLength = static_cast<DWORD>(name_.size());
      DWORD type = REG_NONE;
      DWORD size = static_cast<DWORD>(data_.size());
      const LONG rc = ::RegEnumValueW(key_, index, name_.data(), &nameLength, nullptr, &type, data_.data(), &size);
      if (rc == ERROR_SUCCESS) {
        return NamedRegValue{FromWide(std::wstring_view(name_.data(), nameLength)),
                             RegValue{type, Bytes(data_.begin(), data_.begin() + size)}};
      }
      if (rc != ERROR_MORE_DATA) {
        return ErrorOf(rc);
      }
      // Either buffer may be the short one; the key knows the longest of both.
      DWORD maxName = 0;
      DWORD maxData = 0;
      if (::RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                             nullptr, nullptr) != ERROR_SUCCESS) {
        maxName = static_cast<DWORD>(name_.size() * 2);
        maxData = static_cast<DWORD>(data_.size() * 2);
      }
      name_.resize(std::max<std::size_t>({name_.size() * 2, maxName + 1}));
      data_.resize(std::max<std::size_t>({data_.size() * 2, maxData, size}));
    }
  }

  Result<RegValue> Query(std::string_view name) override {
    const std::wstring wideName = ToWide(name);
    RegValue value;
    DWORD size = 0;
    for (;;) {
      DWORD type = REG_NONE;
      value.data.resize(size);
      const LONG rc = ::RegQueryValueExW(key_, wideName.c_str(), nullptr, &type,
                                         value.data.empty() ? nullptr : value.data.data(), &size);
      // The first call (no buffer) only learns the size; the value may grow in between.
      if (rc == ERROR_SUCCESS && size <= value.data.size()) {
        value.type = type;
        value.data.resize(size);
        return value;
      }
      if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) {
        return ErrorOf(rc);
      }
    }
  }

  Status Set(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) override {
    const LONG rc = ::RegSetValueExW(key_, ToWide(name).c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
    return rc == ERROR_SUCCESS ? Status{} : Status(ErrorOf(rc));
  }

  Status DeleteValue(std::string_view name) override {
    const LONG rc = ::RegDeleteValueW(key_, ToWide(name).c_str());
    return rc == ERROR_SUCCESS ? Status{} : Status(ErrorOf(rc));
  }

  Status DeleteSubKey(std::string_view name) override {
    if (name.empty()) {
      return Error(Errc::FileNotFound);  // RegDeleteKeyW would delete this key itself
    }
    // RegDeleteKeyW cannot reach into another view than the program's own.
    const LONG rc = view_ == 0 ? ::RegDeleteKeyW(key_, ToWide(name).c_str())
                               : ::RegDeleteKeyExW(key_, ToWide(name).c_str(), view_, 0);
    return rc == ERROR_SUCCESS ? Status{} : Status(ErrorOf(rc));
  }

  Result<RegKeyInfo> Info() override {
    DWORD subKeys = 0;
    DWORD values = 0;
    FILETIME lastWrite{};
    const LONG rc = ::RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                                       nullptr, nullptr, &lastWrite);
    if (rc != ERROR_SUCCESS) {
      return ErrorOf(rc);
    }
    return RegKeyInfo{subKeys, values, FileTimeOf(lastWrite)};
  }

 private:
  Win32Key(HKEY key, UniqueHkey owned, REGSAM view)
      : key_(key), owned_(std::move(owned)), view_(view), name_(kValueNameStart), data_(1024) {}

  HKEY key_;
  UniqueHkey owned_;
  REGSAM view_;
  // Enumeration buffers, kept between calls so that a walk over many values allocates once.
  std::vector<wchar_t> name_;
  std::vector<std::uint8_t> data_;
};

// The kernel's name of an open key ("\REGISTRY\MACHINE\SOFTWARE\Wow6432Node\..."): the key
// itself, whichever view or link led to it. From ntdll, which the headers do not declare.
Result<std::wstring> KernelKeyName(HKEY key) {
  using NtQueryKeyCall = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  constexpr int kKeyNameInformation = 3;
  static const auto query = reinterpret_cast<NtQueryKeyCall>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryKey")));
  if (query == nullptr) {
    return Error(Errc::NotSupported);
  }
  std::vector<ULONG> buffer(256);  // KEY_NAME_INFORMATION: a byte count, then the name
  for (;;) {
    ULONG needed = 0;
    const auto size = static_cast<ULONG>(buffer.size() * sizeof(ULONG));
    const LONG status = query(key, kKeyNameInformation, buffer.data(), size, &needed);
    if (status >= 0) {
      const auto* name = reinterpret_cast<const wchar_t*>(buffer.data() + 1);
      return std::wstring(name, std::min<std::size_t>(buffer[0] / sizeof(wchar_t), size / sizeof(wchar_t) - 2));
    }
    if (needed <= size) {
      return Error(Errc::NotSupported);
    }
    buffer.resize(needed / sizeof(ULONG) + 1);
  }
}

// The kernel's name of a root's key: fixed for the machine and the users; the current user's
// is that of the key RegOpenCurrentUser opens (a predefined handle is no kernel handle).
Result<std::wstring> RootKernelName(RootKey root) {
  switch (root) {
    case RootKey::LocalMachine: return std::wstring(L"\\REGISTRY\\MACHINE");
    case RootKey::Users: return std::wstring(L"\\REGISTRY\\USER");
    case RootKey::CurrentUser: {
      UniqueHkey user;
      const LONG rc = ::RegOpenCurrentUser(KEY_READ, user.put());
      if (rc != ERROR_SUCCESS) {
        return ErrorOf(rc);
      }
      return KernelKeyName(user.get());
    }
    default: return Error(Errc::NotSupported);  // merged views (HKEY_CLASSES_ROOT) and the like
  }
}

}  // namespace

Result<std::unique_ptr<RegKey>> Win32Registry::OpenRoot(RootKey root) {
  const HKEY predefined = PredefinedKey(root);
  if (predefined == nullptr) {
    return Error(Errc::InvalidHandle);
  }
  return Win32Key::Root(predefined);
}

Result<std::unique_ptr<RegKey>> Win32Registry::OpenRootView(RootKey root, RegView view) {
  const HKEY predefined = PredefinedKey(root);
  if (predefined == nullptr) {
    return Error(Errc::InvalidHandle);
  }
  return Win32Key::Root(predefined, ViewFlag(view));
}

// The key's kernel name less its root's: the name tells apart what the path alone cannot,
// a key the 32-bit view keeps apart from the 64-bit one's.
Result<std::string> Win32Registry::OwnViewPath(RootKey root, RegView view, std::string_view path) {
  const HKEY predefined = PredefinedKey(root);
  if (predefined == nullptr) {
    return Error(Errc::InvalidHandle);
  }
  UniqueHkey key;
  const LONG rc = ::RegOpenKeyExW(predefined, ToWide(path).c_str(), 0, KEY_READ | ViewFlag(view), key.put());
  if (rc != ERROR_SUCCESS) {
    return ErrorOf(rc);
  }
  auto rootName = RootKernelName(root);
  if (!rootName) {
    return rootName.error();
  }
  auto keyName = KernelKeyName(key.get());
  if (!keyName) {
    return keyName.error();
  }
  const auto prefixLength = static_cast<int>(rootName->size());
  if (keyName->size() == rootName->size() &&
      ::CompareStringOrdinal(keyName->c_str(), prefixLength, rootName->c_str(), prefixLength, TRUE) == CSTR_EQUAL) {
    return std::string();
  }
  if (keyName->size() <= rootName->size() + 1 || (*keyName)[rootName->size()] != L'\\' ||
      ::CompareStringOrdinal(keyName->c_str(), prefixLength, rootName->c_str(), prefixLength, TRUE) != CSTR_EQUAL) {
    return Error(Errc::NotSupported);
  }
  return FromWide(std::wstring_view(*keyName).substr(rootName->size() + 1));
}

}  // namespace sw::platform::win32
