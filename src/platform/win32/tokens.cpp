#include "platform/win32/tokens.h"

// windows.h (through tokens.h) first: userenv.h builds on it.
#include <userenv.h>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace sw::platform::win32 {
namespace {

// An environment block made for a token.
struct EnvironmentTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle block) { ::DestroyEnvironmentBlock(block); }
};

// The token of the process that owns the desktop's shell window (Explorer), for duplicating.
Result<UniqueKernelHandle> ShellToken() {
  const HWND shell = ::GetShellWindow();
  DWORD processId = 0;
  if (shell == nullptr || ::GetWindowThreadProcessId(shell, &processId) == 0 || processId == 0) {
    return Error(Errc::InvalidWindowHandle);
  }
  const UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) {
    return LastError();
  }
  HANDLE token = nullptr;
  if (!::OpenProcessToken(process.get(), TOKEN_QUERY | TOKEN_DUPLICATE, &token)) {
    return LastError();
  }
  return UniqueKernelHandle(token);
}

// The program is ended before it ran, and the start counts as refused.
Status Discard(PROCESS_INFORMATION& process) {
  ::TerminateProcess(process.hProcess, ERROR_ACCESS_DENIED);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  process = PROCESS_INFORMATION{};
  return Error(Errc::AccessDenied);
}

}  // namespace

std::optional<bool> TokenIsElevated(HANDLE token) {
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) {
    return std::nullopt;
  }
  return elevation.TokenIsElevated != 0;
}

Status CreateSuspendedAsDesktopUser(const std::wstring& application, std::wstring& commandLine,
                                    STARTUPINFOW& startup, PROCESS_INFORMATION& process) {
  auto shellToken = ShellToken();
  if (!shellToken) {
    return shellToken.error();
  }
  // A shell that runs elevated (User Account Control switched off, or an administrator's
  // own Explorer started elevated) has no lesser rights to lend.
  if (TokenIsElevated(shellToken->get()).value_or(true)) {
    return Error(Errc::AccessDenied);
  }
  HANDLE duplicate = nullptr;
  if (!::DuplicateTokenEx(shellToken->get(), TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY |
                                                 TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID,
                          nullptr, SecurityImpersonation, TokenPrimary, &duplicate)) {
    return LastError();
  }
  const UniqueKernelHandle token(duplicate);
  UniqueHandle<EnvironmentTraits> environment;
  if (!::CreateEnvironmentBlock(environment.put(), token.get(), FALSE)) {
    environment.reset();  // the program then gets ours, which is the same user's
  }
  const DWORD flags = CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT | NORMAL_PRIORITY_CLASS;
  // CreateProcessAsUserW needs a privilege an administrator's programs do not hold for a token
  // that is not one of their own; CreateProcessWithTokenW needs the one they do hold
  // (impersonation). Wine's CreateProcessWithTokenW starts the program with the caller's
  // token whatever is given, so the one that honours the token comes first, and the token the
  // program got is checked below either way.
  BOOL started = ::CreateProcessAsUserW(token.get(), application.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                        flags, environment.get(), nullptr, &startup, &process);
  if (!started && ::GetLastError() == ERROR_PRIVILEGE_NOT_HELD) {
    started = ::CreateProcessWithTokenW(token.get(), 0, application.c_str(), commandLine.data(), flags,
                                        environment.get(), nullptr, &startup, &process);
  }
  if (!started) {
    return LastError();
  }
  HANDLE childToken = nullptr;
  if (!::OpenProcessToken(process.hProcess, TOKEN_QUERY, &childToken)) {
    return Discard(process);
  }
  const UniqueKernelHandle ownedChildToken(childToken);
  if (TokenIsElevated(childToken).value_or(true)) {
    return Discard(process);
  }
  return Status();
}

}  // namespace sw::platform::win32
