#include "platform/win32/system.h"

#include <windows.h>
// windows.h first: sddl.h and shellapi.h build on it.
#include <sddl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <vector>

#include "core/unique_handle.h"
#include "core/win_path.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace sw::platform::win32 {
namespace {

struct SidTraits {
  using Handle = PSID;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle sid) { ::FreeSid(sid); }
};

}  // namespace

VersionRecord Win32System::Version() {
  // GetVersionExW reports what the program is made to believe (its manifest, a compatibility
  // mode, Wine's version setting), which is the version it should act on.
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!::GetVersionExW(&info)) {
    return VersionRecord{};
  }
  return VersionRecord{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

namespace {

// Vista and later: whether the process runs elevated. Under User Account Control even an
// administrator's programs run with a filtered token unless consent was given.
bool ProcessIsElevated() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
    return false;
  }
  const UniqueKernelHandle owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated != 0;
}

}  // namespace

bool Win32System::IsAdmin() {
  if (const VersionRecord version = Version(); version.platformId == kPlatformNt && version.major >= 6) {
    return ProcessIsElevated();
  }
  // CheckTokenMembership reads the thread's token, or the process's when the thread has
  // none, and counts the group only when it is enabled: under User Account Control an
  // administrator's unelevated token lists Administrators for "deny" checks only, and such
  // a program cannot write where an administrator can.
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  UniqueHandle<SidTraits> administrators;
  if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, administrators.put())) {
    return false;
  }
  BOOL member = FALSE;
  return ::CheckTokenMembership(nullptr, administrators.get(), &member) && member;
}

Result<std::string> Win32System::CurrentUserSid() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
    return LastError();
  }
  const UniqueKernelHandle owned(token);
  std::vector<std::uint8_t> buffer(256);
  for (;;) {
    DWORD needed = 0;
    if (::GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &needed)) {
      break;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) {
      return LastError();
    }
    buffer.resize(needed);
  }
  LPWSTR text = nullptr;
  if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    return LastError();
  }
  std::string sid = FromWide(text);
  ::LocalFree(text);
  return sid;
}

FileTime Win32System::LocalTimeOf(FileTime utc) {
  const FILETIME in = ToFiletime(utc);
  FILETIME out{};
  return ::FileTimeToLocalFileTime(&in, &out) ? FileTimeOf(out) : utc;
}

FileTime Win32System::UtcTimeOf(FileTime local) {
  const FILETIME in = ToFiletime(local);
  FILETIME out{};
  return ::LocalFileTimeToFileTime(&in, &out) ? FileTimeOf(out) : local;
}

Result<std::string> Win32System::ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      return LastError();
    }
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // truncated: the path is longer than the buffer
  }
  const std::string program = FromWide(path);
  std::string folder(ParentPathOf(program.starts_with(R"(\\?\)") ? program.substr(4) : program));
  if (folder.ends_with('\\')) {
    folder.pop_back();  // a program at a drive's root: "C:"
  }
  return folder;
}

std::string Win32System::ExpandEnvironment(std::string_view text) {
  const std::wstring wide = ToWide(text);
  std::wstring expanded(wide.size() + 64, L'\0');
  for (;;) {
    const DWORD length = ::ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
    if (length == 0) {
      return std::string(text);
    }
    if (length <= expanded.size()) {
      expanded.resize(length - 1);  // the count includes the terminating zero
      return FromWide(expanded);
    }
    expanded.resize(length);
  }
}

namespace {

std::string LocaleText(LCTYPE type, const char* fallback) {
  wchar_t text[16] = {};
  return ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 16) > 0 ? FromWide(text) : std::string(fallback);
}

}  // namespace

DateTimeSeparators Win32System::Separators() {
  return DateTimeSeparators{LocaleText(LOCALE_SDATE, "/"), LocaleText(LOCALE_STIME, ":")};
}

namespace {

SYSTEMTIME SystemTimeOf(const CalendarTime& time) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(time.year);
  st.wMonth = static_cast<WORD>(time.month);
  st.wDay = static_cast<WORD>(time.day);
  st.wHour = static_cast<WORD>(time.hour);
  st.wMinute = static_cast<WORD>(time.minute);
  st.wSecond = static_cast<WORD>(time.second);
  return st;
}

}  // namespace

std::string Win32System::ShortDateText(const CalendarTime& time) {
  const SYSTEMTIME st = SystemTimeOf(time);
  wchar_t text[128] = {};
  return ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, 128) > 0 ? FromWide(text)
                                                                                            : std::string();
}

std::string Win32System::LongTimeText(const CalendarTime& time) {
  const SYSTEMTIME st = SystemTimeOf(time);
  wchar_t text[128] = {};
  return ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, text, 128) > 0 ? FromWide(text) : std::string();
}

