// Uninstallers run from the list, on the in-memory registry with recorded program starts:
// the entry decides afterwards what happens, and an entry that outlived its uninstaller goes
// only on the user's Yes, saved first.

#include <gtest/gtest.h>

#include "core/language.h"
#include "platform/host/memory_registry.h"
#include "registry/reg_file.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "support/host_platform.h"
#include "support/registry_spy.h"
#include "uninstall/software_list.h"

namespace sw::uninstall {
namespace {

using platform::ProgramWait;
using platform::RegView;
using platform::RootKey;
using platform::host::RecordingProcesses;
using Events = std::vector<std::string>;

std::string Key(std::string_view below) {
  return std::string(kUninstallKey) + "\\" + std::string(below);
}

// What the engine does, in the order it does it: questions by their text, message passes,
// row changes; the recorded starts are added by the tests' start handler.
class EventSink final : public EngineSink {
 public:
  void ShowStatus(std::string_view text) override { statuses.emplace_back(text); }
  void SetProgressMax(std::uint64_t) override {}
  void SetProgress(std::uint64_t) override {}
  void AddRow(const ResultRow& row) override { rows.push_back(row); }
  Answer Ask(const Message& message) override {
    events.push_back("ask " + message.text);
    messages.push_back(message);
    return message.buttons == MessageButtons::YesNo ? answer : Answer::Ok;
  }
  void ProcessMessagesNow() override { events.emplace_back("pump"); }
  void RowsChanged() override { events.emplace_back("rows changed"); }
  bool ShouldStop() override { return false; }
  void Forget() {
    events.clear();
    messages.clear();
    statuses.clear();
  }

  Events events;
  std::vector<Message> messages;
  std::vector<std::string> statuses;
  std::vector<ResultRow> rows;
  Answer answer = Answer::No;
};

class UninstallFlowTest : public ::testing::Test {
 protected:
  void Register(std::string_view subKey, std::string_view name, std::string_view command,
                RootKey root = RootKey::LocalMachine, RegView view = RegView::Own) {
    Set(subKey, "DisplayName", name, root, view);
    Set(subKey, "UninstallString", command, root, view);
  }
  void Set(std::string_view subKey, std::string_view name, std::string_view text, RootKey root = RootKey::LocalMachine,
           RegView view = RegView::Own, std::uint32_t type = platform::kRegSz) {
    auto key = host_.registry().OpenRootView(root, view);
    ASSERT_TRUE(key);
    auto entry = (*key)->Create(Key(subKey));
    ASSERT_TRUE(entry);
    ASSERT_TRUE((*entry)->Set(name, type, reg::EncodeRegText(text, true)));
  }
  void SetDword(std::string_view subKey, std::string_view name, std::uint32_t number) {
    ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::LocalMachine, Key(subKey) + "\\" + std::string(name),
                                   number));
  }
  bool Has(std::string_view subKey, RootKey root = RootKey::LocalMachine, RegView view = RegView::Own) {
    auto key = host_.registry().OpenRootView(root, view);
    return key && (*key)->Open(Key(subKey), platform::RegAccess::Read).has_value();
  }
  void Remove(std::string_view subKey, RootKey root = RootKey::LocalMachine, RegView view = RegView::Own) {
    auto key = host_.registry().OpenRootView(root, view);
    ASSERT_TRUE(key);
    auto parent = (*key)->Open(kUninstallKey, platform::RegAccess::ReadWrite);
    ASSERT_TRUE(parent);
    ASSERT_TRUE(reg::RemoveKeyTree(**parent, subKey));
  }
  RecordingProcesses& processes() { return host_.processes(); }
  std::vector<std::string> Started() {
    std::vector<std::string> commands;
    for (const auto& start : processes().starts()) {
      commands.push_back((start.elevated ? "elevated " : "") + start.commandLine);
    }
    return commands;
  }
  std::vector<ResultRow> FindChecked() {
    EventSink sink;
    FindSoftware(host_.platform(), sink);
    for (auto& row : sink.rows) {
      row.checked = true;
    }
    return sink.rows;
  }
  UninstallOutcome UninstallAll(const UninstallOptions& options = {}) {
    list_ = FindChecked();
    return UninstallSoftware(list_, host_.platform(), sink_, options);
  }
  std::string Backup(std::string_view name) {
    const auto path = host_.Host("C:\\Program\\" + std::string(name));
    return std::filesystem::exists(path) ? test::ReadFileBytes(path) : std::string();
  }
  std::string Notice(const std::string& title) { return "ask " + UninstallNotice(title); }

