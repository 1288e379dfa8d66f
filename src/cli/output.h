#pragma once
// The result of a command on stdout: rows and a status line as text, or with --json one
// object {"rows":[{"columns":[...],"image":0,"checked":true}],"status":"..."} plus the
// command's own fields.

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "core/result_row.h"

namespace sw::cli {

// Fields a command adds to a row's JSON object.
using RowFields = std::function<nlohmann::json(const ResultRow&)>;

struct CommandResult {
  std::vector<ResultRow> rows;
  std::string status;
  nlohmann::json extra = nlohmann::json::object();  // command-specific fields
  // Per row, fields a command adds to that row's JSON object (none when shorter).
  std::vector<nlohmann::json> rowFields;
  // Or the same made for each row as it is printed, so that a long list needs no second copy.
  RowFields fieldsOf;
};

// Prints the result; JSON is written row by row, never held whole in memory.
void PrintResult(CliContext& context, bool json, const CommandResult& result);

// Prints rows as a command finds them, for a list too long to hold (a Find over a million
// files), then its status and fields. The text is PrintResult's; the JSON object has the same
// fields, "rows" first.
class RowPrinter {
 public:
  RowPrinter(CliContext& context, bool json, RowFields fieldsOf = nullptr);
  void Print(const ResultRow& row);
  void Finish(const std::string& status, const nlohmann::json& extra);

 private:
  CliContext& context_;
  bool json_;
  RowFields fieldsOf_;
  bool first_ = true;
};

// A failure that ends a command: one line on stderr (with --json also the object on stdout,
// with an "error" field); returns kExitFailure.
int PrintFailure(CliContext& context, bool json, const std::string& message, CommandResult result = {});

// What to do when a machine-wide write failed for lack of rights: the same command again
// from an elevated console ("... Run 'sweepwise-cli delete registry' from a console started
// with Run as administrator."). Empty when the program runs elevated already.
std::string ElevationHint(platform::Platform& platform, std::string_view command);
// The same hint as a sentence of its own, for an engine's message; empty when elevated.
std::string ElevationAdvice(platform::Platform& platform, std::string_view command);

// A usage error: one line on stderr with the way to the full usage (with --json also
// {"error": ..., "status": 2} on stdout); returns kExitUsage.
int PrintUsageError(CliContext& context, bool json, const std::string& message);

}  // namespace sw::cli
