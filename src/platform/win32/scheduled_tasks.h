#pragma once
// Scheduled tasks through the Task Scheduler's own interface (ITaskService), never through a
// system tool: schtasks cannot be trusted to say what a task starts, and a program that asks
// for higher rights cannot be started by every caller.

#include "platform/scheduled_tasks.h"

namespace sw::platform::win32 {

class Win32ScheduledTasks final : public ScheduledTasks {
 public:
  Result<std::vector<ScheduledTask>> List() override;
  Result<std::string> Definition(std::string_view path) override;
  Status Remove(std::string_view path) override;
  Status Register(std::string_view path, std::string_view xml) override;
};

}  // namespace sw::platform::win32
