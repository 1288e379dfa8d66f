// Program starts through kernel32 and shell32: plain, with consent, as the desktop's user, and
// the waits for them.

#include <windows.h>
// windows.h first: shellapi.h and tlhelp32.h build on it.
#include <shellapi.h>
#include <tlhelp32.h>

#include "platform/win32/handles.h"
#include "platform/win32/system.h"
#include "platform/win32/tokens.h"
#include "platform/win32/wide.h"

namespace sw::platform::win32 {
namespace {

// How often a program that has not become idle for input yet is asked again, while the
// messages of this thread are let through.
constexpr DWORD kIdleSliceMs = 50;

// Waits for the end of `process` while `whileWaiting` handles this thread's messages. The
// idle wait comes first, as in the plain wait, but in short slices: WaitForInputIdle cannot
// watch the message queue itself. A console program, or one that never reads input, ends
// the idle phase at once or when it ends.
void WaitLettingMessagesThrough(HANDLE process, const std::function<void()>& whileWaiting) {
  bool idle = false;
  for (;;) {
    if (!idle) {
      idle = ::WaitForInputIdle(process, 0) != WAIT_TIMEOUT;
    }
    // Without MWMO_INPUTAVAILABLE: only input that arrived since the queue was last looked
    // at wakes us, so a hook that leaves something behind cannot make this loop spin.
    const DWORD woken = ::MsgWaitForMultipleObjects(1, &process, FALSE, idle ? INFINITE : kIdleSliceMs, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0 + 1) {
      whileWaiting();
    } else if (woken != WAIT_TIMEOUT) {
      return;  // the program ended, or the wait failed
    }
  }
}

// How often a run to the end looks whether its programs have ended and whether to go on.
constexpr DWORD kPollMs = 100;

// A program started with the window shown and the feedback cursor, as the user would start it.
STARTUPINFOW ShownStartup() {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
  startup.wShowWindow = SW_SHOWNORMAL;
  return startup;
}

// The programs of the job that still run; 0 when the job cannot be asked (nothing is left to
// wait for then).
DWORD ActiveProcesses(HANDLE job) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
  if (!::QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                   nullptr)) {
    return 0;
  }
  return accounting.ActiveProcesses;
}

// Waits until the job's last program has ended (with a job) or the process has ended
// (without), letting this thread's messages through and asking the hooks whether to go on.
// A job is never signalled by its end, and its notifications are not guaranteed to arrive:
// its count is what tells. False when the hooks ended the wait.
bool WaitToEnd(HANDLE process, HANDLE job, const WaitHooks& hooks) {
  for (;;) {
    const bool ended = job != nullptr ? ActiveProcesses(job) == 0 : ::WaitForSingleObject(process, 0) != WAIT_TIMEOUT;
    if (ended) {
      return true;
    }
    if (hooks.keepWaiting && !hooks.keepWaiting()) {
      return false;
    }
    // Without a job the process's own end wakes the wait at once.
    const DWORD count = job != nullptr ? 0 : 1;
    if (!hooks.whileWaiting) {
      if (job != nullptr) {
        ::Sleep(kPollMs);
      } else {
        ::WaitForSingleObject(process, kPollMs);
      }
      continue;
    }
    const DWORD woken = ::MsgWaitForMultipleObjects(count, &process, FALSE, kPollMs, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0 + count) {
      hooks.whileWaiting();
    } else if (woken == WAIT_FAILED) {
      ::Sleep(kPollMs);
    }
  }
}

// The end of a run: how far it was followed and, once the program ended, its exit code.
ProgramEnd EndOf(HANDLE process, HANDLE job, ProgramWait followed, const WaitHooks& hooks) {
  ProgramEnd end;
  end.followed = followed;
  if (!WaitToEnd(process, job, hooks)) {
    end.abandoned = true;
    return end;
  }
  // The job can be empty a moment before the program's own handle is signalled.
  ::WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  if (::GetExitCodeProcess(process, &code)) {
    end.exitCode = code;
  }
  return end;
}

// A job for the programs of one run. Without breakaway, whatever they start is in it too;
// without kill-on-close, closing Sweepwise never ends an uninstaller halfway.
UniqueKernelHandle MakeJob() {
  return UniqueKernelHandle(::CreateJobObjectW(nullptr, nullptr));
}

// "program" parameters: the program quoted, so that its name is never read as shorter.
std::wstring CommandLineOf(const std::wstring& program, std::string_view parameters) {
  std::wstring line = L"\"" + program + L"\"";
  if (!parameters.empty()) {
    line += L" " + ToWide(parameters);
  }
  return line;
}

// The shell's "runas" start of `file` (the consent prompt), its window shown. The strings must
// outlive the call.
SHELLEXECUTEINFOW RunAs(const std::wstring& file, const std::wstring& arguments, ULONG mask) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = mask | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
  info.nShow = SW_SHOWNORMAL;
  return info;
}

}  // namespace

