#pragma once
// Folder listing with FindFirstFileExW, or from the folder's handle where the caller needs
// each file's number.

#include <memory>
#include <string_view>

#include "platform/file_system.h"

namespace sw::platform::win32 {

Result<std::unique_ptr<FolderReader>> OpenFolderReader(std::string_view folder);
// The same entries with FolderDetail::Identity's figures, from the folder's own handle.
Result<std::unique_ptr<FolderReader>> OpenIdentityFolderReader(std::string_view folder);

}  // namespace sw::platform::win32
