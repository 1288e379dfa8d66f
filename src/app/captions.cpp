#include "app/captions.h"

#include <array>

#include "core/language.h"

namespace sw::app {
namespace {

constexpr CaptionAssignment Text(std::string_view control, Slot slot, int text, int index = 0) {
  return {control, slot, index, text, {}};
}

constexpr CaptionAssignment Fixed(std::string_view control, Slot slot, std::string_view text) {
  return {control, slot, 0, -1, text};
}

constexpr std::string_view kBackupHint =
    "This button must be checked before any deletion or modification to be applied, in order to restore items to "
    "their original states afterwards. The downside is that a backup file with smaller size is created whenever a "
    "modification was made.";
constexpr std::string_view kRestoreHint =
    "Restore items related to current type selected from toolbar, to their original states. It needs secure button "
    "to be on before any modification takes place.";

constexpr std::array kAssignments{
    Text("tbtDosyalar", Slot::kHint, 15),
    Text("tbtSistemKayit", Slot::kHint, 16),
    Text("tbtMemory", Slot::kHint, 17),
    Text("tbtSoftware", Slot::kHint, 18),
    Fixed("tbtAdvanced", Slot::kHint, "Advanced Settings"),
    Fixed("tbtSupport", Slot::kHint, "Support"),
    Text("GroupBox2", Slot::kCaption, 13),
    Text("GroupBox1", Slot::kCaption, 19),
    Text("chkIntCache", Slot::kCaption, 20),
    Text("chkIntCache", Slot::kHint, 62),
    Text("chkIntCookies", Slot::kCaption, 104),
    Text("chkIntCookies", Slot::kHint, 63),
    Text("chkRecent", Slot::kCaption, 21),
    Text("chkRecent", Slot::kHint, 64),
    Text("chkIntHistory", Slot::kCaption, 22),
    Text("chkIntHistory", Slot::kHint, 65),
    Text("chkAlerts", Slot::kCaption, 133),
    Text("chkAlerts", Slot::kHint, 134),
    Text("Label3", Slot::kCaption, 34),
    Text("lblAllDrives", Slot::kCaption, 32),
    Fixed("tbtBackup", Slot::kHint, kBackupHint),
    Fixed("tbtRestore", Slot::kHint, kRestoreHint),
    Text("tbtInformation", Slot::kHint, 127),
    Text("tbtHelp", Slot::kHint, 5),
    Fixed("tbtResources", Slot::kHint, "Resources"),
    Text("ListView1", Slot::kColumn, 28, 0),
    Text("ListView1", Slot::kColumn, 29, 1),
    Text("ListView1", Slot::kColumn, 30, 2),
    Text("ListView1", Slot::kColumn, 31, 3),
    Text("pnlAbout", Slot::kTab, 0, 0),
    Text("pnlAbout", Slot::kTab, 3, 1),
    Text("pnlAbout", Slot::kTab, 4, 2),
    Text("pnlAbout", Slot::kTab, 5, 3),
    Text("pnlSystem", Slot::kTab, 33, 0),
    Text("pnlSystem", Slot::kTab, 34, 1),
    Text("pnlSystem", Slot::kTab, 35, 2),
    Text("pnlSystem", Slot::kTab, 128, 3),
    Text("lblPieGuide1", Slot::kCaption, 131),
    Text("lblPieGuide2", Slot::kCaption, 132),
    Text("Monitor1", Slot::kCaption, 125),
    Text("SystemResources1", Slot::kCaption, 126),
    Text("Information1", Slot::kCaption, 127),
    Text("FolderUsage", Slot::kCaption, 128),
    Text("CPU1", Slot::kCaption, 33),
    Text("Drive1", Slot::kCaption, 34),
    Text("Memory1", Slot::kCaption, 35),
    Text("About1", Slot::kCaption, 0),
    Text("Help1", Slot::kCaption, 5),
    Text("btnUpdate", Slot::kCaption, 6),
    Text("lblUpdate", Slot::kCaption, 105),
    Text("StatLabel20", Slot::kCaption, 36),
    Text("StatLabel7", Slot::kCaption, 37),
    Text("StatLabel9", Slot::kCaption, 38),
    Text("StatLabel17", Slot::kCaption, 39),
    Text("StatLabel10", Slot::kCaption, 40),
    Text("StatLabel11", Slot::kCaption, 41),
    Text("StatLabel12", Slot::kCaption, 42),
    Text("StatLabel13", Slot::kCaption, 43),
    Text("StatLabel14", Slot::kCaption, 44),
    Text("StatLabel15", Slot::kCaption, 45),
    Text("StatLabel16", Slot::kCaption, 46),
    Text("StatLabel19", Slot::kCaption, 47),
    Text("StatLabel2", Slot::kCaption, 48),
    Text("StatLabel3", Slot::kCaption, 49),
    Text("StatLabel4", Slot::kCaption, 49),
    Text("StatLabel5", Slot::kCaption, 50),
    Text("StatLabel18", Slot::kCaption, 51),
    Text("StatLabel6", Slot::kCaption, 52),
    Text("StatLabel8", Slot::kCaption, 53),
    Text("StatLabel21", Slot::kCaption, 54),
    Text("StatLabel23", Slot::kCaption, 55),
    Text("btnRefresh", Slot::kHint, 120),
};

}  // namespace

std::span<const CaptionAssignment> CaptionAssignments() {
  return kAssignments;
}

std::string_view CaptionText(const CaptionAssignment& assignment, int language) {
  return assignment.text < 0 ? assignment.fixedText : LanguageText(language, assignment.text);
}

}  // namespace sw::app
