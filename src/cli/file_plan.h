#pragma once
// The plan of "delete files --plan FILE": the output of an earlier "find files --json",
// perhaps edited by a person or a script. Its rows are the files to delete, each with what
// the Find saw of it; a row taken out of the file, or set to "checked": false, is kept.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result_row.h"
#include "files/file_row.h"
#include "nlohmann/json.hpp"

namespace sw::cli {

// The fields "find files --json" gives each row beside its columns, which a plan needs back.
[[nodiscard]] nlohmann::json FileRowFields(const ResultRow& row);

// The rows of a plan, checked as the plan says. Refuses the whole plan (nullopt, with the
// reason in `error`) when it is no such output or a row names no single file by an absolute
// path: a plan that was damaged must not delete something else.
[[nodiscard]] std::optional<std::vector<ResultRow>> ReadFilePlan(std::string_view text, std::string& error);

}  // namespace sw::cli
