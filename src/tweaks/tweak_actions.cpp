#include "tweaks/tweak_actions.h"

#include <algorithm>

#include "registry/reg_import.h"
#include "tweaks/special_actions.h"

namespace sw::tweaks {
namespace {

using platform::RootKey;
constexpr RootKey kHkcr = RootKey::ClassesRoot;
constexpr RootKey kHkcu = RootKey::CurrentUser;
constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr RootKey kHku = RootKey::Users;

RegistryChange Value(RootKey root, std::string keyPath, std::string name, ChangeType type, std::string value = "") {
  return RegistryChange{root, std::move(keyPath), std::move(name), type, std::move(value), {}, true};
}

RegistryChange BinaryValue(RootKey root, std::string keyPath, std::string name, Bytes data) {
  return RegistryChange{root, std::move(keyPath), std::move(name), ChangeType::Binary, "", std::move(data), true};
}

RegistryChange KeyDeletion(RootKey root, std::string keyPath, bool withSubKeys = true) {
  return RegistryChange{root, std::move(keyPath), "", ChangeType::Delete, "", {}, withSubKeys};
}

TweakAction Single(std::string_view title, RegistryChange change, bool listed = true) {
  TweakAction action;
  action.title = title;
  action.changes.push_back(std::move(change));
  action.listed = listed;
  return action;
}

// A Cleaning tweak: cleaned history is nothing to list under "Applied Tasks".
TweakAction Cleaning(std::string_view title, std::vector<RegistryChange> changes, bool stopAtFalse = true) {
  TweakAction action;
  action.title = title;
  action.changes = std::move(changes);
  action.stopAtFalse = stopAtFalse;
  action.listed = false;
  return action;
}

TweakAction WithExtras(TweakAction action, std::vector<RegistryChange> extras) {
  action.extras = std::move(extras);
  return action;
}

// The paging file and the network adapters are the machine's: their special actions write
// below HKEY_LOCAL_MACHINE.
TweakAction MachineSpecial(std::string_view title, SpecialAction special) {
  TweakAction action;
  action.title = title;
  action.special = special;
  action.specialMachineWide = true;
  return action;
}

std::vector<RegistryChange> Dwords(const std::string& keyPath,
                                   std::initializer_list<std::pair<std::string_view, std::uint32_t>> values) {
  std::vector<RegistryChange> changes;
  for (const auto& [name, number] : values) {
    changes.push_back(Value(kHklm, keyPath, std::string(name), ChangeType::Dword, std::to_string(number)));
  }
  return changes;
}

const std::string kMemoryManagement = R"(\SYSTEM\CurrentControlSet\Control\Session Manager\Memory Management\)";
const std::string kPoliciesExplorer = R"(\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer\)";
const std::string kDesktop = R"(\Control Panel\Desktop\)";
const std::string kExplorer = R"(\Software\Microsoft\Windows\CurrentVersion\Explorer)";  // a key, no value target
const std::string kHklmExplorer = R"(\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\)";
const std::string kTcpipParameters = R"(\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\)";
const std::string kDnscacheParameters = R"(\SYSTEM\CurrentControlSet\Services\Dnscache\Parameters\)";
const std::string kContextMenuHandlers = R"(\AllFilesystemObjects\shellex\ContextMenuHandlers\)";

std::vector<TweakAction> BuildActions() {
  using enum ChangeType;
  std::vector<TweakAction> actions;
  actions.push_back(Single("Enable Automatic Boot Disk Optimization",
                           Value(kHklm, R"(\SOFTWARE\Microsoft\Dfrg\BootOptimizeFunction\)", "Enable", String, "Y")));
  actions.push_back(
      Single("Increase File System Caching Memory", Value(kHklm, kMemoryManagement, "IoPageLockLimit", Dword, "0")));
  actions.push_back(
      Single("Control the System Cache", Value(kHklm, kMemoryManagement, "LargeSystemCache", Dword, "1")));
  actions.push_back(
      Single("Improve Core System Performance", Value(kHklm, kMemoryManagement, "DisablePagingExecutive", Dword, "0")));
  actions.push_back(
      Single("Force Windows to Unload DLLs from Memory", Value(kHklm, kHklmExplorer, "AlwaysUnloadDLL", Dword, "1")));
  actions.push_back(MachineSpecial("Optimize Virtual Memory for WinXP/NT/2000", OptimizePagingFile));
  TweakAction idle;
  idle.title = "Terminate Idle Tasks";
  idle.special = TerminateIdleTasks;
  idle.listed = false;
  idle.checkable = false;
  actions.push_back(std::move(idle));
  actions.push_back(Single("Speed up shutdown process", Value(kHklm, R"(\Software\Microsoft\Windows\CurrentVersion\)",
                                                              "CacheWriteDelay", Dword, "2000")));
  actions.push_back(
      Single("Disable Write Behind Caching", BinaryValue(kHklm, R"(\System\CurrentControlSet\Control\FileSystem\)",
                                                         "DriveWriteBehind", Bytes{0x00, 0x00, 0x00, 0x01})));
  actions.push_back(
      Single("Reduce fragmentation of disks",
             Value(kHklm, R"(\SYSTEM\CurrentControlSet\Control\FileSystem\)", "ContigFileAllocSize", Dword, "512")));
  // StuckRects2 is deleted as one key, without its subkeys, as the system's own repair does.
  actions.push_back(WithExtras(Single("Repair the Taskbar", KeyDeletion(kHkcu, kExplorer + R"(\StuckRects)")),
                               {KeyDeletion(kHkcu, kExplorer + R"(\StuckRects2\)", /*withSubKeys=*/false)}));
  actions.push_back(
      Single("Force Windows to Use the Classic Desktop", Value(kHkcu, kPoliciesExplorer, "ClassicShell", Dword, "1")));
  actions.push_back(Single("Disable CD Burning", Value(kHkcu, kPoliciesExplorer, "NoCDBurning", Dword, "1")));
  actions.push_back(Single("Enable Font Smoothing", Value(kHkcu, kDesktop, "FontSmoothing", String, "2")));
  actions.push_back(WithExtras(Single("Optimize Broadband Cable Modem and DSL Connections",
                                      Value(kHklm, kTcpipParameters, "DefaultTTL", Dword, "128")),
                               Dwords(kTcpipParameters, {{"EnablePMTUBHDetect", 0},
                                                         {"EnablePMTUDiscovery", 1},
                                                         {"GlobalMaxTcpWindowSize", 32767},
                                                         {"TcpMaxDupAcks", 2},
                                                         {"SackOpts", 1},
                                                         {"Tcp1323Opts", 1},
                                                         {"TcpWindowSize", 32767}})));
  actions.push_back(MachineSpecial("Optimize Internet Connection Speed for Win9x/ME", OptimizeDialUpAdapter));
  actions.push_back(MachineSpecial("Optimize Maximum Transmission Unit Size for WinNT/2000/XP", OptimizeAdapterMtu));
  actions.push_back(Single("Speed up menu display", Value(kHkcu, kDesktop, "MenuShowDelay", String, "0")));
  actions.push_back(Single("Enable prefetcher",
                           Value(kHklm, kMemoryManagement + R"(PrefetchParameters\)", "EnablePrefetcher", Dword, "3")));
  actions.push_back(Single("Increase application timeout", Value(kHkcu, kDesktop, "HungAppTimeout", String, "10000")));
  actions.push_back(
      Single("Remove Task Scheduler",
             Value(kHklm, R"(\Software\Microsoft\Windows\CurrentVersion\RunServices\)", "SchedulingAgent", Delete)));
  actions.push_back(Single("Disable Windows Animation", Value(kHkcu, kDesktop, "MinAnimate", String, "0")));
  actions.push_back(
      Single("Repair and Optimize Icons Cache", Value(kHklm, kHklmExplorer, "Max Cached Icons", String, "8000")));
  actions.push_back(WithExtras(
      Single("Increase DNS Cache", Value(kHklm, kDnscacheParameters, "CacheHashTableBucketSize", Dword, "384")),
      Dwords(kDnscacheParameters,
             {{"CacheHashTableSize", 64000}, {"MaxCacheEntryTtlLimit", 301}, {"MaxSOACacheEntryTtlLimit", 300}})));
  actions.push_back(
      Single("Increase CPU priority to real-time",
             Value(kHklm, R"(\System\CurrentControlSet\control\PriorityControl\)", "IRQ8Priority", Dword, "1")));
  actions.push_back(
      Single("Speed up internet explorer browsing",
             KeyDeletion(kHklm, R"(\Software\Microsoft\Windows\CurrentVersion\Explorer\RemoteComputer\NameSpace\)"
                                R"({D6277990-4C6A-11CF-8D87-00AA0060F5BF})")));
  actions.push_back(WithExtras(
      Single("Fix copy, move, send to in popup menus",
             Value(kHkcr, kContextMenuHandlers + R"(Copy To\)", "", String, "{C2FBB630-2971-11D1-A18C-00C04FD75D13}")),
      {Value(kHkcr, kContextMenuHandlers + R"(Move To\)", "", String, "{C2FBB631-2971-11D1-A18C-00C04FD75D13}"),
       Value(kHkcr, kContextMenuHandlers + R"(Send To\)", "", String, "{7BA4C740-9E81-11CF-99D3-00AA004AE837}")}));

  const auto history = [](std::string_view title, RootKey root, std::string_view below) {
    return Cleaning(title, {KeyDeletion(root, std::string(below))});
  };
  actions.push_back(
      history("Clear history of folders in common dialog boxes", kHkcu, kExplorer + R"(\ComDlg32\LastVisitedMRU)"));
  actions.push_back(
      history("Clear history of files in common dialog boxes", kHkcu, kExplorer + R"(\ComDlg32\OpenSaveMRU)"));
  actions.push_back(history("Clear `Find Files` history", kHkcu, kExplorer + R"(\DocFindSpecMRU)"));
  actions.push_back(history("Clear `Find Computer` history", kHkcu, kExplorer + R"(\FindComputerMRU)"));
  actions.push_back(
      history("Clear history of items used in named text box on dialog boxes", kHkcu, kExplorer + R"(\OCXStreamMRU)"));
  actions.push_back(history("Clear history of printer ports searched", kHkcu, kExplorer + R"(\PrnPortsMRU)"));
  actions.push_back(
      history("Clear history of recent documents opened from start menu", kHkcu, kExplorer + R"(\RecentDocs)"));
  actions.push_back(
      history("Clear history of commands typed in run entry of start menu", kHkcu, kExplorer + R"(\RunMRU)"));
  actions.push_back(history("Clear history of wallpaper", kHkcu, kExplorer + R"(\Wallpaper\MRU)"));
  const std::string applets = R"(\Software\Microsoft\Windows\CurrentVersion\Applets\)";
  actions.push_back(history("Clear history of Paint", kHkcu, applets + "Paint\\Recent File List"));
  actions.push_back(history("Clear history of Wordpad", kHkcu, applets + "Wordpad\\Recent File List"));
  actions.push_back(
      Cleaning("Clear history of layout settings of windows",
               {KeyDeletion(kHku, R"(\.Default)" + kExplorer + R"(\StreamMRU)"),
                KeyDeletion(kHku, R"(\.Default)" + kExplorer + R"(\Streams)"),
                KeyDeletion(kHkcu, kExplorer + R"(\StreamMRU)"), KeyDeletion(kHkcu, kExplorer + R"(\Streams)")}));
  actions.push_back(Cleaning("Clear history of Media Player",
                             {KeyDeletion(kHkcu, R"(\Software\Microsoft\MediaPlayer\Player\RecentFileList)"),
                              KeyDeletion(kHkcu, R"(\Software\Microsoft\MediaPlayer\Player\RecentURLList)"),
                              KeyDeletion(kHkcu, R"(\Software\Microsoft\MediaPlayer\Radio\MRUList)")}));
  actions.push_back(
      Cleaning("Clear history Imaging program", {KeyDeletion(kHkcu, R"(\Software\Kodak\Imaging\Recent File List)"),
                                                 KeyDeletion(kHkcu, R"(\Software\Wang\Imaging\Recent File List)")}));
  // Both values are emptied; only the second tells whether the history is clear.
  actions.push_back(Cleaning("Clear history of Telnet",
                             {Value(kHkcu, R"(\Software\Microsoft\Telnet\)", "Machine1", String),
                              Value(kHkcu, R"(\Software\Microsoft\Telnet\)", "LastMachine", String)},
                             /*stopAtFalse=*/false));
  actions.push_back(Cleaning("Clear history of RegEdit", {Value(kHkcu, applets + R"(Regedit\)", "LastKey", Delete)}));
  actions.push_back(history("Clear history of mapped network drives", kHkcu, R"(\Network\Recent)"));
  actions.push_back(
      history("Clear history of URLs in Netscape", kHkcu, R"(\Software\Netscape\Netscape Navigator\URL History)"));
  actions.push_back(
      history("Clear history of Search Assistant", kHkcu, R"(\Software\Microsoft\Search Assistant\ACMru)"));
  actions.push_back(history("Clear history of files in Microsoft Management Console", kHkcu,
                            R"(\Software\Microsoft\Microsoft Management Console\Recent File List)"));
  actions.push_back(history("Clear history of phone numbers in Messenger", kHkcu,
                            R"(\Software\Microsoft\MessengerService\PhoneMRU)"));
  actions.push_back(history("Clear history of URLs in internet explorer", kHkcu,
                            R"(\Software\Microsoft\Internet Explorer\TypedURLs)"));
  actions.push_back(
      Cleaning("Clear download location history of Internet Explorer",
               {Value(kHkcu, R"(\Software\Microsoft\Internet Explorer\)", "Download Directory", String)}));
  return actions;
}

}  // namespace

std::span<const TweakAction> TweakActions() {
  static const std::vector<TweakAction> actions = BuildActions();
  return actions;
}

const TweakAction* FindTweakAction(std::string_view title) {
  for (const auto table : {TweakActions(), Windows10Actions()}) {
    for (const auto& action : table) {
      if (action.title == title) {
        return &action;
      }
    }
  }
  return nullptr;
}

bool NeedsAdministrator(const RegistryChange& change) {
  return reg::IsMachineWide(change.root, change.keyPath);
}

bool NeedsAdministrator(const TweakAction& action) {
  const auto any = [](const std::vector<RegistryChange>& changes) {
    return std::any_of(changes.begin(), changes.end(), [](const RegistryChange& c) { return NeedsAdministrator(c); });
  };
  return action.specialMachineWide || any(action.changes) || any(action.extras);
}

}  // namespace sw::tweaks
