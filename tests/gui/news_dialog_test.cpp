// The news sign-up dialog: shown at start only when the connection rule says online and it
// has not been answered, OK posting the form to the tests' own server (which records it),
// and "Remind Me Later" asking again next time. The connection state is the test's: Wine
// reports a connection over the local network only, which does not count.

#include "app/win32/news_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <windowsx.h>

#include "gui/main_window_fixture.h"
#include "online/win32/window_dispatcher.h"

namespace sw::app::win32 {
namespace {

using test::ShownMessages;

constexpr const wchar_t* kMailAccountKey = L"Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001";

class NewsDialogFixture : public ::testing::Test {
 protected:
  NewsDialogFixture() : programDir_(test::Utf8Of(temp_.path())), gui_(programDir_) {
    test::AnswerMessageBoxesWithOk();
    ShownMessages().clear();
    auto http = std::make_unique<test::ConnectedHttp>(std::move(gui_.platform.http));
    http_ = http.get();
    gui_.platform.http = std::move(http);
  }
  ~NewsDialogFixture() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kMailAccountKey);
    test::DrainMessages();
  }

  [[nodiscard]] std::string NewsInfo() const {
    const auto file = temp_.path() / "newsinfo.txt";
    return std::filesystem::exists(file) ? test::ReadFileBytes(file) : "<missing>";
  }
  void Click(NewsDialog& dialog, unsigned button) {
    PostMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog.hwnd(), static_cast<int>(button))));
  }

  test::TempFolder temp_;
  std::string programDir_;
  test::GuiPlatform gui_;
  test::ConnectedHttp* http_ = nullptr;
};

// Presses "Remind Me Later" in whichever sign-up dialog this thread shows next.
void CALLBACK DismissSignup(HWND, UINT, UINT_PTR timer, DWORD) {
  if (HWND dialog = FindWindowW(kNewsDialogClass, nullptr); dialog != nullptr && IsWindowVisible(dialog)) {
    KillTimer(nullptr, timer);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kCancelBtn, BN_CLICKED), 0);
  }
}

using NewsSignupStartTest = NewsDialogFixture;

TEST_F(NewsSignupStartTest, OfferedOnlyWhenOnlineAndNotAnsweredYet) {
  http_->flags = platform::kConnectionLan;
  EXPECT_FALSE(ShowNewsSignup(gui_.platform, nullptr)) << "a local network alone is not online";
  http_->flags = platform::kConnectionModem;
  test::WriteFileBytes(temp_.path() / "newsinfo.txt", "1\r\n");
  EXPECT_FALSE(ShowNewsSignup(gui_.platform, nullptr)) << "answered for good";
  EXPECT_EQ(NewsInfo(), "1\r\n");

  test::WriteFileBytes(temp_.path() / "newsinfo.txt", "0\r\n");
  http_->flags = platform::kConnectionProxy;
  SetTimer(nullptr, 0, 50, &DismissSignup);
  EXPECT_TRUE(ShowNewsSignup(gui_.platform, nullptr));
  EXPECT_EQ(NewsInfo(), "0\r\n") << "reminded later: asked again at the next start";
  EXPECT_EQ(FindWindowW(kNewsDialogClass, nullptr), nullptr) << "the dialog exists only while shown";
}

TEST_F(NewsSignupStartTest, TheDialogShowsTheFormPrefilledFromTheMailAccount) {
  const std::wstring address = L"ann@example.org";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kMailAccountKey, L"SMTP Email Address", REG_SZ, address.c_str(),
                            static_cast<DWORD>((address.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  online::win32::WindowDispatcher dispatcher;
  const online::OnlineContext context{gui_.platform, dispatcher, "http://127.0.0.1:9"};
  NewsDialog dialog(context);
  ASSERT_TRUE(dialog.Create(nullptr));
  EXPECT_EQ(GetText(dialog.hwnd()), "Special Offers");
  EXPECT_EQ(GetText(dialog.Control("edtEmail")), "ann@example.org");
  EXPECT_EQ(Button_GetCheck(dialog.Control("chkKestrix")), BST_CHECKED);
  EXPECT_EQ(Button_GetCheck(dialog.Control("chkVelmora")), BST_CHECKED);
  EXPECT_EQ(GetText(dialog.Control("chkVelmora")), "Keep me informed of other VELMORA products");
  EXPECT_EQ(GetText(dialog.Control("CancelBtn")), "Remind Me Later");
  EXPECT_FALSE(IsWindowVisible(dialog.hwnd())) << "shown only by RunModal";
}

class LoopbackNewsDialogTest : public NewsDialogFixture {
 protected:
  LoopbackNewsDialogTest() : server_(test::TestServer()) {
    if (server_.empty()) {
      ADD_FAILURE() << "SWEEPWISE_TEST_SERVER is not set: run these tests through tests/online/with_update_server.sh";
    }
  }
  // The dialog of the sign-up server `scenario`.
  NewsDialog& Dialog(const std::string& scenario) {
    context_.server = server_ + "/" + scenario;
    dialog_ = std::make_unique<NewsDialog>(context_);
    EXPECT_TRUE(dialog_->Create(nullptr));
    return *dialog_;
  }
  std::string Recorded(const std::string& scenario) {
    return test::FetchFromTestServer(server_ + "/recorded/" + scenario);
  }

  std::string server_;
  online::win32::WindowDispatcher dispatcher_;
  online::OnlineContext context_{gui_.platform, dispatcher_, {}};
  std::unique_ptr<NewsDialog> dialog_;
};

// OK keeps the dialog open until the reply has come, then closes it answered for good.
TEST_F(LoopbackNewsDialogTest, OkPostsTheFormAsTypedAndIsNotAskedAgain) {
  NewsDialog& dialog = Dialog("signup");
  SetText(dialog.Control("edtEmail"), "ann+news@example.org&fopt9=1");
  Button_SetCheck(dialog.Control("chkVelmora"), BST_UNCHECKED);
  Click(dialog, kOKBtn);
  EXPECT_TRUE(dialog.RunModal());
  EXPECT_EQ(Recorded("signup"), "femail=ann%2Bnews%40example.org%26fopt9%3D1&fopt3=1");
  EXPECT_EQ(NewsInfo(), "1\r\n");
  EXPECT_FALSE(IsWindowVisible(dialog.hwnd()));
  EXPECT_TRUE(IsWindowEnabled(dialog.Control("OKBtn"))) << "the buttons come back once the reply is in";
  EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(LoopbackNewsDialogTest, RemindMeLaterSendsNothingAndAsksAgain) {
  NewsDialog& dialog = Dialog("remind");
  Click(dialog, kCancelBtn);
  EXPECT_FALSE(dialog.RunModal());
  EXPECT_EQ(NewsInfo(), "0\r\n");
  EXPECT_EQ(Recorded("remind"), "") << "nothing was posted";
}

// Online at start, the connection gone by the time OK is pressed.
TEST_F(LoopbackNewsDialogTest, OfflineAtOkSaysSoAndAsksAgain) {
  NewsDialog& dialog = Dialog("offline");
  http_->flags = platform::kConnectionLan;
  Click(dialog, kOKBtn);
  EXPECT_TRUE(dialog.RunModal());
  ASSERT_EQ(ShownMessages().size(), 1U);
  EXPECT_EQ(ShownMessages()[0].text, "Cannot connect to web. You will be reminded later.");
  EXPECT_EQ(NewsInfo(), "0\r\n");
  EXPECT_EQ(Recorded("offline"), "");
}

}  // namespace
}  // namespace sw::app::win32
