#include "cli/windows_cleanup_output.h"

#include "files/junk_categories.h"
#include "files/windows_cleanup_row.h"

namespace sw::cli {

nlohmann::json WindowsCleanupRowFields(const ResultRow& row) {
  const auto facts = files::HandlerFactsOfRow(row);
  if (!facts) {
    return nlohmann::json::object();
  }
  const files::CategoryInfo& info = files::InfoOf(files::JunkCategory::kWindowsCleanup);
  nlohmann::json fields = {{"category", info.name},
                           {"type", info.type},
                           {"volume", facts->volume},
                           {"key", facts->key},
                           {"class_id", facts->classId},
                           {"name", facts->displayName},
                           {"description", facts->description},
                           {"needs_administrator", facts->needsAdministrator},
                           {"has_settings", (facts->flags & platform::kHandlerHasSettings) != 0},
                           {"runs_unattended", files::RunsUnattended(*facts)}};
  if (!facts->needsAdministrator) {
    fields["size"] = facts->bytes;
  }
  if (facts->freed) {
    fields["freed"] = *facts->freed;
  }
  return fields;
}

nlohmann::json WindowsCleanupFoundFields(const files::WindowsCleanupFound& found) {
  return {{"handlers", found.rows},
          {"bytes", found.bytes},
          {"left_out", found.leftOut},
          {"need_administrator", found.needAdministrator}};
}

nlohmann::json WindowsCleanupRunFields(const files::WindowsCleanupRun& run) {
  nlohmann::json handlers = nlohmann::json::array();
  for (const files::HandlerRunResult& handler : run.handlers) {
    handlers.push_back(
        {{"name", handler.name}, {"ran", handler.ran}, {"freed", handler.freed}, {"problem", handler.problem}});
  }
  return {{"freed", run.freed},
          {"handlers", std::move(handlers)},
          {"need_administrator", run.needAdministrator},
          {"left_alone", run.leftAlone},
          {"declined", run.declined},
          {"history_error", run.historyError}};
}

}  // namespace sw::cli
