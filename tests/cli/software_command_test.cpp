// sweepwise-cli list software | uninstall, in-process on the in-memory registry with
// recorded program starts.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <csignal>
#include <sstream>
#include <thread>

#include "cli/cli_app.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "support/cli_runner.h"
#include "support/host_platform.h"
#include "support/registry_spy.h"
#include "uninstall/software_list.h"

namespace sw::cli {
namespace {

using platform::RegView;
using platform::RootKey;
using platform::host::RecordingProcesses;

// A key path below the uninstall key.
std::string Key(std::string_view below) {
  return std::string(uninstall::kUninstallKey) + "\\" + std::string(below);
}

class SoftwareCommand : public ::testing::Test, protected test::CliRunner {
 protected:
  void SetUp() override {
    Register("{0A-ALPHA}", "Alpha", "C:\\Apps\\alpha-uninst.exe");
    Register("{0B-BETA}", "Beta", "C:\\Apps\\beta-uninst.exe /quiet");
    Register("{0C-TWIN}", "Twin", "C:\\Apps\\twin1.exe");
    Register("{0D-TWIN}", "Twin", "C:\\Apps\\twin2.exe");
    // Each uninstaller removes its own entry, as a well-behaved one does.
    host_.processes().OnStart([this](const RecordingProcesses::Start& start) {
      if (start.commandLine.find("missing") != std::string::npos) {
        return false;
      }
      for (const auto& [command, subkey] : removes_) {
        if (start.commandLine == command) {
          EXPECT_TRUE(reg::RegDeleteKeyAt(host_.registry(), RootKey::LocalMachine, Key(subkey), true));
        }
      }
      return true;
    });
  }
  void Register(std::string_view subKey, std::string_view name, std::string_view command,
                RootKey root = RootKey::LocalMachine, RegView view = RegView::Own) {
    Write(subKey, "DisplayName", name, root, view);
    Write(subKey, "UninstallString", command, root, view);
    removes_.emplace_back(command, subKey);
    if (command.starts_with("C:\\")) {
      host_.MakeFile(command.substr(0, command.find(".exe") + 4));
    }
  }
  void Write(std::string_view subKey, std::string_view name, std::string_view text,
             RootKey root = RootKey::LocalMachine, RegView view = RegView::Own) {
    auto key = host_.registry().OpenRootView(root, view);
    ASSERT_TRUE(key);
    auto entry = (*key)->Create(Key(subKey));
    ASSERT_TRUE(entry);
    ASSERT_TRUE((*entry)->Set(name, platform::kRegSz, reg::EncodeRegText(text, true)));
  }
  bool Has(std::string_view subKey) { return reg::RegKeyExists(host_.registry(), RootKey::LocalMachine, Key(subKey)); }
  int Run(const std::vector<std::string>& args) { return RunOn(host_.platform(), args); }
  std::vector<std::string> Started() {
    std::vector<std::string> commands;
    for (const auto& start : host_.processes().starts()) {
      commands.push_back(start.commandLine);
    }
    return commands;
  }

