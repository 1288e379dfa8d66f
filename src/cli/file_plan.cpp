#include "cli/file_plan.h"

#include "core/win_path.h"

namespace sw::cli {
namespace {

using nlohmann::json;

// A file name of its own: no folder, no stream, no "." or "..".
bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:") == std::string::npos;
}

// "C:\folder\...\": absolute, with its trailing backslash, without "." or ".." parts.
bool IsPlainFolder(const std::string& folder) {
  if (!IsAbsoluteDrivePath(folder) || !folder.ends_with('\\') || folder.find('/') != std::string::npos) {
    return false;
  }
  for (const std::string_view part : PathComponents(folder)) {
    if (part == "." || part == ".." || part.find(':') != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

std::optional<ResultRow> PlanRow(const json& item, std::string& error) {
  if (!item.is_object() || !item.contains("columns") || !item["columns"].is_array() || item["columns"].size() < 4) {
    error = "a row has no four columns";
    return std::nullopt;
  }
  ResultRow row;
  for (std::size_t i = 0; i < 4; ++i) {
    if (!item["columns"][i].is_string()) {
      error = "a row's columns are not texts";
      return std::nullopt;
    }
    row.columns[i] = item["columns"][i].get<std::string>();
  }
  if (!IsPlainName(row.columns[0]) || !IsPlainFolder(row.columns[1])) {
    error = "the row of \"" + row.columns[1] + row.columns[0] + "\" names no single file by an absolute path";
    return std::nullopt;
  }
  const files::CategoryInfo* category = nullptr;
  if (item.contains("category") && item["category"].is_string()) {
    const std::string name = item["category"].get<std::string>();
    for (const files::CategoryInfo& info : files::JunkCategories()) {
      category = info.name == name ? &info : category;
    }
  }
  const bool facts = item.contains("size") && item["size"].is_number_unsigned() && item.contains("last_write") &&
                     item["last_write"].is_number_unsigned();
  if (!category || !facts) {
    error = "the row of \"" + row.columns[1] + row.columns[0] +
            "\" lacks its category, size or last-write time; make the plan with 'find files --json'";
    return std::nullopt;
  }
  row.checked = !item.contains("checked") || item["checked"] != false;
  row.image = item.contains("image") && item["image"].is_number_integer() ? item["image"].get<int>() : 0;
  row.moreColumns = {std::string(category->type)};
  files::SetFacts(row, files::FileFacts{category->category, item["size"].get<std::uint64_t>(),
                                        FileTime{item["last_write"].get<std::uint64_t>()}});
  return row;
}

}  // namespace

json FileRowFields(const ResultRow& row) {
  json fields = json::object();
  if (const auto facts = files::FactsOfRow(row)) {
    fields["category"] = files::InfoOf(facts->category).name;
    fields["type"] = files::InfoOf(facts->category).type;  // the Type column's text
    fields["size"] = facts->size;
    fields["last_write"] = facts->lastWrite.ticks;
  }
  return fields;
}

std::optional<std::vector<ResultRow>> ReadFilePlan(std::string_view text, std::string& error) {
  const json plan = json::parse(text, nullptr, false);
  if (plan.is_discarded() || !plan.is_object() || !plan.contains("rows") || !plan["rows"].is_array()) {
    error = "it is not the output of 'sweepwise-cli find files --json'";
    return std::nullopt;
  }
  std::vector<ResultRow> rows;
  for (const json& item : plan["rows"]) {
    // The system's own cleanup handlers are no files: a plan never runs them.
    if (item.is_object() && item.contains("category") && item["category"].is_string() &&
        item["category"].get<std::string>() == files::InfoOf(files::JunkCategory::kWindowsCleanup).name) {
      continue;
    }
    auto row = PlanRow(item, error);
    if (!row) {
      return std::nullopt;
    }
    rows.push_back(std::move(*row));
  }
  return rows;
}

}  // namespace sw::cli
