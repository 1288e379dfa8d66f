#include "cli/output.h"

#include <ostream>

#include "cli/console_sink.h"

namespace sw::cli {
namespace {

// Names come from disks and archives: never let an odd byte stop the output.
std::string Dumped(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

nlohmann::json RowObject(const ResultRow& row, const nlohmann::json* fields) {
  nlohmann::json columns = row.columns;
  for (const auto& more : row.moreColumns) {
    columns.push_back(more);
  }
  nlohmann::json item = {{"columns", std::move(columns)}, {"image", row.image}, {"checked", row.checked}};
  if (fields != nullptr) {
    item.update(*fields);
  }
  return item;
}

void PrintTextRow(std::ostream& out, const ResultRow& row) {
  out << row.columns[0];
  for (std::size_t i = 1; i < row.columns.size(); ++i) {
    out << "\t" << row.columns[i];
  }
  for (const auto& more : row.moreColumns) {
    out << "\t" << more;
  }
  out << "\n";
}

// The fields of `object` as `"name":value` pairs in its order (by name), each after a comma
// but the first, with `insert` written in its place among them by name.
void PrintFields(std::ostream& out, const nlohmann::json& object, std::string_view insertName,
                 const std::function<void()>& insert) {
  bool first = true;
  bool inserted = insertName.empty();
  const auto separate = [&] {
    out << (first ? "" : ",");
    first = false;
  };
  for (auto it = object.begin(); it != object.end(); ++it) {
    if (!inserted && it.key() > insertName) {
      separate();
      insert();
      inserted = true;
    }
    separate();
    out << Dumped(it.key()) << ":" << Dumped(it.value());
  }
  if (!inserted) {
    separate();
    insert();
  }
}

}  // namespace

// The same bytes as dumping the whole object at once, without building it: a field at a time,
// the rows one by one.
void PrintResult(CliContext& context, bool json, const CommandResult& result) {
  FlushNotices(result.status);
  std::ostream& out = context.out;
  if (!json) {
    for (const auto& row : result.rows) {
      PrintTextRow(out, row);
    }
    if (!result.status.empty()) {
      out << result.status << "\n";
    }
    return;
  }
  nlohmann::json object = result.extra;
  object.erase("rows");
  object["status"] = result.status;
  out << "{";
  PrintFields(out, object, "rows", [&] {
    out << "\"rows\":[";
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
      const ResultRow& row = result.rows[i];
      const nlohmann::json fields = result.fieldsOf ? result.fieldsOf(row) : nlohmann::json();
      const nlohmann::json* added = result.fieldsOf ? &fields : i < result.rowFields.size() ? &result.rowFields[i] : nullptr;
      out << (i == 0 ? "" : ",") << Dumped(RowObject(row, added));
    }
    out << "]";
  });
  out << "}\n";
}

RowPrinter::RowPrinter(CliContext& context, bool json, RowFields fieldsOf)
    : context_(context), json_(json), fieldsOf_(std::move(fieldsOf)) {}

void RowPrinter::Print(const ResultRow& row) {
  if (!json_) {
    PrintTextRow(context_.out, row);
    return;
  }
  context_.out << (first_ ? "{\"rows\":[" : ",");
  first_ = false;
  const nlohmann::json fields = fieldsOf_ ? fieldsOf_(row) : nlohmann::json();
  context_.out << Dumped(RowObject(row, fieldsOf_ ? &fields : nullptr));
}

void RowPrinter::Finish(const std::string& status, const nlohmann::json& extra) {
  FlushNotices(status);
  if (!json_) {
    if (!status.empty()) {
      context_.out << status << "\n";
    }
    return;
  }
  context_.out << (first_ ? "{\"rows\":[" : "") << "],";
  first_ = false;
  nlohmann::json object = extra;
  object.erase("rows");
  object["status"] = status;
  PrintFields(context_.out, object, "", nullptr);
  context_.out << "}\n";
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

std::string ElevationAdvice(platform::Platform& platform, std::string_view command) {
  std::string hint = ElevationHint(platform, command);
  return hint.starts_with(' ') ? hint.substr(1) : hint;
}

int PrintUsageError(CliContext& context, bool json, const std::string& message) {
  context.err << "sweepwise-cli: " << message << ". Run 'sweepwise-cli --help' for usage.\n";
  if (json) {
    context.out << Dumped(nlohmann::json{{"error", message}, {"status", kExitUsage}}) << "\n";
  }
  return kExitUsage;
}

}  // namespace sw::cli
