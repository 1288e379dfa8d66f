// The program's own import of .reg files. Natively on the in-memory registry; under Wine on the
// real one, where Wine's "regedit /s" imports the same file into a key of its own and both must
// leave the same registry: value and key deletions, every data form, escaped and non-ASCII
// names, both headers and both encodings. And what an import cannot do is named value by value.

#include "registry/reg_import.h"

#include <gtest/gtest.h>

#include <map>

#include "core/text.h"
#include "core/unicode.h"
#include "registry/registry_data.h"
#include "registry/registry_paths.h"
#include "support/registries.h"
#include "support/registry_state.h"
#include "support/temp_folder.h"

#ifdef _WIN32
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#else
#include "platform/host/host_system.h"
#include "platform/host/memory_registry.h"
#endif

namespace sw::reg {
namespace {

using platform::RegValue;
using platform::RootKey;
using Lines = std::vector<std::string>;

std::string Hex(const Bytes& bytes) {
  std::string hex;
  for (const std::uint8_t byte : bytes) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", byte);
    hex += digits;
  }
  return hex;
}

// A file's three forms: the 8-bit "REGEDIT4" file, the 8-bit "Version 5.00" file (which Wine
// reads as the other) and the UTF-16 file of the registry editor's own export.
enum class Form { Regedit4, Version5Ansi, Unicode };

class RegImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    registry_ = std::make_unique<platform::win32::Win32Registry>();
    system_ = std::make_unique<platform::win32::Win32System>();
#else
    registry_ = std::make_unique<platform::host::MemoryRegistry>();
    system_ = std::make_unique<platform::host::HostSystem>();
#endif
    ours_ = test::UniqueTestKeyPath("Import");
    editors_ = test::UniqueTestKeyPath("ImportByTheEditor");
    // What the file deletes, and what it leaves alone.
    for (const auto& base : {ours_, editors_}) {
      ASSERT_TRUE(RegWriteString(*registry_, RootKey::CurrentUser, base + "\\todelete", "x"));
      ASSERT_TRUE(RegWriteString(*registry_, RootKey::CurrentUser, base + "\\keep", "k"));
      ASSERT_TRUE(RegWriteString(*registry_, RootKey::CurrentUser, base + "\\Doomed\\Deep\\v", "1"));
    }
  }
  void TearDown() override {
    for (const auto& base : {ours_, editors_}) {
      (void)RegDeleteKeyAt(*registry_, RootKey::CurrentUser, base, true);
    }
  }

  // The file's lines (UTF-8), for the key `base`; the 8-bit forms name their non-ASCII value
  // with characters of the code page, the Unicode form with others too.
  Lines FileLines(Form form, const std::string& base) const {
    const bool unicode = form == Form::Unicode;
    Lines lines{form == Form::Regedit4 ? "REGEDIT4" : "Windows Registry Editor Version 5.00",
                "",
                "; the registry editor passes over comments",
                "[HKEY_CURRENT_USER\\" + base + "]",
                "\"todelete\"=-",
                "\"gone already\"=-",
                "\"dword\"=dword:0000002a",
                "\"short\"=dword:ff",
                "\"binary\"=hex:00,01,fe,ff",
                "\"wrapped\"=hex:01,02,\\",
                "  03,04",
                "\"empty\"=hex:",
                "\"qword\"=hex(b):01,02,03,04,05,06,07,08",
                R"("quoted \"name\" C:\\x"="a \"b\" C:\\c")",
                "@=\"the default\"",
                "\"spaced\" = \"s\""};
    if (unicode) {
      lines.push_back("\"expand\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,16,04,00,00");
      lines.push_back("\"multi\"=hex(7):61,00,00,00,16,04,00,00,00,00");
      lines.push_back(
          "\"\xD0\x96name\"=\"\xD0\x96"
          "data\"");
    } else {
      lines.push_back("\"expand\"=hex(2):25,54,45,4d,50,25,5c,e9,00");
      lines.push_back("\"multi\"=hex(7):61,00,e9,00,00");
      lines.push_back("\"caf\xC3\xA9\"=\"na\xC3\xAFve\"");
    }
    lines.insert(lines.end(), {"[-HKEY_CURRENT_USER\\" + base + "\\Doomed]", "[hkey_current_user\\" + base + "\\Sub]",
                               "\"s\"=\"1\""});
    return lines;
  }

  std::string FileBytes(Form form, const std::string& base) const {
    const std::string text = JoinLinesCrlf(FileLines(form, base));
    if (form != Form::Unicode) {
      return *system_->ToAnsi(text);
    }
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : Utf8ToUtf16(text)) {
      bytes += static_cast<char>(unit & 0xFFU);
      bytes += static_cast<char>(unit >> 8U);
    }
    return bytes;
  }

  // What every form leaves below the key, as the registry editor stores it.
  Lines Expected(Form form) const {
    const bool unicode = form == Form::Unicode;
    const auto sz = [](std::string_view text) { return RegValue{platform::kRegSz, EncodeRegText(text, true)}; };
    std::multimap<std::string, std::pair<std::string, RegValue>> values{
        {"", {"keep", sz("k")}},
        {"", {"dword", RegValue{platform::kRegDword, {0x2A, 0, 0, 0}}}},
        {"", {"short", RegValue{platform::kRegDword, {0xFF, 0, 0, 0}}}},
        {"", {"binary", RegValue{platform::kRegBinary, {0x00, 0x01, 0xFE, 0xFF}}}},
        {"", {"wrapped", RegValue{platform::kRegBinary, {1, 2, 3, 4}}}},
        {"", {"empty", RegValue{platform::kRegBinary, {}}}},
        {"", {"qword", RegValue{platform::kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}}}},
        {"", {R"(quoted "name" C:\x)", sz(R"(a "b" C:\c)")}},
        {"", {"", sz("the default")}},
        {"", {"spaced", sz("s")}},
        {"Sub", {"s", sz("1")}},
    };
    if (unicode) {
      values.insert({"", {"expand", RegValue{platform::kRegExpandSz, EncodeRegText("%TEMP%\\\xD0\x96", true)}}});
      values.insert(
          {"", {"multi", RegValue{platform::kRegMultiSz, EncodeRegText(std::string("a\0\xD0\x96\0\0", 6), false)}}});
      values.insert({"",
                     {"\xD0\x96name", sz("\xD0\x96"
                                         "data")}});
    } else {
      // The 8-bit forms' dump bytes are code-page text, their zeros characters of their own.
      values.insert({"", {"expand", RegValue{platform::kRegExpandSz, EncodeRegText("%TEMP%\\\xC3\xA9", true)}}});
      values.insert(
          {"", {"multi", RegValue{platform::kRegMultiSz, EncodeRegText(std::string("a\0\xC3\xA9\0\0", 6), false)}}});
      values.insert({"", {"caf\xC3\xA9", sz("na\xC3\xAFve")}});
    }
    Lines lines{"|(key)", "Sub|(key)"};
    for (const auto& [path, value] : values) {
      lines.push_back(path + "|" + value.first + "|" + std::to_string(value.second.type) + "|" +
                      Hex(value.second.data));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  std::unique_ptr<platform::Registry> registry_;
  std::unique_ptr<platform::System> system_;
  std::string ours_;
  std::string editors_;
};

