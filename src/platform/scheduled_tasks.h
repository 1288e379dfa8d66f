#pragma once
// The system's scheduled tasks: what each one starts, its definition as the Task Scheduler
// exports it (the XML that registers it again), its removal and its registration.
//
// A task is named by its path, its folders and name with backslashes ("\Vendor\Updater";
// "\Updater" for a task of the root folder). Failures carry the Win32 error number where the
// Task Scheduler gives one (FileNotFound for a task or folder that is not there,
// AlreadyExists for a path that is taken, AccessDenied for a task of another user).

#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace sw::platform {

struct ScheduledTask {
  std::string path;
  // The programs its actions start, as the definition holds them: environment variables
  // unexpanded, quotes as written. Actions of other kinds (a mail, a COM handler) start none.
  std::vector<std::string> programs;
};

class ScheduledTasks {
 public:
  ScheduledTasks() = default;
  ScheduledTasks(const ScheduledTasks&) = delete;
  ScheduledTasks& operator=(const ScheduledTasks&) = delete;
  virtual ~ScheduledTasks() = default;

  // Every task of every folder, hidden ones too, in the scheduler's order. A folder that
  // cannot be read is passed over; an error only when the scheduler cannot be reached.
  virtual Result<std::vector<ScheduledTask>> List() = 0;

  // The task's definition as XML text (UTF-8 here; the scheduler's own files are UTF-16).
  virtual Result<std::string> Definition(std::string_view path) = 0;

  // Deletes the task.
  virtual Status Remove(std::string_view path) = 0;

  // Registers `xml` as the task `path`, making the folders on the way; never replaces a task
  // that is there (AlreadyExists). A definition that runs as a user with a stored password
  // cannot come back without it: the scheduler's refusal is the error.
  virtual Status Register(std::string_view path, std::string_view xml) = 0;
};

// The folder part of a task path ("\Vendor" of "\Vendor\Updater", "\" for a root task) and
// its name.
[[nodiscard]] std::string_view TaskFolderOf(std::string_view path);
[[nodiscard]] std::string_view TaskNameOf(std::string_view path);

}  // namespace sw::platform
