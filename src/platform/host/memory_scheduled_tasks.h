#pragma once
// Scheduled tasks where there is no Task Scheduler, and where the one there falls short (Wine
// 8 keeps no program for some tasks): tasks held in memory, with their definitions. A
// registered definition starts the programs of its <Command> elements.

#include <map>
#include <string>
#include <vector>

#include "platform/scheduled_tasks.h"

namespace sw::platform::host {

class MemoryScheduledTasks final : public ScheduledTasks {
 public:
  Result<std::vector<ScheduledTask>> List() override;
  Result<std::string> Definition(std::string_view path) override;
  Status Remove(std::string_view path) override;
  Status Register(std::string_view path, std::string_view xml) override;

  // A test's task: a definition of its own that starts `programs`.
  void Add(std::string path, std::vector<std::string> programs);
  // A definition that starts `programs`, as the scheduler would export it.
  [[nodiscard]] static std::string DefinitionOf(const std::vector<std::string>& programs);
  // The texts of every <Command> element of a definition, its entities decoded.
  [[nodiscard]] static std::vector<std::string> CommandsOf(std::string_view xml);

  // Makes every call fail with `error` (a scheduler that cannot be reached); Success again
  // lets them through.
  void FailWith(Errc error) { failure_ = error; }

 private:
  struct Stored {
    ScheduledTask task;
    std::string xml;
  };
  std::map<std::string, Stored> tasks_;  // by the upper-cased path, in name order
  Errc failure_ = Errc::Success;
};

}  // namespace sw::platform::host
