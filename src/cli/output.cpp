#include "cli/output.h"

#include <ostream>

#include "cli/console_sink.h"

namespace sw::cli {
namespace {

nlohmann::json ToJson(const CommandResult& result) {
  nlohmann::json object = result.extra;
  nlohmann::json rows = nlohmann::json::array();
  for (std::size_t i = 0; i < result.rows.size(); ++i) {
    const ResultRow& row = result.rows[i];
    nlohmann::json columns = row.columns;
    for (const auto& more : row.moreColumns) {
      columns.push_back(more);
    }
    nlohmann::json item = {{"columns", std::move(columns)}, {"image", row.image}, {"checked", row.checked}};
    if (i < result.rowFields.size()) {
      item.update(result.rowFields[i]);
    }
    rows.push_back(std::move(item));
  }
  object["rows"] = std::move(rows);
  object["status"] = result.status;
  return object;
}

}  // namespace

void PrintResult(CliContext& context, bool json, const CommandResult& result) {
  FlushNotices(result.status);
  if (json) {
    // Names come from disks and archives: never let an odd byte stop the output.
    context.out << ToJson(result).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    return;
  }
  for (const auto& row : result.rows) {
    context.out << row.columns[0];
    for (std::size_t i = 1; i < row.columns.size(); ++i) {
      context.out << "\t" << row.columns[i];
    }
    for (const auto& more : row.moreColumns) {
      context.out << "\t" << more;
    }
    context.out << "\n";
  }
  if (!result.status.empty()) {
    context.out << result.status << "\n";
  }
}

int PrintFailure(CliContext& context, bool json, const std::string& message, CommandResult result) {
  FlushNotices({});
  context.err << "sweepwise-cli: " << message << "\n";
  if (json) {
    result.extra["error"] = message;
    PrintResult(context, true, result);
  }
  return kExitFailure;
}

std::string ElevationHint(platform::Platform& platform, std::string_view command) {
  if (platform::Describe(platform).elevated) {
    return {};
  }
  return " Machine-wide entries need administrator rights: run 'sweepwise-cli " + std::string(command) +
         "' from a console started with Run as administrator.";
}

int PrintUsageError(CliContext& context, bool json, const std::string& message) {
  context.err << "sweepwise-cli: " << message << ". Run 'sweepwise-cli --help' for usage.\n";
  if (json) {
    context.out << nlohmann::json{{"error", message}, {"status", kExitUsage}}.dump(
                       -1, ' ', false, nlohmann::json::error_handler_t::replace)
                << "\n";
  }
  return kExitUsage;
}

}  // namespace sw::cli
