#pragma once
// A listed file acted on through its own handle (kernel32), and who besides this user may
// change a folder or delete a file (advapi32's security descriptors and access check).

#include <windows.h>

#include <memory>
#include <string_view>

#include "platform/file_system.h"

namespace sw::platform::win32 {

// CreateFileW with FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS: the name itself,
// a file or a folder, never a link's target.
Result<std::unique_ptr<ListedFile>> OpenListedFile(std::string_view path, ListedAccess access);

// Whether the security descriptor lets anyone but `user`, the system, the administrators
// and the system's installer service create, rename or delete names in a folder, or change
// who may: an allowing entry that is not for inheritance only and holds any such right, a
// missing list (everyone may do anything), or an owner who is none of them.
[[nodiscard]] bool GrantsWriteToOthers(PSECURITY_DESCRIPTOR descriptor, PSID user);

Result<bool> OthersMayWrite(std::string_view folder);
Result<bool> OnlyAdministratorsMayDelete(std::string_view path);

}  // namespace sw::platform::win32
