#pragma once
// A user's system on the host stand-ins, as the search for leftovers sees it: the user's and
// the machine's folders (set in the environment and in "Shell Folders" as Windows keeps
// them), uninstall entries, shortcuts, keys, Run values and tasks, planted by the tests.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/host/memory_scheduled_tasks.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "support/host_platform.h"
#include "uninstall/software_sources.h"

namespace sw::test {

inline constexpr std::string_view kProfile = R"(C:\Users\Ann)";
inline constexpr std::string_view kAppData = R"(C:\Users\Ann\AppData\Roaming)";
inline constexpr std::string_view kLocalAppData = R"(C:\Users\Ann\AppData\Local)";
inline constexpr std::string_view kDocuments = R"(C:\Users\Ann\Documents)";
inline constexpr std::string_view kDesktop = R"(C:\Users\Ann\Desktop)";
inline constexpr std::string_view kStartMenu = R"(C:\Users\Ann\AppData\Roaming\Microsoft\Windows\Start Menu\Programs)";
inline constexpr std::string_view kProgramFiles = R"(C:\Program Files)";
inline constexpr std::string_view kProgramFilesX86 = R"(C:\Program Files (x86))";
inline constexpr std::string_view kProgramData = R"(C:\ProgramData)";

class LeftoverWorld {
 public:
  LeftoverWorld() {
    auto& system = host_.system();
    const std::pair<const char*, std::string_view> variables[] = {
        {"APPDATA", kAppData},
        {"LOCALAPPDATA", kLocalAppData},
        {"USERPROFILE", kProfile},
        {"ProgramFiles", kProgramFiles},
        {"ProgramFiles(x86)", kProgramFilesX86},
        {"ProgramData", kProgramData},
        {"CommonProgramFiles", R"(C:\Program Files\Common Files)"},
        {"WINDIR", R"(C:\Windows)"},
        {"TEMP", R"(C:\Users\Ann\AppData\Local\Temp)"},
        {"PUBLIC", R"(C:\Users\Public)"}};
    for (const auto& [name, value] : variables) {
      system.SetEnvironment(name, std::string(value));
    }
    const std::string user = R"(Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders\)";
    SetText(platform::RootKey::CurrentUser, user + "Programs", kStartMenu);
    SetText(platform::RootKey::CurrentUser, user + "Desktop", kDesktop);
    SetText(platform::RootKey::CurrentUser, user + "Personal", kDocuments);
    SetText(platform::RootKey::LocalMachine, user + "Common Programs",
            R"(C:\ProgramData\Microsoft\Windows\Start Menu\Programs)");
    SetText(platform::RootKey::LocalMachine, user + "Common Desktop", R"(C:\Users\Public\Desktop)");
    for (const std::string_view folder : {kDocuments, kDesktop, kStartMenu, kProgramFiles, kProgramData}) {
      host_.MakeFolder(folder);
    }
  }

  platform::Platform& platform() { return host_.platform(); }
  HostPlatform& host() { return host_; }
  platform::host::MemoryScheduledTasks& tasks() { return host_.tasks(); }

  void SetText(platform::RootKey root, const std::string& valuePath, std::string_view text) {
    ASSERT_TRUE(reg::RegWriteString(host_.registry(), root, valuePath, text)) << valuePath;
  }
  // A value in a key of a view (the 32-bit view of HKEY_LOCAL_MACHINE is a key of its own).
  void SetViewText(platform::RootKey root, platform::RegView view, const std::string& key, std::string_view name,
                   std::string_view text) {
    auto rootKey = host_.registry().OpenRootView(root, view);
    ASSERT_TRUE(rootKey);
    auto made = (*rootKey)->Create(key);
    ASSERT_TRUE(made);
    ASSERT_TRUE((*made)->Set(name, platform::kRegSz, reg::EncodeRegText(text, true)));
  }

  // An entry of the user's uninstall key.
  uninstall::EntrySource Entry(const std::string& subkey, const std::vector<std::pair<std::string, std::string>>& values) {
    const uninstall::EntrySource entry{{platform::RootKey::CurrentUser, platform::RegView::Own}, subkey};
    for (const auto& [name, text] : values) {
      SetText(platform::RootKey::CurrentUser, uninstall::EntryKeyPath(entry) + "\\" + name, text);
    }
    return entry;
  }
  void RemoveEntry(const uninstall::EntrySource& entry) {
    ASSERT_TRUE(reg::RegDeleteKeyAt(host_.registry(), entry.source.root, uninstall::EntryKeyPath(entry), true));
  }

  void File(std::string_view path, std::string_view contents = "data") { host_.MakeFile(path, contents); }
  void Shortcut(std::string_view path, std::string target) {
    host_.MakeFile(path, "shortcut");
    host_.shell().SetLinkTarget(path, std::move(target));
  }

 private:
  HostPlatform host_;
};

}  // namespace sw::test
