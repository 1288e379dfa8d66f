// The Task Scheduler through its own interface on Wine: a task registered from a definition
// is listed in its folder (Wine's collections cannot count its tasks: they are found by the
// service's files) with its program where the scheduler keeps it, is refused a second time,
// exports a definition that registers it again, and goes.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/win32/scheduled_tasks.h"

namespace sw::platform::win32 {
namespace {

std::string Definition(const std::string& program) {
  return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
         "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
         "  <RegistrationInfo><Description>Sweepwise test task</Description></RegistrationInfo>\n"
         "  <Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>\n"
         "  <Settings><Enabled>true</Enabled></Settings>\n"
         "  <Actions Context=\"Author\"><Exec><Command>" +
         program + "</Command><Arguments>/update</Arguments></Exec></Actions>\n</Task>\n";
}

class ScheduledTasksOnWine : public ::testing::Test {
 protected:
  void TearDown() override { (void)tasks_.Remove(path_); }

  std::optional<ScheduledTask> Listed() {
    auto listed = tasks_.List();
    EXPECT_TRUE(listed) << (listed ? 0 : listed.error().code());
    if (!listed) {
      return std::nullopt;
    }
    const auto found = std::find_if(listed->begin(), listed->end(),
                                    [&](const ScheduledTask& task) { return task.path == path_; });
    return found == listed->end() ? std::nullopt : std::optional(*found);
  }

  Win32ScheduledTasks tasks_;
  std::string path_ = "\\Sweepwise Tests\\Task " + std::to_string(::GetCurrentProcessId());
};

TEST_F(ScheduledTasksOnWine, ATaskIsListedWithItsProgramExportedRemovedAndRegisteredAgain) {
  const std::string program = "C:\\Program Files\\Sweepwise Task Test\\updater.exe";
  ASSERT_TRUE(tasks_.Register(path_, Definition(program)));
  EXPECT_EQ(tasks_.Register(path_, Definition(program)).error(), Error(Errc::AlreadyExists))
      << "a task that is there is never replaced";

  const auto listed = Listed();
  ASSERT_TRUE(listed) << "the task is listed in its folder";
  const auto exported = tasks_.Definition(path_);
  ASSERT_TRUE(exported);
  // Wine 8 stores an exec action without its command (an empty <Exec/> in its task file):
  // what it cannot give back is named, and everything else is still checked.
  const bool keepsCommands = exported->find("<Command>") != std::string::npos;
  if (keepsCommands) {
    EXPECT_EQ(listed->programs, std::vector<std::string>{program});
    EXPECT_NE(exported->find("updater.exe"), std::string::npos) << *exported;
  } else {
    std::printf("This Task Scheduler keeps no command of an exec action; its programs are not checked\n");
    EXPECT_TRUE(listed->programs.empty()) << "no program is made up";
  }

  ASSERT_TRUE(tasks_.Remove(path_));
  EXPECT_FALSE(Listed());
  EXPECT_FALSE(tasks_.Definition(path_));
  EXPECT_TRUE(IsNotFound(tasks_.Remove(path_).error())) << tasks_.Remove(path_).error().code();

  // The exported definition brings it back as it was.
  ASSERT_TRUE(tasks_.Register(path_, *exported));
  const auto back = Listed();
  ASSERT_TRUE(back);
  EXPECT_EQ(back->programs, keepsCommands ? std::vector<std::string>{program} : std::vector<std::string>{});
}

}  // namespace
}  // namespace sw::platform::win32