  test::HostPlatform host_;
  EventSink sink_;
  std::vector<ResultRow> list_;
};

TEST_F(UninstallFlowTest, UninstallersRunInTurnAndOnlyAnEntryLeftBehindRaisesTheQuestion) {
  Register("{11111111-AAAA}", "Removes Itself", "C:\\a\\uninst.exe");
  Register("{22222222-BBBB}", "Leaves Its Key", "C:\\b\\uninst.exe");
  Register("Removes Itself", "Decoy", "C:\\d\\uninst.exe");  // named after the title: another entry
  processes().OnStart([&](const RecordingProcesses::Start& start) {
    sink_.events.push_back("start " + start.commandLine);
    if (start.commandLine == "C:\\a\\uninst.exe") {
      Remove("{11111111-AAAA}");
    }
    return true;
  });
  list_ = FindChecked();
  ASSERT_EQ(list_[0].columns[0], "Decoy");
  list_[0].checked = false;
  const UninstallOutcome outcome = UninstallSoftware(list_, host_.platform(), sink_);
  const std::string question = sink_.messages.size() > 2 ? sink_.messages[2].text : std::string();
  const Events expected = {Notice("Removes Itself"),
                           "start C:\\a\\uninst.exe",
                           "pump",  // while it ran
                           "pump",  // after it ended
                           "rows changed",
                           Notice("Leaves Its Key"),
                           "start C:\\b\\uninst.exe",
                           "pump",
                           "pump",
                           "ask " + question,
                           "rows changed"};
  EXPECT_EQ(sink_.events, expected);
  ASSERT_EQ(outcome.entries.size(), 2U);
  EXPECT_TRUE(outcome.AllStarted());
  EXPECT_TRUE(outcome.entries[0].entryGone);
  EXPECT_FALSE(outcome.entries[0].leftoverRemoved);
  EXPECT_EQ(sink_.statuses.front(), "Removes Itself was removed by its uninstaller.");
  EXPECT_FALSE(outcome.entries[1].Removed());  // answered No
  EXPECT_EQ(outcome.entries[1].id, "HKLM64\\{22222222-BBBB}");
  EXPECT_TRUE(Has("Removes Itself"));
  EXPECT_TRUE(Has("{22222222-BBBB}"));
  // The program that went leaves the list; the one still there and the unchecked one stay.
  ASSERT_EQ(list_.size(), 2U);
  EXPECT_EQ(list_[0].columns[0], "Decoy");
  EXPECT_EQ(list_[1].columns[0], "Leaves Its Key");
  for (const auto& start : processes().starts()) {
    EXPECT_TRUE(start.toEnd) << "waited for with everything it starts";
    EXPECT_TRUE(start.whileWaiting);
    EXPECT_FALSE(start.hidden);
  }
  EXPECT_EQ(UninstallNotice("X"),
            "Now, QZ Sweepwise Pro launches uninstaller for X.\rIn case of uninstall failure, QZ Sweepwise Pro will "
            "then clean the system from `X`");
}

