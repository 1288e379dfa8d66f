// Helper program of the Wine tests: a program that installs itself into every place programs
// use, and an uninstaller that, as many do, removes only its entry and its main program.
//
//   sweepwise-leftover-fixture.exe install NAME PUBLISHER VERSION SUBKEY [--task]
//     %ProgramFiles%\PUBLISHER\NAME: NAME.exe (the main program) and uninstall.exe (copies of
//       this program), plugins\plugin.dll, readme.txt
//     %APPDATA%\PUBLISHER\NAME\settings.ini, %LOCALAPPDATA%\NAME\cache\cache.bin,
//     %ProgramData%\NAME\shared.dat
//     the Start menu's NAME\NAME.lnk and the desktop's NAME.lnk, both to NAME.exe
//     HKEY_CURRENT_USER\Software\PUBLISHER\NAME (a value of each type, and a subkey),
//     HKEY_LOCAL_MACHINE\Software\NAME in the 32-bit view
//     the Run value "NAME Agent", the file type NAME.Document with the extension .NAME
//       (blanks left out), and with --task the scheduled task \PUBLISHER\NAME Update
//     the entry SUBKEY of the machine's uninstall key (a program in Program Files is
//       installed for every user): "NAME VERSION (64-bit)", its install
//       location, icon and uninstaller ("uninstall.exe uninstall SUBKEY NAME.exe")
//   sweepwise-leftover-fixture.exe uninstall SUBKEY MAIN
//     deletes the entry SUBKEY and MAIN beside itself; nothing else.
// Exit status 0 when everything was made (or removed), 1 otherwise.

#include <windows.h>
// windows.h first: the shell headers build on it.
#include <objidl.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/com_scope.h"
#include "platform/win32/handles.h"
#include "platform/win32/registry.h"
#include "platform/win32/scheduled_tasks.h"
#include "platform/win32/wide.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "uninstall/software_sources.h"

namespace {

using sw::platform::RegView;
using sw::platform::RootKey;
using sw::platform::win32::FromWide;
using sw::platform::win32::ToWide;

std::string Folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? FromWide(path)
                                                                                          : std::string();
}

std::string Self() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return FromWide(path);
}

bool MakeFolders(const std::string& folder) {
  return ::SHCreateDirectoryExW(nullptr, ToWide(folder).c_str(), nullptr) == ERROR_SUCCESS ||
         ::GetLastError() == ERROR_ALREADY_EXISTS || ::GetFileAttributesW(ToWide(folder).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteFile(const std::string& path, const std::string& contents) {
  const std::size_t slash = path.find_last_of('\\');
  if (!MakeFolders(path.substr(0, slash))) {
    return false;
  }
  FILE* file = _wfopen(ToWide(path).c_str(), L"wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
  return std::fclose(file) == 0 && written;
}

bool MakeShortcut(const std::string& shortcut, const std::string& target) {
  const std::size_t slash = shortcut.find_last_of('\\');
  if (!MakeFolders(shortcut.substr(0, slash))) {
    return false;
  }
  const sw::platform::win32::ComScope com;
  sw::platform::win32::ComPtr<IShellLinkW> link;
  sw::platform::win32::ComPtr<IPersistFile> file;
  return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      reinterpret_cast<void**>(link.put()))) &&
         SUCCEEDED(link.get()->SetPath(ToWide(target).c_str())) &&
         SUCCEEDED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))) &&
         SUCCEEDED(file.get()->Save(ToWide(shortcut).c_str(), TRUE));
}

bool SetValue(RootKey root, RegView view, const std::string& key, const std::string& name, std::uint32_t type,
              const sw::Bytes& data) {
  sw::platform::win32::Win32Registry registry;
  auto top = registry.OpenRootView(root, view);
  auto made = top ? (*top)->Create(key) : decltype((*top)->Create(key))(top.error());
  return made && (*made)->Set(name, type, data);
}