Result<ProgramEnd> Win32Processes::RunToEnd(std::string_view program, std::string_view parameters, StartAs as,
                                            const WaitHooks& hooks) {
  // Wine starts its desktop process from the first program of a session that needs one; were
  // that a program of the job, the job would never empty. Ours is there before the job is.
  (void)::GetDesktopWindow();
  const UniqueKernelHandle job = MakeJob();
  STARTUPINFOW startup = ShownStartup();
  PROCESS_INFORMATION process{};
  // The program is named apart from its parameters, so the system searches no folder for it
  // (the current folder and this program's own come before System32 otherwise) and never
  // tries the first words of an unquoted path with blanks as a program of their own.
  const std::wstring application = ToWide(program);
  std::wstring line = CommandLineOf(application, parameters);
  if (as == StartAs::DesktopUser) {
    if (const Status started = CreateSuspendedAsDesktopUser(application, line, startup, process); !started) {
      return started.error();
    }
  } else if (!::CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE,
                               NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED, nullptr, nullptr, &startup, &process)) {
    return LastError();
  }
  const UniqueKernelHandle processHandle(process.hProcess);
  const UniqueKernelHandle threadHandle(process.hThread);
  // Assigned while suspended: nothing it starts can escape the job. A program that is in a
  // job of its own already (ours, on systems before Windows 8) cannot join this one.
  const bool inJob = job && ::AssignProcessToJobObject(job.get(), process.hProcess);
  ::ResumeThread(process.hThread);
  return inJob ? EndOf(process.hProcess, job.get(), ProgramWait::WholeTree, hooks)
               : EndOf(process.hProcess, nullptr, ProgramWait::ProgramOnly, hooks);
}

Result<ProgramEnd> Win32Processes::RunElevatedToEnd(std::string_view program, std::string_view parameters,
                                                    const WaitHooks& hooks) {
  (void)::GetDesktopWindow();
  const std::wstring file = ToWide(program);
  const std::wstring arguments = ToWide(parameters);
  SHELLEXECUTEINFOW info = RunAs(file, arguments, SEE_MASK_NOCLOSEPROCESS);
  if (!::ShellExecuteExW(&info)) {
    return LastError();
  }
  if (info.hProcess == nullptr) {
    return ProgramEnd{ProgramWait::NotAtAll, std::nullopt, false};  // handed to a program already running
  }
  const UniqueKernelHandle processHandle(info.hProcess);
  // A program of higher rights usually refuses to join our job; where it does join, it has
  // run for a moment outside it already, so only what it starts from now on is followed.
  const UniqueKernelHandle job = MakeJob();
  if (job && ::AssignProcessToJobObject(job.get(), info.hProcess)) {
    return EndOf(info.hProcess, job.get(), ProgramWait::WholeTree, hooks);
  }
  return EndOf(info.hProcess, nullptr, ProgramWait::ProgramOnly, hooks);
}

bool Win32Processes::InstallerBusy() {
  // Windows Installer holds the mutex while it runs an execute sequence (the part that changes
  // the system). It is in the global namespace, seen from every session.
  const UniqueKernelHandle mutex(::OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\_MSIExecute"));
  if (!mutex) {
    return false;  // no installation, or one this user may not see
  }
  const DWORD state = ::WaitForSingleObject(mutex.get(), 0);
  if (state == WAIT_OBJECT_0 || state == WAIT_ABANDONED) {
    ::ReleaseMutex(mutex.get());  // free: taken for a moment only to look
    return false;
  }
  return state == WAIT_TIMEOUT;
}

Status Win32Processes::StartElevated(std::string_view program, std::string_view parameters) {
  const std::wstring file = ToWide(program);
  const std::wstring arguments = ToWide(parameters);
  SHELLEXECUTEINFOW info = RunAs(file, arguments, 0);
  if (!::ShellExecuteExW(&info)) {
    return LastError();
  }
  return Status();
}

bool Win32Processes::ExecuteProgram(std::string_view commandLine, bool hidden, bool wait,
                                    const std::function<void()>& whileWaiting) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
  startup.wShowWindow = hidden ? SW_HIDE : SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  std::wstring line = ToWide(commandLine);  // CreateProcessW may write into the command line
  line.push_back(L'\0');
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &process)) {
    return false;
  }
  const UniqueKernelHandle processHandle(process.hProcess);
  const UniqueKernelHandle threadHandle(process.hThread);
  if (wait && whileWaiting) {
    WaitLettingMessagesThrough(process.hProcess, whileWaiting);
  } else if (wait) {
    ::WaitForInputIdle(process.hProcess, INFINITE);
    ::WaitForSingleObject(process.hProcess, INFINITE);
  }
  return true;
}

std::vector<std::string> Win32Processes::RunningProgramNames() {
  std::vector<std::string> names;
  // A snapshot fails as a file does, with INVALID_HANDLE_VALUE.
  const UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) {
    return names;
  }
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    names.push_back(FromWide(entry.szExeFile));
  }
  return names;
}

}  // namespace sw::platform::win32
