// Apply on the host stand-ins: what each kind of tweak writes, what default.reg records
// before it, and what the following check pass and the final message make of it.

#include "registry/registry_data.h"
#include "registry/registry_object.h"
#include "tweaks/change_registry.h"
#include "tweaks/restore_file.h"
#include "tweaks/special_actions.h"
#include "tweaks/tweak_test_support.h"

namespace sw::tweaks {
namespace {

constexpr const char* kDesktop = R"(Control Panel\Desktop\)";
constexpr const char* kPolicies = R"(Software\Microsoft\Windows\CurrentVersion\Policies\Explorer\)";
constexpr const char* kMemory = R"(SYSTEM\CurrentControlSet\Control\Session Manager\Memory Management\)";
constexpr const char* kTcpip = R"(SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\)";
constexpr std::string_view kApplied = "Selected tasks were applied. Some of them needs rebooting to take effect.";

// The strings, each ended by a zero, as a multi-string holds them.
std::string Multi(std::initializer_list<std::string_view> strings) {
  std::string data;
  for (const auto text : strings) {
    data.append(text).push_back('\0');
  }
  return data;
}

class TweakApplyTest : public TweakTest {
 protected:
  bool Offered(int tab, std::string_view title) {
    const auto titles = Titles(Page(tab).VisibleRows());
    return std::find(titles.begin(), titles.end(), title) != titles.end();
  }
  std::string LastMessage() const { return sink_.messages.empty() ? "" : sink_.messages.back().text; }
  void SetMultiString(std::string_view valuePath, std::string_view data) {
    ASSERT_TRUE(reg::RegWriteMultiString(registry(), RootKey::LocalMachine, valuePath, data));
  }
};

TEST_F(TweakApplyTest, EachChangedValueIsRecordedAloneOnceAboveOlderBlocks) {
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay", "400");
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "Wallpaper", R"(C:\Windows\bliss.bmp)");
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "FontSmoothing", "0");

  // A value that did not exist: its deletion is recorded, and the key is created for it.
  ApplyOutcome outcome = Apply(kMiscellaneousTab, {"Disable CD Burning"});
  EXPECT_EQ(outcome.applied, Lines{"Disable CD Burning"});
  EXPECT_TRUE(outcome.notInEffect.empty());
  EXPECT_EQ(LastMessage(), kApplied);
  EXPECT_EQ(sink_.statuses.back(), "Done.");
  ASSERT_TRUE(reg::RegKeyExists(registry(), RootKey::CurrentUser, kPolicies));
  const std::string policiesLine = R"([HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer])";
  EXPECT_EQ(RestoreLines(), (Lines{"Windows Registry Editor Version 5.00", "", policiesLine, R"("NoCDBurning"=-)",
                                   R"(; Sweepwise wrote "NoCDBurning"=dword:00000001)"}));

  // A value that existed: its data alone, not the wallpaper beside it, which the tweak leaves
  // alone and a restore must leave alone too; and what was written there.
  Apply(kOptimizationTab, {"Speed up menu display"});
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay"), "0");
  const Lines policies{"", policiesLine, R"("NoCDBurning"=-)", R"(; Sweepwise wrote "NoCDBurning"=dword:00000001)"};
  Lines recorded = {"Windows Registry Editor Version 5.00", "", R"([HKEY_CURRENT_USER\Control Panel\Desktop])",
                    R"("MenuShowDelay"="400")", R"(; Sweepwise wrote "MenuShowDelay"="0")"};
  recorded.insert(recorded.end(), policies.begin(), policies.end());
  EXPECT_EQ(RestoreLines(), recorded);

