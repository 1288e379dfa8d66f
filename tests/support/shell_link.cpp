#include "support/shell_link.h"

#include <windows.h>
// windows.h first: the shell headers build on it.
#include <gtest/gtest.h>
#include <objidl.h>
#include <shlobj.h>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace sw::test {

using platform::win32::ToWide;

void MakeShortcut(const std::string& shortcut, const std::string& target) {
  ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    platform::win32::ComPtr<IShellLinkW> link;
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                             reinterpret_cast<void**>(link.put()))));
    ASSERT_TRUE(SUCCEEDED(link.get()->SetPath(ToWide(target).c_str())));
    platform::win32::ComPtr<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))));
    ASSERT_TRUE(SUCCEEDED(file.get()->Save(ToWide(shortcut).c_str(), TRUE)));
  }
  ::CoUninitialize();
}

}  // namespace sw::test
