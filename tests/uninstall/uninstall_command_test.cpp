// The commands started for an entry: how a command line is cut for a start with consent, and
// which entries are Windows Installer products.

#include "uninstall/uninstall_command.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/host/host_system.h"

namespace sw::uninstall {
namespace {

TEST(SplitCommandLine, FindsTheProgramAsTheSystemReadsTheLine) {
  const std::set<std::string> files{"C:\\Program Files\\App Tool\\uninst.exe", "C:\\Tools\\remove.exe",
                                    "C:\\Users\\me\\My.exe", "C:\\Users\\me\\My App\\un.exe"};
  const auto isFile = [&](std::string_view path) { return files.count(std::string(path)) > 0; };
  const std::vector<std::pair<std::string, CommandParts>> cases = {
      {"\"C:\\Program Files\\App Tool\\uninst.exe\" /S /x", {"C:\\Program Files\\App Tool\\uninst.exe", "/S /x"}},
      {"  \"C:\\Program Files\\App Tool\\uninst.exe\"", {"C:\\Program Files\\App Tool\\uninst.exe", ""}},
      {"C:\\Program Files\\App Tool\\uninst.exe /S", {"C:\\Program Files\\App Tool\\uninst.exe", "/S"}},
      {"C:\\Program Files\\App Tool\\uninst.exe", {"C:\\Program Files\\App Tool\\uninst.exe", ""}},
      {"C:\\Tools\\remove /all", {"C:\\Tools\\remove", "/all"}},  // the system adds ".exe"
      {"MsiExec.exe /X{1}", {"MsiExec.exe", "/X{1}"}},
      {"C:\\Gone Folder\\un.exe /q", {"C:\\Gone", "Folder\\un.exe /q"}},  // nothing there: up to the blank
      // The longest file the line names, not a shorter one planted beside its folder.
      {"C:\\Users\\me\\My App\\un.exe /S", {"C:\\Users\\me\\My App\\un.exe", "/S"}},
      {"\"C:\\Unclosed\\un.exe /q", {"C:\\Unclosed\\un.exe /q", ""}},
  };
  for (const auto& [line, parts] : cases) {
    EXPECT_EQ(SplitCommandLine(line, isFile), parts) << line;
  }
}

TEST(UninstallCommand, OnlyAGuidSubkeyWithWindowsInstallerIsAProduct) {
  platform::host::HostSystem system;
  SoftwareEntry entry;
  entry.uninstallString = {"MsiExec.exe /I{6F2C1D3A-5B4E-4F60-9A7B-8C9D0E1F2A3B}", false};
  entry.source.subkey = "{6f2c1d3a-5b4e-4f60-9a7b-8c9d0e1f2a3b}";
  EXPECT_FALSE(ProductCode(entry)) << "WindowsInstaller is not 1";
  entry.windowsInstaller = true;
  // Windows Installer by the folder the system names, never by the environment's %SystemRoot%.
  system.SetEnvironment("SystemRoot", "C:\\Users\\me\\fake");
  EXPECT_EQ(InteractiveCommand(entry, system), "C:\\Windows\\System32\\MsiExec.exe /X{6f2c1d3a-5b4e-4f60-9a7b-8c9d0e1f2a3b}");
  EXPECT_EQ(QuietCommand(entry, system), "C:\\Windows\\System32\\MsiExec.exe /X{6f2c1d3a-5b4e-4f60-9a7b-8c9d0e1f2a3b} /qn");
  entry.quietUninstallString = {"  own-quiet.exe /S ", false};
  EXPECT_EQ(QuietCommand(entry, system), "own-quiet.exe /S") << "the product's own quiet command comes first";
  for (const char* odd : {"{6F2C1D3A-5B4E-4F60-9A7B-8C9D0E1F2A3}", "6F2C1D3A-5B4E-4F60-9A7B-8C9D0E1F2A3B",
                          "{6F2C1D3A-5B4E-4F60-9A7B-8C9D0E1F2A3G}", "{6F2C1D3A_5B4E-4F60-9A7B-8C9D0E1F2A3B}"}) {
    entry.source.subkey = odd;
    EXPECT_FALSE(ProductCode(entry)) << odd;
    EXPECT_EQ(InteractiveCommand(entry, system), "MsiExec.exe /I{6F2C1D3A-5B4E-4F60-9A7B-8C9D0E1F2A3B}");
  }
  entry.quietUninstallString = {};
  EXPECT_FALSE(QuietCommand(entry, system));
}

TEST(UninstallCommand, VariablesAreExpandedInExpandableAndPlainCommands) {
  platform::host::HostSystem system;
  system.SetEnvironment("SystemDrive", "C:");
  EXPECT_EQ(ExpandedCommand({"%SystemDrive%\\x.exe", true}, system), "C:\\x.exe");
  EXPECT_EQ(ExpandedCommand({"%SystemDrive%\\x.exe", false}, system), "C:\\x.exe");
  EXPECT_EQ(ExpandedCommand({"%NotSet%\\x.exe", true}, system), "%NotSet%\\x.exe");
}

}  // namespace
}  // namespace sw::uninstall
