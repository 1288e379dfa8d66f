#pragma once
// The fixture program of the Wine tests (tests/wine/leftover_fixture.cpp), installed under a
// name of this test process's own, run to its uninstaller, and cleared away whole when the
// test ends, whatever the test removed or brought back meanwhile.

#include <windows.h>
// windows.h first: the shell headers build on it.
#include <shlobj.h>

#include <filesystem>
#include <string>

#include "platform/processes.h"
#include "platform/win32/registry.h"
#include "platform/win32/scheduled_tasks.h"
#include "platform/win32/wide.h"
#include "registry/registry_paths.h"
#include "support/temp_folder.h"
#include "uninstall/software_sources.h"

namespace sw::test {

class FixtureProgram {
 public:
  // "Leftover Fixture Bcde": the process number in letters, as digits would read as a version.
  FixtureProgram(const std::string& base, const std::string& publisherBase)
      : name(base + " " + Letters()), publisher(publisherBase + " " + Letters()) {}
  // A second program of the same publisher as `sibling`, in the same publisher's folders.
  FixtureProgram(const std::string& base, const FixtureProgram& sibling)
      : name(base + " " + Letters()), publisher(sibling.publisher) {}
  FixtureProgram(const FixtureProgram&) = delete;
  FixtureProgram& operator=(const FixtureProgram&) = delete;
  ~FixtureProgram() { Clear(); }

  const std::string name;
  const std::string publisher;

  static std::string ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))
               ? platform::win32::FromWide(path)
               : std::string();
  }
  [[nodiscard]] std::string Subkey() const { return "{5EE1A0F1-" + Letters() + "-" + Without(name, ' ') + "}"; }
  [[nodiscard]] uninstall::EntrySource Entry() const {
    return {{platform::RootKey::LocalMachine, platform::RegView::Own}, Subkey()};
  }
  [[nodiscard]] std::string InstallFolder() const {
    return ShellFolder(CSIDL_PROGRAM_FILES) + "\\" + publisher + "\\" + name;
  }
  [[nodiscard]] std::string MainProgram() const { return InstallFolder() + "\\" + name + ".exe"; }
  [[nodiscard]] std::string TypeName() const { return Without(name, ' ') + ".Document"; }
  [[nodiscard]] std::string Extension() const { return Without(name, ' '); }
  [[nodiscard]] std::string TaskPath() const { return "\\" + publisher + "\\" + name + " Update"; }

  // Runs the fixture's install; true when it made everything.
  bool Install(bool task) {
    installed_ = true;
    std::string line = Quoted(Helper()) + " install " + Quoted(name) + " " + Quoted(publisher) + " 2.1 " +
                       Quoted(Subkey()) + (task ? " --task" : "");
    return Run(line) == 0;
  }
  // The entry's uninstall command, run to its end; true when it succeeded.
  bool RunUninstaller(platform::Processes& processes) {
    const auto command = reg::RegReadString(registry_, platform::RootKey::LocalMachine,
                                            uninstall::EntryKeyPath(Entry()) + "\\UninstallString");
    if (!command) {
      return false;
    }
    (void)processes;
    return Run(*command) == 0;
  }
  // A file of the test's own (created with its folders).
  void Plant(const std::string& path, std::string_view contents) {
    planted_.push_back(path.substr(0, path.find_last_of('\\')));
    std::filesystem::create_directories(PathOfUtf8(planted_.back()));
    WriteFileBytes(PathOfUtf8(path), contents);
  }

 private:
  static std::string Letters() {
    std::string letters;
    for (const char digit : std::to_string(::GetCurrentProcessId())) {
      letters += static_cast<char>('a' + (digit - '0'));
    }
    letters[0] = static_cast<char>(letters[0] - 'a' + 'A');
    return letters;
  }
  static std::string Without(std::string text, char c) {
    std::erase(text, c);
    return text;
  }
  static std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
  static std::string Helper() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return Utf8Of(std::filesystem::path(self).parent_path() / "sweepwise-leftover-fixture.exe");
  }
  static int Run(const std::string& line) {
    std::wstring command = platform::win32::ToWide(line);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      return -1;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
  }

  void RemoveKey(platform::RootKey root, platform::RegView view, const std::string& parent, const std::string& key) {
    auto top = registry_.OpenRootView(root, view);
    if (!top) {
      return;
    }
    if (auto opened = (*top)->Open(parent, platform::RegAccess::ReadWrite)) {
      (void)reg::DeleteKeyTree(**opened, key);
    }
  }

  void Clear() {
    if (!installed_ && planted_.empty()) {
      return;
    }
    std::error_code ignored;
    for (const std::string& folder :
         {ShellFolder(CSIDL_PROGRAM_FILES) + "\\" + publisher, ShellFolder(CSIDL_APPDATA) + "\\" + publisher,
          ShellFolder(CSIDL_LOCAL_APPDATA) + "\\" + name, ShellFolder(CSIDL_COMMON_APPDATA) + "\\" + name,
          ShellFolder(CSIDL_PROGRAMS) + "\\" + name, ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + name + ".lnk"}) {
      std::filesystem::remove_all(PathOfUtf8(folder), ignored);
    }
    for (const std::string& folder : planted_) {
      std::filesystem::remove_all(PathOfUtf8(folder), ignored);
    }
    using platform::RegView;
    using platform::RootKey;
    RemoveKey(RootKey::CurrentUser, RegView::Own, "Software", publisher);
    RemoveKey(RootKey::LocalMachine, RegView::Bits32, "Software", name);
    RemoveKey(RootKey::CurrentUser, RegView::Own, "Software\\Classes", TypeName());
    RemoveKey(RootKey::CurrentUser, RegView::Own, "Software\\Classes", "." + Extension());
    RemoveKey(RootKey::LocalMachine, RegView::Own, std::string(uninstall::kUninstallKey), Subkey());
    (void)reg::RegDeleteValueAt(registry_, RootKey::CurrentUser,
                                R"(Software\Microsoft\Windows\CurrentVersion\Run\)" + name + " Agent");
    platform::win32::Win32ScheduledTasks tasks;
    (void)tasks.Remove(TaskPath());
  }

  platform::win32::Win32Registry registry_;
  bool installed_ = false;
  std::vector<std::string> planted_;
};

}  // namespace sw::test