  // Another value of the same key gets a record of its own, newest first in its key's block.
  Apply(kMiscellaneousTab, {"Enable Font Smoothing"});
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "FontSmoothing"), "2");
  recorded.insert(recorded.begin() + 3, {R"("FontSmoothing"="0")", R"(; Sweepwise wrote "FontSmoothing"="2")"});
  EXPECT_EQ(RestoreLines(), recorded);

  // Applied again over a value set since: the record holds that value.
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay", "250");
  Apply(kOptimizationTab, {"Speed up menu display"});
  EXPECT_EQ(RestoreLines(),
            (Lines{"Windows Registry Editor Version 5.00", "", R"([HKEY_CURRENT_USER\Control Panel\Desktop])",
                   R"("MenuShowDelay"="250")", R"(; Sweepwise wrote "MenuShowDelay"="0")", R"("FontSmoothing"="0")",
                   R"(; Sweepwise wrote "FontSmoothing"="2")", "", policiesLine, R"("NoCDBurning"=-)",
                   R"(; Sweepwise wrote "NoCDBurning"=dword:00000001)"}));
  EXPECT_FALSE(Offered(kMiscellaneousTab, "Disable CD Burning"));
  const auto applied = Titles(Page(kAppliedTasksTab).AppliedRows());
  EXPECT_NE(std::find(applied.begin(), applied.end(), "Disable CD Burning"), applied.end());
}

TEST_F(TweakApplyTest, ValueNamedInAnotherValuesDataStillGetsItsDeletion) {
  SetString(RootKey::CurrentUser, std::string(kPolicies) + "Note", "NoCDBurning");
  SetDword(RootKey::CurrentUser, std::string(kPolicies) + "ClassicShell", 0);
  Apply(kMiscellaneousTab, {"Force Windows to Use the Classic Desktop"});
  Apply(kMiscellaneousTab, {"Disable CD Burning"});
  const Lines lines = RestoreLines();
  ASSERT_GE(lines.size(), 4U);
  EXPECT_EQ(lines[2], R"([HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer])");
  EXPECT_EQ(lines[3], R"("NoCDBurning"=-)");
}

TEST_F(TweakApplyTest, NothingCheckedChangesNothing) {
  TweakPage page = Page(kOptimizationTab);
  const auto rows = page.VisibleRows();
  const ApplyOutcome outcome = page.Apply(sink_);
  EXPECT_TRUE(outcome.applied.empty());
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(sink_.statuses.back(), "Done.");
  EXPECT_EQ(page.VisibleRows(), rows);
  EXPECT_FALSE(std::filesystem::exists(host_.Host(kRestoreFile)));
}

TEST_F(TweakApplyTest, RestoreFileThatCannotBeWrittenStopsBeforeAnyChange) {
  SetString(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay", "400");
  host_.platform().folders = platform::PortableFolders("C:\\Missing");
  const ApplyOutcome outcome =
      Apply(kOptimizationTab, {"Enable Automatic Boot Disk Optimization", "Speed up menu display"});
  EXPECT_FALSE(outcome.error.empty());
  ASSERT_EQ(sink_.messages.size(), 1U);
  EXPECT_EQ(sink_.messages[0].kind, MessageKind::Error);
  EXPECT_NE(sink_.messages[0].text.find("C:\\Missing\\default.reg"), std::string::npos);
  EXPECT_FALSE(reg::RegKeyExists(registry(), RootKey::LocalMachine, R"(SOFTWARE\Microsoft\Dfrg)"));
  EXPECT_EQ(String(RootKey::CurrentUser, std::string(kDesktop) + "MenuShowDelay"), "400");
}

TEST_F(TweakApplyTest, ChecksCompareAsTheRegistryStoresThem) {
  const std::string title2 = "Increase File System Caching Memory";
  SetDword(RootKey::LocalMachine, std::string(kMemory) + "IoPageLockLimit", 0);
  EXPECT_FALSE(Offered(kOptimizationTab, title2));  // a stored 0 is the text "0"
  SetString(RootKey::LocalMachine, std::string(kMemory) + "IoPageLockLimit", "0");
  EXPECT_TRUE(Offered(kOptimizationTab, title2));  // a string is no number

  const std::string title9 = "Disable Write Behind Caching";
  const std::string writeBehind = R"(System\CurrentControlSet\Control\FileSystem\DriveWriteBehind)";
  const std::uint8_t longer[] = {0, 0, 0, 1, 0xFF};
  ASSERT_TRUE(reg::RegWriteBinary(registry(), RootKey::LocalMachine, writeBehind, longer));
  EXPECT_FALSE(Offered(kOptimizationTab, title9));  // the first four bytes decide
  const std::uint8_t shorter[] = {0, 0, 0};
  ASSERT_TRUE(reg::RegWriteBinary(registry(), RootKey::LocalMachine, writeBehind, shorter));
  EXPECT_TRUE(Offered(kOptimizationTab, title9));

  Apply(kOptimizationTab, {title9});
  EXPECT_EQ(reg::RegReadBinary(registry(), RootKey::LocalMachine, writeBehind), (Bytes{0, 0, 0, 1}));
  const Lines lines = RestoreLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), R"("DriveWriteBehind"=hex:00,00,00)"), lines.end());
}