bool SetText(RootKey root, const std::string& key, const std::string& name, const std::string& text,
             std::uint32_t type = sw::platform::kRegSz) {
  return SetValue(root, RegView::Own, key, name, type, sw::reg::EncodeRegText(text, true));
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

std::string WithoutBlanks(std::string text) {
  std::erase(text, ' ');
  return text;
}

std::string TaskDefinition(const std::string& program) {
  return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
         "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
         "  <RegistrationInfo><Description>Looks for updates of the fixture</Description></RegistrationInfo>\n"
         "  <Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>\n"
         "  <Settings><Enabled>true</Enabled></Settings>\n"
         "  <Actions Context=\"Author\"><Exec><Command>" +
         program + "</Command><Arguments>/update</Arguments></Exec></Actions>\n</Task>\n";
}

// Bytes of every value, so that a restore that drops or changes one shows.
std::string BinaryContents() {
  std::string bytes;
  for (int i = 0; i < 4096; ++i) {
    bytes += static_cast<char>((i * 7 + 3) & 0xFF);
  }
  return bytes;
}

bool Install(const std::string& name, const std::string& publisher, const std::string& version,
             const std::string& subkey, bool task) {
  const std::string folder = Folder(CSIDL_PROGRAM_FILES) + "\\" + publisher + "\\" + name;
  const std::string main = folder + "\\" + name + ".exe";
  bool ok = MakeFolders(folder) && ::CopyFileW(ToWide(Self()).c_str(), ToWide(main).c_str(), FALSE) &&
            ::CopyFileW(ToWide(Self()).c_str(), ToWide(folder + "\\uninstall.exe").c_str(), FALSE);
  ok = ok && WriteFile(folder + "\\plugins\\plugin.dll", BinaryContents());
  ok = ok && WriteFile(folder + "\\readme.txt", "Read me first.\r\n");
  ok = ok && WriteFile(Folder(CSIDL_APPDATA) + "\\" + publisher + "\\" + name + "\\settings.ini", "[ui]\r\ntheme=dark\r\n");
  ok = ok && WriteFile(Folder(CSIDL_LOCAL_APPDATA) + "\\" + name + "\\cache\\cache.bin", BinaryContents());
  ok = ok && WriteFile(Folder(CSIDL_COMMON_APPDATA) + "\\" + name + "\\shared.dat", "shared by every user");
  ok = ok && MakeShortcut(Folder(CSIDL_PROGRAMS) + "\\" + name + "\\" + name + ".lnk", main);
  ok = ok && MakeShortcut(Folder(CSIDL_DESKTOPDIRECTORY) + "\\" + name + ".lnk", main);

  const std::string own = "Software\\" + publisher + "\\" + name;
  ok = ok && SetText(RootKey::CurrentUser, own, "InstallDir", folder);
  ok = ok && SetText(RootKey::CurrentUser, own, "Recent", std::string("a.doc\0b.doc\0", 12), sw::platform::kRegMultiSz);
  ok = ok && SetValue(RootKey::CurrentUser, RegView::Own, own, "Window", sw::platform::kRegDword, {0x2A, 0, 0, 0});
  ok = ok && SetValue(RootKey::CurrentUser, RegView::Own, own, "Blob", sw::platform::kRegBinary,
                      sw::Bytes{0x00, 0xFF, 0x10, 0x22});
  ok = ok && SetText(RootKey::CurrentUser, own + "\\Options", "Cache", "%LOCALAPPDATA%\\" + name, sw::platform::kRegExpandSz);
  ok = ok && SetValue(RootKey::LocalMachine, RegView::Bits32, "Software\\" + name, "Licence", sw::platform::kRegSz,
                      sw::reg::EncodeRegText("trial", true));
  ok = ok && SetText(RootKey::CurrentUser, R"(Software\Microsoft\Windows\CurrentVersion\Run)", name + " Agent",
                     Quoted(main) + " --background");
  const std::string type = WithoutBlanks(name) + ".Document";
  ok = ok && SetText(RootKey::CurrentUser, "Software\\Classes\\" + type + "\\shell\\open\\command", "",
                     Quoted(main) + " \"%1\"");
  ok = ok && SetText(RootKey::CurrentUser, "Software\\Classes\\." + WithoutBlanks(name), "", type);
  if (task) {
    sw::platform::win32::Win32ScheduledTasks tasks;
    ok = ok && tasks.Register("\\" + publisher + "\\" + name + " Update", TaskDefinition(main));
  }

  const std::string entry = std::string(sw::uninstall::kUninstallKey) + "\\" + subkey;
  ok = ok && SetText(RootKey::LocalMachine, entry, "DisplayName", name + " " + version + " (64-bit)");
  ok = ok && SetText(RootKey::LocalMachine, entry, "DisplayVersion", version);
  ok = ok && SetText(RootKey::LocalMachine, entry, "Publisher", publisher);
  ok = ok && SetText(RootKey::LocalMachine, entry, "InstallLocation", folder);
  ok = ok && SetText(RootKey::LocalMachine, entry, "DisplayIcon", main + ",0");
  ok = ok && SetText(RootKey::LocalMachine, entry, "UninstallString",
                     Quoted(folder + "\\uninstall.exe") + " uninstall " + Quoted(subkey) + " " + Quoted(name + ".exe"));
  return ok;
}

bool Uninstall(const std::string& subkey, const std::string& mainName) {
  sw::platform::win32::Win32Registry registry;
  auto root = registry.OpenRoot(RootKey::LocalMachine);
  auto parent = root ? (*root)->Open(sw::uninstall::kUninstallKey, sw::platform::RegAccess::ReadWrite)
                     : decltype((*root)->Open("", sw::platform::RegAccess::Read))(root.error());
  const std::string self = Self();
  const std::string main = self.substr(0, self.find_last_of('\\')) + "\\" + mainName;
  return parent && sw::reg::DeleteKeyTree(**parent, subkey) && ::DeleteFileW(ToWide(main).c_str());
}

int Run(const std::vector<std::string>& args) {
  if (args.size() >= 6 && args[1] == "install") {
    const bool task = args.size() == 7 && args[6] == "--task";
    return Install(args[2], args[3], args[4], args[5], task) ? 0 : 1;
  }
  if (args.size() == 4 && args[1] == "uninstall") {
    return Uninstall(args[2], args[3]) ? 0 : 1;
  }
  std::fprintf(stderr, "usage: install NAME PUBLISHER VERSION SUBKEY [--task] | uninstall SUBKEY MAIN\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    args.push_back(FromWide(argv[i]));
  }
  return Run(args);
}