TEST_F(UninstallFlowTest, AnEntryLeftBehindStaysUnlessTheUserAnswersYes) {
  Register("{22222222-BBBB}", "Leaves Its Key", "C:\\b\\uninst.exe");
  Set("{22222222-BBBB}\\Sub\\Deep", "v", "x");
  SetDword("{22222222-BBBB}", "EstimatedSize", 10000);

  // No: the program is still installed, its row stays for another try, unchecked.
  UninstallOutcome outcome = UninstallAll();
  ASSERT_EQ(sink_.messages.size(), 2U);
  const Message& question = sink_.messages[1];
  EXPECT_EQ(question.buttons, MessageButtons::YesNo);
  EXPECT_TRUE(question.defaultNo);
  EXPECT_EQ(question.text.find("The uninstaller of Leaves Its Key has ended, but Leaves Its Key is still registered"),
            0U)
      << question.text;
  EXPECT_EQ(question.text.find("could not follow"), std::string::npos);
  EXPECT_TRUE(Has("{22222222-BBBB}\\Sub\\Deep"));
  EXPECT_TRUE(Backup("regbackup000.reg").empty());
  ASSERT_EQ(list_.size(), 1U);
  EXPECT_FALSE(list_[0].checked);
  EXPECT_TRUE(outcome.entries[0].started);
  EXPECT_FALSE(outcome.entries[0].Removed());

  // Yes: saved first, then removed with its subtree, then text 88.
  sink_.Forget();
  sink_.answer = Answer::Yes;
  outcome = UninstallAll();
  EXPECT_FALSE(Has("{22222222-BBBB}"));
  EXPECT_TRUE(list_.empty());
  ASSERT_EQ(outcome.entries.size(), 1U);
  EXPECT_TRUE(outcome.entries[0].leftoverRemoved);
  EXPECT_EQ(outcome.entries[0].backupFile, "C:\\Program\\regbackup000.reg");
  EXPECT_EQ(sink_.events.back(), "rows changed");
  EXPECT_EQ(sink_.messages.back().text, Text(88));
  const reg::RegFileText backup = reg::ParseRegFile(Backup("regbackup000.reg"), host_.system());
  std::vector<std::string> keyLines;
  for (const auto& line : backup.lines) {
    if (line.starts_with('[')) {
      keyLines.push_back(line);
    }
  }
  const std::string entry = "[HKEY_LOCAL_MACHINE\\" + Key("{22222222-BBBB}");
  EXPECT_EQ(keyLines, (std::vector<std::string>{entry + "]", entry + "\\Sub]", entry + "\\Sub\\Deep]"}));
  const std::string text = Backup("regbackup000.reg");
  EXPECT_NE(text.find("\"EstimatedSize\"=dword:00002710"), std::string::npos) << text;
  EXPECT_NE(text.find("\"UninstallString\"=\"C:\\\\b\\\\uninst.exe\""), std::string::npos) << text;
}

TEST_F(UninstallFlowTest, AThirtyTwoBitEntryIsSavedUnderItsOwnKeyAndRemovedFromItsViewAlone) {
  Register("{SAME}", "Tool 64", "C:\\t64\\un.exe", RootKey::LocalMachine, RegView::Bits64);
  Register("{SAME}", "Tool 32", "C:\\t32\\un.exe", RootKey::LocalMachine, RegView::Bits32);
  sink_.answer = Answer::Yes;
  list_ = FindChecked();
  ASSERT_EQ(list_.size(), 2U);
  list_[0].checked = false;
  const UninstallOutcome outcome = UninstallSoftware(list_, host_.platform(), sink_);
  ASSERT_EQ(outcome.entries.size(), 1U);
  EXPECT_EQ(outcome.entries[0].id, "HKLM32\\{SAME}");
  EXPECT_TRUE(outcome.entries[0].leftoverRemoved);
  EXPECT_FALSE(Has("{SAME}", RootKey::LocalMachine, RegView::Bits32));
  EXPECT_TRUE(Has("{SAME}", RootKey::LocalMachine, RegView::Bits64));
  // The registry editor, a 64-bit program, reaches the 32-bit view's key by this name.
  EXPECT_NE(Backup("regbackup000.reg")
                .find("[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{SAME}]"),
            std::string::npos)
      << Backup("regbackup000.reg");
}

TEST_F(UninstallFlowTest, AnUninstallerThatDoesNotStartIsAFailureAndItsEntryStays) {
  Register("{MISSING}", "Gone Program", "C:\\gone\\uninst.exe");
  Set("{EMPTY}", "DisplayName", "Blank");  // no command at all: hidden from Vista on
  host_.system().SetVersion(platform::VersionRecord{platform::kPlatformNt, 5, 1, 2600});
  processes().OnStart([](const RecordingProcesses::Start&) { return false; });
  const UninstallOutcome outcome = UninstallAll();
  EXPECT_TRUE(Has("{MISSING}"));
  EXPECT_TRUE(Has("{EMPTY}"));
  ASSERT_EQ(outcome.entries.size(), 2U);  // Blank, then Gone Program
  EXPECT_FALSE(outcome.AllStarted());
  EXPECT_FALSE(outcome.entries[1].started);
  EXPECT_FALSE(outcome.entries[1].Removed());
  EXPECT_TRUE(outcome.entries[1].error.Is(Errc::FileNotFound));
  ASSERT_EQ(list_.size(), 2U);  // both programs are still there
  // An empty command is not even tried; neither asks the question.
  EXPECT_EQ(Started(), (std::vector<std::string>{"C:\\gone\\uninst.exe"}));
  std::vector<MessageKind> kinds;
  for (const auto& message : sink_.messages) {
    kinds.push_back(message.kind);
  }
  EXPECT_EQ(kinds, (std::vector<MessageKind>{MessageKind::Warning, MessageKind::Information, MessageKind::Warning}));
  EXPECT_NE(sink_.messages[2].text.find("could not be started"), std::string::npos) << sink_.messages[2].text;
}

