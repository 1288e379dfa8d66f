#pragma once
// Version record and administrator test through kernel32 and advapi32; program starts
// (processes.cpp).

#include "platform/processes.h"
#include "platform/system.h"

namespace sw::platform::win32 {

class Win32System final : public System {
 public:
  VersionRecord Version() override;
  bool IsAdmin() override;
  Result<std::string> CurrentUserSid() override;
  FileTime LocalTimeOf(FileTime utc) override;
  FileTime UtcTimeOf(FileTime local) override;
  Result<std::string> ProgramFolder() override;
  std::string SystemFolder() override;
  std::string WindowsFolder() override;
  std::string ExpandEnvironment(std::string_view text) override;
  DateTimeSeparators Separators() override;
  std::string ShortDateText(const CalendarTime& time) override;
  std::string LongTimeText(const CalendarTime& time) override;
  std::optional<std::string> ToAnsi(std::string_view utf8) override;
  std::string FromAnsi(std::string_view ansi) override;
};

class Win32Processes final : public Processes {
 public:
  bool ExecuteProgram(std::string_view commandLine, bool hidden, bool wait,
                      const std::function<void()>& whileWaiting = {}) override;
  Status StartElevated(std::string_view program, std::string_view parameters) override;
  Result<ProgramEnd> RunToEnd(std::string_view program, std::string_view parameters, StartAs as,
                              const WaitHooks& hooks) override;
  Result<ProgramEnd> RunElevatedToEnd(std::string_view program, std::string_view parameters,
                                      const WaitHooks& hooks) override;
  // Through the _MSIExecute mutex: held (a wait for it times out at once) means busy.
  bool InstallerBusy() override;
  // Through a Toolhelp32 snapshot of the processes.
  std::vector<std::string> RunningProgramNames() override;
};

}  // namespace sw::platform::win32
