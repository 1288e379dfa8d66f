#pragma once
// The registry operations the program calls by path: each takes a root and a key path or
// value path. A value path is a key path, a backslash and a value name, split at the LAST
// backslash; a path ending in a backslash names the key's default value. A leading backslash
// is accepted and means the same key.
//
// Every operation returns whether it succeeded and never throws; a value of another type
// than the one asked for counts as missing. Handles are closed on every path.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "platform/registry.h"

namespace sw::reg {

using platform::Registry;
using platform::RootKey;

struct ValuePath {
  std::string_view key;   // without a leading backslash
  std::string_view name;  // empty for the default value
};

// nullopt when the path holds no backslash at all.
std::optional<ValuePath> SplitValuePath(std::string_view valuePath);

// The writers create the key when it is missing.
[[nodiscard]] bool RegWriteString(Registry& registry, RootKey root, std::string_view valuePath, std::string_view text);
// Stores `data` as REG_MULTI_SZ exactly as given: the caller supplies the zero separators
// and terminators it wants stored.
[[nodiscard]] bool RegWriteMultiString(Registry& registry, RootKey root, std::string_view valuePath,
                                       std::string_view data);
[[nodiscard]] bool RegWriteDword(Registry& registry, RootKey root, std::string_view valuePath, std::uint32_t number);
[[nodiscard]] bool RegWriteBinary(Registry& registry, RootKey root, std::string_view valuePath,
                                  std::span<const std::uint8_t> bytes);

// REG_SZ without its terminating zero.
std::optional<std::string> RegReadString(Registry& registry, RootKey root, std::string_view valuePath);
// REG_MULTI_SZ with its inner zero separators, without the final zero.
std::optional<std::string> RegReadMultiString(Registry& registry, RootKey root, std::string_view valuePath);
std::optional<Bytes> RegReadBinary(Registry& registry, RootKey root, std::string_view valuePath);

[[nodiscard]] bool RegValueExists(Registry& registry, RootKey root, std::string_view valuePath);
[[nodiscard]] bool RegKeyExists(Registry& registry, RootKey root, std::string_view keyPath);
[[nodiscard]] bool RegDeleteValueAt(Registry& registry, RootKey root, std::string_view valuePath);

// Deletes a key, with all its subkeys (deepest first) when `recursive` is set. The path must
// name a key below a root's direct child: "Software" (with or without backslashes around it)
// is refused and nothing is deleted.
[[nodiscard]] bool RegDeleteKeyAt(Registry& registry, RootKey root, std::string_view keyPath, bool recursive);

// All value names, or all subkey names, of a key joined by CR LF in enumeration order;
// nullopt when the key does not open.
std::optional<std::string> RegListValueNames(Registry& registry, RootKey root, std::string_view keyPath);
std::optional<std::string> RegListKeyNames(Registry& registry, RootKey root, std::string_view keyPath);

enum class NameKind { SubKeys, Values };

// The names of a key's subkeys or values, in enumeration order, up to the first failure.
std::vector<std::string> EnumerateNames(platform::RegKey& key, NameKind kind);

// Deletes the subkey `name` of `parent` and everything below it, deepest first. Stops at
// the first key that cannot be deleted.
[[nodiscard]] bool DeleteKeyTree(platform::RegKey& parent, std::string_view name);
// DeleteKeyTree with the system's reason when it stops (AccessDenied for a machine-wide key
// of a standard user), for the message that says what stayed and why.
Status RemoveKeyTree(platform::RegKey& parent, std::string_view name);

}  // namespace sw::reg