TEST_F(UninstallFlowTest, CommandsAreExpandedAndWindowsInstallerProductsRemovedByTheInstaller) {
  host_.system().SetEnvironment("SystemDrive", "C:");
  host_.system().SetEnvironment("ProgramFiles", "C:\\Program Files");
  Register("{E1}", "Expandable", "");
  Set("{E1}", "UninstallString", "%SystemDrive%\\Tools\\un.exe /x", RootKey::LocalMachine, RegView::Own,
      platform::kRegExpandSz);
  Register("{E2}", "Plain With Variable", "\"%ProgramFiles%\\P\\un.exe\"");
  const std::string code = "{6F2C1D3A-5B4E-4F60-9A7B-8C9D0E1F2A3B}";
  Register(code, "Installer Product", "MsiExec.exe /I" + code);
  SetDword(code, "WindowsInstaller", 1);
  Register("{NOT-A-GUID}", "Not A Product", "setup.exe /remove");
  SetDword("{NOT-A-GUID}", "WindowsInstaller", 1);
  UninstallAll();
  EXPECT_EQ(Started(), (std::vector<std::string>{"MsiExec.exe /X" + code, "C:\\Tools\\un.exe /x",
                                                 "\"C:\\Program Files\\P\\un.exe\"", "setup.exe /remove"}));
}

TEST_F(UninstallFlowTest, AnUninstallerThatNeedsAdministratorRightsIsStartedWithConsent) {
  Register("{ADMIN}", "Needs Rights", "C:\\Program Files\\Admin Tool\\uninst.exe /remove /log");
  host_.MakeFile("C:\\Program Files\\Admin Tool\\uninst.exe");
  processes().OnRun([](const RecordingProcesses::Start& start) -> Result<ProgramWait> {
    if (!start.elevated) {
      return Error(Errc::ElevationRequired);
    }
    return ProgramWait::ProgramOnly;  // what a program of higher rights starts cannot be followed
  });
  UninstallOutcome outcome = UninstallAll();
  EXPECT_EQ(Started(), (std::vector<std::string>{"C:\\Program Files\\Admin Tool\\uninst.exe /remove /log",
                                                 "elevated C:\\Program Files\\Admin Tool\\uninst.exe /remove /log"}));
  ASSERT_EQ(outcome.entries.size(), 1U);
  EXPECT_TRUE(outcome.entries[0].started);
  EXPECT_TRUE(outcome.entries[0].elevated);
  // Its entry is still there: the question says that the uninstaller may still be at work.
  EXPECT_NE(sink_.messages.back().text.find("could not follow every program"), std::string::npos);
  EXPECT_TRUE(Has("{ADMIN}"));

  // Consent refused: nothing ran, nothing is asked, the entry stays.
  sink_.Forget();
  processes().OnRun([](const RecordingProcesses::Start& start) -> Result<ProgramWait> {
    return start.elevated ? Result<ProgramWait>(Error(Errc::Cancelled)) : Error(Errc::ElevationRequired);
  });
  outcome = UninstallAll();
  EXPECT_FALSE(outcome.entries[0].started);
  EXPECT_EQ(sink_.messages.back().text, "The uninstaller of Needs Rights needs administrator rights, and they were not given.");
  EXPECT_TRUE(Has("{ADMIN}"));
}

