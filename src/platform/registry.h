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

// The two registry views of 64-bit Windows. Below HKEY_LOCAL_MACHINE\SOFTWARE, 32-bit
// programs are shown keys of their own (the 32-bit programs installed for every user are
// registered there); a key opened through a view stays in it, and so does every key opened,
// created or deleted below it. On 32-bit Windows, and for keys both views share, every view
// is the same key.
enum class RegView : std::uint8_t {
  Own,     // the view of this program itself
  Bits64,  // the 64-bit view (KEY_WOW64_64KEY)
  Bits32,  // the 32-bit view (KEY_WOW64_32KEY)
};

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

  // The root seen through `view`. A registry without views has one view only: OpenRoot.
  virtual Result<std::unique_ptr<RegKey>> OpenRootView(RootKey root, RegView view);

  // The path below `root` by which this program's own view reaches the key `path` of
  // `view`, with the names as they are stored: for a key the 32-bit view of 64-bit Windows
  // keeps apart, the path of that separate key; where the views share the key (or there is
  // only one view) the key's own path. Two views that answer the same path see one key.
  // FileNotFound when the key does not exist in that view.
  virtual Result<std::string> OwnViewPath(RootKey root, RegView view, std::string_view path);
};

}  // namespace sw::platform
