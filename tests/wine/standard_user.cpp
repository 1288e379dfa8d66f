// Helper program of the Wine tests: runs a command as a standard user would under User
// Account Control.
//   sweepwise-standard-user.exe PROGRAM [ARGS...]
// Wine runs every process with an administrator's elevated token, and has no consent prompt.
// A Windows administrator's programs start with the filtered token linked to it instead:
// not elevated, with Administrators for "deny" checks only. This takes that linked token
// (Wine has it), disables Administrators in it, and starts the rest of its own command line
// with it, sharing its standard handles; the programs it starts inherit the token. It exits
// with the command's exit code, or 125 when the command could not be started.

#include <windows.h>

#include <cstdio>
#include <string>

#include "core/unique_handle.h"
#include "platform/win32/handles.h"

namespace {

using sw::UniqueHandle;
using sw::platform::win32::UniqueKernelHandle;

constexpr int kNotStarted = 125;

struct SidTraits {
  using Handle = PSID;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle sid) { ::FreeSid(sid); }
};

// The command line after this program's own name, as it was given.
const wchar_t* CommandAfterOwnName() {
  const wchar_t* line = ::GetCommandLineW();
  if (*line == L'"') {
    ++line;
    while (*line != L'\0' && *line != L'"') {
      ++line;
    }
    if (*line == L'"') {
      ++line;
    }
  } else {
    while (*line != L'\0' && *line != L' ' && *line != L'\t') {
      ++line;
    }
  }
  while (*line == L' ' || *line == L'\t') {
    ++line;
  }
  return line;
}

// The token a standard user's programs run with; null (and a message) when there is none.
UniqueKernelHandle StandardUserToken() {
  HANDLE own = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &own)) {
    std::fprintf(stderr, "standard-user: OpenProcessToken failed (%lu)\n", ::GetLastError());
    return {};
  }
  const UniqueKernelHandle ownToken(own);
  TOKEN_LINKED_TOKEN linked{};
  DWORD size = 0;
  if (!::GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) {
    std::fprintf(stderr, "standard-user: no linked token (%lu)\n", ::GetLastError());
    return {};
  }
  const UniqueKernelHandle linkedToken(linked.LinkedToken);
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  UniqueHandle<SidTraits> administrators;
  if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, administrators.put())) {
    return {};
  }
  SID_AND_ATTRIBUTES disabled{administrators.get(), 0};
  HANDLE restricted = nullptr;
  if (!::CreateRestrictedToken(linked.LinkedToken, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted)) {
    std::fprintf(stderr, "standard-user: CreateRestrictedToken failed (%lu)\n", ::GetLastError());
    return {};
  }
  return UniqueKernelHandle(restricted);
}

}  // namespace

int wmain() {
  // CreateProcessAsUserW may write into the command line.
  std::wstring command = CommandAfterOwnName();
  if (command.empty()) {
    std::fprintf(stderr, "usage: sweepwise-standard-user.exe PROGRAM [ARGS...]\n");
    return kNotStarted;
  }
  const UniqueKernelHandle token = StandardUserToken();
  if (!token) {
    return kNotStarted;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  const DWORD kinds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  HANDLE* targets[] = {&startup.hStdInput, &startup.hStdOutput, &startup.hStdError};
  for (int i = 0; i < 3; ++i) {
    *targets[i] = ::GetStdHandle(kinds[i]);
    ::SetHandleInformation(*targets[i], HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
  PROCESS_INFORMATION process{};
  if (!::CreateProcessAsUserW(token.get(), nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              &startup, &process)) {
    std::fprintf(stderr, "standard-user: cannot start %ls (%lu)\n", command.c_str(), ::GetLastError());
    return kNotStarted;
  }
  const UniqueKernelHandle child(process.hProcess);
  const UniqueKernelHandle thread(process.hThread);
  ::WaitForSingleObject(child.get(), INFINITE);
  DWORD code = kNotStarted;
  ::GetExitCodeProcess(child.get(), &code);
  return static_cast<int>(code);
}
