// The handle a listed file is acted on through, and who besides this user may write a
// folder or delete a file, on Wine's kernel32 and advapi32. Wine keeps no access lists of
// its own: it shows a file's Unix permission bits as one, and turns a list it is given back
// into those bits (an entry that lets everyone write becomes the bits that let others write),
// so a folder's list set through the API is read back through the API as the system has it.

#include <windows.h>
// windows.h first: the security headers build on it.
#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <array>

#include "core/win_path.h"
#include "platform/win32/file_system.h"
#include "platform/win32/handles.h"
#include "platform/win32/listed_file.h"
#include "platform/win32/wide.h"
#include "support/temp_folder.h"

namespace sw::platform::win32 {
namespace {

class ListedFileOnWine : public ::testing::Test {
 protected:
  void SetUp() override { base_ = AddTrailingBackslash(test::Utf8Of(temp_.path())); }

  std::string Make(std::string_view name, std::string_view contents) {
    test::WriteFileBytes(temp_.path() / test::PathOfUtf8(std::string(name)), contents);
    return base_ + std::string(name);
  }
  static std::string ReadAll(ListedFile& file) {
    auto reader = file.Reader();
    EXPECT_TRUE(reader);
    std::string text;
    std::array<std::uint8_t, 4> chunk{};
    for (;;) {
      const auto got = (*reader)->Read(chunk);
      if (!got || *got == 0) {
        return text;
      }
      text.append(reinterpret_cast<const char*>(chunk.data()), *got);
    }
  }

  test::TempFolder temp_;
  std::string base_;
  Win32FileSystem files_;
};

TEST_F(ListedFileOnWine, TheHandleKnowsItsFileReadsItAndDeletesIt) {
  const std::string junk = Make("junk.tmp", "listed junk");
  const std::string other = Make("other.tmp", "other data!");
  auto first = files_.OpenListedFile(junk, {true, true});
  ASSERT_TRUE(first) << first.error().code();
  auto again = files_.OpenListedFile(junk, {});
  auto neighbour = files_.OpenListedFile(other, {});
  ASSERT_TRUE(again && neighbour);
  EXPECT_EQ((*first)->Identity(), (*again)->Identity());
  EXPECT_NE((*first)->Identity(), (*neighbour)->Identity());
  EXPECT_NE((*first)->Identity().volume, 0U);
  EXPECT_TRUE(PathsEqual((*first)->FinalPath().value_or(""), junk)) << (*first)->FinalPath().value_or("?");
  const auto entry = (*first)->Describe();
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->size, 11U);
  EXPECT_FALSE(entry->IsFolder());
  // Each reader starts at the beginning, whatever the one before it read.
  EXPECT_EQ(ReadAll(**first), "listed junk");
  EXPECT_EQ(ReadAll(**first), "listed junk");
  EXPECT_FALSE((*again)->Reader()) << "not opened for reading";
  EXPECT_FALSE((*again)->DeleteThroughHandle()) << "not opened for removal";

  // Read-only: the handle's deletion takes the attribute away first, as the path's would.
  ASSERT_TRUE(::SetFileAttributesW(ToWide(junk).c_str(), FILE_ATTRIBUTE_READONLY));
  again->reset();
  EXPECT_TRUE((*first)->DeleteThroughHandle());
  EXPECT_FALSE(std::filesystem::exists(temp_.path() / "junk.tmp"));
  EXPECT_TRUE(std::filesystem::exists(temp_.path() / "other.tmp"));

  auto folder = files_.OpenListedFile(AddTrailingBackslash(base_), {});
  ASSERT_TRUE(folder);
  EXPECT_TRUE(folder->get()->Describe()->IsFolder());
  const auto missing = files_.OpenListedFile(base_ + "gone.tmp", {});
  ASSERT_FALSE(missing);
  EXPECT_TRUE(IsNotFound(missing.error()));
}

// A program that holds a file and lets nobody delete it (or even read it): the file still
// opens to be checked, and says why it does not open for more.
TEST_F(ListedFileOnWine, AFileHeldByAnotherProgramStillOpensToBeChecked) {
  const std::string held = Make("held.tmp", "in use");
  const UniqueFileHandle holder{::CreateFileW(ToWide(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr)};
  ASSERT_TRUE(holder);
  const auto removal = files_.OpenListedFile(held, {false, true});
  ASSERT_FALSE(removal);
  EXPECT_TRUE(removal.error().Is(Errc::SharingViolation)) << removal.error().code();
  auto checked = files_.OpenListedFile(held, {});
  ASSERT_TRUE(checked) << checked.error().code();
  EXPECT_EQ((*checked)->Describe()->size, 6U);
}

// A security descriptor from its text form, as the system writes one.
struct Descriptor {
  explicit Descriptor(const std::wstring& text) {
    EXPECT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1, &value, nullptr))
        << ::GetLastError();
  }
  ~Descriptor() { ::LocalFree(value); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  PSECURITY_DESCRIPTOR value = nullptr;
};

std::wstring CurrentUserSid() {
  HANDLE token = nullptr;
  EXPECT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
  const UniqueKernelHandle owned{token};
  std::vector<std::uint8_t> buffer(256);
  DWORD size = 0;
  EXPECT_TRUE(::GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size));
  LPWSTR text = nullptr;
  EXPECT_TRUE(::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text));
  std::wstring sid = text;
  ::LocalFree(text);
  return sid;
}

