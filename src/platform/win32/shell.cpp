#include "platform/win32/shell.h"

#include <windows.h>
// windows.h first: the shell headers build on it.
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/com_scope.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace sw::platform::win32 {

std::string Win32Shell::ResolveLink(std::string_view path) {
  const ComScope com;
  ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.put())))) {
    return std::string(kUnresolvedLink);
  }
  ComPtr<IPersistFile> file;
  if (FAILED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))) ||
      FAILED(file.get()->Load(ToFilePath(path).c_str(), STGM_READ))) {
    return std::string(kUnresolvedLink);
  }
  // Targets are paths of the classic length; the shell's own limit.
  wchar_t target[MAX_PATH + 1] = {};
  if (FAILED(link.get()->GetPath(target, MAX_PATH + 1, nullptr, SLGP_UNCPRIORITY))) {
    return std::string(kUnresolvedLink);
  }
  return FromWide(target);
}

bool Win32Shell::OpenDocument(std::string_view target) {
  // ShellExecute answers a number above 32 for success.
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", ToWide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace sw::platform::win32