std::optional<std::string> Win32System::ToAnsi(std::string_view utf8) {
  const std::wstring wide = ToWide(utf8);
  if (wide.empty()) {
    return std::string();
  }
  BOOL usedDefault = FALSE;
  const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) {
    return std::nullopt;
  }
  std::string ansi(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), ansi.data(), length,
                        nullptr, &usedDefault);
  return usedDefault ? std::nullopt : std::optional(std::move(ansi));
}

std::string Win32System::FromAnsi(std::string_view ansi) {
  if (ansi.empty()) {
    return {};
  }
  const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
  return FromWide(wide);
}

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

// How often a job is asked whether any of its programs still runs.
constexpr DWORD kJobPollMs = 100;

// A program started with the window shown and the feedback cursor, as the user would start it.
STARTUPINFOW ShownStartup() {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
  startup.wShowWindow = SW_SHOWNORMAL;
  return startup;
}

void WaitForProcess(HANDLE process, const std::function<void()>& whileWaiting) {
  if (whileWaiting) {
    WaitLettingMessagesThrough(process, whileWaiting);
  } else {
    ::WaitForInputIdle(process, INFINITE);
    ::WaitForSingleObject(process, INFINITE);
  }
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

// Polls the job until its last program has ended. A job is never signalled by that, and
// its notifications are not guaranteed to arrive: the count is what tells.
void WaitForJob(HANDLE job, const std::function<void()>& whileWaiting) {
  while (ActiveProcesses(job) > 0) {
    if (!whileWaiting) {
      ::Sleep(kJobPollMs);
      continue;
    }
    const DWORD woken = ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kJobPollMs, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) {
      whileWaiting();
    } else if (woken == WAIT_FAILED) {
      ::Sleep(kJobPollMs);
    }
  }
}

// A job for the programs of one run. Without breakaway, whatever they start is in it too;
// without kill-on-close, closing Sweepwise never ends an uninstaller halfway.
UniqueKernelHandle MakeJob() {
  return UniqueKernelHandle(::CreateJobObjectW(nullptr, nullptr));
}

}  // namespace

Result<ProgramWait> Win32Processes::RunToEnd(std::string_view commandLine,
                                             const std::function<void()>& whileWaiting) {
  // Wine starts its desktop process from the first program of a session that needs one; were
  // that a program of the job, the job would never empty. Ours is there before the job is.
  (void)::GetDesktopWindow();
  const UniqueKernelHandle job = MakeJob();
  STARTUPINFOW startup = ShownStartup();
  PROCESS_INFORMATION process{};
  std::wstring line = ToWide(commandLine);  // CreateProcessW may write into the command line
  line.push_back(L'\0');
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &process)) {
    return LastError();
  }
  const UniqueKernelHandle processHandle(process.hProcess);
  const UniqueKernelHandle threadHandle(process.hThread);
  // Assigned while suspended: nothing it starts can escape the job. A program that is in a
  // job of its own already (ours, on systems before Windows 8) cannot join this one.
  const bool inJob = job && ::AssignProcessToJobObject(job.get(), process.hProcess);
  ::ResumeThread(process.hThread);
  if (!inJob) {
    WaitForProcess(process.hProcess, whileWaiting);
    return ProgramWait::ProgramOnly;
  }
  WaitForJob(job.get(), whileWaiting);
  return ProgramWait::WholeTree;
}

Result<ProgramWait> Win32Processes::RunElevatedToEnd(std::string_view program, std::string_view parameters,
                                                     const std::function<void()>& whileWaiting) {
  (void)::GetDesktopWindow();
  const std::wstring file = ToWide(program);
  const std::wstring arguments = ToWide(parameters);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&info)) {
    return LastError();
  }
  if (info.hProcess == nullptr) {
    return ProgramWait::NotAtAll;  // the shell handed the start to a program already running
  }
  const UniqueKernelHandle processHandle(info.hProcess);
  // A program of higher rights usually refuses to join our job; where it does join, it has
  // run for a moment outside it already, so only what it starts from now on is followed.
  const UniqueKernelHandle job = MakeJob();
  if (job && ::AssignProcessToJobObject(job.get(), info.hProcess)) {
    WaitForJob(job.get(), whileWaiting);
    return ProgramWait::WholeTree;
  }
  WaitForProcess(info.hProcess, whileWaiting);
  return ProgramWait::ProgramOnly;
}

Status Win32Processes::StartElevated(std::string_view program, std::string_view parameters) {
  const std::wstring file = ToWide(program);
  const std::wstring arguments = ToWide(parameters);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
  info.nShow = SW_SHOWNORMAL;
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
