#include "platform/win32/system.h"

#include <windows.h>
// windows.h first: sddl.h builds on it.
#include <sddl.h>

#include <vector>

#include "core/unique_handle.h"
#include "core/win_path.h"
#include "platform/win32/handles.h"
#include "platform/win32/tokens.h"
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
  return TokenIsElevated(token).value_or(false);
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

namespace {

// A folder name from one of the system's folder functions (GetSystemDirectoryW and kin).
template <class Query>
std::string FolderFrom(Query query) {
  std::wstring folder(MAX_PATH, L'\0');
  UINT length = query(folder.data(), static_cast<UINT>(folder.size()));
  if (length >= folder.size()) {
    folder.resize(length);
    length = query(folder.data(), static_cast<UINT>(folder.size()));
  }
  folder.resize(length < folder.size() ? length : 0);
  return FromWide(folder);
}

}  // namespace

std::string Win32System::SystemFolder() {
  return FolderFrom(::GetSystemDirectoryW);
}

std::string Win32System::WindowsFolder() {
  return FolderFrom(::GetSystemWindowsDirectoryW);
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

}  // namespace sw::platform::win32