  test::HostPlatform host_;
  std::vector<std::pair<std::string, std::string>> removes_;  // command, the subkey it removes
};

TEST_F(SoftwareCommand, ListShowsEveryFieldOfEveryEntryOfEverySource) {
  Write("{0B-BETA}", "DisplayVersion", "2.1");
  Write("{0B-BETA}", "Publisher", "Beta Ltd");
  Write("{0B-BETA}", "InstallDate", "20260315");
  ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::LocalMachine, Key("{0B-BETA}\\EstimatedSize"), 2048));
  Register("{32}", "Thirty-Two", "t.exe", RootKey::LocalMachine, RegView::Bits32);
  Register("{CU}", "Mine", "m.exe", RootKey::CurrentUser);
  ASSERT_EQ(Run({"list", "software", "--json"}), kExitSuccess) << err_;
  const auto result = nlohmann::json::parse(out_);
  ASSERT_EQ(result["rows"].size(), 6U);
  const auto& beta = result["rows"][1];
  EXPECT_EQ(beta["columns"], nlohmann::json({"Beta", "Installed Software", "C:\\Apps\\beta-uninst.exe /quiet", "",
                                             "Beta Ltd", "2.1", "2048KB (2MB)", "3/15/2026"}));
  EXPECT_EQ(beta["key"], "{0B-BETA}");
  EXPECT_EQ(beta["source"], "HKLM64\\{0B-BETA}");
  EXPECT_EQ(beta["root"], "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(beta["view"], "64-bit");
  EXPECT_EQ(beta["command"], "C:\\Apps\\beta-uninst.exe /quiet");
  EXPECT_EQ(beta["version"], "2.1");
  EXPECT_EQ(beta["publisher"], "Beta Ltd");
  EXPECT_EQ(beta["size_kb"], 2048);
  EXPECT_EQ(beta["install_date"], "20260315");
  EXPECT_EQ(beta["installed"], "3/15/2026");
  EXPECT_EQ(beta["checked"], false);
  EXPECT_EQ(beta["image"], 2);
  EXPECT_TRUE(result["rows"][0]["size_kb"].is_null());
  EXPECT_EQ(result["rows"][4]["source"], "HKLM32\\{32}");
  EXPECT_EQ(result["rows"][4]["view"], "32-bit");
  EXPECT_EQ(result["rows"][5]["source"], "HKCU\\{CU}");
  EXPECT_EQ(result["rows"][5]["root"], "HKEY_CURRENT_USER");
  EXPECT_FALSE(beta.contains("hidden")) << "said only with --all";
  EXPECT_EQ(result["count"], 6);
  EXPECT_EQ(result["status"], "Listed 6 installed programs");

  ASSERT_EQ(Run({"list", "software"}), kExitSuccess);
  EXPECT_NE(out_.find("Alpha\tInstalled Software\tC:\\Apps\\alpha-uninst.exe\t\t\t\t\t\n"), std::string::npos) << out_;
}

TEST_F(SoftwareCommand, ListAllAddsTheHiddenEntriesWithTheirReasons) {
  ASSERT_TRUE(reg::RegWriteDword(host_.registry(), RootKey::LocalMachine, Key("{0E-PART}\\SystemComponent"), 1));
  Register("{0E-PART}", "Part", "part.exe");
  ASSERT_EQ(Run({"list", "software", "--json"}), kExitSuccess);
  EXPECT_EQ(nlohmann::json::parse(out_)["count"], 4);
  ASSERT_EQ(Run({"list", "software", "--all", "--json"}), kExitSuccess) << err_;
  const auto result = nlohmann::json::parse(out_);
  ASSERT_EQ(result["rows"].size(), 5U);
  EXPECT_EQ(result["rows"][0]["hidden"], "");
  EXPECT_EQ(result["rows"][4]["hidden"], "a system component (SystemComponent = 1)");
  EXPECT_EQ(result["status"], "Listed 5 installed programs, 1 of them hidden from the system's list");
  ASSERT_EQ(Run({"list", "software", "--all"}), kExitSuccess);
  EXPECT_NE(out_.find("\thidden: a system component (SystemComponent = 1)\n"), std::string::npos) << out_;
}

TEST_F(SoftwareCommand, UninstallRunsTheNamedEntriesInTheOrderGiven) {
  ASSERT_EQ(Run({"uninstall", "Beta", "{0d-twin}", "alpha", "Beta", "--yes", "--json"}), kExitSuccess) << err_;
  EXPECT_EQ(Started(), (std::vector<std::string>{"C:\\Apps\\beta-uninst.exe /quiet", "C:\\Apps\\twin2.exe",
                                                 "C:\\Apps\\alpha-uninst.exe"}));
  EXPECT_FALSE(Has("{0A-ALPHA}"));
  EXPECT_FALSE(Has("{0B-BETA}"));
  EXPECT_FALSE(Has("{0D-TWIN}"));
  EXPECT_TRUE(Has("{0C-TWIN}"));
  const auto result = nlohmann::json::parse(out_);
  ASSERT_EQ(result["rows"].size(), 3U);
  EXPECT_EQ(result["rows"][1]["key"], "{0D-TWIN}");
  EXPECT_EQ(result["rows"][1]["started"], true);
  EXPECT_EQ(result["rows"][1]["entry_gone"], true);
  EXPECT_EQ(result["rows"][1]["leftover_removed"], false);
  EXPECT_EQ(result["rows"][1]["result"], "program gone");
  EXPECT_EQ(result["rows"][1]["exit_code"], 0);
  EXPECT_EQ(result["rows"][1]["command"], "\"C:\\Apps\\twin2.exe\"");
  EXPECT_EQ(result["uninstalled"], 3);
  EXPECT_EQ(result["removed_by_uninstaller"], 3);
  EXPECT_EQ(result["status"],
            "Ran the uninstallers of 3 of 3 programs: 3 removed by their uninstallers, 0 leftover entries removed, 0 "
            "failed, 0 still registered");
  // Each notice before its uninstaller, on lines of their own; no text 88: nothing of ours.
  const auto beta = err_.find("launches uninstaller for Beta.\nIn case of uninstall failure");
  const auto alpha = err_.find("launches uninstaller for Alpha.\n");
  ASSERT_NE(beta, std::string::npos) << err_;
  ASSERT_NE(alpha, std::string::npos) << err_;
  EXPECT_LT(beta, alpha);
  EXPECT_EQ(err_.find('\r'), std::string::npos);
  EXPECT_EQ(err_.find("repaired"), std::string::npos);
}

TEST_F(SoftwareCommand, ALeftoverEntryGoesWithYesAndIsSavedFirst) {
  removes_.clear();  // a cancelled uninstall: the entry stays
  ASSERT_EQ(Run({"uninstall", "Alpha", "--yes", "--json"}), kExitSuccess) << err_;
  EXPECT_FALSE(Has("{0A-ALPHA}"));
  const auto result = nlohmann::json::parse(out_);
  EXPECT_EQ(result["rows"][0]["entry_gone"], false);
  EXPECT_EQ(result["rows"][0]["leftover_removed"], true);
  EXPECT_EQ(result["rows"][0]["backup_file"], "C:\\Program\\regbackup000.reg");
  EXPECT_EQ(result["leftovers_removed"], 1);
  EXPECT_TRUE(std::filesystem::exists(host_.Host("C:\\Program\\regbackup000.reg")));
  EXPECT_NE(err_.find("has repaired the system registry"), std::string::npos) << err_;
}

TEST_F(SoftwareCommand, WithoutAConsoleTheLeftoverEntryStays) {
  removes_.clear();
  // The first question is answered by a console that is not there: nothing runs at all.
  EXPECT_EQ(Run({"uninstall", "Alpha"}), kExitFailure);
  EXPECT_NE(err_.find("--yes"), std::string::npos);
  EXPECT_TRUE(Started().empty());
  EXPECT_TRUE(Has("{0A-ALPHA}"));
}

TEST_F(SoftwareCommand, AnUninstallerThatDoesNotStartFailsTheCommandAndIsNeverCountedAsUninstalled) {
  Register("{0E-MISSING}", "Missing", "C:\\missing\\uninst.exe");
  EXPECT_EQ(Run({"uninstall", "Missing", "Alpha", "--yes", "--json"}), kExitFailure);
  const auto result = nlohmann::json::parse(out_);
  EXPECT_EQ(result["rows"][0]["started"], false);
  EXPECT_EQ(result["rows"][0]["entry_gone"], false);
  EXPECT_EQ(result["rows"][0]["result"], "not started");
  EXPECT_EQ(result["uninstalled"], 1);  // Alpha's
  EXPECT_EQ(result["not_started"], 1);
  EXPECT_EQ(result["error"].get<std::string>().find("The uninstaller of Missing could not be started: "), 0U)
      << result["error"];
  EXPECT_TRUE(Has("{0E-MISSING}"));
  EXPECT_FALSE(Has("{0A-ALPHA}"));
}

TEST_F(SoftwareCommand, QuietPicksTheQuietCommandAndRefusesATitleWithoutOne) {
  Write("{0B-BETA}", "QuietUninstallString", "C:\\Apps\\beta-uninst.exe /S /quiet");
  EXPECT_EQ(Run({"uninstall", "Beta", "Alpha", "--quiet", "--yes", "--json"}), kExitFailure);
  EXPECT_EQ(Started(), (std::vector<std::string>{"C:\\Apps\\beta-uninst.exe /S /quiet"}));
  EXPECT_NE(err_.find("Alpha has no quiet uninstall command (QuietUninstallString)"), std::string::npos) << err_;
  EXPECT_TRUE(Has("{0A-ALPHA}"));
}

TEST_F(SoftwareCommand, ARemovalWithoutRightsSaysWhyAndHowToGetThem) {
  removes_.clear();  // the entry outlives its uninstaller
  // A standard user's rights, injected: the machine's uninstall key opens for reading only.
  auto memory = std::move(host_.platform().registry);
  auto spy = std::make_unique<test::RegistrySpy>(*memory);
  spy->FailOpeningForWriting(std::string(uninstall::kUninstallKey));
  host_.platform().registry = std::move(spy);
  host_.system().SetAdmin(false);
  const int status = Run({"uninstall", "Alpha", "--yes", "--json"});
  host_.platform().registry = std::move(memory);
  EXPECT_EQ(status, kExitFailure);
  EXPECT_TRUE(Has("{0A-ALPHA}"));
  const auto result = nlohmann::json::parse(out_);
  EXPECT_EQ(result["rows"][0]["started"], true);
  EXPECT_EQ(result["rows"][0]["leftover_removed"], false);
  EXPECT_EQ(result["still_installed"], 1);
  EXPECT_EQ(result["error"],
            "The entry of Alpha was not removed: Access is denied. Machine-wide entries need administrator rights: "
            "run 'sweepwise-cli uninstall' from a console started with Run as administrator.");
}

TEST_F(SoftwareCommand, NothingRunsOnAUsageError) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"uninstall", "Alpha", "No Such Program", "--yes"}, {"uninstall", "Twin", "--yes"}, {"uninstall"}}) {
    EXPECT_EQ(Run(args), kExitUsage) << args.back();
    EXPECT_TRUE(out_.empty());
  }
  EXPECT_EQ(Run({"uninstall", "Twin", "--yes"}), kExitUsage);
  EXPECT_NE(err_.find("'Twin' names 2 entries; give the source of the one meant (HKLM64\\{0C-TWIN}, "
                      "HKLM64\\{0D-TWIN})"),
            std::string::npos)
      << err_;
  EXPECT_TRUE(Started().empty());
  EXPECT_TRUE(Has("{0A-ALPHA}"));
}