TEST_F(TweakApplyTest, CleaningTweaksAreOfferedUntilTheHistoryIsClean) {
  const std::string regedit = R"(Software\Microsoft\Windows\CurrentVersion\Applets\Regedit\)";
  SetString(RootKey::CurrentUser, regedit + "LastKey", R"(My Computer\HKEY_CURRENT_USER)");
  EXPECT_TRUE(Offered(kCleaningTab, "Clear history of RegEdit"));
  Apply(kCleaningTab, {"Clear history of RegEdit"});
  EXPECT_FALSE(reg::RegValueExists(registry(), RootKey::CurrentUser, regedit + "LastKey"));
  EXPECT_FALSE(Offered(kCleaningTab, "Clear history of RegEdit"));
  EXPECT_EQ(RestoreLines()[2], "[HKEY_CURRENT_USER\\" + regedit.substr(0, regedit.size() - 1) + "]");

  const std::string title = "Clear download location history of Internet Explorer";
  const std::string download = R"(Software\Microsoft\Internet Explorer\Download Directory)";
  EXPECT_TRUE(Offered(kCleaningTab, title));  // not there at all
  SetString(RootKey::CurrentUser, download, R"(C:\Downloads)");
  EXPECT_TRUE(Offered(kCleaningTab, title));
  Apply(kCleaningTab, {title});
  EXPECT_EQ(String(RootKey::CurrentUser, download), "");
  EXPECT_FALSE(Offered(kCleaningTab, title));
  // Never under Applied Tasks.
  const auto applied = Titles(Page(kAppliedTasksTab).AppliedRows());
  EXPECT_EQ(std::find(applied.begin(), applied.end(), title), applied.end());
}

TEST_F(TweakApplyTest, KeyDeletionRecordsTheWholeTree) {
  const std::string mru = R"(Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSaveMRU)";
  SetString(RootKey::CurrentUser, mru + R"(\MRUList)", "ba");
  SetString(RootKey::CurrentUser, mru + R"(\txt\a)", R"(C:\notes.txt)");
  SetDword(RootKey::CurrentUser, mru + R"(\txt\deep\n)", 10);
  SetString(RootKey::CurrentUser, mru + R"(\bmp\a)", R"(C:\a.bmp)");
  Apply(kCleaningTab, {"Clear history of files in common dialog boxes"});
  EXPECT_FALSE(reg::RegKeyExists(registry(), RootKey::CurrentUser, mru));
  const std::string key = "[HKEY_CURRENT_USER\\" + mru;
  const std::string deleted(kDeletedKeyMarker);
  EXPECT_EQ(RestoreLines(), (Lines{"Windows Registry Editor Version 5.00",
                                   "",
                                   key + "]",
                                   deleted,
                                   R"("MRUList"="ba")",
                                   R"(; Sweepwise wrote "MRUList"=-)",
                                   "",
                                   key + R"(\bmp])",
                                   deleted,
                                   R"("a"="C:\\a.bmp")",
                                   R"(; Sweepwise wrote "a"=-)",
                                   "",
                                   key + R"(\txt])",
                                   deleted,
                                   R"("a"="C:\\notes.txt")",
                                   R"(; Sweepwise wrote "a"=-)",
                                   "",
                                   key + R"(\txt\deep])",
                                   deleted,
                                   R"("n"=dword:0000000A)",
                                   R"(; Sweepwise wrote "n"=-)"}));

  // A second clearing records the key that was not there the first time, and the value set
  // again since (the first record's value came back by hand, so it holds no more).
  SetString(RootKey::CurrentUser, mru + R"(\txt\a)", R"(C:\later.txt)");
  SetString(RootKey::CurrentUser, mru + R"(\new\v)", "w");
  Apply(kCleaningTab, {"Clear history of files in common dialog boxes"});
  const Lines lines = RestoreLines();
  EXPECT_EQ((Lines{lines.begin(), lines.begin() + 12}),
            (Lines{"Windows Registry Editor Version 5.00", "", key + R"(\new])", deleted, R"("v"="w")",
                   R"(; Sweepwise wrote "v"=-)", "", key + R"(\txt])", deleted, R"("a"="C:\\later.txt")",
                   R"(; Sweepwise wrote "a"=-)", ""}));

  // What is gone already is neither recorded nor created only to be deleted.
  const RegistryChange gone{RootKey::CurrentUser, "\\" + mru, "", ChangeType::Delete, "", {}, true};
  test::WriteFileBytes(host_.Host(kRestoreFile), "");
  EXPECT_EQ(ChangeRegistry(host_.platform(), kRestoreFile, ChangeMode::Apply, gone).value_or(false), true);
  EXPECT_FALSE(reg::RegKeyExists(registry(), RootKey::CurrentUser, mru));
  EXPECT_EQ(test::ReadFileBytes(host_.Host(kRestoreFile)), "");
}