class RegImportForms : public RegImportTest, public ::testing::WithParamInterface<Form> {};

TEST_P(RegImportForms, LeavesTheRegistryAsTheRegistryEditorDoes) {
  const Form form = GetParam();
  if (!system_->ToAnsi("caf\xC3\xA9 na\xC3\xAFve")) {
    GTEST_SKIP() << "the ANSI code page has no e with an acute accent here";
  }
  const RegFileText file = ParseRegFile(FileBytes(form, ours_), *system_);
  const ImportOutcome outcome =
      ImportRegEntries(*registry_, ReadRegFileEntries(file, *system_), ImportMode::AsTheEditor);
  EXPECT_TRUE(outcome.Complete());
  for (const auto& note : outcome.notWritten) {
    ADD_FAILURE() << note.target << ": " << note.reason;
  }
  EXPECT_EQ(test::DescribeKeyTree(*registry_, RootKey::CurrentUser, ours_), Expected(form));

  // A second import changes nothing: every value holds the file's data already.
  const ImportOutcome again = ImportRegEntries(*registry_, ReadRegFileEntries(file, *system_), ImportMode::AsTheEditor);
  EXPECT_EQ(again.written, 0U);
  EXPECT_EQ(test::DescribeKeyTree(*registry_, RootKey::CurrentUser, ours_), Expected(form));

#ifdef _WIN32
  // The real registry editor, on the same file for its own key.
  test::TempFolder temp;
  const std::string path = test::Utf8Of(temp.path() / "import.reg");
  test::WriteFileBytes(temp.path() / "import.reg", FileBytes(form, editors_));
  platform::win32::Win32Processes processes;
  ASSERT_TRUE(processes.ExecuteProgram("regedit.exe /s \"" + path + "\"", true, true));
  EXPECT_EQ(test::DescribeKeyTree(*registry_, RootKey::CurrentUser, editors_), Expected(form));
#endif
}

INSTANTIATE_TEST_SUITE_P(Forms, RegImportForms, ::testing::Values(Form::Regedit4, Form::Version5Ansi, Form::Unicode),
                         [](const auto& form) {
                           return std::string(form.param == Form::Regedit4       ? "Regedit4"
                                              : form.param == Form::Version5Ansi ? "Version5Ansi"
                                                                                 : "Unicode");
                         });

