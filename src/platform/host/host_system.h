#pragma once
// The system facts and program starts where there is no Windows. Tests set the version
// record and the administrator answer; started programs are recorded, not run.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/processes.h"
#include "platform/system.h"

namespace sw::platform::host {

// Local time follows the TZ environment variable; the ANSI code page is Windows-1252.
class HostSystem final : public System {
 public:
  VersionRecord Version() override { return version_; }
  bool IsAdmin() override { return admin_; }
  Result<std::string> CurrentUserSid() override { return sid_; }
  FileTime LocalTimeOf(FileTime utc) override;
  FileTime UtcTimeOf(FileTime local) override;
  Result<std::string> ProgramFolder() override { return programFolder_; }
  std::string SystemFolder() override { return windowsFolder_ + "\\System32"; }
  std::string WindowsFolder() override { return windowsFolder_; }
  // Expands the variables the test set with SetEnvironment, names compared without case.
  std::string ExpandEnvironment(std::string_view text) override;
  DateTimeSeparators Separators() override { return separators_; }
  // The United States formats: "12/8/2026", "8:05:03 PM".
  std::string ShortDateText(const CalendarTime& time) override;
  std::string LongTimeText(const CalendarTime& time) override;
  std::optional<std::string> ToAnsi(std::string_view utf8) override;
  std::string FromAnsi(std::string_view ansi) override;

  void SetVersion(const VersionRecord& version) { version_ = version; }
  void SetAdmin(bool admin) { admin_ = admin; }
  void SetCurrentUserSid(std::string sid) { sid_ = std::move(sid); }
  void SetProgramFolder(std::string folder) { programFolder_ = std::move(folder); }
  void SetEnvironment(std::string name, std::string value) { environment_[std::move(name)] = std::move(value); }
  void SetSeparators(DateTimeSeparators separators) { separators_ = std::move(separators); }
  void SetWindowsFolder(std::string folder) { windowsFolder_ = std::move(folder); }

 private:
  VersionRecord version_{kPlatformNt, 6, 1, 7601};  // Windows 7, as a fresh Wine prefix reports
  bool admin_ = true;
  std::string sid_ = "S-1-5-21-0-0-0-1000";
  std::string programFolder_ = "C:";  // the root of the mapped drive C:
  std::string windowsFolder_ = "C:\\Windows";
  std::map<std::string, std::string> environment_;
  DateTimeSeparators separators_;
};

class RecordingProcesses final : public Processes {
 public:
  struct Start {
    std::string commandLine;  // for RunToEnd and the elevated starts: program and parameters
    bool hidden = false;
    bool wait = false;
    bool whileWaiting = false;  // a hook for the wait was given
    bool elevated = false;      // started through StartElevated or RunElevatedToEnd
    bool toEnd = false;         // started through RunToEnd or RunElevatedToEnd
    StartAs as = StartAs::Self;
    std::string program{};  // RunToEnd and the elevated starts: the program file apart
  };

  // A program that starts and waits is seen to get one round of input while it runs: the
  // hook, when given, is called once after the start handler.
  bool ExecuteProgram(std::string_view commandLine, bool hidden, bool wait,
                      const std::function<void()>& whileWaiting = {}) override {
    starts_.push_back(Start{std::string(commandLine), hidden, wait, static_cast<bool>(whileWaiting)});
    const bool started = onStart_ ? onStart_(starts_.back()) : true;
    if (started && wait && whileWaiting) {
      whileWaiting();
    }
    return started;
  }

  // Records the start as "program parameters" with `elevated` set; it succeeds unless the
  // handler says otherwise, and then fails as a user's refusal of consent does.
  Status StartElevated(std::string_view program, std::string_view parameters) override {
    Start start = Recorded(program, parameters, false, false);
    start.elevated = true;
    starts_.push_back(start);
    if (onStart_ && !onStart_(starts_.back())) {
      return Error(Errc::Cancelled);
    }
    return Status();
  }

  // Recorded as ExecuteProgram records a start that waits; the outcome is the run handler's,
  // else the start handler's (a failed start does not find the program), else a wait for
  // the whole tree that ends with exit code 0. The hook is called once, as the run goes on.
  Result<ProgramEnd> RunToEnd(std::string_view program, std::string_view parameters, StartAs as,
                              const WaitHooks& hooks) override {
    starts_.push_back(Recorded(program, parameters, true, static_cast<bool>(hooks.whileWaiting)));
    starts_.back().as = as;
    return Run(Error(Errc::FileNotFound), hooks);
  }

  // Recorded as StartElevated records; a start handler's refusal is the user's.
  Result<ProgramEnd> RunElevatedToEnd(std::string_view program, std::string_view parameters,
                                      const WaitHooks& hooks) override {
    starts_.push_back(Recorded(program, parameters, true, static_cast<bool>(hooks.whileWaiting)));
    starts_.back().elevated = true;
    return Run(Error(Errc::Cancelled), hooks);
  }

  // What the test says: by default no installation is under way.
  bool InstallerBusy() override { return installerBusy_ ? installerBusy_() : false; }
  void OnInstallerBusy(std::function<bool()> busy) { installerBusy_ = std::move(busy); }

  // The programs the test says are running.
  std::vector<std::string> RunningProgramNames() override { return running_; }
  void SetRunningPrograms(std::vector<std::string> names) { running_ = std::move(names); }

  // Decides whether a start succeeds and may act as the program would (for example delete
  // a registry key as an uninstaller does). Without one, every start succeeds.
  void OnStart(std::function<bool(const Start&)> handler) { onStart_ = std::move(handler); }
  // Decides what a run to the end gives (ElevationRequired, a partial wait, an exit code, a
  // program that runs until the hooks end the wait), in place of the start handler.
  using RunHandler = std::function<Result<ProgramEnd>(const Start&, const WaitHooks&)>;
  void OnRun(RunHandler handler) { onRun_ = std::move(handler); }
  [[nodiscard]] const std::vector<Start>& starts() const { return starts_; }

 private:
  static Start Recorded(std::string_view program, std::string_view parameters, bool toEnd, bool whileWaiting) {
    Start start{std::string(program) + (parameters.empty() ? "" : " ") + std::string(parameters), false, toEnd,
                whileWaiting};
    start.toEnd = toEnd;
    start.program = std::string(program);
    return start;
  }

  Result<ProgramEnd> Run(Error refusal, const WaitHooks& hooks) {
    Result<ProgramEnd> outcome = ProgramEnd{ProgramWait::WholeTree, 0, false};
    if (onRun_) {
      outcome = onRun_(starts_.back(), hooks);
    } else if (onStart_ && !onStart_(starts_.back())) {
      outcome = refusal;
    }
    if (outcome && hooks.whileWaiting) {
      hooks.whileWaiting();
    }
    return outcome;
  }

  std::vector<Start> starts_;
  std::function<bool(const Start&)> onStart_;
  RunHandler onRun_;
  std::function<bool()> installerBusy_;
  std::vector<std::string> running_;
};

}  // namespace sw::platform::host
