#pragma once
// The plan of "delete files --plan FILE": the output of an earlier "find files --json",
// perhaps edited by a person or a script. A plan is a filter, never a list of orders: the
// Find of its categories runs again, and only a file that Find lists now, and a checked row
// of the plan names exactly (the same path, identity, size and last-write time), is deleted.
// A row taken out of the file, or set to "checked": false, is kept; so is every plan row the
// new Find does not list (a document someone wrote into a plan with its real size and time).

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

// The categories of the plan's checked rows: the Find that runs again searches these.
[[nodiscard]] files::CategorySet PlanCategories(const std::vector<ResultRow>& plan);

struct PlanMatch {
  std::vector<ResultRow> toDelete;  // the rows of the new Find that checked plan rows name
  std::vector<ResultRow> notFound;  // checked plan rows that name nothing the new Find lists
};

// Matches the plan's checked rows with the rows a Find lists now.
[[nodiscard]] PlanMatch MatchPlan(const std::vector<ResultRow>& plan, const std::vector<ResultRow>& found);

}  // namespace sw::cli
