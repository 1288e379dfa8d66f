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
  // A predefined root is not ours to close; an opened key is.
  static std::unique_ptr<RegKey> Root(HKEY predefined) { return std::unique_ptr<RegKey>(new Win32Key(predefined, {})); }
  static std::unique_ptr<RegKey> Owned(UniqueHkey key) {
    const HKEY raw = key.get();
    return std::unique_ptr<RegKey>(new Win32Key(raw, std::move(key)));
  }

  Result<std::unique_ptr<RegKey>> Open(std::string_view path, RegAccess access) override {
    UniqueHkey opened;
    const LONG rc = ::RegOpenKeyExW(key_, ToWide(path).c_str(), 0, SamOf(access), opened.put());
    if (rc != ERROR_SUCCESS) {
      return ErrorOf(rc);
    }
    return Owned(std::move(opened));
  }

  Result<std::unique_ptr<RegKey>> Create(std::string_view path) override {
    UniqueHkey created;
    const LONG rc = ::RegCreateKeyExW(key_, ToWide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      SamOf(RegAccess::ReadWrite), nullptr, created.put(), nullptr);
    if (rc != ERROR_SUCCESS) {
      return ErrorOf(rc);
    }
    return Owned(std::move(created));
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
    const LONG rc = ::RegDeleteKeyW(key_, ToWide(name).c_str());
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
  Win32Key(HKEY key, UniqueHkey owned) : key_(key), owned_(std::move(owned)), name_(kValueNameStart), data_(1024) {}

  HKEY key_;
  UniqueHkey owned_;
  // Enumeration buffers, kept between calls so that a walk over many values allocates once.
  std::vector<wchar_t> name_;
  std::vector<std::uint8_t> data_;
};

}  // namespace

Result<std::unique_ptr<RegKey>> Win32Registry::OpenRoot(RootKey root) {
  const HKEY predefined = PredefinedKey(root);
  if (predefined == nullptr) {
    return Error(Errc::InvalidHandle);
  }
  return Win32Key::Root(predefined);
}

}  // namespace sw::platform::win32