// An uninstaller that fails (here: Windows Installer is busy with another installation)
// removes nothing, and --yes does not make its entry go: exit 1, the code named.
TEST_F(SoftwareCommand, AFailingUninstallerKeepsItsEntryEvenWithYes) {
  removes_.clear();  // it leaves its entry, as a failed uninstall does
  host_.processes().OnRun([](const RecordingProcesses::Start&, const platform::WaitHooks&) -> Result<platform::ProgramEnd> {
    return platform::ProgramEnd{platform::ProgramWait::WholeTree, 1618, false};
  });
  EXPECT_EQ(Run({"uninstall", "Alpha", "--yes", "--json"}), kExitFailure);
  EXPECT_TRUE(Has("{0A-ALPHA}"));
  EXPECT_FALSE(std::filesystem::exists(host_.Host("C:\\Program\\regbackup000.reg")));
  const auto result = nlohmann::json::parse(out_);
  EXPECT_EQ(result["rows"][0]["result"], "failed");
  EXPECT_EQ(result["rows"][0]["exit_code"], 1618);
  EXPECT_EQ(result["failed"], 1);
  EXPECT_EQ(result["leftovers_removed"], 0);
  EXPECT_EQ(result["error"],
            "The uninstaller of Alpha ended with exit code 1618 (another installation is already in progress): Alpha "
            "was not removed, and its entry stays.");
}