// Who may write a folder, read from lists in the shapes Windows gives its folders.
TEST(FolderSecurityOnWine, OthersMayWriteWhereAnEntryLetsAnyoneButTheUserAndTheSystemWrite) {
  const std::wstring user = CurrentUserSid();
  HANDLE token = nullptr;
  ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
  const UniqueKernelHandle owned{token};
  std::vector<std::uint8_t> buffer(256);
  DWORD size = 0;
  ASSERT_TRUE(::GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size));
  PSID self = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  const std::wstring installer = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
  const std::vector<std::pair<std::wstring, bool>> cases = {
      // The system's temporary folder: users may create files and folders there.
      {L"O:SYD:(A;OICIIO;FA;;;CO)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;CI;0x100026;;;BU)", true},
      // A profile's own temporary folder: the user, the system and the administrators.
      {L"O:" + user + L"D:(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;FA;;;" + user + L")", false},
      // The Windows folder: the installer service owns it, users read and run.
      {L"O:" + installer + L"D:(A;;FA;;;" + installer + L")(A;;0x1301bf;;;SY)(A;;0x1301bf;;;BA)(A;;0x1200a9;;;BU)",
       false},
      // Write given to users only for what will be made inside: not for this folder.
      {L"O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICIIO;GA;;;BU)", false},
      {L"O:BAD:(A;OICI;0x1301bf;;;AU)", true},      // authenticated users may modify
      {L"O:BAD:(A;;FW;;;IU)", true},                // interactive users may write
      {L"O:BAD:(A;;0x1200a9;;;WD)", false},         // everyone may only read
      {L"O:BAD:(A;;0x40;;;WD)", true},              // everyone may delete names in it
      {L"O:S-1-5-21-1-2-3-1001D:(A;;FA;;;SY)", true},  // another user owns it
  };
  for (const auto& [text, others] : cases) {
    const Descriptor descriptor(text);
    EXPECT_EQ(GrantsWriteToOthers(descriptor.value, self), others) << FromWide(text);
  }
  // No list at all: anyone may do anything.
  SECURITY_DESCRIPTOR open{};
  ASSERT_TRUE(::InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(::SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE));
  EXPECT_TRUE(GrantsWriteToOthers(&open, self));
}

TEST_F(ListedFileOnWine, AFoldersOwnListSaysWhetherOthersMayWriteIt) {
  std::filesystem::create_directories(temp_.path() / "shared");
  const std::string folder = base_ + "shared";
  EXPECT_EQ(files_.OthersMayWrite(folder).value_or(true), false);
  // Everyone may now create and delete names there (Wine makes it the folder's bits).
  const Descriptor open(L"D:(A;OICI;FA;;;" + CurrentUserSid() + L")(A;OICI;0x1301bf;;;WD)");
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL list = nullptr;
  ASSERT_TRUE(::GetSecurityDescriptorDacl(open.value, &present, &list, &defaulted));
  std::wstring wide = ToWide(folder);
  ASSERT_EQ(::SetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, list,
                                    nullptr),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(files_.OthersMayWrite(folder).value_or(false), true);
  EXPECT_FALSE(files_.OthersMayWrite(base_ + "missing"));
}

// Wine gives every program an administrator's elevated token with the user's own token
// linked to it, as User Account Control does: the user may delete the user's own file.
TEST_F(ListedFileOnWine, TheUsersOwnTokenDecidesWhatOnlyAnAdministratorMayDelete) {
  const std::string mine = Make("mine.tmp", "the user's");
  const auto answer = files_.OnlyAdministratorsMayDelete(mine);
  ASSERT_TRUE(answer) << answer.error().code();
  EXPECT_FALSE(*answer);
}

}  // namespace
}  // namespace sw::platform::win32
