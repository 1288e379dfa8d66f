#pragma once
// The registry's vocabulary in texts, lists and export files: root names and the value-type
// names of the tweak and restore records.

#include <optional>
#include <string_view>

#include "platform/registry.h"

namespace sw::reg {

using platform::RootKey;

// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", ... "HKEY_DYN_DATA".
std::string_view RootKeyName(RootKey root);
// The root of a full name, compared exactly.
std::optional<RootKey> RootKeyFromName(std::string_view name);

// Value types of tweak and restore records. None writes nothing (a special action runs
// instead); Delete removes the value, or with an empty value name the key.
enum class RecordType { String, MultiString, Dword, Binary, None, Delete };

std::string_view RecordTypeName(RecordType type);  // "REG_SZ", ..., "REG_DELETE"
std::optional<RecordType> RecordTypeFromName(std::string_view name);

}  // namespace sw::reg