// --timeout bounds the wait for each program; an uninstaller that is still at work then keeps
// its entry, and what it waits for is said as the wait begins.
TEST_F(SoftwareCommand, TimeoutEndsTheWaitAndRemovesNothing) {
  removes_.clear();
  host_.processes().OnRun([](const RecordingProcesses::Start&, const platform::WaitHooks& hooks) {
    while (hooks.keepWaiting()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Result<platform::ProgramEnd>(platform::ProgramEnd{platform::ProgramWait::WholeTree, std::nullopt, true});
  });
  EXPECT_EQ(Run({"uninstall", "Alpha", "Beta", "--timeout", "1", "--yes", "--json"}), kExitFailure);
  EXPECT_TRUE(Has("{0A-ALPHA}"));
  EXPECT_EQ(Started(), std::vector<std::string>{"C:\\Apps\\alpha-uninst.exe"});
  const auto result = nlohmann::json::parse(out_);
  EXPECT_EQ(result["rows"][0]["result"], "timed out");
  EXPECT_EQ(result["rows"][1]["result"], "not started");
  EXPECT_EQ(result["not_waited_for"], 1);
  const std::string error = result["error"];
  EXPECT_NE(error.find("for the uninstaller of Alpha and the programs it started, as long as it waits. Nothing was "
                       "removed"),
            std::string::npos)
      << error;
  EXPECT_TRUE(error.ends_with("1 further uninstallers were not started.")) << error;
  EXPECT_NE(err_.find("Waiting for the uninstaller of Alpha and the programs it started (0 s of at most 1 s; Ctrl+C "
                      "stops waiting)"),
            std::string::npos)
      << err_;

  EXPECT_EQ(Run({"uninstall", "Alpha", "--timeout", "0", "--yes"}), kExitUsage);
}

#ifndef _WIN32
// Ctrl+C while the uninstall waits stops the wait (the terminal's interrupt, sent here by the
// program itself), and the program goes on to say what it stopped instead of ending.
TEST_F(SoftwareCommand, CtrlCStopsTheWaitAndRemovesNothing) {
  removes_.clear();
  host_.processes().OnRun([](const RecordingProcesses::Start&, const platform::WaitHooks& hooks) {
    std::raise(SIGINT);
    while (hooks.keepWaiting()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Result<platform::ProgramEnd>(platform::ProgramEnd{platform::ProgramWait::WholeTree, std::nullopt, true});
  });
  EXPECT_EQ(Run({"uninstall", "Alpha", "--yes", "--json"}), kExitFailure);
  EXPECT_TRUE(Has("{0A-ALPHA}"));
  const auto result = nlohmann::json::parse(out_);
  EXPECT_EQ(result["rows"][0]["result"], "stopped");
  EXPECT_TRUE(result["error"].get<std::string>().starts_with("Sweepwise stopped waiting for the uninstaller of Alpha"))
      << result["error"];
}
#endif

}  // namespace
}  // namespace sw::cli
