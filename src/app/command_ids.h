#pragma once
// The command identifiers of the main window's toolbar, menus and buttons, and its window
// class. Shared with the programs that drive the window from outside (tests, screenshots).

namespace sw::app {

inline constexpr const wchar_t* kMainWindowClass = L"SweepwiseMainWindow";
// A window property set once the start is over and the window is in the tray.
inline constexpr const wchar_t* kResidentProperty = L"Sweepwise.Resident";
// The message the tray icon sends the main window (WM_APP + 1), with NOTIFYICON_VERSION_4
// arguments: the event in the low word of lParam, the point in wParam.
inline constexpr unsigned kTrayCallbackMessage = 0x8000 + 1;

enum CommandId : unsigned {
  // Toolbar buttons.
  kCmdDosyalar = 100,  // tbtDosyalar
  kCmdSistemKayit,     // tbtSistemKayit
  kCmdMemory,          // tbtMemory
  kCmdSoftware,        // tbtSoftware
  kCmdAdvanced,        // tbtAdvanced
  kCmdResources,       // tbtResources
  kCmdFolders,         // tbtFolders
  kCmdInformation,     // tbtInformation
  kCmdHelp,            // tbtHelp
  kCmdSupport,         // tbtSupport
  kCmdRestore,         // tbtRestore
  kCmdBackup,          // tbtBackup

  // Main menu.
  kCmdMonitor1 = 200,
  kCmdCpu1,
  kCmdDrive1,
  kCmdMemory1,
  kCmdFolderUsage,
  kCmdAbout1,
  kCmdHelp1,
  kCmdSupport1,
  kCmdLanguageFirst = 220,  // Turkish1 ... Slovak1: kCmdLanguageFirst + language number

  // Tray menu.
  kCmdShow1 = 300,
  kCmdHide1,
  kCmdExit1,
  kCmdRestartElevated,  // "Restart as administrator", also in the main menu's Information

  // Command panel and pages.
  kCmdBul = 400,  // btnBul, Find
  kCmdSil,        // btnSil, Delete
  kCmdRefresh,    // btnRefresh
  kCmdStop,       // btnStop
  kCmdUpdate,     // btnUpdate
  kCmdTweakTabs,  // pcTweaks, the Advanced page's tab control (its control id)
  // The update check now, as the memory timer starts it once online (for the programs that
  // drive the window from outside).
  kCmdUpdateCheck,
  kCmdUndo,  // btnUndo, the History tab of the Advanced page

  // The drive selectors of the system tabs.
  kCmdCmbDrive = 500,  // cmbDrive, the Drive page
  kCmdDriveComboBox1,  // DriveComboBox1, the Folder Usage page
};

// The Language menu's item of `language`.
constexpr unsigned LanguageCommand(int language) {
  return kCmdLanguageFirst + static_cast<unsigned>(language);
}

}  // namespace sw::app