// Where the registry editor would write into a key the file does not name there, nothing is
// written; every line and value that does not come in is named.
TEST_F(RegImportTest, NeverWritesAKeyTheFileDoesNotNameAndNamesWhatDidNotComeIn) {
  const RegFileText file{
      {"REGEDIT4", "\"orphan\"=\"no key above\"", "[HKEY_CURRENT_USER\\" + ours_ + "\\A]", "\"a\"=\"1\"",
       "[HKEY_CURRENT_USER\\" + ours_ + "\\Damaged", "\"afterdamaged\"=\"2\"", "[HKEY_NOWHERE\\X]",
       "\"afterunknown\"=\"3\"", "[-HKEY_CURRENT_USER\\" + ours_ + "\\A]", "\"afterdeletion\"=\"4\"",
       "[-HKEY_CURRENT_USER\\Software]", "\"bad\"=hex:1g", "[HKEY_CURRENT_USER\\" + ours_ + "\\B]", "\"b\"=\"5\""},
      RegFileEncoding::Ansi};
  const ImportOutcome outcome =
      ImportRegEntries(*registry_, ReadRegFileEntries(file, *system_), ImportMode::AsTheEditor);
  EXPECT_FALSE(outcome.Complete());
  Lines named;
  for (const auto& note : outcome.notWritten) {
    named.push_back(note.target);
  }
  // A key directly below a root is never deleted, whatever the file says.
  EXPECT_EQ(named, (Lines{"HKEY_CURRENT_USER\\Software", "line 2", "line 5", "line 6", "line 7", "line 8", "line 10",
                          "line 12"}));
  const Lines state = test::DescribeKeyTree(*registry_, RootKey::CurrentUser, ours_);
  EXPECT_EQ(std::count_if(state.begin(), state.end(), [](const std::string& line) { return line.starts_with("B|"); }),
            2)
      << "B and its value";
  for (const auto& line : state) {
    EXPECT_EQ(line.find("after"), std::string::npos) << line;
    EXPECT_FALSE(line.starts_with("A|")) << "A was deleted";
  }
  EXPECT_TRUE(RegKeyExists(*registry_, RootKey::CurrentUser, "Software"));
}

// A standard user's import of machine-wide values: each refused value is named with the
// system's reason, and the advice to get the rights follows. The missing rights are injected
// through the platform layer (Wine writes everywhere).
TEST_F(RegImportTest, AnUnelevatedImportOfMachineWideValuesNamesEachAndAdvisesTheRights) {
  const std::string machine = test::UniqueTestKeyPath("MachineWide");
  test::StandardUserRegistry standardUser(*registry_);
  const RegFileText file{{"REGEDIT4", "[HKEY_LOCAL_MACHINE\\" + machine + "]", "\"LongPaths\"=dword:00000001",
                          "@=\"x\"", "[HKEY_CURRENT_USER\\" + ours_ + "]", "\"mine\"=\"y\""},
                         RegFileEncoding::Ansi};
  const ImportOutcome outcome =
      ImportRegEntries(standardUser, ReadRegFileEntries(file, *system_), ImportMode::AsTheEditor);
  EXPECT_TRUE(outcome.NeedsRights());
  ASSERT_EQ(outcome.notWritten.size(), 3U);  // the key, then each of its values
  EXPECT_EQ(outcome.notWritten[1].target, "HKEY_LOCAL_MACHINE\\" + machine + "\\LongPaths");
  EXPECT_EQ(outcome.notWritten[2].target, "HKEY_LOCAL_MACHINE\\" + machine + "\\(Default)");
  EXPECT_FALSE(RegKeyExists(*registry_, RootKey::LocalMachine, machine));
  EXPECT_EQ(RegReadString(*registry_, RootKey::CurrentUser, ours_ + "\\mine"), "y") << "the user's own value";

  const std::string text = ImportProblemText(outcome, "C:\\data\\regbackup000.reg", false, "Restart as administrator.");
  EXPECT_NE(text.find("HKEY_LOCAL_MACHINE\\" + machine + "\\LongPaths: "), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("Some of them need administrator rights. Restart as administrator.")) << text;
  EXPECT_EQ(ImportProblemText(outcome, "f", true, "Restart as administrator.").find("Restart"), std::string::npos);
}

// An undo's import leaves a value set again since as it is, and says so.
TEST_F(RegImportTest, KeepingLaterChangesWritesOnlyWhatIsMissing) {
  ASSERT_TRUE(RegWriteString(*registry_, RootKey::CurrentUser, ours_ + "\\changed", "set by hand"));
  const RegFileText file{{"REGEDIT4", "[HKEY_CURRENT_USER\\" + ours_ + "]", "\"changed\"=\"old\"", "\"keep\"=\"k\"",
                          "\"missing\"=\"back\""},
                         RegFileEncoding::Ansi};
  const ImportOutcome outcome =
      ImportRegEntries(*registry_, ReadRegFileEntries(file, *system_), ImportMode::KeepLaterChanges);
  EXPECT_TRUE(outcome.Complete());
  EXPECT_EQ(outcome.written, 1U);
  EXPECT_EQ(outcome.unchanged, 1U);
  ASSERT_EQ(outcome.keptLaterChanges.size(), 1U);
  EXPECT_EQ(outcome.keptLaterChanges[0].target, "HKEY_CURRENT_USER\\" + ours_ + "\\changed");
  EXPECT_EQ(RegReadString(*registry_, RootKey::CurrentUser, ours_ + "\\changed"), "set by hand");
  EXPECT_EQ(RegReadString(*registry_, RootKey::CurrentUser, ours_ + "\\missing"), "back");
}

}  // namespace
}  // namespace sw::reg
