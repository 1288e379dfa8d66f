// The news sign-up against the tests' own server, which records the form it receives: the
// body's fields in order with the e-mail encoded, newsinfo.txt after each way out, and the
// time-out checked when a block arrives.

#include "online/news_signup.h"

#include <gtest/gtest.h>

#include "online/loopback_fixture.h"
#include "registry/registry_paths.h"
#include "support/connected_http.h"
#include "support/recording_sink.h"

namespace sw::online {
namespace {

using test::ConnectedHttp;
using test::ReadFileBytes;

class RecordingDialog final : public NewsSignupView {
 public:
  void SetBusy(bool busy) override { busyCalls.push_back(busy); }
  void CloseDialog(bool ok) override { closed.push_back(ok); }

  std::vector<bool> busyCalls;
  std::vector<bool> closed;
};

class LoopbackNewsSignup : public test::LoopbackFixture {
 protected:
  LoopbackNewsSignup() {
    auto http = std::make_unique<ConnectedHttp>(std::move(platform_.http));
    http_ = http.get();
    platform_.http = std::move(http);
  }

  NewsSignupModel& Dialog(std::string_view scenario) {
    context_.server = Url("/" + std::string(scenario));
    model_ = std::make_unique<NewsSignupModel>(context_, dialog_, sink_);
    return *model_;
  }
  void WaitForClose() {
    PumpUntil([this] { return !dialog_.closed.empty(); });
  }
  std::string NewsInfo() { return ReadFileBytes(HostProgramFile("newsinfo.txt")); }

  ConnectedHttp* http_ = nullptr;
  RecordingDialog dialog_;
  test::RecordingSink sink_;
  std::unique_ptr<NewsSignupModel> model_;
};

TEST_F(LoopbackNewsSignup, PostsTheFormWithTheEmailEncodedAndIsNotAskedAgain) {
  ASSERT_TRUE(reg::RegWriteString(*platform_.registry, platform::RootKey::CurrentUser,
                                  R"(SOFTWARE\Microsoft\Internet Account Manager\Accounts\00000001\SMTP Email Address)",
                                  "first@account.example"));
  NewsSignupModel& model = Dialog("signup");
  EXPECT_EQ(model.edtEmail, "first@account.example");
  EXPECT_TRUE(NewsSignupDue(platform_));

  model.edtEmail = "a&fopt9=1 b+c@x.example";
  model.OKBtnClick();
  EXPECT_EQ(dialog_.busyCalls.front(), true);
  WaitForClose();
  EXPECT_EQ(dialog_.closed, std::vector<bool>{true});
  EXPECT_EQ(NewsInfo(), "1\r\n");
  EXPECT_FALSE(NewsSignupDue(platform_));
  EXPECT_EQ(Fetch("/recorded/signup"), "femail=a%26fopt9%3D1%20b%2Bc%40x.example&fopt3=1&fopt2=1");
}

TEST_F(LoopbackNewsSignup, OnlyTheCheckedBoxesAreSent) {
  NewsSignupModel& model = Dialog("signup");
  model.edtEmail = "me@x.example";
  model.chkKestrix = false;
  model.OKBtnClick();
  WaitForClose();
  EXPECT_EQ(Fetch("/recorded/signup"), "femail=me%40x.example&fopt2=1");
}

TEST_F(LoopbackNewsSignup, BothBoxesUncheckedSendsNothingAndNeverAsksAgain) {
  NewsSignupModel& model = Dialog("unchecked");
  model.chkKestrix = false;
  model.chkVelmora = false;
  model.OKBtnClick();
  EXPECT_EQ(dialog_.closed, std::vector<bool>{true});
  EXPECT_EQ(NewsInfo(), "1\r\n");
  EXPECT_EQ(Fetch("/recorded/unchecked"), "");  // the server never saw a form
}

TEST_F(LoopbackNewsSignup, OfflineOrRemindLaterAsksAgainNextTime) {
  http_->flags = platform::kConnectionLan;  // a network alone does not count
  EXPECT_FALSE(NewsSignupDue(platform_));
  Dialog("offline").OKBtnClick();
  ASSERT_EQ(sink_.questions.size(), 1U);
  EXPECT_EQ(sink_.questions[0].text, "Cannot connect to web. You will be reminded later.");
  EXPECT_EQ(NewsInfo(), "0\r\n");
  EXPECT_EQ(Fetch("/recorded/offline"), "");

  http_->flags = platform::kConnectionProxy;
  EXPECT_TRUE(NewsSignupDue(platform_));
  Dialog("later").CancelBtnClick();
  EXPECT_EQ(dialog_.closed.back(), false);
  EXPECT_EQ(NewsInfo(), "0\r\n");
  EXPECT_TRUE(NewsSignupDue(platform_));
}

// A failure counts as answered, so that nobody is asked at every start.
TEST_F(LoopbackNewsSignup, FailedRequestCountsAsAnswered) {
  Dialog("no-such-scenario-path/x").OKBtnClick();
  WaitForClose();
  EXPECT_EQ(dialog_.closed, std::vector<bool>{true});
  EXPECT_EQ(NewsInfo(), "1\r\n");
}

// The reply comes in several blocks, and every look at the clock finds six seconds more:
// the first block (6 s after OK) goes on, the second (12 s) ends the request.
TEST_F(LoopbackNewsSignup, SlowReplyIsAbortedAtTheNextBlockAfterTenSeconds) {
  int looks = 0;
  context_.server = Url("/signup");
  model_ = std::make_unique<NewsSignupModel>(context_, dialog_, sink_, [&looks] {
    return std::chrono::steady_clock::time_point{} + std::chrono::seconds(6 * ++looks);
  });
  model_->OKBtnClick();
  WaitForClose();
  EXPECT_TRUE(model_->timedOut());
  EXPECT_EQ(looks, 3);  // at OK, and at the first two blocks
  EXPECT_EQ(dialog_.closed, std::vector<bool>{true});
  EXPECT_EQ(NewsInfo(), "1\r\n");
}

}  // namespace
}  // namespace sw::online
