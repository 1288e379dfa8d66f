#include "cli/file_plan.h"

#include <algorithm>
#include <unordered_map>

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
  const auto number = [&item](const char* name) { return item.contains(name) && item[name].is_number_unsigned(); };
  files::FileFacts facts;
  const bool complete = category != nullptr && number("size") && number("last_write") && number("volume_serial") &&
                        item.contains("file_id") && item["file_id"].is_string() &&
                        files::ReadFileNumber(item["file_id"].get<std::string>(), facts.object.identity);
  if (!complete) {
    error = "the row of \"" + row.columns[1] + row.columns[0] +
            "\" lacks its category, size, last-write time or file identity; make the plan with 'find files --json'";
    return std::nullopt;
  }
  row.checked = !item.contains("checked") || item["checked"] != false;
  row.image = item.contains("image") && item["image"].is_number_integer() ? item["image"].get<int>() : 0;
  row.moreColumns = {std::string(category->type)};
  facts.category = category->category;
  facts.object.size = item["size"].get<std::uint64_t>();
  facts.object.lastWrite = FileTime{item["last_write"].get<std::uint64_t>()};
  facts.object.identity.volume = item["volume_serial"].get<std::uint64_t>();
  files::SetFacts(row, facts);
  return row;
}

}  // namespace

json FileRowFields(const ResultRow& row) {
  json fields = json::object();
  if (const auto facts = files::FactsOfRow(row)) {
    fields["category"] = files::InfoOf(facts->category).name;
    fields["type"] = files::InfoOf(facts->category).type;  // the Type column's text
    fields["size"] = facts->object.size;
    fields["last_write"] = facts->object.lastWrite.ticks;
    fields["volume_serial"] = facts->object.identity.volume;
    fields["file_id"] = files::FileNumberText(facts->object.identity);
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

files::CategorySet PlanCategories(const std::vector<ResultRow>& plan) {
  files::CategorySet categories = files::CategorySet::None();
  for (const ResultRow& row : plan) {
    if (const auto facts = files::FactsOfRow(row); facts && row.checked) {
      categories.Set(facts->category, true);
    }
  }
  return categories;
}

PlanMatch MatchPlan(const std::vector<ResultRow>& plan, const std::vector<ResultRow>& found) {
  // The found rows each checked plan row names by its path, in the Find's order: one pass over
  // the Find, however many rows either has (a million found, a hundred thousand planned).
  std::vector<std::optional<files::FileFacts>> wanted(plan.size());
  std::unordered_map<std::string, std::vector<std::size_t>> foundAt;
  for (std::size_t p = 0; p < plan.size(); ++p) {
    if (plan[p].checked) {
      wanted[p] = files::FactsOfRow(plan[p]);
      if (wanted[p]) {
        foundAt.try_emplace(files::FullPathOfRow(plan[p]));
      }
    }
  }
  for (std::size_t i = 0; i < found.size(); ++i) {
    if (const auto at = foundAt.find(files::FullPathOfRow(found[i])); at != foundAt.end()) {
      at->second.push_back(i);
    }
  }

  PlanMatch match;
  std::vector<bool> taken(found.size(), false);
  for (std::size_t p = 0; p < plan.size(); ++p) {
    const auto& facts = wanted[p];
    if (!facts) {
      continue;
    }
    // The very path, byte for byte, of the very file: the path a Find spells, and the
    // identity, size and time it saw.
    const auto same = [&](std::size_t i) {
      const auto now = files::FactsOfRow(found[i]);
      return now && now->category == facts->category && now->object.identity == facts->object.identity &&
             now->object.size == facts->object.size && now->object.lastWrite == facts->object.lastWrite;
    };
    const std::vector<std::size_t>& candidates = foundAt.at(files::FullPathOfRow(plan[p]));
    const auto it = std::find_if(candidates.begin(), candidates.end(), same);
    if (it == candidates.end()) {
      match.notFound.push_back(plan[p]);
    } else if (!taken[*it]) {
      taken[*it] = true;
      match.toDelete.push_back(found[*it]);
      match.toDelete.back().checked = true;
    }
  }
  return match;
}

}  // namespace sw::cli
