#pragma once
// The system's own cleanup handlers in the output of "find files" and "delete files": the
// fields of their rows and of the command's result.

#include <nlohmann/json.hpp>

#include "core/result_row.h"
#include "files/windows_cleanup.h"
#include "files/windows_cleanup_run.h"

namespace sw::cli {

// A handler row's fields: category, type, size, volume, key, class_id, description,
// needs_administrator, has_settings, runs_unattended, and freed after a run.
[[nodiscard]] nlohmann::json WindowsCleanupRowFields(const ResultRow& row);

// "windows_cleanup" of a Find: the bytes the listed handlers can free, and the handlers left
// out or needing administrator rights.
[[nodiscard]] nlohmann::json WindowsCleanupFoundFields(const files::WindowsCleanupFound& found);

// "windows_cleanup" of a Delete: what each handler run freed, and what was not run.
[[nodiscard]] nlohmann::json WindowsCleanupRunFields(const files::WindowsCleanupRun& run);

}  // namespace sw::cli
