#pragma once
// The registry as the operating system provides it: keys below seven predefined roots,
// named values with a type and raw bytes. Thin: no product rules here; the registry access
// layer (src/registry) builds the program's operations on top.
//
// Names and paths are UTF-8; string data is stored as Windows stores it (UTF-16LE with a
// terminating zero), so that sizes and bytes are the same on every implementation.
// Failures carry the Win32 error number: FileNotFound for a missing key or value,
// NoMoreItems past the last index of an enumeration, AccessDenied when a key to delete still
// has subkeys, KeyDeleted for a key that was deleted while open.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "core/file_time.h"
#include "core/result.h"

namespace sw::platform {

// In the order of the platform's predefined root handles.
enum class RootKey : std::uint8_t {
  ClassesRoot,
  CurrentUser,
  LocalMachine,
  Users,
  PerformanceData,
  CurrentConfig,
  DynData,
};
inline constexpr int kRootKeyCount = 7;

// Value types by their registry numbers.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegDwordBigEndian = 5;
inline constexpr std::uint32_t kRegLink = 6;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

struct RegValue {
  std::uint32_t type = kRegNone;
  Bytes data;
};

struct NamedRegValue {
  std::string name;
  RegValue value;
};

struct RegKeyInfo {
  std::uint32_t subKeyCount = 0;
  std::uint32_t valueCount = 0;
  FileTime lastWrite;
};

enum class RegAccess { Read, ReadWrite };

// An open key. Closed when destroyed.
class RegKey {
 public:
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  virtual ~RegKey() = default;

  // Opens `path` (names separated by backslashes) below this key; an empty path opens this
  // key again. FileNotFound when any part is missing.
  virtual Result<std::unique_ptr<RegKey>> Open(std::string_view path, RegAccess access) = 0;
  // Opens `path` below this key for reading and writing, creating every missing part.
  virtual Result<std::unique_ptr<RegKey>> Create(std::string_view path) = 0;

  // Subkeys and values by index, in the platform's enumeration order.
  virtual Result<std::string> SubKeyName(std::uint32_t index) = 0;
  virtual Result<std::string> ValueName(std::uint32_t index) = 0;
  virtual Result<NamedRegValue> ValueAt(std::uint32_t index) = 0;

  // The value `name` ("" is the key's default value).
  virtual Result<RegValue> Query(std::string_view name) = 0;
  virtual Status Set(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) = 0;
  virtual Status DeleteValue(std::string_view name) = 0;

  // Deletes the direct subkey `name`; AccessDenied when it has subkeys of its own.
  virtual Status DeleteSubKey(std::string_view name) = 0;

  virtual Result<RegKeyInfo> Info() = 0;
};

class Registry {
 public:
  Registry() = default;
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;
  virtual ~Registry() = default;

  // A key object for one of the predefined roots.
  virtual Result<std::unique_ptr<RegKey>> OpenRoot(RootKey root) = 0;
};

}  // namespace sw::platform
