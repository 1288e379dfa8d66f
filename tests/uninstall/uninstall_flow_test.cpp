// Uninstallers run from the list, on the in-memory registry with recorded program starts:
// the entry decides afterwards what happens, and an entry that outlived its uninstaller goes
// only on the user's Yes, saved first.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/language.h"
#include "history/history_log.h"
#include "platform/host/memory_registry.h"
#include "registry/reg_file.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "support/host_platform.h"
#include "support/registry_spy.h"
#include "uninstall/software_list.h"
#include "uninstall/uninstall_flow.h"

namespace sw::uninstall {
namespace {

using platform::ProgramEnd;
using platform::ProgramWait;
using platform::StartAs;
using platform::WaitHooks;
using platform::RegView;
using platform::RootKey;
using platform::host::RecordingProcesses;
using Events = std::vector<std::string>;

std::string UninstallKey(std::string_view below) {
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
  bool ShouldStop() override { return stop; }
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
  bool stop = false;
};

class UninstallFlowTest : public ::testing::Test {
 protected:
  // An entry whose uninstaller is the program file the command names (made here when the
  // command names one by a full path).
  void Register(std::string_view subKey, std::string_view name, std::string_view command,
                RootKey root = RootKey::LocalMachine, RegView view = RegView::Own) {
    Set(subKey, "DisplayName", name, root, view);
    Set(subKey, "UninstallString", command, root, view);
    if (command.size() > 3 && command[1] == ':') {
      host_.MakeFile(command.substr(0, command.find(".exe") + 4));
    }
  }
  void Set(std::string_view subKey, std::string_view name, std::string_view text, RootKey root = RootKey::LocalMachine,
           RegView view = RegView::Own, std::uint32_t type = platform::kRegSz) {
    auto key = host_.registry().OpenRootView(root, view);
    ASSERT_TRUE(key);
    auto entry = (*key)->Create(UninstallKey(subKey));
    ASSERT_TRUE(entry);
    ASSERT_TRUE((*entry)->Set(name, type, reg::EncodeRegText(text, true)));
  }
  void SetDword(std::string_view subKey, std::string_view name, std::uint32_t number) {
    ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::LocalMachine, UninstallKey(subKey) + "\\" + std::string(name),
                                   number));
  }
  bool Has(std::string_view subKey, RootKey root = RootKey::LocalMachine, RegView view = RegView::Own) {
    auto key = host_.registry().OpenRootView(root, view);
    return key && (*key)->Open(UninstallKey(subKey), platform::RegAccess::Read).has_value();
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
  const std::string entry = "[HKEY_LOCAL_MACHINE\\" + UninstallKey("{22222222-BBBB}");
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
  host_.MakeFile("C:\\Tools\\un.exe");
  host_.MakeFile("C:\\Program Files\\P\\un.exe");
  const std::string code = "{6F2C1D3A-5B4E-4F60-9A7B-8C9D0E1F2A3B}";
  Register(code, "Installer Product", "MsiExec.exe /I" + code);
  SetDword(code, "WindowsInstaller", 1);
  // Windows' own programs are started from System32 by their full path, whatever the
  // command says: the program's own folder and the current folder, which the system would
  // search first, may hold a program of the same name.
  host_.MakeFile("C:\\Windows\\System32\\MsiExec.exe");
  host_.MakeFile("C:\\Windows\\System32\\rundll32.exe");
  Register("{RUNDLL}", "Shell Extension", "rundll32 shext.dll,Remove");
  host_.MakeFile("C:\\Program\\setup.exe");  // beside Sweepwise, where a bare name would be found first
  Register("{NOT-A-GUID}", "Not A Product", "setup.exe /remove");
  SetDword("{NOT-A-GUID}", "WindowsInstaller", 1);
  Register("{RELATIVE}", "Relative", "bin\\remove.exe");
  const UninstallOutcome outcome = UninstallAll();
  EXPECT_EQ(Started(), (std::vector<std::string>{"C:\\Windows\\System32\\MsiExec.exe /X" + code,
                                                 "C:\\Tools\\un.exe /x", "C:\\Program Files\\P\\un.exe",
                                                 "C:\\Windows\\System32\\rundll32.exe shext.dll,Remove"}));
  ASSERT_EQ(outcome.entries.size(), 6U);
  for (const UninstalledEntry& entry : outcome.entries) {
    if (entry.title == "Not A Product" || entry.title == "Relative") {
      EXPECT_EQ(entry.result, UninstallResult::NotStarted) << entry.title;
      EXPECT_NE(entry.problem.find(entry.title == "Relative" ? "not a full one" : "none of Windows' own programs"),
                std::string::npos)
          << entry.problem;
    }
  }
}

TEST_F(UninstallFlowTest, AnUninstallerThatNeedsAdministratorRightsIsStartedWithConsent) {
  Register("{ADMIN}", "Needs Rights", "C:\\Program Files\\Admin Tool\\uninst.exe /remove /log");
  host_.MakeFile("C:\\Program Files\\Admin Tool\\uninst.exe");
  processes().OnRun([](const RecordingProcesses::Start& start, const WaitHooks&) -> Result<ProgramEnd> {
    if (!start.elevated) {
      return Error(Errc::ElevationRequired);
    }
    return ProgramEnd{ProgramWait::ProgramOnly, 0, false};  // what a program of higher rights starts is not followed
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
  processes().OnRun([](const RecordingProcesses::Start& start, const WaitHooks&) -> Result<ProgramEnd> {
    return start.elevated ? Result<ProgramEnd>(Error(Errc::Cancelled)) : Error(Errc::ElevationRequired);
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
  Register("{KEPT}", "Kept", "C:\\k\\k.exe");
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
  Register("{Q}", "Has Quiet", "C:\\q\\q.exe");
  Set("{Q}", "QuietUninstallString", "C:\\q\\q.exe /S");
  const std::string code = "{0A1B2C3D-0000-4000-8000-00000000AB12}";
  Register(code, "Installer Product", "MsiExec.exe /I" + code);
  SetDword(code, "WindowsInstaller", 1);
  host_.MakeFile("C:\\Windows\\System32\\MsiExec.exe");
  Register("{N}", "No Quiet", "C:\\n\\n.exe");
  const UninstallOutcome outcome = UninstallAll(UninstallOptions{true});
  EXPECT_EQ(Started(), (std::vector<std::string>{"C:\\Windows\\System32\\MsiExec.exe /X" + code + " /qn",
                                                 "C:\\q\\q.exe /S"}));
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

// A program that runs until the wait is ended: it asks the hooks as a real wait does, and
// each "tick" lets the test move time on. (The wait's own clock is the real one; the limits
// here are a few tenths of a second.)
Result<ProgramEnd> NeverEnds(const WaitHooks& hooks) {
  while (hooks.keepWaiting()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return ProgramEnd{ProgramWait::WholeTree, std::nullopt, true};
}

std::vector<history::Entry> History(platform::Platform& platform) {
  auto entries = history::HistoryLog(platform).Read();
  return entries ? *entries : std::vector<history::Entry>{};
}

// The exit code decides: 0, 3010 and 1641 are success; anything else keeps the entry, even
// with every question answered Yes, and is named with its meaning.
TEST_F(UninstallFlowTest, AnUninstallerThatFailsKeepsItsEntryWhateverTheAnswer) {
  Register("{BUSY}", "Busy Installer", "C:\\busy\\un.exe");
  Register("{RESTART}", "Needs Restart", "C:\\restart\\un.exe");
  Register("{ODD}", "Odd Code", "C:\\odd\\un.exe");
  processes().OnRun([&](const RecordingProcesses::Start& start, const WaitHooks&) -> Result<ProgramEnd> {
    if (start.program == "C:\\restart\\un.exe") {
      Remove("{RESTART}");
      return ProgramEnd{ProgramWait::WholeTree, 3010, false};
    }
    return ProgramEnd{ProgramWait::WholeTree, start.program == "C:\\busy\\un.exe" ? 1618U : 7U, false};
  });
  sink_.answer = Answer::Yes;
  sink_.SetOrigin("Software page test");
  const UninstallOutcome outcome = UninstallAll();  // in the order of their keys
  ASSERT_EQ(outcome.entries.size(), 3U);
  const UninstalledEntry& busy = outcome.entries[0];
  const UninstalledEntry& odd = outcome.entries[1];
  const UninstalledEntry& restart = outcome.entries[2];
  EXPECT_EQ(busy.result, UninstallResult::Failed);
  EXPECT_EQ(busy.exitCode, 1618U);
  EXPECT_FALSE(busy.Removed());
  EXPECT_TRUE(Has("{BUSY}"));
  EXPECT_EQ(busy.problem,
            "The uninstaller of Busy Installer ended with exit code 1618 (another installation is already in "
            "progress): Busy Installer was not removed, and its entry stays.");
  EXPECT_EQ(odd.result, UninstallResult::Failed);
  EXPECT_NE(odd.problem.find("ended with exit code 7:"), std::string::npos) << odd.problem;
  EXPECT_TRUE(Has("{ODD}"));
  for (const Message& message : sink_.messages) {
    EXPECT_NE(message.buttons, MessageButtons::YesNo) << "no question after a failure: " << message.text;
  }
  EXPECT_EQ(restart.result, UninstallResult::ProgramGone);
  EXPECT_TRUE(restart.restartNeeded);
  EXPECT_TRUE(restart.ProgramWent());
  EXPECT_NE(std::find(sink_.statuses.begin(), sink_.statuses.end(),
                      "Needs Restart was removed by its uninstaller. A restart of the computer is needed to finish."),
            sink_.statuses.end());
  ASSERT_EQ(list_.size(), 2U);  // the failed programs keep their rows

  // Each run is in the history: begun before, completed after, never undoable.
  const std::vector<history::Entry> history = History(host_.platform());
  ASSERT_EQ(history.size(), 3U);
  for (const history::Entry& entry : history) {
    EXPECT_EQ(entry.action, history::Action::Uninstalled);
    EXPECT_EQ(entry.origin, "Software page test");
    EXPECT_EQ(entry.notUndoable, "An uninstaller cannot be undone.");
  }
  EXPECT_EQ(history[2].names, std::vector<std::string>{"Busy Installer"});
  EXPECT_EQ(history[2].state, history::EntryState::Failed);
  EXPECT_EQ(history[2].problem, busy.problem);
  EXPECT_NE(history[2].summary.find("\"C:\\busy\\un.exe\") ended with exit code 1618"), std::string::npos)
      << history[2].summary;
  EXPECT_EQ(history[0].state, history::EntryState::Done);  // newest first
  EXPECT_NE(history[0].summary.find("its entry went"), std::string::npos) << history[0].summary;
}

// An uninstaller whose program was deleted by hand: nothing is started, the entry is
// orphaned, and the question decides it; Yes saves it first and the history names the .reg.
TEST_F(UninstallFlowTest, AnEntryWhoseUninstallerIsGoneIsOrphanedAndGoesOnYes) {
  Register("{GONE}", "Deleted By Hand", "\"C:\\Program Files\\Deleted\\uninst.exe\" /S");
  std::filesystem::remove_all(host_.Host("C:\\Program Files\\Deleted"));
  UninstallOutcome outcome = UninstallAll();  // No
  ASSERT_EQ(outcome.entries.size(), 1U);
  EXPECT_EQ(outcome.entries[0].result, UninstallResult::Orphaned);
  EXPECT_TRUE(outcome.entries[0].ProgramWent());
  EXPECT_FALSE(outcome.entries[0].started);
  EXPECT_TRUE(processes().starts().empty());
  ASSERT_EQ(sink_.messages.size(), 1U) << "no notice: nothing is launched";
  EXPECT_TRUE(sink_.messages[0].defaultNo);
  EXPECT_EQ(sink_.messages[0].text.find("The uninstaller of Deleted By Hand, C:\\Program Files\\Deleted\\uninst.exe, "
                                        "no longer exists."),
            0U)
      << sink_.messages[0].text;
  EXPECT_TRUE(Has("{GONE}"));

  sink_.Forget();
  sink_.answer = Answer::Yes;
  sink_.SetOrigin("sweepwise-cli uninstall");
  outcome = UninstallAll();
  EXPECT_EQ(outcome.entries[0].result, UninstallResult::Orphaned);
  EXPECT_TRUE(outcome.entries[0].leftoverRemoved);
  EXPECT_FALSE(Has("{GONE}"));
  EXPECT_TRUE(list_.empty());
  EXPECT_NE(Backup("regbackup000.reg").find("Deleted By Hand"), std::string::npos);
  const std::vector<history::Entry> history = History(host_.platform());
  ASSERT_EQ(history.size(), 1U) << "no uninstaller ran";
  EXPECT_EQ(history[0].action, history::Action::EntryRemoved);
  EXPECT_EQ(history[0].state, history::EntryState::Done);
  EXPECT_EQ(history[0].origin, "sweepwise-cli uninstall");
  EXPECT_EQ(history[0].backups, std::vector<std::string>{"C:\\Program\\regbackup000.reg"});
  EXPECT_EQ(history[0].names, (std::vector<std::string>{"Deleted By Hand", "HKLM64\\{GONE}"}));
  EXPECT_TRUE(history[0].Undoable());
}

// A program that never ends: the wait ends at its limit (or at Stop), nothing is removed
// whatever the answers, and no further uninstaller starts beside the one that still runs.
TEST_F(UninstallFlowTest, AWaitThatIsNotAnsweredEndsAtItsLimitOrAtStopAndRemovesNothing) {
  Register("{HANGS}", "Hangs", "C:\\hangs\\un.exe");
  Register("{NEXT}", "Next In Line", "C:\\next\\un.exe");
  processes().OnRun([](const RecordingProcesses::Start&, const WaitHooks& hooks) { return NeverEnds(hooks); });
  sink_.answer = Answer::Yes;
  std::vector<Waiting> reports;
  UninstallOptions options;
  options.timeout = std::chrono::milliseconds(300);
  options.onWaiting = [&](const Waiting& waiting) { reports.push_back(waiting); };
  UninstallOutcome outcome = UninstallAll(options);
  ASSERT_EQ(outcome.entries.size(), 1U);
  EXPECT_TRUE(outcome.interrupted);
  EXPECT_EQ(outcome.entries[0].result, UninstallResult::TimedOut);
  EXPECT_FALSE(outcome.entries[0].exitCode);
  EXPECT_TRUE(Has("{HANGS}"));
  EXPECT_TRUE(Has("{NEXT}"));
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\hangs\\un.exe"});
  EXPECT_NE(outcome.entries[0].problem.find("for the uninstaller of Hangs and the programs it started"),
            std::string::npos)
      << outcome.entries[0].problem;
  EXPECT_NE(outcome.entries[0].problem.find("Nothing was removed"), std::string::npos);
  ASSERT_GE(reports.size(), 2U);
  EXPECT_EQ(reports.front().what, "the uninstaller of Hangs and the programs it started");
  EXPECT_FALSE(reports.front().done);
  EXPECT_TRUE(reports.back().done);
  ASSERT_EQ(list_.size(), 2U);
  EXPECT_TRUE(list_[1].checked) << "the row not run stays checked";

  sink_.Forget();
  sink_.stop = true;  // Stop waiting
  options.timeout = std::chrono::hours(1);
  outcome = UninstallAll(options);
  EXPECT_EQ(outcome.entries[0].result, UninstallResult::Stopped);
  EXPECT_NE(outcome.entries[0].problem.find("Sweepwise stopped waiting for"), std::string::npos);
  EXPECT_TRUE(Has("{HANGS}"));
  const std::vector<history::Entry> history = History(host_.platform());
  ASSERT_EQ(history.size(), 2U);
  EXPECT_EQ(history[0].state, history::EntryState::Failed);
  EXPECT_EQ(history[0].problem, outcome.entries[0].problem);
}

// Windows Installer may still be removing the program when the uninstaller's programs have
// ended: the entry is looked at only once it is done.
TEST_F(UninstallFlowTest, TheEntryIsLookedAtOnlyOnceWindowsInstallerIsDone) {
  Register("{MSI}", "Installer Finishes Late", "C:\\late\\un.exe");
  int polls = 0;
  processes().OnInstallerBusy([&] {
    if (++polls == 3) {
      Remove("{MSI}");  // the installer's last step, just before it lets go of its mutex
      return false;
    }
    return true;
  });
  sink_.answer = Answer::No;
  std::vector<std::string> waitedFor;
  UninstallOptions options;
  options.onWaiting = [&](const Waiting& waiting) {
    if (!waiting.done) {
      waitedFor.push_back(waiting.what);
    }
  };
  UninstallOutcome outcome = UninstallAll(options);
  EXPECT_EQ(outcome.entries[0].result, UninstallResult::ProgramGone);
  EXPECT_TRUE(outcome.entries[0].entryGone);
  EXPECT_EQ(polls, 3);
  EXPECT_NE(std::find(waitedFor.begin(), waitedFor.end(), "Windows Installer, which is busy with an installation"),
            waitedFor.end());

  // Busy for good: the same limit as any wait.
  Register("{MSI2}", "Installer Never Done", "C:\\never\\un.exe");
  processes().OnInstallerBusy([] { return true; });
  options.timeout = std::chrono::milliseconds(300);
  outcome = UninstallAll(options);
  EXPECT_EQ(outcome.entries[0].result, UninstallResult::TimedOut);
  EXPECT_TRUE(Has("{MSI2}"));
}

// While Sweepwise runs elevated, a current user's entry (any program of that user may
// rewrite its command) is started as the desktop starts programs, or refused; never with
// administrator rights, and never elevated with consent instead.
TEST_F(UninstallFlowTest, ACurrentUsersCommandIsNeverStartedWithAdministratorRights) {
  Register("{MINE}", "Per User", "C:\\Users\\me\\AppData\\Local\\App\\un.exe", RootKey::CurrentUser);
  Register("{MACHINE}", "For Everyone", "C:\\Program Files\\App\\un.exe");
  std::vector<std::pair<std::string, StartAs>> started;
  processes().OnRun([&](const RecordingProcesses::Start& start, const WaitHooks&) -> Result<ProgramEnd> {
    started.emplace_back(start.program, start.as);
    return ProgramEnd{ProgramWait::WholeTree, 0, false};
  });
  host_.system().SetAdmin(true);
  UninstallOutcome outcome = UninstallAll();
  ASSERT_EQ(started.size(), 2U);
  EXPECT_EQ(started[0], std::make_pair(std::string("C:\\Program Files\\App\\un.exe"), StartAs::Self));
  EXPECT_EQ(started[1], std::make_pair(std::string("C:\\Users\\me\\AppData\\Local\\App\\un.exe"),
                                       StartAs::DesktopUser));
  EXPECT_TRUE(outcome.entries[1].asDesktopUser);

  // Without administrator rights there is nothing to withhold.
  started.clear();
  host_.system().SetAdmin(false);
  (void)UninstallAll();
  EXPECT_EQ(started[1].second, StartAs::Self);

  // No unelevated shell to start it as, or an uninstaller that asks for administrator rights
  // itself: refused, with why and how to run it.
  host_.system().SetAdmin(true);
  for (const Errc refusal : {Errc::InvalidWindowHandle, Errc::AccessDenied, Errc::ElevationRequired}) {
    sink_.Forget();
    processes().OnRun([&](const RecordingProcesses::Start& start, const WaitHooks&) -> Result<ProgramEnd> {
      if (start.as == StartAs::DesktopUser || start.elevated) {
        return Error(refusal);
      }
      return ProgramEnd{ProgramWait::WholeTree, 0, false};
    });
    const std::size_t before = processes().starts().size();
    outcome = UninstallAll();
    ASSERT_EQ(outcome.entries.size(), 2U);
    const UninstalledEntry& mine = outcome.entries[1];
    EXPECT_EQ(mine.result, UninstallResult::NotStarted);
    EXPECT_FALSE(mine.elevated);
    EXPECT_EQ(mine.problem.find("Sweepwise runs with administrator rights, and the uninstall command of Per User is "
                                "in the current user's own entry"),
              0U)
        << mine.problem;
    EXPECT_NE(mine.problem.find("Uninstall Per User from Sweepwise started without administrator rights"),
              std::string::npos);
    EXPECT_EQ(processes().starts().size(), before + 2) << "no second start, with consent or otherwise";
    EXPECT_TRUE(Has("{MINE}", RootKey::CurrentUser));
  }
}

}  // namespace
}  // namespace sw::uninstall
