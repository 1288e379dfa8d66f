#pragma once
// A registry object with a current root and one open current key, used by the scans, the
// removal, the uninstaller and the settings. It keeps the current path that the scans show
// and the removal parses back:
//   - a path that begins with a backslash is absolute (from the root), any other path is
//     relative to the open key (to the root when no key is open);
//   - opening a relative name with no key open makes that name the current path;
//   - opening a relative name with a key open at path P makes "P\name" the current path;
//   - opening an absolute path makes it (without the backslash) the current path, so the
//     root itself ("\") gives an empty one.
// Keys are opened for reading and writing, unless opened read-only. Failed opens answer false; reading a value as
// a string or number when it is stored as another type is an error value.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "core/result.h"
#include "platform/registry.h"

namespace sw::reg {

using platform::Registry;
using platform::RootKey;

enum class RegDataType { String, ExpandString, Integer, Binary, Unknown };

struct RegDataInfo {
  RegDataType type = RegDataType::Unknown;
  std::uint32_t size = 0;  // bytes
};

struct RegKeyDetails {
  FileTime lastWrite;
  bool hasSubKeys = false;
};

class RegistryObject {
 public:
  explicit RegistryObject(Registry& registry, RootKey root = RootKey::CurrentUser);

  // Closes the open key and changes the root.
  void SetRoot(RootKey root);
  [[nodiscard]] RootKey root() const { return root_; }

  [[nodiscard]] bool OpenKey(std::string_view path, bool canCreate);
  // OpenKey for reading only: what a check needs, and all a standard user may do with a
  // machine-wide key. The key's writers fail (AccessDenied) until a key is opened again.
  [[nodiscard]] bool OpenKeyReadOnly(std::string_view path);
  void CloseKey();
  [[nodiscard]] bool HasOpenKey() const { return key_ != nullptr; }
  [[nodiscard]] const std::string& CurrentPath() const { return currentPath_; }

  // Whether `path` (relative or absolute, by the rules above) opens; the current key stays.
  [[nodiscard]] bool KeyExists(std::string_view path);
  [[nodiscard]] bool ValueExists(std::string_view name);

  // REG_SZ or REG_EXPAND_SZ, without the terminating zero.
  Result<std::string> ReadString(std::string_view name);
  // REG_DWORD.
  Result<std::int32_t> ReadInteger(std::string_view name);
  // REG_BINARY or a type that is neither string nor number.
  Result<Bytes> ReadBinary(std::string_view name);
  // The value's type number and bytes, whatever the type.
  Result<platform::RegValue> ReadRaw(std::string_view name);

  [[nodiscard]] bool WriteString(std::string_view name, std::string_view text);
  [[nodiscard]] bool WriteExpandString(std::string_view name, std::string_view text);
  [[nodiscard]] bool WriteInteger(std::string_view name, std::int32_t number);
  [[nodiscard]] bool WriteBinary(std::string_view name, std::span<const std::uint8_t> bytes);

  std::optional<RegDataInfo> GetDataInfo(std::string_view name);
  std::optional<RegKeyDetails> GetKeyInfo();

  // Names of the open key's subkeys or values in enumeration order; empty without a key.
  std::vector<std::string> GetKeyNames();
  std::vector<std::string> GetValueNames();

  [[nodiscard]] bool DeleteValue(std::string_view name);
  // Deletes a key (relative or absolute) with all its subkeys.
  [[nodiscard]] bool DeleteKey(std::string_view path);

  // Why the last open, write or value deletion that failed failed (AccessDenied for a
  // machine-wide key a standard user may not write), for the message that says so.
  [[nodiscard]] Error LastError() const { return lastError_; }

 private:
  // The key a path starts from and the path below it.
  struct Base {
    platform::RegKey* key = nullptr;
    std::string_view rest;
    bool relative = false;
  };
  Base ResolveBase(std::string_view path);
  // Opens (or, with `create`, creates) `path` with `access` and makes it the current key.
  bool OpenCurrent(std::string_view path, platform::RegAccess access, bool create);
  bool Write(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data);
  bool Noted(Status status);

  Registry& registry_;
  RootKey root_;
  std::unique_ptr<platform::RegKey> rootKey_;
  std::unique_ptr<platform::RegKey> key_;
  std::string currentPath_;
  Error lastError_{Errc::Success};
};

// The program's subclass of the registry object that the tweaks use; it adds nothing.
using TRegistryEx = RegistryObject;

}  // namespace sw::reg