TEST_F(UninstallFlowTest, ALeftoverTheUserMayNotRemoveIsReportedWithTheSystemsReason) {
  Register("{MACHINE}", "Machine Wide", "C:\\m\\un.exe");
  list_ = FindChecked();
  // A standard user's rights, injected: the machine's uninstall key does not open for writing.
  auto memory = std::move(host_.platform().registry);
  auto spy = std::make_unique<test::RegistrySpy>(*memory);
  spy->FailOpeningForWriting(std::string(kUninstallKey));
  host_.platform().registry = std::move(spy);
  sink_.answer = Answer::Yes;
  const UninstallOutcome outcome = UninstallSoftware(list_, host_.platform(), sink_);
  host_.platform().registry = std::move(memory);

  ASSERT_EQ(outcome.entries.size(), 1U);
  EXPECT_TRUE(outcome.entries[0].started);
  EXPECT_FALSE(outcome.entries[0].Removed());
  EXPECT_TRUE(outcome.entries[0].error.Is(Errc::AccessDenied));
  EXPECT_TRUE(Has("{MACHINE}"));
  EXPECT_TRUE(Backup("regbackup000.reg").empty()) << "no backup of what cannot go";
  ASSERT_EQ(list_.size(), 1U);
  const Message& report = sink_.messages.back();
  EXPECT_EQ(report.kind, MessageKind::Error);
  EXPECT_EQ(report.text,
            "The entry of Machine Wide was not removed: Access is denied.\r\nThe entries of programs installed "
            "for every user can be removed with administrator rights only.");
  for (const auto& message : sink_.messages) {
    EXPECT_NE(message.text, Text(88));
  }
}

TEST_F(UninstallFlowTest, NothingIsRemovedWithoutABackupInTheDataFolder) {
  Register("{KEPT}", "Kept", "k.exe");
  host_.platform().folders.writable = Error(Errc::AccessDenied);
  host_.platform().folders.problem = "C:\\Program cannot be written: Access is denied.";
  sink_.answer = Answer::Yes;
  const UninstallOutcome outcome = UninstallAll();
  EXPECT_TRUE(Has("{KEPT}"));
  EXPECT_FALSE(outcome.entries[0].Removed());
  EXPECT_EQ(sink_.messages.back().text,
            "The entry of Kept was not removed: C:\\Program cannot be written: Access is denied.");
}

TEST_F(UninstallFlowTest, QuietUninstallsTakeTheQuietCommandAndNeverGuessOne) {
  Register("{Q}", "Has Quiet", "q.exe");
  Set("{Q}", "QuietUninstallString", "q.exe /S");
  const std::string code = "{0A1B2C3D-0000-4000-8000-00000000AB12}";
  Register(code, "Installer Product", "MsiExec.exe /I" + code);
  SetDword(code, "WindowsInstaller", 1);
  Register("{N}", "No Quiet", "n.exe");
  const UninstallOutcome outcome = UninstallAll(UninstallOptions{true});
  EXPECT_EQ(Started(), (std::vector<std::string>{"MsiExec.exe /X" + code + " /qn", "q.exe /S"}));
  ASSERT_EQ(outcome.entries.size(), 3U);
  EXPECT_FALSE(outcome.entries[1].started);
  EXPECT_EQ(outcome.entries[1].problem.find("No Quiet has no quiet uninstall command"), 0U) << outcome.entries[1].problem;
  EXPECT_TRUE(Has("{N}"));
}

TEST_F(UninstallFlowTest, NothingCheckedRunsNothing) {
  Register("{1}", "One", "1.exe");
  list_ = FindChecked();
  list_[0].checked = false;
  const std::vector<ResultRow> before = list_;
  const UninstallOutcome outcome = UninstallSoftware(list_, host_.platform(), sink_);
  EXPECT_EQ(list_, before);
  EXPECT_TRUE(outcome.entries.empty());
  EXPECT_TRUE(processes().starts().empty());
  EXPECT_TRUE(sink_.events.empty());
}

TEST_F(UninstallFlowTest, ARowThatNamesNoEntryKeyNeverRunsOrDeletesAnything) {
  Register("{1}", "One", "1.exe");
  Set("{1}\\Inner", "DisplayName", "Inner");
  list_ = FindChecked();
  ASSERT_EQ(list_.size(), 1U);
  list_.push_back(list_[0]);
  list_[0].hidden = "HKLM64\\";  // would name the uninstall key itself
  list_[1].hidden = "HKLM64\\{1}\\Inner";
  sink_.answer = Answer::Yes;
  const UninstallOutcome outcome = UninstallSoftware(list_, host_.platform(), sink_);
  EXPECT_TRUE(processes().starts().empty());
  ASSERT_EQ(outcome.entries.size(), 2U);
  EXPECT_FALSE(outcome.entries[0].started);
  EXPECT_FALSE(outcome.entries[1].Removed());
  EXPECT_TRUE(Has("{1}\\Inner"));
}

}  // namespace
}  // namespace sw::uninstall