TEST_F(TweakApplyTest, SeveralChangesStopAtTheFirstThatIsNotInEffect) {
  const std::string explorer = R"(Software\Microsoft\Windows\CurrentVersion\Explorer\)";
  const std::string title = "Clear history of layout settings of windows";
  ASSERT_TRUE(reg::RegWriteString(registry(), RootKey::Users, R"(.Default\)" + explorer + R"(Streams\a)", "x"));
  ASSERT_TRUE(reg::RegWriteString(registry(), RootKey::CurrentUser, explorer + R"(StreamMRU\a)", "x"));
  EXPECT_TRUE(Offered(kCleaningTab, title));
  Apply(kCleaningTab, {title});
  EXPECT_FALSE(reg::RegKeyExists(registry(), RootKey::Users, R"(.Default\)" + explorer + "Streams"));
  EXPECT_FALSE(reg::RegKeyExists(registry(), RootKey::CurrentUser, explorer + "StreamMRU"));
  EXPECT_FALSE(Offered(kCleaningTab, title));
}

TEST_F(TweakApplyTest, ExtraWritesAreRecordedBeforeTheyAreMade) {
  SetDword(RootKey::LocalMachine, std::string(kTcpip) + "SackOpts", 0);
  Apply(kInternetTab, {"Optimize Broadband Cable Modem and DSL Connections"});
  const Lines lines = RestoreLines();
  const auto has = [&](std::string_view line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_TRUE(has(R"("SackOpts"=dword:00000000)"));
  for (const char* name : {"DefaultTTL", "EnablePMTUBHDetect", "EnablePMTUDiscovery", "GlobalMaxTcpWindowSize",
                           "TcpMaxDupAcks", "Tcp1323Opts", "TcpWindowSize"}) {
    EXPECT_TRUE(has("\"" + std::string(name) + "\"=-")) << name;
  }
  auto tcpWindow = reg::TRegistryEx(registry(), RootKey::LocalMachine);
  ASSERT_TRUE(tcpWindow.OpenKey("\\" + std::string(kTcpip), false));
  EXPECT_EQ(tcpWindow.ReadInteger("TcpWindowSize").value_or(0), 32767);
  EXPECT_EQ(tcpWindow.ReadInteger("SackOpts").value_or(0), 1);

  // The shell's default values and the second taskbar record alike.
  const std::string stuck2 = R"(Software\Microsoft\Windows\CurrentVersion\Explorer\StuckRects2)";
  const std::string stuck = R"(Software\Microsoft\Windows\CurrentVersion\Explorer\StuckRects)";
  SetString(RootKey::CurrentUser, stuck + R"(\Settings)", "x");
  SetString(RootKey::CurrentUser, stuck2 + R"(\Settings)", "y");
  Apply(kMiscellaneousTab, {"Repair the Taskbar", "Fix copy, move, send to in popup menus"});
  EXPECT_FALSE(reg::RegKeyExists(registry(), RootKey::CurrentUser, stuck2));
  const Lines after = RestoreLines();
  const auto follows = [&](std::string_view keyLine, std::string_view next) {
    for (std::size_t i = 0; i + 1 < after.size(); ++i) {
      if (after[i] == keyLine && after[i + 1] == next) {
        return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(follows("[HKEY_CURRENT_USER\\" + stuck2 + "]", kDeletedKeyMarker));
  EXPECT_TRUE(follows(kDeletedKeyMarker, R"("Settings"="y")"));
  EXPECT_TRUE(follows(R"("Settings"="y")", R"(; Sweepwise wrote "Settings"=-)"));
  EXPECT_TRUE(follows("[HKEY_CURRENT_USER\\" + stuck + "]", kDeletedKeyMarker));
  EXPECT_TRUE(follows(R"("Settings"="x")", R"(; Sweepwise wrote "Settings"=-)"));
  for (const char* handler : {"Copy To", "Move To", "Send To"}) {
    const std::string key =
        R"([HKEY_CLASSES_ROOT\AllFilesystemObjects\shellex\ContextMenuHandlers\)" + std::string(handler) + "]";
    EXPECT_TRUE(follows(key, "@=-")) << handler;
  }
  EXPECT_EQ(String(RootKey::ClassesRoot, R"(AllFilesystemObjects\shellex\ContextMenuHandlers\Send To\)"),
            "{7BA4C740-9E81-11CF-99D3-00AA004AE837}");
}

TEST_F(TweakApplyTest, PagingFileTweakIsFoundInEffectOnceApplied) {
  const std::string title = "Optimize Virtual Memory for WinXP/NT/2000";
  const std::string paging = std::string(kMemory) + "PagingFiles";
  SetMultiString(paging, Multi({R"(C:\pagefile.sys 1536 3072)", R"(D:\page file.sys 0 0)", ""}));
  ASSERT_TRUE(Offered(kOptimizationTab, title));
  const ApplyOutcome outcome = Apply(kOptimizationTab, {title});
  EXPECT_TRUE(outcome.notInEffect.empty());
  auto raw = reg::TRegistryEx(registry(), RootKey::LocalMachine);
  ASSERT_TRUE(raw.OpenKey("\\" + std::string(kMemory), false));
  EXPECT_EQ(raw.ReadRaw("PagingFiles")->data,
            reg::EncodeRegText(Multi({R"(C:\pagefile.sys 382 382)", R"(D:\page file.sys 382 382)", ""}), false));
  EXPECT_FALSE(Offered(kOptimizationTab, title));

  // No paging file at all: no entry without a file is written, and the message says so.
  ASSERT_TRUE(reg::RegDeleteValueAt(registry(), RootKey::LocalMachine, paging));
  const ApplyOutcome none = Apply(kOptimizationTab, {title});
  EXPECT_FALSE(reg::RegValueExists(registry(), RootKey::LocalMachine, paging));
  EXPECT_EQ(none.notInEffect, Lines{title});
  EXPECT_EQ(LastMessage(), std::string(kApplied) + "\n\nThese tasks are still not in effect:\n" + title);
  EXPECT_EQ(sink_.messages.back().kind, MessageKind::Warning);
}

TEST(PagingFiles, EachFileKeepsItsPathWithTheNewSizes) {
  EXPECT_EQ(OptimizedPagingFiles(R"(C:\pagefile.sys 1536 3072)"), Multi({R"(C:\pagefile.sys 382 382)"}));
  EXPECT_EQ(OptimizedPagingFiles(R"( C:\page file.sys  1536 3072 )"), Multi({R"(C:\page file.sys 382 382)"}));
  EXPECT_EQ(OptimizedPagingFiles(R"(C:\pagefile.sys)"), Multi({R"(C:\pagefile.sys 382 382)"}));
  EXPECT_EQ(OptimizedPagingFiles(Multi({"", ""})), "");
  EXPECT_EQ(OptimizedPagingFiles(""), "");
}

TEST_F(TweakApplyTest, AdapterTweaksFindTheirKeysOrSayWhy) {
  const std::string mtu = "Optimize Maximum Transmission Unit Size for WinNT/2000/XP";
  Apply(kInternetTab, {mtu});
  EXPECT_EQ(sink_.messages.front().text, "Cannot " + mtu + ", because no appopriate Adapter found.");
  EXPECT_EQ(sink_.messages.front().kind, MessageKind::Warning);
  EXPECT_NE(LastMessage().find(mtu), std::string::npos);  // still not in effect

  const std::string adapters = R"(SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Adapters\)";
  SetMultiString(adapters + R"({A1}\IpConfig)", Multi({R"(Tcpip\Parameters\Interfaces\{A1})", ""}));
  sink_.messages.clear();
  Apply(kInternetTab, {mtu});
  EXPECT_EQ(LastMessage(), kApplied);
  auto key = reg::TRegistryEx(registry(), RootKey::LocalMachine);
  ASSERT_TRUE(key.OpenKey(R"(\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces\{A1})", false));
  EXPECT_EQ(key.ReadInteger("MTU").value_or(0), 576);

  UseSystem("Windows 98");
  const std::string dialUp = "Optimize Internet Connection Speed for Win9x/ME";
  sink_.messages.clear();
  Apply(kInternetTab, {dialUp});
  EXPECT_EQ(sink_.messages.front().text, "Cannot " + dialUp + ", because no Dial-Up Modem found.");
  EXPECT_FALSE(reg::RegKeyExists(registry(), RootKey::LocalMachine, R"(System\CurrentControlSet\Services\Class)"));

  SetString(RootKey::LocalMachine, R"(Enum\Root\Net\0000\DeviceDesc)", "Network card");
  SetString(RootKey::LocalMachine, R"(Enum\Root\Net\0001\DeviceDesc)", "DIAL-UP ADAPTER");
  auto bindings = reg::TRegistryEx(registry(), RootKey::LocalMachine);
  ASSERT_TRUE(bindings.OpenKey(R"(\Enum\Root\Net\0001\Bindings)", /*canCreate=*/true));
  ASSERT_TRUE(bindings.WriteString(R"(NETBEUI\0000)", ""));  // the bindings are value names
  ASSERT_TRUE(bindings.WriteString(R"(MSTCP\0001)", ""));
  SetString(RootKey::LocalMachine, R"(Enum\Network\MSTCP\0001\Driver)", R"(NetTrans\0002)");
  sink_.messages.clear();
  Apply(kInternetTab, {dialUp});
  EXPECT_EQ(Messages(), Lines{std::string(kApplied)});
  EXPECT_EQ(String(RootKey::LocalMachine, R"(System\CurrentControlSet\Services\Class\NetTrans\0002\MaxMTU)"), "576");
  EXPECT_EQ(String(RootKey::LocalMachine, R"(System\CurrentControlSet\Services\Class\NetTrans\0002\MaxMSS)"), "536");
}

TEST_F(TweakApplyTest, IdleTasksRunThroughTheProgramStarterWhenApplied) {
  const std::string title = "Terminate Idle Tasks";
  host_.system().SetEnvironment("SystemRoot", R"(C:\Windows)");
  (void)Page(kOptimizationTab);
  EXPECT_TRUE(processes().starts().empty());  // a check never runs it

  Apply(kOptimizationTab, {title});
  ASSERT_EQ(processes().starts().size(), 1U);
  // The system's own program, by its full path: no rundll32.exe of the current folder runs.
  EXPECT_EQ(processes().starts()[0].commandLine, R"("C:\Windows\System32\rundll32.exe" advapi32.dll,ProcessIdleTasks)");
  EXPECT_TRUE(processes().starts()[0].hidden);
  EXPECT_TRUE(processes().starts()[0].wait);
  EXPECT_EQ(sink_.busy, (Lines{"Terminating all idle tasks.\rThis may take upto 15 minutes.", "(end)"}));
  const auto running = std::find(sink_.statuses.begin(), sink_.statuses.end(), "Terminating all idle tasks...");
  ASSERT_NE(running, sink_.statuses.end());
  EXPECT_EQ(*(running + 1), "Done.");
  EXPECT_EQ(LastMessage(), kApplied);  // a regular task is offered again, and that is no failure
  EXPECT_TRUE(Offered(kOptimizationTab, title));
  EXPECT_FALSE(std::filesystem::exists(host_.Host(kRestoreFile)));  // it changes no value

  processes().OnStart([](const auto&) { return false; });
  const ApplyOutcome failed = Apply(kOptimizationTab, {title});
  EXPECT_EQ(failed.notInEffect, Lines{title});
}

}  // namespace
}  // namespace sw::tweaks
