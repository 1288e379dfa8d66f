#pragma once
// The result of a command on stdout: rows and a status line as text, or with --json one
// object {"rows":[{"columns":[...],"image":0,"checked":true}],"status":"..."} plus the
// command's own fields.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "core/result_row.h"

namespace sw::cli {

struct CommandResult {
  std::vector<ResultRow> rows;
  std::string status;
  nlohmann::json extra = nlohmann::json::object();  // command-specific fields
  // Per row, fields a command adds to that row's JSON object (none when shorter).
  std::vector<nlohmann::json> rowFields;
};

void PrintResult(CliContext& context, bool json, const CommandResult& result);

// A failure that ends a command: one line on stderr (with --json also the object on stdout,
// with an "error" field); returns kExitFailure.
int PrintFailure(CliContext& context, bool json, const std::string& message, CommandResult result = {});

// What to do when a machine-wide write failed for lack of rights: the same command again
// from an elevated console ("... Run 'sweepwise-cli delete registry' from a console started
// with Run as administrator."). Empty when the program runs elevated already.
std::string ElevationHint(platform::Platform& platform, std::string_view command);

// A usage error: one line on stderr with the way to the full usage (with --json also
// {"error": ..., "status": 2} on stdout); returns kExitUsage.
int PrintUsageError(CliContext& context, bool json, const std::string& message);

}  // namespace sw::cli
